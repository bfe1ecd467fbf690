#include "tests/board/EditingBoard.h"

#include "widgets/Colors.h"
#include "widgets/TextBox.h"
#include "widgets/XButton.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <functional>
#include <vector>

namespace {

const QStringList kPlaceholderWords = {
    "NO", "Network", "Data", "To", "Load", "Please Check The Path", "Click Edit then Network Setup"};

// One line of the board's state table: what the user sees of one control, outside and in edit mode.
struct ControlState {
    QString what;
    std::function<bool(BoardControls&)> read;
    bool browsing;
    bool editing;
};

std::vector<ControlState> stateTable() {
    std::vector<ControlState> t;
    t.push_back({"Label30 shown", [](BoardControls& c) { return !c.Label30->isHidden(); }, false, true});
    t.push_back(
        {"Command3 enabled", [](BoardControls& c) { return c.command[3]->isEnabled(); }, true, false});
    t.push_back(
        {"Command4 enabled", [](BoardControls& c) { return c.command[4]->isEnabled(); }, false, true});
    for (int k : {5, 6, 7, 8, 9, 14})
        t.push_back({QStringLiteral("XButton%1 shown").arg(k),
                     [k](BoardControls& c) { return !c.xbutton[k]->isHidden(); }, true, false});
    // The weather and slogan page buttons stay usable while editing.
    for (int k : {1, 2, 3, 4, 10, 11, 12, 13})
        t.push_back({QStringLiteral("XButton%1 shown").arg(k),
                     [k](BoardControls& c) { return !c.xbutton[k]->isHidden(); }, true, true});
    auto menuEnabled = [](QMenu* BoardControls::*m) {
        return [m](BoardControls& c) { return (c.*m)->menuAction()->isEnabled(); };
    };
    for (auto [name, m] : std::vector<std::pair<const char*, QMenu * BoardControls::*>>{
             {"mnuFile", &BoardControls::mnuFile},
             {"mnuHours", &BoardControls::mnuHours},
             {"mnuDays", &BoardControls::mnuDays},
             {"mnuReminders", &BoardControls::mnuReminders},
             {"mnuPhoneList", &BoardControls::mnuPhoneList}})
        t.push_back({QStringLiteral("%1 enabled").arg(name), menuEnabled(m), true, false});
    for (auto [name, m] : std::vector<std::pair<const char*, QMenu * BoardControls::*>>{
             {"mnuEdit", &BoardControls::mnuEdit}, {"mnuHelp", &BoardControls::mnuHelp}})
        t.push_back({QStringLiteral("%1 enabled").arg(name), menuEnabled(m), true, true});
    for (auto [name, a] : std::vector<std::pair<const char*, QAction * BoardControls::*>>{
             {"mnuNetworkSetup", &BoardControls::mnuNetworkSetup},
             {"mnuEditEdit", &BoardControls::mnuEditEdit},
             {"mnuSaveContent", &BoardControls::mnuSaveContent},
             {"mnuEditClearHour", &BoardControls::mnuEditClearHour},
             {"mnuEditClearEvents", &BoardControls::mnuEditClearEvents}})
        t.push_back({QStringLiteral("%1 enabled").arg(name),
                     [a](BoardControls& c) { return (c.*a)->isEnabled(); }, true, true});
    for (int k = 1; k <= 12; ++k)
        t.push_back({QStringLiteral("Text%1 locked").arg(k),
                     [k](BoardControls& c) { return c.slotBox[k]->locked(); }, true, false});
    for (int n = 1; n <= 7; ++n)
        t.push_back({QStringLiteral("Text%1 locked").arg(12 + n),
                     [n](BoardControls& c) { return c.eventBox[n]->locked(); }, true, false});
    t.push_back({"Text20 locked", [](BoardControls& c) { return c.Text20->locked(); }, true, false});
    for (int k = 1; k <= 3; ++k)
        t.push_back({QStringLiteral("Text%1 locked").arg(20 + k),
                     [k](BoardControls& c) { return c.sloganBox[k]->locked(); }, true, false});
    // The reminder messages are never locked.
    t.push_back({"Text24 locked", [](BoardControls& c) { return c.Text24->locked(); }, false, false});
    t.push_back({"Text25 locked", [](BoardControls& c) { return c.Text25->locked(); }, false, false});
    return t;
}

class EditAndSave : public EditingBoard {
  protected:
    void expectMode(bool editing, const char* after) {
        SCOPED_TRACE(after);
        for (const ControlState& row : stateTable())
            EXPECT_EQ(row.read(c()), editing ? row.editing : row.browsing) << row.what.toStdString();
    }
    // The twelve slot fields of the midnight hour as stored.
    QStringList storedMidnight() {
        QStringList out;
        for (const QString& field : catalogue::slotFields())
            out << fx.read(mondayFile(), "12am", field);
        return out;
    }
};

TEST_F(EditAndSave, EnteringAndSavingSetEveryControlOfTheStateTableAndRepeatHarmlessly) {
    load();
    expectMode(false, "start-up");
    c().command[3]->click();
    expectMode(true, "Edit Content button");
    c().mnuEditEdit->trigger();
    expectMode(true, "Edit Content again, from the menu");
    c().command[4]->click();
    expectMode(false, "Save Content button");
    c().mnuSaveContent->trigger();
    expectMode(false, "Save Content again, from the menu");
}

TEST_F(EditAndSave, TypedSlotsEventsWeatherAndSlogansReachTheFilesOnSave) {
    load();
    type(c().slotBox[1], "Browse mode takes no keys");
    EXPECT_NE(c().slotBox[1]->text(), "Browse mode takes no keys");

    c().command[3]->click();
    type(c().slotBox[1], "Legal ID and top-of-hour news");
    type(c().slotBox[12], "Tease the weather");
    type(c().eventBox[1], "Morning show with guest");
    type(c().Text20, "Sunny, high of 25");
    type(c().sloganBox[1], "Your home for the hits");
    EXPECT_NE(fx.read(mondayFile(), "12am", "00am"), "Legal ID and top-of-hour news");

    c().command[4]->click();
    EXPECT_EQ(fx.read(mondayFile(), "12am", "00am"), "Legal ID and top-of-hour news");
    EXPECT_EQ(fx.read(mondayFile(), "12am", "55am"), "Tease the weather");
    EXPECT_EQ(fx.read(eventsFile(), "Events", "me1"), "Morning show with guest");
    EXPECT_EQ(fx.read(weatherFile(), "MonWx", "Wx"), "Sunny, high of 25");
    EXPECT_EQ(fx.read(sloganFile(), "Slogan", "Slogan1"), "Your home for the hits");
    // Re-read from the files, the boxes show what was saved, locked again.
    EXPECT_EQ(c().slotBox[1]->text(), "Legal ID and top-of-hour news");
    EXPECT_EQ(c().Text20->text(), "Sunny, high of 25");
    EXPECT_TRUE(c().slotBox[1]->locked());
    EXPECT_TRUE(statusText().isEmpty());
}

TEST_F(EditAndSave, ClearEventsEmptiesTheLockedLinesAndTheFileOnlyWhenTheRowIsWritten) {
    load();
    const QString before = fx.read(eventsFile(), "Events", "me3");
    ASSERT_FALSE(before.isEmpty());
    c().mnuEditClearEvents->trigger();
    for (int n = 1; n <= 7; ++n) {
        EXPECT_TRUE(c().eventBox[n]->text().isEmpty()) << n;
        EXPECT_TRUE(c().eventBox[n]->locked()) << n;
    }
    EXPECT_EQ(fx.read(eventsFile(), "Events", "me3"), before);
    c().mnuSaveContent->trigger();
    for (const QString& field : catalogue::eventFields().mid(0, 7))
        EXPECT_TRUE(fx.read(eventsFile(), "Events", field).isEmpty()) << field.toStdString();
}

TEST_F(EditAndSave, SaveWithTheEventsFileMissingKeepsThePlaceholderWordsAndReportsNothing) {
    fx.remove(eventsFile());
    load();
    // The load said why the events are missing; the save adds nothing to it.
    const QString said = statusText();
    EXPECT_TRUE(said.startsWith("There is no MonEvents.mdb in ")) << said.toStdString();
    c().command[3]->click();
    type(c().slotBox[2], "The grid still saves");
    c().command[4]->click();
    for (int n = 1; n <= 7; ++n)
        EXPECT_EQ(c().eventBox[n]->text(), kPlaceholderWords[n - 1]);
    EXPECT_EQ(statusText(), said);
    EXPECT_EQ(fx.read(mondayFile(), "12am", "05am"), "The grid still saves");
}

TEST_F(EditAndSave, AWriteThatFailsKeepsTheTypedTextShowsWhyAndALaterSaveStoresIt) {
    fx.removeAll(mondayFile(), "12am");
    load();
    c().command[3]->click();
    type(c().slotBox[1], "Do not lose this");
    c().command[4]->click();
    EXPECT_FALSE(statusText().isEmpty());
    EXPECT_EQ(c().slotBox[1]->text(), "Do not lose this");
    EXPECT_EQ(fx.count(mondayFile(), "12am"), 0);

    // The hour's row is back; the board re-reads the files and the next save stores the text.
    fx.append(mondayFile(), "12am", {});
    c().mnuFileRefresh->trigger();
    EXPECT_EQ(c().slotBox[1]->text(), "Do not lose this");
    c().mnuSaveContent->trigger();
    EXPECT_EQ(fx.read(mondayFile(), "12am", "00am"), "Do not lose this");
}

TEST_F(EditAndSave, AFocusWriteThatFailsKeepsTheTypedTextAndShowsWhy) {
    fx.removeAll(mondayFile(), "12am");
    load();
    c().command[3]->click();
    type(c().slotBox[5], "Typed into a table without rows");
    focusThrough(c().slotBox[5]);
    EXPECT_FALSE(statusText().isEmpty());
    EXPECT_EQ(c().slotBox[5]->text(), "Typed into a table without rows");
}

TEST_F(EditAndSave, AFocusWriteInEditModeStoresTheHourBeforeSave) {
    load();
    c().command[3]->click();
    type(c().slotBox[7], "Stored on leaving the box");
    focusThrough(c().slotBox[7]);
    EXPECT_EQ(fx.read(mondayFile(), "12am", "30am"), "Stored on leaving the box");
    EXPECT_FALSE(c().command[3]->isEnabled()); // still editing
}

TEST_F(EditAndSave, UnsavedGridEditsAreStoredByAnHourRollInEditMode) {
    load();
    c().command[3]->click();
    type(c().slotBox[1], "Typed before the roll");
    tickAt(QTime(0, 59, 59));
    board->Timer3_Timer();

    EXPECT_EQ(fx.read(mondayFile(), "12am", "00am"), "Typed before the roll");
    // The grid now shows the 1 AM hour, and the board is still in edit mode.
    EXPECT_EQ(c().slotBox[1]->text(), fx.read(mondayFile(), "1am", "00am"));
    EXPECT_NE(c().slotBox[1]->text(), "Typed before the roll");
    EXPECT_FALSE(c().slotBox[1]->locked());
    EXPECT_FALSE(c().Label30->isHidden());
    EXPECT_TRUE(statusText().isEmpty());
}

// Clear All Data In This Hour in browse mode, then focus into and out of one slot box: only
// Text4 .. Text9 write the emptied hour to the file.
class ClearHourThenFocus : public EditAndSave, public ::testing::WithParamInterface<int> {};

TEST_P(ClearHourThenFocus, OnlyTheSixMiddleSlotsWriteTheEmptiedHour) {
    const int k = GetParam();
    load();
    const QStringList before = storedMidnight();
    ASSERT_FALSE(before.join("").isEmpty());

    c().mnuEditClearHour->trigger();
    for (int i = 1; i <= 12; ++i) {
        EXPECT_TRUE(c().slotBox[i]->text().isEmpty()) << "Text" << i;
        EXPECT_TRUE(c().slotBox[i]->locked()) << "Text" << i;
    }
    focusThrough(c().slotBox[k]);

    const bool writes = k >= 4 && k <= 9;
    EXPECT_EQ(storedMidnight(), writes ? QStringList(12, QString()) : before);
}

INSTANTIATE_TEST_SUITE_P(SlotBoxes, ClearHourThenFocus, ::testing::Range(1, 13),
                         [](const auto& info) { return "Text" + std::to_string(info.param); });

// Option n makes event line n green and the others yellow; Option8 ("Default All") makes all yellow.
class EventHighlight : public EditAndSave, public ::testing::WithParamInterface<int> {};

TEST_P(EventHighlight, OneGreenLineOrNone) {
    const int option = GetParam();
    load();
    c().option[3]->click(); // start from another highlight
    c().option[option]->click();
    for (int n = 1; n <= 7; ++n)
        EXPECT_EQ(c().eventBox[n]->backColor(), n == option ? colors::kGreen : colors::kYellow)
            << "Text" << 12 + n;
    EXPECT_TRUE(c().option[option]->isChecked());
}

INSTANTIATE_TEST_SUITE_P(Options, EventHighlight, ::testing::Range(1, 9),
                         [](const auto& info) { return "Option" + std::to_string(info.param); });

} // namespace
