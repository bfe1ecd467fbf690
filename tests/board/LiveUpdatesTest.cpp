#include "tests/board/EditingBoard.h"

#include <QAction>
#include <QFile>
#include <QPushButton>

namespace {

class LiveUpdates : public EditingBoard {};

TEST_F(LiveUpdates, AnotherStudiosChangesAppearWithoutClobberingWhatIsBeingTyped) {
    load();
    c().command[3]->click(); // edit mode
    type(c().slotBox[1], "typed here");

    fx.write(mondayFile(), "12am", "05am", "from studio B");
    fx.write(weatherFile(), "MonWx", "Wx", "Rain from the west");
    board->pollForChanges();
    EXPECT_EQ(c().slotBox[2]->text(), "from studio B");
    EXPECT_EQ(c().Text20->text(), "Rain from the west");
    EXPECT_EQ(c().slotBox[1]->text(), "typed here");

    c().command[4]->click(); // save
    EXPECT_EQ(fx.read(mondayFile(), "12am", "00am"), "typed here");
    EXPECT_EQ(fx.read(mondayFile(), "12am", "05am"), "from studio B");
}

TEST_F(LiveUpdates, AShareThatWasAwayIsReadAgainAndItsFailureLeavesTheStatusBar) {
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
