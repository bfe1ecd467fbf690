#include "tests/board/EditingBoard.h"

#include <QAction>
#include <QDeadlineTimer>
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

} // namespace
