#include "tools/Installation.h"
#include "data/catalogue/Catalogue.h"
#include "data/catalogue/Paths.h"
#include "data/storage/SqlCipherProvider.h"
#include "data/storage/StorageError.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

installation::Options optionsIn(const QTemporaryDir& dir, bool demo) {
    installation::Options o;
    o.programFolder = dir.path() + "/prog";
    o.dataFolder = dir.path() + "/prog/Data";
    o.demo = demo;
    o.setupPath = o.dataFolder;
    o.stationName = "KTST";
    return o;
}

QString folderOf(const installation::Options& o, const catalogue::FileSpec& f) {
    return f.folder == catalogue::Folder::Program ? o.programFolder : o.dataFolder;
}

TEST(Installation, CreatesEveryFileTableAndFieldWithOneRecordPerSingleRecordTable) {
    QTemporaryDir dir;
    const auto o = optionsIn(dir, false);
    const auto report = installation::create(o);
    EXPECT_EQ(report.created.size(), 40);
    SqlCipherProvider provider;
    for (const catalogue::FileSpec& f : catalogue::files() + QVector{catalogue::airedFile()}) {
        auto db = provider.open(folderOf(o, f) + f.constant, catalogue::connectString());
        for (const catalogue::TableSpec& t : f.tables) {
            auto rs = db->openTable(t.name);
            EXPECT_EQ(rs->fieldNames(), t.fields) << f.constant.toStdString() << " " << t.name.toStdString();
            const int expected =
                t.name == catalogue::kSetupTable || t.records == catalogue::Records::Single ? 1 : 0;
            EXPECT_EQ(rs->recordCount(), expected) << f.constant.toStdString() << " " << t.name.toStdString();
        }
    }
    EXPECT_EQ(provider.derivations(), 1); // one salt for the whole installation
}

TEST(Installation, NeverOverwritesAndSaysWhatItLeftAlone) {
    QTemporaryDir dir;
    const auto o = optionsIn(dir, true);
    installation::create(o);
    const QString monday = paths::fold(o.dataFolder + "\\Monday.mdb");
    const QString slogan = paths::fold(o.dataFolder + "\\Slogan.mdb");
    QFile::remove(slogan);
    {
        SqlCipherProvider p;
        p.open(monday, catalogue::connectString())->openTable("12am")->updateCurrent({{"00am", "kept"}}, {});
    }
    const auto again = installation::create(o);
    EXPECT_EQ(again.created, QStringList{slogan});
    EXPECT_EQ(again.skipped.size(), 39);
    SqlCipherProvider p;
    EXPECT_EQ(p.open(monday, catalogue::connectString())->openTable("12am")->value("00am").toString(),
              "kept");
}

TEST(Installation, DemoContentFillsTheBoard) {
    QTemporaryDir dir;
    const auto o = optionsIn(dir, true);
    installation::create(o);
    SqlCipherProvider p;
    auto open = [&](const QString& file, const QString& table) {
        return p.open(o.dataFolder + file, catalogue::connectString())->openTable(table);
    };
    for (const catalogue::Weekday& d : catalogue::weekdays()) {
        for (const QString& hour : catalogue::hourTables())
            for (const QString& slot : catalogue::slotFields())
                ASSERT_FALSE(open(d.dayFile, hour)->value(slot).toString().isEmpty());
        EXPECT_FALSE(open(d.eventsFile, "Events")->value("me7").toString().isEmpty());
        EXPECT_FALSE(open(d.weatherFile, "MonWx")->value("Show").toString().isEmpty());
    }
    for (const QString& s : catalogue::sloganFields())
        EXPECT_FALSE(open("\\Slogan.mdb", "Slogan")->value(s).toString().isEmpty());
    for (const QString& lib : catalogue::libraryFiles())
        EXPECT_GE(open(lib, "Main")->recordCount(), 2);
    EXPECT_GE(open("\\Prep.mdb", "Prep")->recordCount(), 2);
    EXPECT_GE(open("/Phone.mdb", "List")->recordCount(), 2);
    auto setup = p.open(o.programFolder + "\\Setup.mdb", catalogue::connectString())->openTable("Setup");
    EXPECT_EQ(setup->value("Setup").toString(), o.dataFolder);
    EXPECT_EQ(p.open(o.programFolder + "\\Location.mdb", catalogue::connectString())
                  ->openTable("Location")
                  ->recordCount(),
              2);
}

TEST(Installation, AnUnwritableFolderFailsClearly) {
    installation::Options o;
    o.programFolder = "/proc/cuepilot-cannot-be-here";
    o.dataFolder = o.programFolder;
    EXPECT_THROW(installation::create(o), StorageError);
}

// The tool makes every file it can and names each one it could not, with the folder and why.
TEST(Installation, TheToolGoesOnPastAFolderItCannotMakeAndSaysWhatFailed) {
    QTemporaryDir dir;
    installation::Options o;
    o.programFolder = "/proc/cuepilot-cannot-be-here";
    o.dataFolder = dir.path() + "/Data";
    o.goOnPastFailures = true;
    const installation::Report report = installation::create(o);
    int dataFiles = 1; // Aired.mdb
    for (const catalogue::FileSpec& f : catalogue::files())
        dataFiles += f.folder == catalogue::Folder::Data;
    EXPECT_EQ(report.created.size(), dataFiles);
    EXPECT_TRUE(report.created.contains(o.dataFolder + "/Aired.mdb"))
        << report.created.join(' ').toStdString();
    ASSERT_EQ(report.failed.size(), 2);
    EXPECT_TRUE(report.failed[0].startsWith("Setup.mdb in /proc/cuepilot-cannot-be-here: "))
        << report.failed[0].toStdString();
    EXPECT_TRUE(report.failed[1].startsWith("Location.mdb in /proc/cuepilot-cannot-be-here: "));
}

} // namespace
