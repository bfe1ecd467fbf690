#include "tests/app/BoardHarness.h"

#include "data/catalogue/Catalogue.h"
#include "data/catalogue/Paths.h"
#include "data/controls/DataControl.h"
#include "widgets/Colors.h"
#include "widgets/Lbl3D.h"
#include "widgets/TextBox.h"
#include "widgets/Timer.h"
#include "widgets/XButton.h"

#include "base/GroupFolder.h"
#include "tests/support/RawConnection.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <functional>
#include <unistd.h>

namespace {

struct Shown {
    QString box;
    QString file; // data folder constant, or a program folder one for the setup files
    bool programFolder;
    QString table;
    QString field;
};

QVector<Shown> contentBoxes() {
    QVector<Shown> out;
    for (int k = 1; k <= 12; ++k)
        out.push_back({nth("Text", k), "\\Monday.mdb", false, "12am", catalogue::slotFields()[k - 1]});
    for (int n = 1; n <= 7; ++n)
        out.push_back({nth("Text", 12 + n), "\\MonEvents.mdb", false, "Events", nth("me", n)});
    out.push_back({"Text20", "\\MonWx.mdb", false, "MonWx", "Wx"});
    for (int n = 1; n <= 3; ++n)
        out.push_back({nth("Text", 20 + n), "\\Slogan.mdb", false, "Slogan", nth("Slogan", n)});
    for (int n = 1; n <= 16; ++n) {
        out.push_back({nth("Combo", n), "\\MonReminder.mdb", false, "Reminder1", nth("Time", n)});
        out.push_back({nth("Combo", 16 + n), "\\MonReminder.mdb", false, "Reminder2", nth("Time", n)});
    }
    out.push_back({"Text24", "\\MonReminder.mdb", false, "Reminder1", "Text"});
    out.push_back({"Text25", "\\MonReminder.mdb", false, "Reminder2", "Text"});
    out.push_back({"Text29", "\\Setup.mdb", true, "Setup", "SetupName"});
    out.push_back({"Text27", "\\Location.mdb", true, "Location", "Location"});
    out.push_back({"Text28", "\\Location.mdb", true, "Location", "LocationName"});
    return out;
}

QString fileOf(const Fixture& fx, const Shown& s) {
    return s.programFolder ? fx.programFile(s.file) : fx.dataFile(s.file);
}

// A value of its own in every field the board shows, so each box can only show its own field.
void markEveryField(const Fixture& fx) {
    for (const Shown& s : contentBoxes()) {
        const QString mark = s.field == "SetupName" ? QStringLiteral("KMRK") : s.table + "." + s.field;
        fx.write(fileOf(fx, s), s.table, s.field, mark);
    }
}

// Copies Monday's files and the slogans into the program folder, with a mark of their own.
void copyDayFilesToProgramFolder(const Fixture& fx) {
    const catalogue::Weekday& monday = catalogue::weekdays().front();
    for (const QString& constant :
         {monday.dayFile, monday.eventsFile, monday.weatherFile, monday.reminderFile, catalogue::kSloganFile})
        ASSERT_TRUE(QFile::copy(fx.dataFile(constant), fx.programFile(constant))) << constant.toStdString();
    fx.write(fx.programFile("\\Monday.mdb"), "12am", "00am", "from the program folder");
}

class BoardLoadOn : public ::testing::TestWithParam<Engine> {};

INSTANTIATE_TEST_SUITE_P(BothEngines, BoardLoadOn, ::testing::Values(Engine::Files, Engine::Server),
                         EngineName());

// The same board whether the setup record names a folder of files or a database server.
TEST_P(BoardLoadOn, EveryBoxShowsItsFieldOfTheFirstRecord) {
    BoardHarness h(QStringLiteral("<data>"), GetParam());
    markEveryField(h.fx);
    h.board.Form_Load();
    for (const Shown& s : contentBoxes()) {
        const QString stored = h.fx.read(fileOf(h.fx, s), s.table, s.field);
        EXPECT_FALSE(stored.isEmpty()) << s.box.toStdString();
        EXPECT_EQ(shownText(h.find(s.box)), stored) << s.box.toStdString();
    }
    EXPECT_EQ(h.c().Text26->text(), h.fx.dataFolder());
    EXPECT_EQ(h.c().Lbl3D2->caption(), "KMRK");
    EXPECT_EQ(h.statusMessage(), "");
}

TEST(BoardLoad, OpensMondaysFilesWithTheConnectStringWhateverTheDayAndTime) {
    BoardHarness h; // a Wednesday, 3:20 PM
    h.board.Form_Load();
    BoardControls& c = h.c();
    const QString data = h.fx.dataFolder();
    const QString program = h.fx.programFolder();
    const std::pair<QString, QString> expected[] = {
        {data + "\\Monday.mdb", "12am"},           {data + "\\MonEvents.mdb", "Events"},
        {data + "\\MonWx.mdb", "MonWx"},           {data + "\\Slogan.mdb", "Slogan"},
        {data + "\\MonReminder.mdb", "Reminder2"}, {data + "\\MonReminder.mdb", "Reminder1"},
        {program + "\\Setup.mdb", "Setup"},        {program + "\\Location.mdb", "Location"},
    };
    for (int n = 1; n <= 8; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(c.data[n]->databaseName(), expected[n - 1].first);
        EXPECT_EQ(c.data[n]->recordSource(), expected[n - 1].second);
        EXPECT_EQ(c.data[n]->connect(), ";Pwd=4821kq");
        EXPECT_TRUE(c.data[n]->isOpen());
    }
    EXPECT_EQ(c.Label31->text(), "Monday");
    EXPECT_EQ(h.board.dayLabel(), "Monday");
    EXPECT_EQ(c.Label32->text(), "12:00 - 1:00 AM");
    EXPECT_EQ(c.slotLabel[1]->text(), "12:00 AM");
    EXPECT_EQ(c.slotLabel[12]->text(), "12:55 AM");
    const QStringList keys = {"12:00:00 AM", "12:05:00 AM", "12:10:00 AM", "12:15:00 AM",
                              "12:20:00 AM", "12:25:00 AM", "12:30:00 AM", "12:35:00 AM",
                              "12:40:00 AM", "12:45:00 AM", "12:50:00 AM", "12:55:00 AM"};
    for (int k = 1; k <= 12; ++k)
        EXPECT_EQ(c.slotKey[k]->text(), keys[k - 1]) << k;
    EXPECT_EQ(h.board.dataFolderText(), data);
}

TEST(BoardLoad, PaintsBoxesAndButtonsAndStartsTheTimers) {
    BoardHarness h;
    h.board.Form_Load();
    BoardControls& c = h.c();
    for (int k = 1; k <= 12; ++k)
        EXPECT_EQ(c.slotBox[k]->backColor(), colors::kYellow) << k;
    for (int n = 1; n <= 7; ++n)
        EXPECT_EQ(c.eventBox[n]->backColor(), colors::kYellow) << n;
    struct Colours {
        int k;
        quint32 back, fore;
    };
    const Colours buttons[] = {
        {1, 0xFF0000, 0xFFFFFF},  {2, 0x0000FF, 0xFFFFFF},  {3, 0x0000FF, 0xFFFFFF},
        {4, 0x0000FF, 0xFFFFFF},  {10, 0x00FF00, 0x000000}, {11, 0x00FFFF, 0x000000},
        {12, 0x00FFFF, 0x000000}, {13, 0x00FFFF, 0x000000}, {5, 0xFF8080, 0xFFFFFF},
        {6, 0xFF8080, 0xFFFFFF},  {7, 0xFF8080, 0xFFFFFF},  {8, 0xFF8080, 0xFFFFFF},
        {9, 0xFF8080, 0xFFFFFF},  {14, 0xFF8080, 0xFFFFFF},
    };
    for (const Colours& b : buttons) {
        EXPECT_EQ(c.xbutton[b.k]->backColor(), b.back) << b.k;
        EXPECT_EQ(c.xbutton[b.k]->foreColor(), b.fore) << b.k;
    }
    const std::pair<int, int> running[] = {{1, 90}, {3, 90}, {4, 501}};
    for (const auto& [n, ms] : running) {
        EXPECT_TRUE(c.timer[n]->isEnabled()) << n;
        EXPECT_EQ(c.timer[n]->interval(), ms) << n;
        EXPECT_TRUE(c.timer[n]->isTicking()) << n;
    }
    EXPECT_FALSE(c.timer[2]->isEnabled());
    EXPECT_EQ(c.timer[2]->interval(), 0);
    EXPECT_FALSE(c.timer[2]->isTicking());
}

TEST(BoardLoad, DateLineAndClockShowTodaysDate) {
    BoardHarness h;
    h.board.Form_Load();
    EXPECT_EQ(h.c().lblDate->caption(), "Wednesday, Dec 9 2026");
    EXPECT_EQ(h.c().lblDate->caption(), dateText(h.clock.now().date()));
    EXPECT_EQ(h.c().Lbl3D1->caption(), "Wednesday, Dec 9 2026");
}

TEST(BoardLoad, WithoutTheEventsFileThePlaceholderWordsStayAndTheRestLoadsSilently) {
    BoardHarness h;
    h.fx.remove(h.fx.dataFile("\\MonEvents.mdb"));
    h.board.Form_Load();
    const QStringList words = {
        "NO", "Network", "Data", "To", "Load", "Please Check The Path", "Click Edit then Network Setup"};
    for (int n = 1; n <= 7; ++n) {
        EXPECT_EQ(h.c().eventBox[n]->text(), words[n - 1]) << n;
        EXPECT_EQ(h.c().eventBox[n]->backColor(), colors::kYellow) << n;
    }
    EXPECT_FALSE(h.c().data[2]->isOpen());
    const QString firstSlot = h.fx.read(h.fx.dataFile("\\Monday.mdb"), "12am", "00am");
    ASSERT_FALSE(firstSlot.isEmpty());
    EXPECT_EQ(h.c().slotBox[1]->text(), firstSlot);
    EXPECT_EQ(h.c().Text20->text(), h.fx.read(h.fx.dataFile("\\MonWx.mdb"), "MonWx", "Wx"));
    EXPECT_EQ(h.c().sloganBox[1]->text(), h.fx.read(h.fx.dataFile("\\Slogan.mdb"), "Slogan", "Slogan1"));
    EXPECT_EQ(h.c().Label32->text(), "12:00 - 1:00 AM");
    EXPECT_TRUE(h.c().timer[1]->isEnabled());
    // The captions stay; the board says why, naming the file and the folder.
    const QString why = "There is no MonEvents.mdb in " + h.fx.dataFolder() + ".";
    EXPECT_EQ(h.c().statusBar->toolTip(), why);
    EXPECT_EQ(h.c().lblNoData->text(), why);
}

TEST(BoardLoad, AnEmptySetupFolderOpensTheDayFilesFromTheProgramFolder) {
    BoardHarness h(QString{});
    copyDayFilesToProgramFolder(h.fx);
    h.board.Form_Load();
    EXPECT_EQ(h.c().Text26->text(), "");
    EXPECT_EQ(h.c().data[1]->databaseName(), h.fx.programFolder() + "\\Monday.mdb");
    EXPECT_EQ(h.c().data[5]->databaseName(), h.fx.programFolder() + "\\MonReminder.mdb");
    EXPECT_EQ(h.c().slotBox[1]->text(), "from the program folder");
    EXPECT_EQ(h.c().eventBox[1]->text(), h.fx.read(h.fx.programFile("\\MonEvents.mdb"), "Events", "me1"));
    EXPECT_EQ(h.statusMessage(), "");
}

TEST(BoardLoad, AnUnreadableSetupFileLeavesTheFolderEmptySoTheProgramFolderServes) {
    BoardHarness h;
    copyDayFilesToProgramFolder(h.fx);
    h.fx.remove(h.fx.programFile("\\Setup.mdb"));
    h.board.Form_Load();
    EXPECT_EQ(h.c().Text26->text(), "");
    EXPECT_EQ(h.c().Text29->text(), "");
    EXPECT_EQ(h.c().Lbl3D2->caption(), "");
    EXPECT_EQ(h.c().slotBox[1]->text(), "from the program folder");
    // Everything after the failed opening still ran.
    EXPECT_EQ(h.c().Text27->text(), "Z:/studio-a/Cuepilot/Data/");
    EXPECT_EQ(h.c().Label31->text(), "Monday");
    // Said, though the program folder's files show: they are not the station's data folder's.
    EXPECT_EQ(h.c().statusBar->toolTip(), "There is no Setup.mdb in " + h.fx.programFolder() + ".");
}

// Damages the file's first page where its header and first table lie, past the key's salt.
void damage(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.seek(200);
    file.write(QByteArray(300, '\x5a'));
}

// Every file of the folder keyed with a password that is not the station's.
void keyWithAnotherPassword(const QString& folder) {
    for (const QString& name : QDir(folder).entryList({QStringLiteral("*.mdb")}, QDir::Files))
        RawConnection(folder + "/" + name).exec("PRAGMA rekey = 'not-the-station-password'");
}

TEST(BoardLoad, WhenTheDataCannotBeLoadedTheBoardSaysWhyNamingThePlace) {
    const QString notADatabase = QStringLiteral("file is encrypted or is not a database");
    const struct {
        const char* name;
        QString setupPath;
        std::function<void(const Fixture&)> harm;
        std::function<QString(const Fixture&)> firstSaid;
        bool rootReadsIt; // root reads any file: the case cannot fail for it
    } cases[] = {
        {"folder missing", "<data>/gone", [](const Fixture&) {},
         [](const Fixture& fx) { return "The folder " + fx.dataFolder() + "/gone does not exist."; }, false},
        {"folder is a file", "<data>/Slogan.mdb", [](const Fixture&) {},
         [](const Fixture& fx) { return fx.dataFolder() + "/Slogan.mdb is a file, not a folder."; }, false},
        {"Setup.mdb damaged", "<data>", [](const Fixture& fx) { damage(fx.programFile("\\Setup.mdb")); },
         [&](const Fixture& fx) {
             return "Setup.mdb in " + fx.programFolder() + " cannot be read: " + notADatabase + ".";
         },
         false},
        {"a day file missing", "<data>", [](const Fixture& fx) { fx.remove(fx.dataFile("\\MonEvents.mdb")); },
         [](const Fixture& fx) { return "There is no MonEvents.mdb in " + fx.dataFolder() + "."; }, false},
        {"password wrong", "<data>", [](const Fixture& fx) { keyWithAnotherPassword(fx.dataFolder()); },
         [&](const Fixture& fx) {
             return "The password for the files in " + fx.dataFolder() + " is wrong: " + notADatabase + ".";
         },
         false},
        {"Setup.mdb unreadable", "<data>",
         [](const Fixture& fx) {
             QFile::setPermissions(fx.programFile("\\Setup.mdb"), QFileDevice::Permissions());
         },
         [](const Fixture& fx) {
             return "Setup.mdb in " + fx.programFolder() + " cannot be read by " + groupfolder::userName() +
                    ": ask the station's engineer to let the station's group read it.";
         },
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.rootReadsIt && ::geteuid() == 0) continue;
        BoardHarness h(c.setupPath);
        c.harm(h.fx);
        h.board.resize(1366, 740);
        h.board.show();
        h.board.Form_Load();
        // The documented captions stay where the events could not be read ...
        const QStringList words = {
            "NO", "Network", "Data", "To", "Load", "Please Check The Path", "Click Edit then Network Setup"};
        for (int n = 1; n <= 7; ++n)
            EXPECT_EQ(h.c().eventBox[n]->text(), words[n - 1]) << n;
        // ... and the reason comes first in the status bar and beneath them, one sentence on the place.
        const QString first = c.firstSaid(h.fx);
        QStatusBar* bar = h.c().statusBar;
        EXPECT_TRUE(bar->toolTip().startsWith(first)) << bar->toolTip().toStdString();
        // Whole in the bar of a 1366-wide screen.
        EXPECT_TRUE(bar->currentMessage().startsWith(first)) << bar->currentMessage().toStdString();
        EXPECT_TRUE(h.c().lblNoData->isVisible());
        EXPECT_TRUE(h.c().lblNoData->text().startsWith(first)) << h.c().lblNoData->text().toStdString();
        EXPECT_FALSE(bar->toolTip().contains(catalogue::kPassword));
    }
}

TEST(BoardLoad, TheReasonGoesOnceTheFilesReadAgain) {
    BoardHarness h;
    const QString events = h.fx.dataFile("\\MonEvents.mdb");
    const QString aside = h.fx.root() + "/MonEvents.mdb";
    ASSERT_TRUE(QFile::rename(events, aside));
    h.board.show();
    h.board.Form_Load();
    ASSERT_TRUE(h.c().lblNoData->isVisible());
    ASSERT_FALSE(h.c().statusBar->toolTip().isEmpty());
    ASSERT_TRUE(QFile::rename(aside, events));
    h.board.pollForChanges();
    EXPECT_TRUE(h.c().data[2]->isOpen());
    EXPECT_FALSE(h.c().lblNoData->isVisible());
    EXPECT_EQ(h.statusMessage(), "");
}

TEST(BoardLoad, AFolderTypedWithATrailingSlashStillOpensTheFiles) {
    BoardHarness h(QStringLiteral("<data>/"));
    h.board.Form_Load();
    EXPECT_EQ(h.c().Text26->text(), h.fx.dataFolder() + "/");
    EXPECT_EQ(h.c().data[1]->databaseName(), h.fx.dataFolder() + "/\\Monday.mdb");
    const QString firstSlot = h.fx.read(h.fx.dataFile("\\Monday.mdb"), "12am", "00am");
    ASSERT_FALSE(firstSlot.isEmpty());
    EXPECT_EQ(h.c().slotBox[1]->text(), firstSlot);
    EXPECT_EQ(h.c().eventBox[1]->text(), h.fx.read(h.fx.dataFile("\\MonEvents.mdb"), "Events", "me1"));
}

TEST(BoardLoad, BothReminderSourcesShareOneFileOnDifferentTables) {
    BoardHarness h;
    const QString file = h.fx.dataFile("\\MonReminder.mdb");
    h.fx.write(file, "Reminder1", "Time3", "5:10:00 AM");
    h.fx.write(file, "Reminder2", "Time3", "6:40:00 PM");
    h.board.Form_Load();
    EXPECT_EQ(h.c().data[5]->databaseName(), h.c().data[6]->databaseName());
    EXPECT_EQ(h.c().combo[3]->currentText(), "5:10:00 AM");
    EXPECT_EQ(h.c().combo[19]->currentText(), "6:40:00 PM");
}

} // namespace
