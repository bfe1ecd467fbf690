#include "tests/board/Board.h"
#include "tests/board/HourRows.h"

#include "board/frmStop.h"
#include "data/Catalogue.h"
#include "data/DataControl.h"
#include "data/Paths.h"
#include "widgets/Colors.h"
#include "widgets/Lbl3D.h"
#include "widgets/TextBox.h"
#include "widgets/Timer.h"

#include <QFile>
#include <QLabel>
#include <gtest/gtest.h>

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

TEST(HourRoll, AMissedSecondSkipsThatRollOnly) {
    Board b;
    b.at(QTime(10, 59, 58));
    b.second();
    b.at(QTime(11, 0, 0));
    b.second();
    EXPECT_EQ(b.c.data[1]->recordSource(), QStringLiteral("12am"));
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

TEST(DayRoll, AFailedRollIsTriedAgainWithinTheSameSecond) {
    Board b;
    const QString shared = b.file(QStringLiteral("\\Reminder1.mdb"));
    const QString aside = b.fx.root() + QStringLiteral("/Reminder1.aside");
    ASSERT_TRUE(QFile::copy(shared, aside));
    b.fx.remove(shared);
    b.at(QTime(23, 59, 59));
    b.second();
    EXPECT_FALSE(b.statusText().isEmpty());
    EXPECT_EQ(b.c.Label31->text(), QStringLiteral("Monday"));
    EXPECT_EQ(b.c.Label32->text(), QStringLiteral("12:00 - 1:00 AM")); // the captions are not reached

    ASSERT_TRUE(QFile::copy(aside, shared));
    b.tick3();
    EXPECT_EQ(b.c.Label31->text(), QStringLiteral("Tuesday"));
    EXPECT_EQ(b.c.Label32->text(), QStringLiteral("12:00 AM - 1:00 AM"));
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

} // namespace
