#include "tests/import/ImportRun.h"
#include "tests/import/LegacyStation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

// Odd folders around the import: what is in the target stays, what is in the legacy folder is read
// only when it is a plain file, and a folder that cannot be read or holds nothing of the station's
// stops the run before anything is made.
namespace {

struct Case {
    const char* name;
    std::function<void(LegacyStation&, const QString& target)> arrange;
    int status;
    const char* said; // in the summary, or in the error for status 2
};

const Case kCases[] = {
    {"a dangling link in the target stays",
     [](LegacyStation&, const QString& target) {
         QDir().mkpath(target);
         ASSERT_TRUE(QFile::link("/nonexistent/Phone.mdb", target + "/Phone.mdb"));
     },
     1, "Phone.mdb is already in the target folder"},
    {"a legacy name that is a link to a pipe is refused",
     [](LegacyStation& s, const QString&) {
         QFile::remove(s.legacyFile("Monday.mdb"));
         const QString fifo = s.root() + "/pipe";
         ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
         ASSERT_TRUE(QFile::link(fifo, s.legacyFile("Monday.mdb")));
     },
     1, "Monday.mdb cannot be read (not a regular file)"},
    {"two spellings of one name are both named",
     [](LegacyStation& s, const QString&) {
         ASSERT_TRUE(QFile::copy(s.legacyFile("Tag.mdb"), s.legacyFile("TAG.MDB")));
     },
     1, "Tag.mdb cannot be read (the legacy folder holds it under 2 names (TAG.MDB, Tag.mdb)"},
    {"a temporary file of an interrupted run is not taken for done",
     [](LegacyStation&, const QString& target) {
         QDir().mkpath(target);
         writeFile(target + "/.Notes.mdb.importing-1-0000abcd", "half a file");
     },
     0, "37 of 37 files taken."},
    {"a folder without the station's files is an error",
     [](LegacyStation& s, const QString&) {
         for (const QString& f : QDir(s.legacyData()).entryList({"*.mdb"}))
             QFile::remove(s.legacyFile(f));
         writeFile(s.legacyFile("readme.txt"), "nothing here");
     },
     2, "holds none of the station's content files"},
    {"a target reached through a link into the legacy folder is refused",
     [](LegacyStation& s, const QString& target) { ASSERT_TRUE(QFile::link(s.legacyData(), target)); }, 2,
     "the target folder must lie outside the legacy folder"},
};

class ImportSafety : public ::testing::TestWithParam<Case> {};

TEST_P(ImportSafety, TheTargetAndTheLegacyFolderAreLeftUnharmed) {
    LegacyStation station;
    const QString target = station.root() + "/data";
    GetParam().arrange(station, target);
    const QMap<QString, QByteArray> legacyBefore = snapshot(station.legacyData());
    QStringList targetBefore =
        QDir(target).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);

    const ImportRun run = import({station.legacyData(), target});
    EXPECT_EQ(run.status, GetParam().status) << run.out.toStdString() << run.err.toStdString();
    EXPECT_TRUE((run.status == 2 ? run.err : run.out).contains(GetParam().said))
        << run.out.toStdString() << run.err.toStdString();
    EXPECT_EQ(snapshot(station.legacyData()), legacyBefore);
    // Everything that was in the target is still there, as it was.
    const QStringList targetAfter =
        QDir(target).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& f : targetBefore)
        EXPECT_TRUE(targetAfter.contains(f)) << f.toStdString();
    EXPECT_EQ(targetAfter.size() - targetBefore.size(), run.status == 0   ? 37
                                                        : run.status == 2 ? 0
                                                                          : 36)
        << targetAfter.join(' ').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Folders, ImportSafety, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             return "case" + std::to_string(info.index);
                         });

// A station's shared data folder: its group, with the setgid bit, may write every file made in it.
TEST(ImportSafetyRights, FilesMadeInASharedFolderAreWritableByItsGroup) {
    LegacyStation station;
    const QString target = station.root() + "/data";
    QDir().mkpath(target);
    ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 02770), 0);
    ASSERT_EQ(import({"--setup", station.legacyProgram(), target}).status, 0);
    for (const char* f : {"Setup.mdb", "Location.mdb"}) {
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(target + "/" + f).constData(), &st), 0);
        EXPECT_TRUE(st.st_mode & S_IWGRP) << f;
    }
}

// Damage taken on purpose is named in the summary, and the exit status still says not everything
// arrived whole.
TEST(ImportSafetyRights, KeepDamagedTakesTheDamagedFileAndSaysSo) {
    LegacyStation station;
    writeFile(station.legacyFile("Prep.mdb"),
              fileBytes(QStringLiteral(CUEPILOT_DAMAGED_CORPUS "/Prep--memo-cut.mdb")));
    // One hour table whose definition cannot be read: the other 23 are still taken.
    writeFile(station.legacyFile("Monday.mdb"),
              fileBytes(QStringLiteral(CUEPILOT_DAMAGED_CORPUS "/Monday--field-count.mdb")));
    const ImportRun run = import({"--keep-damaged", station.legacyData(), station.root() + "/data"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(
        run.out.startsWith("37 of 37 files taken.\nTaken although damaged: Monday.mdb (table 1am claims "
                           "65535 fields), Prep.mdb (table Prep, record 2, memo field Text: a memo holds "
                           "8144 of its 80108 bytes).\n"))
        << run.out.toStdString();
    EXPECT_EQ(station.rows(station.root() + "/data/Prep.mdb", "Prep").records.size(), 4);
    const QString monday = station.root() + "/data/Monday.mdb";
    EXPECT_FALSE(station.rows(monday, "1am").at(1, "00am").isValid());
    EXPECT_TRUE(station.rows(monday, "2am").at(1, "00am").isValid());
}

// An unreadable legacy folder would list as empty; it must stop the run instead.
TEST(ImportSafetyRights, AnUnreadableLegacyFolderIsAnError) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every folder";
    LegacyStation station;
    ASSERT_EQ(::chmod(QFile::encodeName(station.legacyData()).constData(), 0300), 0);
    const ImportRun run = import({station.legacyData(), station.root() + "/data"});
    ::chmod(QFile::encodeName(station.legacyData()).constData(), 0755);
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.contains("cannot be read")) << run.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(station.root() + "/data"));
}

} // namespace
