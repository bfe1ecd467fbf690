#include "tests/board/Board.h"

#include "board/ClockDisplay.h"
#include "board/ClockTrust.h"
#include "widgets/Colors.h"
#include "widgets/Lbl3D.h"
#include "widgets/TextBox.h"
#include "widgets/Timer.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLocale>
#include <gtest/gtest.h>

namespace {

std::array<quint32, 13> colours(const Board& b) {
    std::array<quint32, 13> out{};
    for (int k = 1; k <= 12; ++k)
        out[k] = b.c.slotBox[k]->backColor();
    return out;
}

TEST(ClockDisplay, TimersRunAtTheirIntervalsAfterLoad) {
    Board b;
    EXPECT_TRUE(b.c.timer[1]->isEnabled());
    EXPECT_EQ(b.c.timer[1]->interval(), 90);
    EXPECT_TRUE(b.c.timer[4]->isEnabled());
    EXPECT_EQ(b.c.timer[4]->interval(), 501);
}

TEST(ClockDisplay, ClockLabelShowsTheDateUntilTheFirstTick) {
    Board b;
    b.at(QTime(15, 20, 7));
    EXPECT_EQ(b.c.Lbl3D1->caption(), QStringLiteral("Monday, Dec 7 2026"));
    b.tick1();
    EXPECT_EQ(b.c.Lbl3D1->caption(), QStringLiteral("3:20:07 PM"));
    EXPECT_EQ(b.c.Label34->text(), QStringLiteral("3:20:07 PM Monday"));
}

TEST(ClockDisplay, DayTimeTextFollowsTheDayLabel) {
    Board b;
    b.at(QTime(23, 59, 59));
    b.chooseDay(0);
    b.tick1();
    EXPECT_EQ(b.c.Label34->text(), QStringLiteral("11:59:59 PM Monday"));
    b.chooseDay(3);
    b.tick1();
    EXPECT_EQ(b.c.Label34->text(), QStringLiteral("11:59:59 PM Thursday"));
}

TEST(ClockDisplay, DateLineTurnsOverAtMidnight) {
    Board b;
    b.at(0, QTime(23, 59, 59));
    b.tick4();
    EXPECT_EQ(b.c.lblDate->caption(), QStringLiteral("Monday, Dec 7 2026"));
    b.at(1, QTime(0, 0, 0));
    b.tick1();
    b.tick4();
    EXPECT_EQ(b.c.Lbl3D1->caption(), QStringLiteral("12:00:00 AM"));
    EXPECT_EQ(b.c.lblDate->caption(), QStringLiteral("Tuesday, Dec 8 2026"));
}

// An independent formatter for the expected text.
QString twelveHour(int seconds) {
    const int h = seconds / 3600, m = seconds / 60 % 60, s = seconds % 60;
    return QString::asprintf("%d:%02d:%02d %s", h % 12 == 0 ? 12 : h % 12, m, s, h < 12 ? "AM" : "PM");
}

TEST(ClockDisplay, EverySecondOfADayUnderA24HourGermanLocale) {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    {
        Board b;
        for (int s = 0; s < 24 * 3600; ++s) {
            b.at(QTime::fromMSecsSinceStartOfDay(s * 1000));
            b.tick1();
            const QString expected = twelveHour(s);
            ASSERT_EQ(b.c.Lbl3D1->caption(), expected);
            ASSERT_EQ(b.c.Label34->text(), expected + QStringLiteral(" Monday"));
        }
    }
    QLocale::setDefault(before);
}

// The 10 AM hour walked slot by slot: at each slot's first second that box turns green and the one
// before it yellow; the second before changes nothing.
TEST(CurrentSlot, EachSlotTurnsGreenAtItsFirstSecond) {
    Board b;
    b.chooseHour(10);
    for (int k = 1; k <= 12; ++k) {
        SCOPED_TRACE(k);
        const int minute = (k - 1) * 5;
        const auto earlier = colours(b);
        if (minute > 0) {
            b.at(QTime(10, minute - 1, 59));
            b.tick1();
            EXPECT_EQ(colours(b), earlier);
        }
        b.at(QTime(10, minute, 0));
        b.tick1();
        for (int j = 1; j <= 12; ++j)
            EXPECT_EQ(b.c.slotBox[j]->backColor(), j == k ? colors::kGreen : colors::kYellow) << j;
        b.at(QTime(10, minute, 1));
        b.tick1();
        EXPECT_EQ(b.c.slotBox[k]->backColor(), colors::kGreen);
    }
}

TEST(CurrentSlot, FirstSlotClearsNothing) {
    Board b;
    b.chooseHour(9);
    b.at(QTime(9, 55, 0));
    b.tick1();
    ASSERT_EQ(b.c.slotBox[12]->backColor(), colors::kGreen);
    b.chooseHour(10); // by hand: no hour roll to clear the mark
    b.at(QTime(10, 0, 0));
    b.tick1();
    EXPECT_EQ(b.c.slotBox[1]->backColor(), colors::kGreen);
    EXPECT_EQ(b.c.slotBox[12]->backColor(), colors::kGreen);
}

TEST(CurrentSlot, AnotherHourShownChangesNothing) {
    Board b;
    b.chooseHour(10);
    b.at(QTime(10, 0, 0));
    b.tick1();
    b.chooseHour(15);
    const auto before = colours(b);
    b.at(QTime(10, 5, 0));
    b.tick1();
    EXPECT_EQ(colours(b), before);
    EXPECT_EQ(b.c.slotBox[1]->backColor(), colors::kGreen);
}

// The reminder check plugs in last: it sees the clock label and the slot mark already written.
TEST(ClockDisplay, ReminderCheckRunsLastWithTheShownClockText) {
    Board b;
    ClockDisplay display(b.c, b.clock);
    QStringList seen;
    display.setReminderCheck([&](const QString& clock) {
        seen << clock + QLatin1Char('|') + b.c.Lbl3D1->caption() + QLatin1Char('|') +
                    QString::number(b.c.slotBox[2]->backColor(), 16);
    });
    b.at(QTime(0, 5, 0));
    display.timer1Tick();
    EXPECT_EQ(seen, QStringList{QStringLiteral("12:05:00 AM|12:05:00 AM|ff00")});
}

// The notice under the clock follows what the system says of its clock, and the question is not
// asked on the clock ticks.
TEST(ClockTrust, NoticeUnderTheClockWhileTheSystemClockIsNotSynchronised) {
    Board b;
    auto* trust = b.c.Lbl3D1->findChild<ClockTrust*>();
    ASSERT_NE(trust, nullptr);
    QLabel* notice = trust->notice();
    b.form->show();

    const int asked = b.clock.syncQuestions;
    for (int s = 0; s < 30; ++s) {
        b.at(QTime(9, 0, s));
        b.second();
        b.tick4();
    }
    EXPECT_EQ(b.clock.syncQuestions, asked);

    const std::pair<ClockSync, bool> says[] = {{ClockSync::Unsynchronised, true},
                                               {ClockSync::Synchronised, false},
                                               {ClockSync::Unsynchronised, true},
                                               {ClockSync::Unknown, false}};
    for (const auto& [sync, shown] : says) {
        b.clock.setSync(sync);
        trust->check();
        EXPECT_EQ(notice->isVisible(), shown) << int(sync);
    }
    b.clock.setSync(ClockSync::Unsynchronised);
    trust->check();
    QCoreApplication::sendPostedEvents(); // the layout places the notice
    EXPECT_EQ(notice->parentWidget(), b.c.Lbl3D1->parentWidget());
    EXPECT_GE(notice->geometry().top(), b.c.Lbl3D1->geometry().bottom());
    EXPECT_LE(notice->geometry().top() - b.c.Lbl3D1->geometry().bottom(), 20);
    EXPECT_EQ(b.clock.syncQuestions, asked + 5);
}

} // namespace
