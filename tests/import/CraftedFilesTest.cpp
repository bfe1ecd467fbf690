#include "tests/import/ImportRun.h"
#include "tests/import/LegacyStation.h"

#include "import/JetHeader.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtEndian>
#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>

// Files crafted as a station's engineer finds them: a name damaged in the list of tables or a
// table's definition, a record or a text that contradicts its table, an encoded file, a sparse one,
// a target reached through a link, names that would play tricks on a terminal. Each run as a
// station runs the importer; nothing damaged may be taken in silence, nor blamed on the target.
namespace {

constexpr int kPage = jet::kPageSize;

QByteArray utf16(const QString& s) {
    return QByteArray(reinterpret_cast<const char*>(s.utf16()), s.size() * 2);
}

// Changes a legacy file's bytes in place.
void patch(const QString& path, const std::function<void(QByteArray&)>& change) {
    QByteArray bytes = fileBytes(path);
    change(bytes);
    writeFile(path, bytes);
}

// The definition page of the table with a field of that name.
qsizetype definitionOf(const QByteArray& bytes, const QString& someField) {
    for (qsizetype at = bytes.indexOf(utf16(someField)); at >= 0;
         at = bytes.indexOf(utf16(someField), at + 1))
        if (bytes[at / kPage * kPage] == 0x02) return at / kPage * kPage;
    throw std::out_of_range("no such field");
}

// The 25-byte definition of a table's column.
qsizetype columnOf(const QByteArray& bytes, const QString& someField, int column) {
    const qsizetype page = definitionOf(bytes, someField);
    return page + 63 + 12 * qFromLittleEndian<quint32>(bytes.constData() + page + 51) + 25 * column;
}

// The first data page of the table whose definition holds the field name.
qsizetype dataPageOf(const QByteArray& bytes, const QString& someField) {
    const quint32 definition = quint32(definitionOf(bytes, someField) / kPage);
    for (qsizetype p = kPage; p < bytes.size(); p += kPage)
        if (bytes[p] == 0x01 && qFromLittleEndian<quint32>(bytes.constData() + p + 4) == definition) return p;
    throw std::out_of_range("no data page");
}

struct Case {
    const char* name;
    std::function<void(LegacyStation&, const QString& target)> arrange;
    int status;
    const char* said; // in the summary, or in the error for status 2
};

const Case kCases[] = {
    {"a table renamed in the list of tables",
     [](LegacyStation& s, const QString&) {
         ASSERT_EQ(renameInFile(s.legacyFile("Prep.mdb"), "Prep", "Pr.p"), 1);
     },
     1,
     R"(Prep.mdb is damaged (its Prep table is missing (it holds "Pr.p" instead), so nothing of it would be taken))"},
    {"a table's kind damaged in the list of tables",
     [](LegacyStation& s, const QString&) {
         patch(s.legacyFile("MonReminder.mdb"), [](QByteArray& b) {
             const qsizetype name = b.indexOf(utf16("Reminder2"));
             ASSERT_GT(name, 0);
             const qsizetype page = name / kPage * kPage;
             for (int r = 0; r < qFromLittleEndian<quint16>(b.constData() + page + 12); ++r) {
                 const qsizetype start =
                     page + (qFromLittleEndian<quint16>(b.constData() + page + 14 + 2 * r) & 0x1fff);
                 if (start < name && name - start < 64) qToLittleEndian<qint16>(5, b.data() + start + 2 + 8);
             }
         });
     },
     1,
     "MonReminder.mdb is damaged (its list of tables is damaged: the table Reminder2 is listed as something "
     "else"},
    {"another station file saved under a day's name",
     [](LegacyStation& s, const QString&) {
         writeFile(s.legacyFile("Monday.mdb"), fileBytes(s.legacyFile("Notes.mdb")));
     },
     1,
     R"(Monday.mdb is damaged (none of its 24 tables is there (it holds "Main" instead), so nothing of it would be taken))"},
    {"a column number past the field count",
     [](LegacyStation& s, const QString&) {
         patch(s.legacyFile("Phone.mdb"), [](QByteArray& b) {
             qToLittleEndian<quint16>(0xffff, b.data() + columnOf(b, "Pager", 5) + 5);
         });
     },
     1,
     "Phone.mdb is damaged (the definition of table List is damaged (the field Pager has number 65535 of "
     "8))"},
    {"a text field retyped as binary (OLE)",
     [](LegacyStation& s, const QString&) {
         patch(s.legacyFile("Phone.mdb"), [](QByteArray& b) { b[columnOf(b, "Pager", 5)] = 0x0b; });
     },
     1, "the field Pager is described as binary (OLE) of any length, 510 bytes long, which cannot be"},
    {"a null mask denying a filled field",
     [](LegacyStation& s, const QString&) {
         patch(s.legacyFile("Phone.mdb"),
               [](QByteArray& b) { b[dataPageOf(b, "Pager") + kPage - 1] = char(0xdf); });
     },
     1, "Phone.mdb is damaged (table List, record 1: its field Pager is marked empty but holds 10 bytes)"},
    {"a field name damaged",
     [](LegacyStation& s, const QString&) {
         ASSERT_EQ(renameInFile(s.legacyFile("Phone.mdb"), "Pager", "Pagxr"), 2);
     },
     1, R"(in its List table the field(s) "Ext", "Pager" are missing while unknown "Pagxr" are there)"},
    {"a text's compression marker damaged, leaving an odd length",
     [](LegacyStation& s, const QString&) {
         patch(s.legacyFile("MonReminder.mdb"), [](QByteArray& b) {
             const qsizetype at = b.indexOf(QByteArray("\xff\xfe"
                                                       "12:20:00 PM",
                                                       13));
             ASSERT_GT(at, 0);
             b[at + 1] = 0;
         });
     },
     1,
     "MonReminder.mdb is damaged (table Reminder2, record 1, field Time1: a text has an odd number of bytes"},
    {"a table named twice",
     [](LegacyStation& s, const QString&) {
         ASSERT_EQ(renameInFile(s.legacyFile("MonReminder.mdb"), "Reminder2", "Reminder1"), 1);
     },
     1, "MonReminder.mdb is damaged (it holds the table Reminder1 twice)"},
    {"a field named twice",
     [](LegacyStation& s, const QString&) {
         ASSERT_EQ(renameInFile(s.legacyFile("Phone.mdb"), "Home", "Work"), 2);
     },
     1, "Phone.mdb is damaged (the definition of table List is damaged (the field Work appears twice))"},
    {"a memo whose pages run in a circle",
     [](LegacyStation& s, const QString&) {
         writeFile(s.legacyFile("Prep.mdb"),
                   fileBytes(QStringLiteral(CUEPILOT_DAMAGED_CORPUS "/Prep--memo-endless.mdb")));
     },
     1, "Prep.mdb is damaged (table Prep, record 2, memo field Text: a memo's pages run in a circle)"},
    {"a sparse file",
     [](LegacyStation& s, const QString&) {
         QFile f(s.legacyFile("Psa.mdb"));
         ASSERT_TRUE(f.open(QIODevice::ReadWrite) && f.resize(qint64(256) << 20));
     },
     1, "Psa.mdb cannot be read (most of it was never written: 256 MB long, only "},
    {"an encoded file is read as libmdb reads it",
     [](LegacyStation& s, const QString&) {
         patch(s.legacyFile("Slogan.mdb"), [](QByteArray& b) {
             constexpr quint32 key = 0x5eed1e55;
             b.replace(0, kPage, jet::withPageKey(b.left(kPage), key));
             for (qsizetype p = 1; p < b.size() / kPage; ++p)
                 jet::togglePageEncoding(key, p, b.data() + p * kPage);
         });
     },
     0, "37 of 37 files taken."},
    {"a target reached through a link to a folder inside the legacy folder",
     [](LegacyStation& s, const QString& target) {
         ASSERT_TRUE(QDir().mkpath(s.legacyData() + "/converted"));
         ASSERT_TRUE(QFile::link(s.legacyData() + "/converted", target));
     },
     2, "the target folder must lie outside the legacy folder"},
    {"file names that would play tricks on a terminal",
     [](LegacyStation& s, const QString&) {
         writeFile(s.legacyFile("\x1b[2J\x1b[HALL FILES TAKEN.mdb"), "x");
         writeFile(s.legacyFile("two\nlines.mdb"), "x");
     },
     0,
     R"(Left alone: \x1b[2J\x1b[HALL FILES TAKEN.mdb is not a file of the board, two\x0alines.mdb is not)"},
};

class CraftedFile : public ::testing::TestWithParam<Case> {};

TEST_P(CraftedFile, IsNamedInTheSummaryAndNothingDamagedIsTaken) {
    LegacyStation station;
    const QString target = station.root() + "/data";
    GetParam().arrange(station, target);
    const QMap<QString, QByteArray> legacyBefore = snapshot(station.legacyData());

    const ImportRun run = import({station.legacyData(), target});
    EXPECT_EQ(run.status, GetParam().status) << run.out.toStdString() << run.err.toStdString();
    EXPECT_TRUE((run.status == 2 ? run.err : run.out).contains(GetParam().said))
        << run.out.toStdString() << run.err.toStdString();
    for (const QChar c : run.out + run.err)
        EXPECT_TRUE(c == '\n' || c.unicode() >= 0x20) << "a control character reached the report";
    const QString damaged = QString(GetParam().said).section(QLatin1Char(' '), 0, 0);
    if (run.status == 1) {
        EXPECT_FALSE(QFile::exists(target + "/" + damaged)) << damaged.toStdString();
        EXPECT_EQ(QDir(target).entryList(QDir::Files | QDir::Hidden).size(), 36);
    }
    EXPECT_EQ(snapshot(station.legacyData()), legacyBefore);
    if (run.status == 0) {
        EXPECT_EQ(station.rows(target + "/Slogan.mdb", "Slogan").at(1, "Slogan10").toString(),
                  "Today's soft rock and yesterday's favorites.\r\nLite 98.1 KLGC.");
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, CraftedFile, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             return "case" + std::to_string(info.index);
                         });

} // namespace
