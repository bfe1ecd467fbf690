#include "tests/board/Board.h"
#include "tests/board/HourRows.h"

#include "board/frmStop.h"
#include "data/catalogue/Catalogue.h"
#include "data/controls/DataControl.h"
#include "widgets/Colors.h"
#include "widgets/Lbl3D.h"
#include "widgets/TextBox.h"
#include "widgets/Timer.h"

#include <QLabel>
#include <QPointer>
#include <QSet>
#include <algorithm>
#include <gtest/gtest.h>
#include <random>

namespace {

constexpr int kDay = 24 * 3600;

struct Roll {
    int at; // seconds from Monday 12:00:00 AM
    QStringList opens;
    bool operator==(const Roll&) const = default;
};

void PrintTo(const Roll& r, std::ostream* os) {
    *os << "day " << r.at / kDay << " "
        << QTime::fromMSecsSinceStartOfDay(r.at % kDay * 1000).toString().toStdString() << ": "
        << r.opens.join(QStringLiteral(", ")).toStdString();
}

// Every roll of the week, worked out from the weekdays alone: an hour roll one second before each
// full hour but the last, a day roll at 11:59:59 PM on Monday, a second earlier each day after.
QVector<Roll> expectedRolls(int until) {
    QVector<Roll> out;
    for (int d = 0; d * kDay < until; ++d) {
        const QString day = catalogue::weekdays()[d % 7].name;
        for (int h = 0; h < 23; ++h)
            out.push_back({d * kDay + h * 3600 + 3599,
                           {day + QStringLiteral(".mdb ") + QLatin1String(kHourRows[h + 1].table)}});
        const auto& next = catalogue::weekdays()[(d + 1) % 7];
        out.push_back(
            {d * kDay + 23 * 3600 + 59 * 60 + 59 - d % 7,
             {next.name + QStringLiteral(".mdb 11pm"), next.name + QStringLiteral(".mdb 12am"),
              next.prefix + QStringLiteral("Events.mdb Events"), next.prefix + QStringLiteral("Wx.mdb MonWx"),
              QStringLiteral("Slogan.mdb Slogan"), QStringLiteral("Reminder1.mdb Reminder2"),
              QStringLiteral("Reminder1.mdb Reminder1")}});
    }
    while (!out.isEmpty() && out.back().at > until)
        out.pop_back();
    return out;
}

// Every roll second lies in the last ten seconds of a five-minute slot, so the week is walked
// second by second from ten seconds before each slot boundary to five after it, and in steps of
// 13 seconds in between (the sanitized build would take most of a minute for every second).
int nextSecond(int t) {
    const int inSlot = t % 300;
    if (inSlot >= 290 || inSlot < 5) return t + 1;
    return std::min(t + 13, t - inSlot + 290);
}

// A few ticks of each timer within one second, in an order that changes from second to second
// and, at the roll seconds, from hour to hour; the pause window's timer among them while it is open.
class WeekWalk {
  public:
    explicit WeekWalk(Board& b) : b_(b) { b_.takeOpens(); } // the load's own

    // Sets the clock to second t of the week and ticks; a roll seen is recorded at t.
    void second(int t) {
        b_.at(t / kDay, QTime::fromMSecsSinceStartOfDay(t % kDay * 1000));
        switch ((t + t / 3600) % 4) {
        case 0:
            stop();
            b_.tick1();
            t3();
            break;
        case 1:
            t3();
            stop();
            b_.tick1();
            t3();
            break;
        case 2:
            b_.tick1();
            stop();
            t3();
            b_.tick1();
            t3();
            break;
        default:
            stop();
            t3();
            b_.tick1();
            t3();
            break;
        }
        if (!b_.provider.opens.isEmpty()) rolls.push_back({t, b_.takeOpens()});
    }
    bool pausing() const { return pause_ && pause_->isVisible(); }

    QVector<Roll> rolls;

  private:
    void stop() {
        if (pausing()) pause_->Timer1_Timer();
    }
    void t3() {
        b_.tick3();
        if (!b_.provider.opens.isEmpty()) pause_ = b_.pauseWindow(); // only a day roll opens it
    }

