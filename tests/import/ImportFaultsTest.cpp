#include "tests/import/LegacyStation.h"

#include "import/JetHeader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

struct ImportRun {
    int status;
    QString out;
};

ImportRun runImport(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(CUEPILOT_IMPORT_PROGRAM), QStringList{"--verbose"} + args);
    EXPECT_TRUE(p.waitForFinished(300000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    const QString err = QString::fromUtf8(p.readAllStandardError());
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()) + err};
}

// The report's line for a file, with the notes under it.
QString reportOn(const QString& report, const QString& file) {
    QStringList lines;
    bool in = false;
    for (const QString& line : report.split('\n')) {
        if (!line.startsWith(' ')) in = line.startsWith(file + ":");
        if (in) lines << line;
    }
    return lines.join('\n');
}

void setPassword(const QString& path, const QString& password) {
    QByteArray bytes = fileBytes(path);
    bytes.replace(0, jet::kPageSize, jet::withPassword(bytes.left(jet::kPageSize), password));
    writeFile(path, bytes);
}

// A station's data folder with every kind of trouble at once, imported into a folder that already
// holds one of the board's files.
class ImportFaultsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const QByteArray monday = fileBytes(station.legacyFile("Monday.mdb"));
        writeFile(station.legacyFile("Monday.mdb"),
                  monday.left(monday.size() / jet::kPageSize / 2 * jet::kPageSize));
        const QByteArray tuesday = fileBytes(station.legacyFile("Tuesday.mdb"));
        writeFile(station.legacyFile("Tuesday.mdb"), tuesday.left(tuesday.size() - 1000));
        writeFile(station.legacyFile("Wednesday.mdb"), "Wednesday's hours, typed up in a text file\r\n");
        setPassword(station.legacyFile("Slogan.mdb"), "other1");
        setPassword(station.legacyFile("Notes.mdb"), ""); // no password at all: the board opened it too
        ASSERT_EQ(renameInFile(station.legacyFile("Phone.mdb"), "Pager", "Beepr"), 2);
        ASSERT_EQ(renameInFile(station.legacyFile("MonReminder.mdb"), "Reminder2", "Reminder7"), 1);
        ASSERT_TRUE(QFile::remove(station.legacyFile("Live.mdb")));
        ASSERT_TRUE(QFile::copy(station.legacyFile("Tag.mdb"), station.legacyFile("Archive.mdb")));
        ASSERT_TRUE(QFile::copy(station.legacyProgram() + "/Setup.mdb", station.legacyFile("Setup.mdb")));
        QDir().mkpath(target());
        writeFile(file("Psa.mdb"), "the station's PSA file, made by hand");
        legacyBefore = snapshot(station.legacyData());
    }
    QString target() const { return station.root() + "/data"; }
    QString file(const QString& name) const { return target() + "/" + name; }

    LegacyStation station;
    QMap<QString, QByteArray> legacyBefore;
};

TEST_F(ImportFaultsTest, UnreadableFilesAreSkippedWithTheirReasonAndTheRestIsTaken) {
    const ImportRun run = runImport({station.legacyData(), target()});
    EXPECT_EQ(run.status, 1) << run.out.toStdString();
    const QString& out = run.out;
    struct Skip {
        const char* file;
        const char* reason;
    };
    const Skip skips[] = {
        {"Monday.mdb", "truncated"},
        {"Tuesday.mdb", "truncated"},
        {"Wednesday.mdb", "not an Access 2000 (Jet 4.0) file"},
        {"Slogan.mdb", "password is not the station's"},
        {"Psa.mdb", "already in the target folder"},
        // A damaged name: the board's field or table would be made empty while the
        // content went to one the board never reads.
        {"Phone.mdb", R"(in its List table the field(s) "Ext", "Pager" are missing while )"
                      R"(unknown "Beepr" are there, so "Ext", "Pager" would be taken empty)"},
        {"MonReminder.mdb", R"(its table(s) Reminder2 are missing while unknown "Reminder7" )"
                            R"(are there, so Reminder2 would be taken blank)"}};
    for (const Skip& s : skips) {
        EXPECT_TRUE(reportOn(out, s.file).startsWith(QString(s.file) + ": SKIPPED")) << out.toStdString();
        EXPECT_TRUE(reportOn(out, s.file).contains(s.reason)) << reportOn(out, s.file).toStdString();
        if (QString(s.file) != "Psa.mdb") {
            EXPECT_FALSE(QFileInfo::exists(file(s.file))) << s.file;
        }
    }
    EXPECT_EQ(fileBytes(file("Psa.mdb")), "the station's PSA file, made by hand");
    EXPECT_TRUE(reportOn(out, "Live.mdb").contains("MISSING"));
    EXPECT_TRUE(reportOn(out, "Archive.mdb").contains("not a file of the board"));
    EXPECT_TRUE(reportOn(out, "Setup.mdb").contains("--setup"));
    EXPECT_TRUE(reportOn(out, "Notes.mdb").startsWith("Notes.mdb: copied"));
    EXPECT_TRUE(out.contains("29 file(s) copied")) << out.toStdString();
    EXPECT_EQ(station.rows(file("Live.mdb"), "Main").records.size(), 0);
    EXPECT_EQ(station.rows(file("Notes.mdb"), "Main").records.size(), 4);

    EXPECT_EQ(snapshot(station.legacyData()), legacyBefore);
}

