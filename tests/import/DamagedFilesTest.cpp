#include "tests/import/LegacyStation.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

// Each damaged copy of the corpus (see make_damaged_corpus.py) stands in for its board file among
// the sample station's good files; the importer must skip it as damaged, in words saying why, and
// still take the 36 others.
namespace {

struct Damaged {
    const char* corpusFile;
    const char* why; // in the summary's parentheses
};

const Damaged kCorpus[] = {
    {"Monday--usage-map-row.mdb", "table 12am: row 127 is not on page 25"},
    {"Monday--catalogue-usage-map-row.mdb", "its list of tables is damaged: row 127 is not on page 6"},
    {"Monday--field-count.mdb", "table 1am claims 65535 fields"},
    {"Monday--hour-names.mdb",
     R"(its table(s) 3am, 4pm are missing while unknown "3xm", "4xm" are there, so 3am, 4pm would be taken blank)"},
    {"Prep--memo-cut.mdb", "table Prep, record 2, memo field Text: a memo holds 8144 of its 80108 bytes"},
    {"Prep--memo-loop.mdb", "table Prep, record 2, memo field Text: a memo's pages run in a circle"},
    {"Prep--memo-endless.mdb", "table Prep, record 2, memo field Text: a memo's pages run in a circle"},
    {"Prep--memo-page-replaced.mdb",
     "table Prep, record 2, memo field Text: a memo's text lies on a page of another kind"},
    {"Notes--property-blob-loop.mdb",
     "its list of tables is damaged: the properties of a table or field do not add up"},
    {"Notes--property-blob-crash.mdb",
     "its list of tables is damaged: the properties of a table or field do not add up"},
    {"Notes--definition-replaced.mdb", "the definition of table Main is that of one of Access's own tables"},
    {"Phone--data-page-zeroed.mdb", "table List: page 25 is not of the kind expected"},
    {"Tuesday--cut-in-page.mdb", "truncated: 506904 bytes is not a whole number of 4096-byte pages"},
};

void PrintTo(const Damaged& d, std::ostream* os) {
    *os << d.corpusFile;
}

class DamagedFile : public ::testing::TestWithParam<Damaged> {};

TEST_P(DamagedFile, IsSkippedInWordsAndTheOthersAreTaken) {
    const QString corpusFile = QString::fromLatin1(GetParam().corpusFile);
    const QString board = corpusFile.section(QStringLiteral("--"), 0, 0) + QStringLiteral(".mdb");
    LegacyStation station;
    const QByteArray damaged = fileBytes(QStringLiteral(CUEPILOT_DAMAGED_CORPUS "/") + corpusFile);
    ASSERT_FALSE(damaged.isEmpty());
    ASSERT_NE(damaged, fileBytes(station.legacyFile(board)));
    writeFile(station.legacyFile(board), damaged);
    const QMap<QString, QByteArray> legacyBefore = snapshot(station.legacyData());
    const QString target = station.root() + QStringLiteral("/data");

    QProcess p;
    p.start(QStringLiteral(CUEPILOT_IMPORT_PROGRAM), {"--time-limit", "3", station.legacyData(), target});
    ASSERT_TRUE(p.waitForFinished(120000));
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 1) << out.toStdString();
    EXPECT_EQ(out.section('\n', 0, 0), QStringLiteral("36 of 37 files taken; 1 skipped: %1 is damaged (%2).")
                                           .arg(board, QString::fromUtf8(GetParam().why)));
    EXPECT_TRUE(p.readAllStandardError().isEmpty());

    // The 36 good files and nothing else: no half-made file, no temporary name left behind.
    const QStringList made = QDir(target).entryList(QDir::Files | QDir::Hidden | QDir::System);
    EXPECT_EQ(made.size(), 36) << made.join(' ').toStdString();
    EXPECT_FALSE(made.contains(board));
    EXPECT_EQ(snapshot(station.legacyData()), legacyBefore);
}

INSTANTIATE_TEST_SUITE_P(Corpus, DamagedFile, ::testing::ValuesIn(kCorpus),
                         [](const ::testing::TestParamInfo<Damaged>& info) {
                             QString name = QString::fromLatin1(info.param.corpusFile).chopped(4);
                             return name.replace(QLatin1Char('-'), QLatin1Char('_')).toStdString();
                         });

TEST(DamagedCorpus, EveryFileOfTheCorpusIsInTheTable) {
    QStringList listed;
    for (const Damaged& d : kCorpus)
        listed << QString::fromLatin1(d.corpusFile);
    listed.sort();
    EXPECT_EQ(QDir(QStringLiteral(CUEPILOT_DAMAGED_CORPUS)).entryList({"*.mdb"}, QDir::Files, QDir::Name),
              listed);
}

} // namespace