    Board& b_;
    QPointer<frmStop> pause_;
};

// Where the walk ends: next Monday, 2:30 AM, on Monday's 2 AM hour with the 2:30 slot marked.
void expectEndOfWalk(const Board& b, const WeekWalk& walk) {
    EXPECT_FALSE(walk.pausing());
    EXPECT_TRUE(b.c.timer[1]->isEnabled());
    EXPECT_TRUE(b.c.timer[3]->isEnabled());
    EXPECT_EQ(b.c.Lbl3D1->caption(), QStringLiteral("2:30:00 AM"));
    EXPECT_EQ(b.c.Label31->text(), QStringLiteral("Monday"));
    EXPECT_EQ(b.c.data[1]->recordSource(), QStringLiteral("2am"));
    EXPECT_EQ(b.c.Label32->text(), QStringLiteral("2:00 AM - 3:00 AM"));
    for (int k = 1; k <= 12; ++k)
        EXPECT_EQ(b.c.slotBox[k]->backColor(), k == 7 ? colors::kGreen : colors::kYellow) << k;
}

constexpr int kWeekAndABit = 7 * kDay + 2 * 3600 + 30 * 60;

// Seven days and a bit, every second around the slot boundaries seen.
TEST(WeekSimulation, EveryRollOnceAtItsSecondAndThePauseHoldsSundayNight) {
    Board b;
    const int until = kWeekAndABit;
    const int sundayPause = 6 * kDay + 23 * 3600 + 59 * 60 + 53;
    WeekWalk walk(b);
    for (int t = 0; t <= until; t = nextSecond(t)) {
        walk.second(t);
        if (t >= sundayPause && t < 7 * kDay) {
            ASSERT_EQ(b.c.Lbl3D1->caption(), QStringLiteral("11:59:53 PM")) << t;
            ASSERT_FALSE(b.c.timer[1]->isEnabled()) << t;
            ASSERT_TRUE(walk.pausing()) << t;
            // Monday's own check, 11:59:59 PM, must not fire inside the pause.
            ASSERT_EQ(b.c.Label31->text(), QStringLiteral("Monday")) << t;
        }
        // Whenever a slot begins, its box alone is green.
        if (t % 300 == 0 && t > 0) {
            const int slot = t % 3600 / 300 + 1;
            for (int k = 1; k <= 12; ++k)
                ASSERT_EQ(b.c.slotBox[k]->backColor(), k == slot ? colors::kGreen : colors::kYellow)
                    << t << " " << k;
        }
    }
    EXPECT_EQ(walk.rolls, expectedRolls(until));
    expectEndOfWalk(b, walk);
}

// The same week on a clock that now and then skips a second (never two in a row), roll seconds
// and the midnight of the pause among them: every roll comes once, at its second or, when that
// was skipped, at the next, and the board ends as on the exact walk.
TEST(WeekSimulation, AClockSkippingASecondNowAndThenEndsAsTheExactWalk) {
    Board b;
    WeekWalk walk(b);
    std::mt19937 random(20261207);
    QSet<int> skipped;
    for (int t = 0; t <= kWeekAndABit; t = nextSecond(t)) {
        const bool dense = nextSecond(t) == t + 1;
        // Sunday's roll second and the midnight that ends the pause always, the rest by chance.
        const bool skip = t == 6 * kDay + 23 * 3600 + 59 * 60 + 53 || t == 7 * kDay || random() % 4 == 0;
        if (dense && t > 0 && t < kWeekAndABit && !skipped.contains(t - 1) && skip) {
            skipped.insert(t);
            continue;
        }
        walk.second(t);
        if (walk.pausing()) {
            ASSERT_FALSE(b.c.timer[1]->isEnabled()) << t;
            ASSERT_EQ(b.c.Label31->text(), QStringLiteral("Monday")) << t;
        }
        // From the second after a slot began, its box alone is green.
        if (const int inSlot = t % 300; dense && inSlot >= 1 && inSlot < 5) {
            const int slot = t % 3600 / 300 + 1;
            for (int k = 1; k <= 12; ++k)
                ASSERT_EQ(b.c.slotBox[k]->backColor(), k == slot ? colors::kGreen : colors::kYellow)
                    << t << " " << k;
        }
    }
    QVector<Roll> expected = expectedRolls(kWeekAndABit);
    for (Roll& r : expected)
        if (skipped.contains(r.at)) ++r.at;
    EXPECT_GT(std::count_if(expected.begin(), expected.end(),
                            [&](const Roll& r) { return skipped.contains(r.at - 1); }),
              20);
    EXPECT_EQ(walk.rolls, expected);
    expectEndOfWalk(b, walk);
}

} // namespace
