#include "tests/board/Board.h"
#include "tests/board/HourRows.h"

#include "board/frmStop.h"
#include "data/catalogue/Catalogue.h"
#include "data/catalogue/Paths.h"
#include "data/controls/DataControl.h"
#include "widgets/Colors.h"
#include "widgets/Lbl3D.h"
#include "widgets/TextBox.h"
#include "widgets/Timer.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QRegularExpression>
#include <QTimeZone>
#include <gtest/gtest.h>
#include <vector>

namespace {

QStringList captions(const std::array<QLabel*, 13>& labels) {
    QStringList out;
    for (int k = 1; k <= 12; ++k)
        out << labels[k]->text();
    return out;
}

void paintSomeGreen(Board& b) {
    for (int k : {2, 7, 12})
        b.c.slotBox[k]->setBackColor(colors::kGreen);
}

void expectAllYellow(const Board& b) {
    for (int k = 1; k <= 12; ++k)
        EXPECT_EQ(b.c.slotBox[k]->backColor(), colors::kYellow) << k;
}

// Each hour roll, one second before the full hour: the next table, its captions, the long header.
TEST(HourRoll, EveryHourRollsAtItsLastSecond) {
    Board b;
    for (int h = 1; h < 24; ++h) {
        SCOPED_TRACE(kHourRows[h].table);
        paintSomeGreen(b);
        b.at(QTime(h - 1, 59, 58));
        b.takeOpens();
        b.second();
        EXPECT_TRUE(b.takeOpens().isEmpty());
        b.at(QTime(h - 1, 59, 59));
        b.second();
        EXPECT_EQ(b.takeOpens(),
                  QStringList{QStringLiteral("Monday.mdb ") + QLatin1String(kHourRows[h].table)});
        EXPECT_EQ(b.c.data[1]->recordSource(), QLatin1String(kHourRows[h].table));
        EXPECT_EQ(captions(b.c.slotLabel), slotTimes(h, false));
        EXPECT_EQ(captions(b.c.slotKey), slotTimes(h, true));
        EXPECT_EQ(b.c.Label32->text(), QLatin1String(kHourRows[h].clockHeader));
        EXPECT_EQ(b.c.slotBox[1]->text(),
                  b.fx.read(b.file(QStringLiteral("\\Monday.mdb")), QLatin1String(kHourRows[h].table),
                            QStringLiteral("00am")));
        expectAllYellow(b);
    }
}

TEST(HourRoll, AtElevenAmTheFirstSlotIsMarkedASecondLater) {
    Board b;
    b.at(QTime(10, 59, 59));
    b.second();
    b.at(QTime(11, 0, 0));
    b.second();
    EXPECT_EQ(b.c.Label32->text(), QStringLiteral("11:00 AM - 12:00 PM"));
    EXPECT_EQ(b.c.slotBox[1]->backColor(), colors::kGreen);
}

TEST(HourRoll, NoHourCheckAtTheLastSecondOfTheDay) {
    Board b;
    b.chooseDay(1); // Tuesday's roll second is 11:59:58 PM
    b.chooseHour(23);
    b.at(QTime(23, 59, 59));
    b.takeOpens();
    b.second();
    EXPECT_TRUE(b.takeOpens().isEmpty());
    EXPECT_EQ(b.c.Label32->text(), QStringLiteral("11:00 PM - 12:00 AM"));
}

TEST(HourRoll, AnHourChosenByHandReturnsToTheClockHour) {
    Board b;
    b.at(QTime(10, 30, 0));
    b.second();
    b.chooseHour(15);
    b.at(QTime(10, 59, 59));
    b.second();
    EXPECT_EQ(b.c.data[1]->recordSource(), QStringLiteral("11am"));
    EXPECT_EQ(b.c.Label32->text(), QStringLiteral("11:00 AM - 12:00 PM"));
}

TEST(HourRoll, RepeatTicksOfTheSecondReadTheTableOnce) {
    Board b;
    b.at(QTime(13, 59, 59));
    b.takeOpens();
    b.tick3(); // the clock label still shows the date: nothing to compare yet
    b.second();
    b.tick3();
    b.second();
    EXPECT_EQ(b.takeOpens(), QStringList{QStringLiteral("Monday.mdb 2pm")});
    // Something changed the grid within the same second: the roll is done again, as it would be
    // on every tick of its second.
    b.chooseHour(4);
    b.takeOpens();
    b.tick3();
    EXPECT_EQ(b.takeOpens(), QStringList{QStringLiteral("Monday.mdb 2pm")});
    EXPECT_EQ(b.c.Label32->text(), QStringLiteral("2:00 PM - 3:00 PM"));
}

// Mended: a roll second the clock did not show is caught up at the next tick, and the roll after
// it comes at its own second.
TEST(HourRoll, AMissedSecondIsCaughtUpAndTheNextRollStillComes) {
    Board b;
    b.at(QTime(10, 59, 58));
    b.second();
    b.at(QTime(11, 0, 0));
    b.second();
    EXPECT_EQ(b.c.data[1]->recordSource(), QStringLiteral("11am"));
    b.at(QTime(11, 59, 59));
    b.second();
    EXPECT_EQ(b.c.data[1]->recordSource(), QStringLiteral("12pm"));
}

TEST(HourRoll, AFailingRefreshIsReportedAndTheCaptionsStay) {
    Board b;
    b.fx.remove(b.file(QStringLiteral("\\Thursday.mdb")));
    b.chooseDay(3);
    b.at(QTime(7, 59, 59));
    b.second();
    EXPECT_FALSE(b.statusText().isEmpty());
    EXPECT_EQ(b.c.data[1]->recordSource(), QStringLiteral("8am"));
    EXPECT_EQ(b.c.Label32->text(), QStringLiteral("12:00 - 1:00 AM"));
    EXPECT_EQ(captions(b.c.slotKey), slotTimes(0, true));
}

struct DayRollRow {
    const char* from;
    int second; // of 11:59 PM
    const char* to;
    const char* prefix;
};
const DayRollRow kDayRolls[7] = {
    {"Monday", 59, "Tuesday", "Tue"},     {"Tuesday", 58, "Wednesday", "Wed"},
    {"Wednesday", 57, "Thursday", "Thu"}, {"Thursday", 56, "Friday", "Fri"},
    {"Friday", 55, "Saturday", "Sat"},    {"Saturday", 54, "Sunday", "Sun"},
    {"Sunday", 53, "Monday", "Mon"},
};

TEST(DayRoll, EveryDayRollsAtItsSecond) {
    for (int d = 0; d < 7; ++d) {
        const DayRollRow& row = kDayRolls[d];
        SCOPED_TRACE(row.from);
        Board b;
        b.chooseDay(d);
        b.chooseHour(23);
        paintSomeGreen(b);
        b.at(d, QTime(23, 59, row.second - 1));
        b.takeOpens();
        b.second();
        EXPECT_TRUE(b.takeOpens().isEmpty());
        EXPECT_EQ(b.c.Label31->text(), QLatin1String(row.from));

        b.at(d, QTime(23, 59, row.second));
        b.second();
        const QString to = QLatin1String(row.to), pre = QLatin1String(row.prefix);
        EXPECT_EQ(
            b.takeOpens(),
            (QStringList{to + QStringLiteral(".mdb 11pm"), to + QStringLiteral(".mdb 12am"),
                         pre + QStringLiteral("Events.mdb Events"), pre + QStringLiteral("Wx.mdb MonWx"),
                         QStringLiteral("Slogan.mdb Slogan"), QStringLiteral("Reminder1.mdb Reminder2"),
                         QStringLiteral("Reminder1.mdb Reminder1")}));
        EXPECT_EQ(b.c.Label31->text(), to);
        EXPECT_EQ(b.c.data[1]->recordSource(), QStringLiteral("12am"));
        EXPECT_EQ(paths::fold(b.c.data[1]->databaseName()),
                  b.file(QStringLiteral("\\") + to + QStringLiteral(".mdb")));
        EXPECT_EQ(b.c.data[3]->recordSource(), QStringLiteral("MonWx"));
        EXPECT_EQ(captions(b.c.slotLabel), slotTimes(0, false));
        EXPECT_EQ(captions(b.c.slotKey), slotTimes(0, true));
        EXPECT_EQ(b.c.Label32->text(), QStringLiteral("12:00 AM - 1:00 AM"));
        EXPECT_EQ(b.c.slotBox[1]->text(),
                  b.fx.read(b.file(QStringLiteral("\\") + to + QStringLiteral(".mdb")),
                            QStringLiteral("12am"), QStringLiteral("00am")));
        EXPECT_EQ(b.c.eventBox[1]->text(),
                  b.fx.read(b.file(QStringLiteral("\\") + pre + QStringLiteral("Events.mdb")),
                            QStringLiteral("Events"), QStringLiteral("me1")));
        expectAllYellow(b);
        EXPECT_EQ(b.pauseWindow() != nullptr, d == 6);
        EXPECT_TRUE(b.statusText().isEmpty());

        // The new day's second has passed already that night.
        for (int s = row.second + 1; s <= 59 && d < 6; ++s) {
            b.at(d, QTime(23, 59, s));
            b.second();
        }
        EXPECT_TRUE(b.takeOpens().isEmpty());
        EXPECT_EQ(b.c.Label31->text(), to);
    }
}

TEST(DayRoll, MondayDoesNotRollOneSecondEarly) {
    Board b;
    b.at(QTime(23, 59, 58));
    b.second();
    EXPECT_EQ(b.c.Label31->text(), QStringLiteral("Monday"));
    b.at(QTime(23, 59, 59));
    b.second();
    EXPECT_EQ(b.c.Label31->text(), QStringLiteral("Tuesday"));
}

// Mended: a file that cannot be opened is reported and no longer keeps the other sources, the
// grid or the day label on the old day, which left the board behind its sources for good.
TEST(DayRoll, AFileThatCannotBeOpenedIsReportedAndTheRestOfTheRollIsDone) {
    Board b;
    b.fx.remove(b.file(QStringLiteral("\\TueEvents.mdb")));
    b.chooseHour(23);
    b.at(QTime(23, 59, 59));
    b.takeOpens();
    b.second();
    EXPECT_FALSE(b.statusText().isEmpty());
    EXPECT_EQ(
        b.takeOpens(),
        (QStringList{QStringLiteral("Tuesday.mdb 11pm"), QStringLiteral("Tuesday.mdb 12am"),
                     QStringLiteral("TueWx.mdb MonWx"), QStringLiteral("Slogan.mdb Slogan"),
                     QStringLiteral("Reminder1.mdb Reminder2"), QStringLiteral("Reminder1.mdb Reminder1")}));
    EXPECT_EQ(b.c.Label31->text(), QStringLiteral("Tuesday"));
    EXPECT_EQ(b.c.Label32->text(), QStringLiteral("12:00 AM - 1:00 AM"));
    EXPECT_EQ(b.c.slotBox[1]->text(), b.fx.read(b.file(QStringLiteral("\\Tuesday.mdb")),
                                                QStringLiteral("12am"), QStringLiteral("00am")));
    // Done once: the next ticks of the second do not try the roll again.
    b.second();
    EXPECT_TRUE(b.takeOpens().isEmpty());
}

// After the clock went back over a day roll, a day chosen from the Days menu rolls at its own
// second that night instead of the roll the clock went back over.
TEST(DayRoll, ADayChosenAfterTheClockWentBackRollsAtItsOwnSecond) {
    Board b;
    for (int s : {58, 59, 50}) {
        b.at(QTime(23, 59, s));
        b.second();
    }
    ASSERT_EQ(b.c.Label31->text(), QStringLiteral("Tuesday"));
    b.chooseDay(2);
    for (int s = 51; s <= 59; ++s) {
        b.at(QTime(23, 59, s));
        b.second();
    }
    EXPECT_EQ(b.c.Label31->text(), QStringLiteral("Thursday"));
    EXPECT_EQ(b.c.data[1]->recordSource(), QStringLiteral("12am"));
}

// Mended: with an empty data folder text the day roll reads from the program folder, as start-up
// and the Days menu do, instead of from the root of the file system.
TEST(DayRoll, EmptyDataFolderMeansTheProgramFolder) {
    Board b(true, QString());
    ASSERT_TRUE(b.c.Text26->text().isEmpty());
    for (const char* f :
         {"\\Tuesday.mdb", "\\TueEvents.mdb", "\\TueWx.mdb", "\\Slogan.mdb", "\\Reminder1.mdb"})
        ASSERT_TRUE(
            QFile::copy(b.file(QLatin1String(f)), paths::fold(b.fx.programFolder() + QLatin1String(f))));
    b.at(QTime(23, 59, 59));
    b.second();
    EXPECT_TRUE(b.statusText().isEmpty());
    EXPECT_EQ(paths::fold(b.c.data[1]->databaseName()),
              paths::fold(b.fx.programFolder() + QStringLiteral("/Tuesday.mdb")));
    EXPECT_EQ(paths::fold(b.c.data[5]->databaseName()),
              paths::fold(b.fx.programFolder() + QStringLiteral("/Reminder1.mdb")));
    EXPECT_EQ(b.c.Label31->text(), QStringLiteral("Tuesday"));
    EXPECT_EQ(b.c.eventBox[1]->text(), b.fx.read(b.file(QStringLiteral("\\TueEvents.mdb")),
                                                 QStringLiteral("Events"), QStringLiteral("me1")));
}

TEST(DayRoll, SundayPausesTheBoardWithinItsSecond) {
    Board b;
    b.chooseDay(6);
    b.at(6, QTime(23, 59, 53));
    b.second();
    ASSERT_NE(b.pauseWindow(), nullptr);
    EXPECT_FALSE(b.c.timer[1]->isEnabled());
    EXPECT_FALSE(b.c.timer[2]->isEnabled());
    EXPECT_FALSE(b.c.timer[3]->isEnabled());
    EXPECT_TRUE(b.c.timer[4]->isEnabled());
    EXPECT_EQ(b.c.Lbl3D1->caption(), QStringLiteral("11:59:53 PM"));
    EXPECT_EQ(b.c.Label31->text(), QStringLiteral("Monday"));
}

// Mended: a pause window closed early switches the timers back on, and Monday's check at
// 11:59:59 PM that same night does not move the board on to Tuesday.
TEST(DayRoll, PauseClosedEarlyDoesNotRollMondayOnToTuesday) {
    Board b;
    b.chooseDay(6);
    b.at(6, QTime(23, 59, 53));
    b.second();
    b.at(6, QTime(23, 59, 55));
    b.tickStop();
    b.closePauseWindow();
    ASSERT_TRUE(b.c.timer[1]->isEnabled());
    ASSERT_TRUE(b.c.timer[3]->isEnabled());
    b.takeOpens();
    for (int s = 55; s <= 59; ++s) {
        b.at(6, QTime(23, 59, s));
        b.second();
        b.second();
        EXPECT_EQ(b.c.Lbl3D1->caption(), QStringLiteral("11:59:%1 PM").arg(s));
    }
    EXPECT_TRUE(b.takeOpens().isEmpty());
    EXPECT_EQ(b.c.Label31->text(), QStringLiteral("Monday"));
    EXPECT_EQ(b.c.data[1]->recordSource(), QStringLiteral("12am"));

    // Monday itself still ends at 11:59:59 PM.
    b.at(7, QTime(0, 0, 0));
    b.second();
    b.at(7, QTime(23, 59, 59));
    b.second();
    EXPECT_EQ(b.c.Label31->text(), QStringLiteral("Tuesday"));
}

// ---- A clock that does not pass through every second ----------------------------------------------

// One step of a scenario: the clock moves by real seconds (so in a zone with summer time the clock
// text jumps as on a real machine), then the timers tick in the order given. The expectations hold
// after the ticks; a field left empty (nullptr, -1) is not checked.
struct Step {
    int move = 0;                 // real seconds; negative: the clock is stepped back
    const char* ticks = "";       // '1' Timer1, '3' Timer3, 'S' the pause window's timer, each only while on
    const char* clock = nullptr;  // the clock label
    const char* table = nullptr;  // Data1's hour table
    const char* header = nullptr; // the hour header
    const char* day = nullptr;    // the day label
    const char* file = nullptr;   // Data1's day file
    int green = -1;               // the one green slot box, 0: all yellow
    int paused = -1;   // 1: pause window open and Timer1..3 off; 0: no window, Timer1 and Timer3 on
    int reminder = -1; // 1: reminder #1's panel shown
    int note = -1;     // 1: a message in the status bar
};

struct Scenario {
    const char* name;
    const char* zone;
    QDate date;
    QTime time;           // local, in that zone
    int day;              // chosen from the Days menu first (0 = Monday), -1: as loaded
    int hour;             // chosen from the Hours menu first, -1: as loaded
    const char* reminder; // typed into Combo3 (reminder #1), nullptr: none
    std::vector<Step> steps;
};

void PrintTo(const Scenario& s, std::ostream* os) {
    *os << s.name;
}

// Summer time: New York springs forward on Sun Mar 8 and falls back on Sun Nov 1 2026 (2 AM), Berlin
// on Sun Mar 29 and Sun Oct 25 (2 AM / 3 AM); Cairo springs forward from Thursday midnight into
// Friday 1 AM (Apr 23/24) and falls back from Thursday midnight to 11 PM (Oct 29).
// clang-format off
const std::vector<Scenario> kScenarios = {
    {"StallOfThreeSecondsAcrossTheHourRoll", "UTC", {2026, 12, 7}, {10, 59, 58}, -1, 10, nullptr,
     {{0, "13", "10:59:58 AM", "10am", "10:00 - 11:00 AM", "Monday"},
      {3, "1313", "11:00:01 AM", "11am", "11:00 AM - 12:00 PM", "Monday", "Monday.mdb", 1, 0, -1, 0},
      {299, "13", "11:05:00 AM", "11am", "11:00 AM - 12:00 PM", "Monday", nullptr, 2}}},
    {"StallAcrossTheHourRollSeenByTimer3First", "UTC", {2026, 12, 8}, {10, 59, 58}, 1, 10, nullptr,
     {{0, "31", "10:59:58 AM", "10am"},
      {3, "3131", "11:00:01 AM", "11am", "11:00 AM - 12:00 PM", "Tuesday", "Tuesday.mdb", 1}}},
    {"StallLandingOnTheFullHour", "UTC", {2026, 12, 7}, {10, 59, 58}, -1, 10, nullptr,
     {{0, "13", "10:59:58 AM", "10am"},
      {2, "131", "11:00:00 AM", "11am", "11:00 AM - 12:00 PM", "Monday", nullptr, 1}}},
    {"NtpStepBackTwoSecondsAtTheHourRoll", "UTC", {2026, 12, 7}, {10, 59, 58}, -1, 10, nullptr,
     {{0, "13", "10:59:58 AM", "10am"},
      {1, "13", "10:59:59 AM", "11am", "11:00 AM - 12:00 PM", "Monday", nullptr, 0},
      {-2, "131", "10:59:57 AM", "10am", "10:00 AM - 11:00 AM", "Monday", nullptr, 12},
      {1, "13", "10:59:58 AM", "10am", "10:00 AM - 11:00 AM", "Monday", nullptr, 12},
      {1, "13", "10:59:59 AM", "11am", "11:00 AM - 12:00 PM", "Monday", nullptr, 0},
      {1, "13", "11:00:00 AM", "11am", "11:00 AM - 12:00 PM", "Monday", nullptr, 1, 0, -1, 0}}},
    {"SlotStartJumpedOverWithinTheHour", "UTC", {2026, 12, 7}, {10, 3, 0}, -1, 10, nullptr,
     {{0, "13", "10:03:00 AM", "10am", nullptr, nullptr, nullptr, 0},
      {600, "13", "10:13:00 AM", "10am", nullptr, nullptr, nullptr, 3},
      {1200, "13", "10:33:00 AM", "10am", nullptr, nullptr, nullptr, 7}}},
    {"ReminderJumpedOverByLessThanAMinuteFires", "UTC", {2026, 12, 7}, {10, 9, 50}, -1, 10, "10:10:00 AM",
     {{0, "13", "10:09:50 AM", nullptr, nullptr, nullptr, nullptr, -1, -1, 0},
      {30, "13", "10:10:20 AM", "10am", nullptr, nullptr, nullptr, 3, -1, 1}}},
    {"SuspendOfHalfAnHourFiresNoStaleReminder", "UTC", {2026, 12, 7}, {10, 5, 0}, -1, 10, "10:10:00 AM",
     {{0, "13", "10:05:00 AM", nullptr, nullptr, nullptr, nullptr, 2, -1, 0},
      {2105, "13", "10:40:05 AM", "10am", nullptr, nullptr, nullptr, 9, -1, 0}}},
    {"SuspendOfFortyMinutesAcrossMidnightOnWednesday", "UTC", {2026, 12, 9}, {23, 40, 0}, 2, 23, nullptr,
     {{0, "13", "11:40:00 PM", "11pm", "11:00 PM - 12:00 AM", "Wednesday", "Wednesday.mdb"},
      {2410, "131", "12:20:10 AM", "12am", "12:00 AM - 1:00 AM", "Thursday", "Thursday.mdb", 5, 0, -1, 0},
      // Thursday's own roll second comes the next night, once.
      {85185, "13", "11:59:55 PM", "11pm", "11:00 PM - 12:00 AM", "Thursday", "Thursday.mdb"},
      {1, "13", "11:59:56 PM", "12am", "12:00 AM - 1:00 AM", "Friday", "Friday.mdb"}}},
    {"SuspendFromLateEveningIntoOneAm", "UTC", {2026, 12, 10}, {22, 30, 0}, 3, 22, nullptr,
     {{0, "13", "10:30:00 PM", "10pm"},
      {10830, "131", "1:30:30 AM", "1am", "1:00 AM - 2:00 AM", "Friday", "Friday.mdb", 7}}},
    {"SundayStallOverTheRollEndingBeforeMidnightStillPauses", "UTC", {2026, 12, 13}, {23, 59, 50}, 6, 23, nullptr,
     {{0, "S13", "11:59:50 PM", "11pm", nullptr, "Sunday", nullptr, -1, 0},
      {5, "S13S", "11:59:55 PM", "12am", "12:00 AM - 1:00 AM", "Monday", "Monday.mdb", 0, 1},
      {3, "S13", "11:59:55 PM", "12am", nullptr, "Monday", nullptr, 0, 1},
      {2, "S131", "12:00:00 AM", "12am", "12:00 AM - 1:00 AM", "Monday", "Monday.mdb", 1, 0},
      // Monday itself still ends at its own second.
      {86399, "S13", "11:59:59 PM", "12am", "12:00 AM - 1:00 AM", "Tuesday", "Tuesday.mdb", -1, 0}}},
    {"SundayStallOverTheRollEndingAfterMidnightNeedsNoPause", "UTC", {2026, 12, 13}, {23, 59, 50}, 6, 23, nullptr,
     {{0, "S13", "11:59:50 PM", "11pm", nullptr, "Sunday", nullptr, -1, 0},
      {15, "S131", "12:00:05 AM", "12am", "12:00 AM - 1:00 AM", "Monday", "Monday.mdb", 1, 0, -1, 0},
      {3594, "S13", "12:59:59 AM", "1am", "1:00 AM - 2:00 AM", "Monday", "Monday.mdb", -1, 0}}},
    {"StallOverMidnightWhileThePauseWindowIsOpen", "UTC", {2026, 12, 13}, {23, 59, 52}, 6, 23, nullptr,
     {{0, "S13", "11:59:52 PM", "11pm", nullptr, "Sunday", nullptr, -1, 0},
      {1, "S13S", "11:59:53 PM", "12am", nullptr, "Monday", "Monday.mdb", -1, 1},
      {5, "S13", "11:59:53 PM", "12am", nullptr, "Monday", nullptr, -1, 1},
      {4, "S131", "12:00:02 AM", "12am", "12:00 AM - 1:00 AM", "Monday", "Monday.mdb", 1, 0}}},
    {"SuspendOfADayLessAMinuteRollsTheDayOnce", "UTC", {2026, 12, 8}, {10, 0, 0}, 1, 10, nullptr,
     {{0, "13", "10:00:00 AM", "10am", nullptr, "Tuesday"},
      {86340, "131", "9:59:00 AM", "9am", "9:00 AM - 10:00 AM", "Wednesday", "Wednesday.mdb", 12, 0, -1, 0}}},
    {"NtpStepBackOverMidnightRepeatsTheRollOnceAndTheLabelStays", "UTC", {2026, 12, 7}, {23, 59, 58}, -1, 23, nullptr,
     {{0, "13", "11:59:58 PM", "11pm", nullptr, "Monday"},
      {1, "13", "11:59:59 PM", "12am", "12:00 AM - 1:00 AM", "Tuesday", "Tuesday.mdb"},
      {6, "13", "12:00:05 AM", "12am", "12:00 AM - 1:00 AM", "Tuesday"},
      {-10, "131", "11:59:55 PM", "11pm", "11:00 PM - 12:00 AM", "Tuesday", "Tuesday.mdb", 12},
      // Tuesday's own second passes without a roll: the repeated night is still Monday's.
      {3, "13", "11:59:58 PM", "11pm", "11:00 PM - 12:00 AM", "Tuesday"},
      {1, "13", "11:59:59 PM", "12am", "12:00 AM - 1:00 AM", "Tuesday", "Tuesday.mdb", 0},
      {86399, "13", "11:59:58 PM", "12am", "12:00 AM - 1:00 AM", "Wednesday", "Wednesday.mdb"}}},
    {"JumpOfTwoDaysIsLeftAloneAndNoted", "UTC", {2026, 12, 7}, {10, 30, 0}, -1, 10, nullptr,
     {{0, "13", "10:30:00 AM", "10am", "10:00 - 11:00 AM", "Monday", nullptr, -1, -1, -1, 0},
      {2 * 86400, "13", "10:30:00 AM", "10am", "10:00 - 11:00 AM", "Monday", "Monday.mdb", -1, 0, -1, 1},
      {1799, "13", "10:59:59 AM", "11am", "11:00 AM - 12:00 PM", "Monday", "Monday.mdb"}}},
    {"NewYorkSpringForwardOnSunday", "America/New_York", {2026, 3, 8}, {1, 59, 58}, 6, 1, nullptr,
     {{0, "13", "1:59:58 AM", "1am"},
      {1, "13", "1:59:59 AM", "2am", "2:00 AM - 3:00 AM", "Sunday"},
      {1, "131", "3:00:00 AM", "3am", "3:00 AM - 4:00 AM", "Sunday", "Sunday.mdb", 1},
      {3599, "13", "3:59:59 AM", "4am", "4:00 AM - 5:00 AM", "Sunday"}}},
    {"NewYorkSpringForwardWithWednesdayOnTheBoard", "America/New_York", {2026, 3, 8}, {1, 59, 50}, 2, 1, nullptr,
     {{0, "13", "1:59:50 AM", "1am"},
      {11, "131", "3:00:01 AM", "3am", "3:00 AM - 4:00 AM", "Wednesday", "Wednesday.mdb", 1}}},
    {"NewYorkFallBackOnSunday", "America/New_York", {2026, 11, 1}, {1, 59, 58}, 6, 1, nullptr,
     {{0, "13", "1:59:58 AM", "1am"},
      {1, "13", "1:59:59 AM", "2am", "2:00 AM - 3:00 AM", "Sunday"},
      {1, "131", "1:00:00 AM", "1am", "1:00 AM - 2:00 AM", "Sunday", "Sunday.mdb", 1},
      {3599, "13", "1:59:59 AM", "2am", "2:00 AM - 3:00 AM", "Sunday", nullptr, 0},
      {1, "131", "2:00:00 AM", "2am", "2:00 AM - 3:00 AM", "Sunday", nullptr, 1}}},
    {"BerlinSpringForwardWithFridayOnTheBoard", "Europe/Berlin", {2026, 3, 29}, {1, 59, 58}, 4, 1, nullptr,
     {{0, "13", "1:59:58 AM", "1am"},
      {1, "13", "1:59:59 AM", "2am", "2:00 AM - 3:00 AM", "Friday"},
      {1, "131", "3:00:00 AM", "3am", "3:00 AM - 4:00 AM", "Friday", "Friday.mdb", 1}}},
    {"BerlinFallBackOnSunday", "Europe/Berlin", {2026, 10, 25}, {2, 59, 58}, 6, 2, nullptr,
     {{0, "13", "2:59:58 AM", "2am"},
      {1, "13", "2:59:59 AM", "3am", "3:00 AM - 4:00 AM", "Sunday"},
      {1, "131", "2:00:00 AM", "2am", "2:00 AM - 3:00 AM", "Sunday", "Sunday.mdb", 1},
      {3599, "13", "2:59:59 AM", "3am", "3:00 AM - 4:00 AM", "Sunday", nullptr, 0},
      {1, "131", "3:00:00 AM", "3am", "3:00 AM - 4:00 AM", "Sunday", nullptr, 1}}},
    {"BerlinFallBackWithTuesdayOnTheBoardAndAStallOverIt", "Europe/Berlin", {2026, 10, 25}, {2, 59, 50}, 1, 2, nullptr,
     {{0, "13", "2:59:50 AM", "2am"},
      {15, "131", "2:00:05 AM", "2am", "2:00 AM - 3:00 AM", "Tuesday", "Tuesday.mdb", 1}}},
    {"CairoSpringForwardFromThursdayMidnight", "Africa/Cairo", {2026, 4, 23}, {23, 59, 55}, 3, 23, nullptr,
     {{0, "13", "11:59:55 PM", "11pm", nullptr, "Thursday"},
      {1, "13", "11:59:56 PM", "12am", "12:00 AM - 1:00 AM", "Friday", "Friday.mdb"},
      {4, "131", "1:00:00 AM", "1am", "1:00 AM - 2:00 AM", "Friday", "Friday.mdb", 1}}},
    {"CairoFallBackFromThursdayMidnightRollsTheDayOnce", "Africa/Cairo", {2026, 10, 29}, {23, 59, 55}, 3, 23, nullptr,
     {{0, "13", "11:59:55 PM", "11pm", nullptr, "Thursday"},
      {1, "13", "11:59:56 PM", "12am", "12:00 AM - 1:00 AM", "Friday", "Friday.mdb"},
      {4, "131", "11:00:00 PM", "11pm", "11:00 PM - 12:00 AM", "Friday", "Friday.mdb", 1},
      // Friday's second comes before Thursday's roll is reached again: not a roll this night.
      {3595, "13", "11:59:55 PM", "11pm", "11:00 PM - 12:00 AM", "Friday", "Friday.mdb"},
      {1, "13", "11:59:56 PM", "12am", "12:00 AM - 1:00 AM", "Friday", "Friday.mdb", 0},
      {4, "131", "12:00:00 AM", "12am", "12:00 AM - 1:00 AM", "Friday", "Friday.mdb", 1},
      {86395, "13", "11:59:55 PM", "12am", "12:00 AM - 1:00 AM", "Saturday", "Saturday.mdb"}}},
};
// clang-format on

class ClockJumps : public ::testing::TestWithParam<Scenario> {};

void runTicks(Board& b, const char* ticks) {
    for (const char* t = ticks; *t; ++t) {
        if (*t == '1')
            b.tick1();
        else if (*t == '3')
            b.tick3();
        else if (*t == 'S')
            b.tickStop();
    }
}

void expectStep(Board& b, const Step& s) {
    const auto check = [](bool wanted, auto&& expectation) {
        if (wanted) expectation();
    };
    check(s.clock, [&] { EXPECT_EQ(b.c.Lbl3D1->caption().toStdString(), s.clock); });
    check(s.table, [&] { EXPECT_EQ(b.c.data[1]->recordSource().toStdString(), s.table); });
    check(s.header, [&] { EXPECT_EQ(b.c.Label32->text().toStdString(), s.header); });
    check(s.day, [&] { EXPECT_EQ(b.c.Label31->text().toStdString(), s.day); });
    check(s.file, [&] {
        const QString path = b.c.data[1]->databaseName();
        EXPECT_EQ(path.mid(path.lastIndexOf(QRegularExpression(QStringLiteral("[/\\\\]"))) + 1),
                  QLatin1String(s.file));
    });
    check(s.green >= 0, [&] {
        for (int k = 1; k <= 12; ++k)
            EXPECT_EQ(b.c.slotBox[k]->backColor(), k == s.green ? colors::kGreen : colors::kYellow)
                << "Text" << k;
    });
    check(s.paused >= 0, [&] {
        EXPECT_EQ(b.pauseWindow() != nullptr, s.paused == 1);
        // Timer2 has no work and is off from start-up; the pause switches it with the others.
        for (int n : {1, 3})
            EXPECT_EQ(b.c.timer[n]->isEnabled(), s.paused == 0) << "Timer" << n;
        if (s.paused == 1) {
            EXPECT_FALSE(b.c.timer[2]->isEnabled());
        }
    });
    check(s.reminder >= 0, [&] { EXPECT_EQ(!b.c.Frame8->isHidden(), s.reminder == 1); });
    check(s.note >= 0,
          [&] { EXPECT_EQ(!b.statusText().isEmpty(), s.note == 1) << b.statusText().toStdString(); });
}

TEST_P(ClockJumps, BoardShowsTheClocksHourAndDay) {
    const Scenario& sc = GetParam();
    Board b;
    b.clock.set(sc.date, sc.time, QTimeZone(QByteArray(sc.zone)));
    ASSERT_TRUE(b.clock.now().isValid());
    if (sc.day >= 0) b.chooseDay(sc.day);
    if (sc.hour >= 0) b.chooseHour(sc.hour);
    if (sc.reminder) b.c.combo[3]->setCurrentText(QLatin1String(sc.reminder));
    for (std::size_t i = 0; i < sc.steps.size(); ++i) {
        const Step& s = sc.steps[i];
        SCOPED_TRACE(testing::Message() << "step " << i << " (" << s.move << " s, " << s.ticks << ")");
        b.clock.advance(s.move);
        runTicks(b, s.ticks);
        expectStep(b, s);
    }
}

INSTANTIATE_TEST_SUITE_P(Scenarios, ClockJumps, ::testing::ValuesIn(kScenarios),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
