#include "tests/board/EditingBoard.h"
#include "widgets/Lbl3D.h"

#include <QAction>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QThread>

namespace {

class LiveUpdates : public EditingBoard, public ::testing::WithParamInterface<Engine> {
  protected:
    LiveUpdates() : EditingBoard(GetParam()) {}
};

INSTANTIATE_TEST_SUITE_P(BothEngines, LiveUpdates, ::testing::Values(Engine::Files, Engine::Server),
                         EngineName());

class FileLiveUpdates : public EditingBoard {};

TEST_P(LiveUpdates, AnotherStudiosChangesAppearWithoutClobberingWhatIsBeingTyped) {
    load();
    c().command[3]->click(); // edit mode
    type(c().slotBox[1], "typed here");

    fx.write(mondayFile(), "12am", "05am", "from studio B");
    fx.write(weatherFile(), "MonWx", "Wx", "Rain from the west");
    // A server's news takes a moment to arrive: the board polls until it has come.
    for (const QDeadlineTimer deadline(20000);
         c().Text20->text() != "Rain from the west" && !deadline.hasExpired();) {
        board->pollForChanges();
        QThread::msleep(5);
    }
    EXPECT_EQ(c().slotBox[2]->text(), "from studio B");
    EXPECT_EQ(c().Text20->text(), "Rain from the west");
    EXPECT_EQ(c().slotBox[1]->text(), "typed here");

    c().command[4]->click(); // save
    EXPECT_EQ(fx.read(mondayFile(), "12am", "00am"), "typed here");
    EXPECT_EQ(fx.read(mondayFile(), "12am", "05am"), "from studio B");
}

TEST_F(FileLiveUpdates, AShareThatWasAwayIsReadAgainAndItsFailureLeavesTheStatusBar) {
    load();
    fx.write(weatherFile(), "MonWx", "Wx", "Before");
    const QString away = weatherFile() + QStringLiteral(".away");
    ASSERT_TRUE(QFile::rename(weatherFile(), away));
    c().mnuFileRefresh->trigger();
    EXPECT_FALSE(statusText().isEmpty());
    board->pollForChanges(); // still away: the failure stands
    EXPECT_FALSE(statusText().isEmpty());

    ASSERT_TRUE(QFile::rename(away, weatherFile()));
    board->pollForChanges();
    EXPECT_EQ(c().Text20->text(), "Before");
    EXPECT_TRUE(statusText().isEmpty());
}

TEST_F(FileLiveUpdates, AVanishedShareFailsQuicklyAndTheClockGoesOn) {
    load();
    const QString away = fx.dataFolder() + QStringLiteral(".away");
    ASSERT_TRUE(QDir().rename(fx.dataFolder(), away));
    QElapsedTimer held;
    held.start();
    c().mnuFileRefresh->trigger();
    board->pollForChanges();
    tickAt(QTime(0, 0, 7));
    // Far more than the lock wait it may cost, far less than a frozen board.
    EXPECT_LT(held.elapsed(), 3000);
    EXPECT_FALSE(statusText().isEmpty());
    EXPECT_EQ(board->controls().Lbl3D1->caption(), "12:00:07 AM");
    ASSERT_TRUE(QDir().rename(away, fx.dataFolder()));
    board->pollForChanges();
    EXPECT_TRUE(statusText().isEmpty());
}

TEST_F(FileLiveUpdates, WatchedFromAThreadOfTheirOwnTheFilesStillBringOtherStudiosChanges) {
    board = std::make_unique<frmMain>(clock, provider, nullptr, fx.programFolder());
    board->setEndProgram([] {});
    board->watchChangesFromThread([] { return std::make_unique<SqlCipherProvider>(); });
    board->Form_Load();
    fx.write(weatherFile(), "MonWx", "Wx", "Fog by morning");
    fx.write(mondayFile(), "12am", "05am", "from studio C");
    EXPECT_TRUE(QTest::qWaitFor([&] { return c().Text20->text() == "Fog by morning"; }, 10000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return c().slotBox[2]->text() == "from studio C"; }, 10000));
    board->Form_Unload(); // stops the thread before the fixture's files go
}

} // namespace