TEST_F(ImportFaultsTest, ARerunOverwritesNothingAndAnyPasswordTakesTheForeignFile) {
    runImport({station.legacyData(), target()});
    const QMap<QString, QByteArray> first = snapshot(target());

    const ImportRun again = runImport({"--any-password", "--keep-damaged", station.legacyData(), target()});
    EXPECT_EQ(again.status, 1);
    EXPECT_TRUE(reportOn(again.out, "Slogan.mdb").startsWith("Slogan.mdb: copied"))
        << again.out.toStdString();
    EXPECT_TRUE(reportOn(again.out, "Notes.mdb").contains("already in the target folder"));
    EXPECT_TRUE(again.out.contains("3 file(s) copied")) << again.out.toStdString();
    QMap<QString, QByteArray> now = snapshot(target());
    for (const char* taken : {"Slogan.mdb", "Phone.mdb", "MonReminder.mdb"}) {
        EXPECT_TRUE(now.contains(taken)) << taken;
        now.remove(taken);
    }
    EXPECT_EQ(now, first);

    // Taken with their damage: the unknown field and table under their own names and listed; the
    // catalogue's made empty and listed.
    const QString phone = reportOn(again.out, "Phone.mdb");
    EXPECT_TRUE(phone.startsWith("Phone.mdb: copied DAMAGED")) << phone.toStdString();
    EXPECT_TRUE(phone.contains(R"(field(s) "Beepr" unknown to the board; copied as they are)"))
        << phone.toStdString();
    const LegacyStation::Rows list = station.rows(file("Phone.mdb"), "List");
    EXPECT_EQ(list.at(1, "Beepr").toString(), "555-0150");
    EXPECT_FALSE(list.at(3, "Beepr").isValid());
    EXPECT_FALSE(list.at(1, "Pager").isValid());
    EXPECT_EQ(station.rows(file("MonReminder.mdb"), "Reminder7").at(1, "Time2").toString(), "4:20:00 PM");
    const LegacyStation::Rows blank = station.rows(file("MonReminder.mdb"), "Reminder2");
    ASSERT_EQ(blank.records.size(), 1);
    for (const QVariant& v : blank.records[0])
        EXPECT_FALSE(v.isValid());
    EXPECT_EQ(station.rows(file("Slogan.mdb"), "Slogan").at(1, "Slogan1").isValid(), true);
    EXPECT_EQ(snapshot(station.legacyData()), legacyBefore);
}

TEST_F(ImportFaultsTest, NothingIsWrittenIntoTheLegacyFolderAndUsageErrorsSayTwo) {
    const QString inside = station.legacyData() + "/converted";
    const QStringList refused[] = {{station.legacyData(), station.legacyData()},
                                   {station.legacyData(), inside},
                                   {station.legacyData(), station.legacyData() + "/./"},
                                   {station.root() + "/no-such-folder", target() + "/x"},
                                   {station.legacyData()},
                                   {"--sideways", station.legacyData(), target()}};
    for (const QStringList& args : refused) {
        const ImportRun run = runImport(args);
        EXPECT_EQ(run.status, 2) << args.join(' ').toStdString() << "\n" << run.out.toStdString();
    }
    EXPECT_EQ(snapshot(station.legacyData()), legacyBefore);
    EXPECT_FALSE(QFileInfo::exists(target() + "/x"));
}

} // namespace
