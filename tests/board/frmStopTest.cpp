#include "tests/board/Board.h"

#include "board/frmStop.h"
#include "widgets/Lbl3D.h"
#include "widgets/Timer.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <gtest/gtest.h>

namespace {

// The pause window as the Sunday roll leaves it: opened within 11:59:53 PM.
frmStop* openAtSundayNight(Board& b) {
    b.at(6, QTime(23, 59, 53));
    return frmStop::open(b.c, b.clock);
}

QString labelText(QWidget* w, const char* name) {
    return w->findChild<QLabel*>(QLatin1String(name))->text();
}

bool boardTimersOn(const Board& b) {
    return b.c.timer[1]->isEnabled() && b.c.timer[2]->isEnabled() && b.c.timer[3]->isEnabled();
}
bool boardTimersOff(const Board& b) {
    return !b.c.timer[1]->isEnabled() && !b.c.timer[2]->isEnabled() && !b.c.timer[3]->isEnabled();
}

TEST(PauseWindow, SmallCentredToolWindowWithItsNotice) {
    Board b;
    frmStop* w = openAtSundayNight(b);
    EXPECT_EQ(w->objectName(), QStringLiteral("frmStop"));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Cuepilot Ver. 3.0"));
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->windowType(), Qt::Tool);
    EXPECT_TRUE(w->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(w->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(w->size(), QSize(259, 98));
    EXPECT_EQ(w->minimumSize(), w->maximumSize());
    const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
    EXPECT_LE((w->frameGeometry().center() - screenCentre).manhattanLength(), 40);
    EXPECT_EQ(labelText(w, "Label1"),
              QStringLiteral("Cuepilot Has Paused for a few seconds to start a new week. "
                             "Please wait while it restarts."));
    auto* timer = w->findChild<Timer*>(QStringLiteral("Timer1"));
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isEnabled());
    EXPECT_EQ(timer->interval(), 90);
}

TEST(PauseWindow, FirstTickRunsAtOnceAndStopsTheBoard) {
    Board b;
    frmStop* w = openAtSundayNight(b);
    EXPECT_EQ(labelText(w, "Label2"), QStringLiteral("11:59:53 PM"));
    EXPECT_TRUE(boardTimersOff(b));
    EXPECT_TRUE(b.c.timer[4]->isEnabled()); // the date keeps running
}

TEST(PauseWindow, HoldsUntilMidnightThenRestartsTheBoardAndCloses) {
    Board b;
    frmStop* w = openAtSundayNight(b);
    for (int s = 54; s <= 59; ++s) {
        b.at(6, QTime(23, 59, s));
        b.tickStop();
        EXPECT_EQ(labelText(w, "Label2"), QStringLiteral("11:59:%1 PM").arg(s));
        EXPECT_TRUE(boardTimersOff(b));
    }
    b.at(7, QTime(0, 0, 0));
    b.tickStop();
    EXPECT_TRUE(boardTimersOn(b));
    EXPECT_EQ(b.pauseWindow(), nullptr);
}

TEST(PauseWindow, OpeningAgainKeepsOneWindow) {
    Board b;
    frmStop* first = openAtSundayNight(b);
    EXPECT_EQ(frmStop::open(b.c, b.clock), first);
}

// Mended: closing the window with its close box before midnight must not leave the board's
// clock frozen for good.
TEST(PauseWindow, CloseBoxBeforeMidnightSwitchesTheBoardBackOn) {
    Board b;
    openAtSundayNight(b);
    ASSERT_TRUE(boardTimersOff(b));
    b.at(6, QTime(23, 59, 56));
    b.tickStop();
    b.closePauseWindow();
    EXPECT_TRUE(boardTimersOn(b));
    EXPECT_EQ(b.pauseWindow(), nullptr);
    b.tick1();
    EXPECT_EQ(b.c.Lbl3D1->caption(), QStringLiteral("11:59:56 PM"));
}

// Mended: a Sunday roll slow enough to end after midnight held the board until the midnight after.
TEST(PauseWindow, OpenedAfterTheMidnightOfItsNightReleasesAtOnce) {
    Board b;
    b.at(7, QTime(0, 0, 2));
    frmStop::open(b.c, b.clock, Board::monday().addDays(6));
    EXPECT_TRUE(boardTimersOn(b));
    EXPECT_EQ(b.pauseWindow(), nullptr);
}

} // namespace
