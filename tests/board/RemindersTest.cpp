#include "tests/board/EditingBoard.h"

#include "board/Clock.h"
#include "board/Reminders.h"
#include "widgets/TextBox.h"

#include <QAction>
#include <QGroupBox>
#include <QLayout>
#include <QPushButton>

namespace {

class ReminderPanels : public EditingBoard {
  protected:
    bool shown(QGroupBox* frame) { return !frame->isHidden(); }
    bool reminder1Shown() { return shown(c().Frame8); }
    bool reminder2Shown() { return shown(c().Frame9); }
};

struct Firing {
    int list; // ComboN
    QTime at;
    int reminder; // whose panel it shows
};

class ReminderFires : public ReminderPanels, public ::testing::WithParamInterface<Firing> {};

TEST_P(ReminderFires, AtItsSecondAndNotBeforeAndTheOtherPanelStaysHidden) {
    const Firing f = GetParam();
    load();
    type(c().combo[f.list], clockText(f.at));
    QGroupBox* own = f.reminder == 1 ? c().Frame8 : c().Frame9;
    QGroupBox* other = f.reminder == 1 ? c().Frame9 : c().Frame8;

    tickAt(f.at.addSecs(-1));
    EXPECT_FALSE(shown(own));
    tickAt(f.at);
    EXPECT_TRUE(shown(own));
    EXPECT_FALSE(shown(other));
    tickAt(f.at.addSecs(1));
    EXPECT_TRUE(shown(own)); // stays until closed
    EXPECT_EQ(c().combo[f.list]->currentText(), clockText(f.at));
}

INSTANTIATE_TEST_SUITE_P(Lists, ReminderFires,
                         ::testing::Values(Firing{3, QTime(5, 10, 0), 1}, Firing{5, QTime(14, 30, 0), 1},
                                           Firing{16, QTime(4, 50, 0), 1}, Firing{17, QTime(5, 0, 0), 2},
                                           Firing{20, QTime(23, 10, 0), 2}, Firing{32, QTime(0, 0, 0), 2}),
                         [](const auto& info) { return "Combo" + std::to_string(info.param.list); });

// Only the clock text's own spelling fires: no trimming, no parsing, case counts.
class ReminderNeverFires : public ReminderPanels, public ::testing::WithParamInterface<const char*> {};

TEST_P(ReminderNeverFires, AtTwoThirtyPm) {
    load();
    type(c().combo[5], GetParam());
    type(c().combo[21], GetParam());
    for (int s = -2; s <= 2; ++s)
        tickAt(QTime(14, 30, 0).addSecs(s));
    EXPECT_FALSE(reminder1Shown());
    EXPECT_FALSE(reminder2Shown());
}

INSTANTIATE_TEST_SUITE_P(Spellings, ReminderNeverFires,
                         ::testing::Values("2:30 PM", "02:30:00 PM", "2:30:00 pm", " 2:30:00 PM",
                                           "2:30:00 PM ", "14:30:00"));

TEST_F(ReminderPanels, EmptyListsNeverShowAPanelAllDay) {
    load();
    for (int n = 1; n <= 32; ++n)
        ASSERT_TRUE(c().combo[n]->currentText().isEmpty()) << n;
    for (int s = 0; s < 24 * 3600; ++s)
        checkReminders(c(), clockText(QTime(0, 0, 0).addSecs(s)));
    EXPECT_FALSE(reminder1Shown());
    EXPECT_FALSE(reminder2Shown());
}

TEST_F(ReminderPanels, BothCanFireInOneTick) {
    load();
    type(c().combo[9], "8:00:00 AM");
    type(c().combo[30], "8:00:00 AM");
    tickAt(QTime(8, 0, 0));
    EXPECT_TRUE(reminder1Shown());
    EXPECT_TRUE(reminder2Shown());
}

TEST_F(ReminderPanels, TheMenuShowsOnePanelAndHidesTheOtherAndCloseSetUpHidesIt) {
    load();
    EXPECT_FALSE(reminder1Shown());
    EXPECT_FALSE(reminder2Shown());

    type(c().combo[20], "6:40:00 AM");
    tickAt(QTime(6, 40, 0));
    ASSERT_TRUE(reminder2Shown());
    c().mnuEditPopup1->trigger();
    EXPECT_TRUE(reminder1Shown());
    EXPECT_FALSE(reminder2Shown());

    c().mnuEditPopup2->trigger();
    EXPECT_TRUE(reminder2Shown());
    EXPECT_FALSE(reminder1Shown());

    c().command[2]->click();
    EXPECT_FALSE(reminder2Shown());
    c().mnuEditPopup1->trigger();
    c().command[1]->click();
    EXPECT_FALSE(reminder1Shown());
}

TEST_F(ReminderPanels, TimesTypedIntoTheListsAreStoredWhenTheDaysMenuChangesTheDay) {
    load();
    c().mnuEditPopup1->trigger();
    type(c().combo[4], "5:10:00 AM");
    type(c().Text24, "Read the school closings");
    type(c().combo[18], "9:40:00 PM");
    EXPECT_TRUE(fx.read(reminderFile(), catalogue::kReminder1Table, "Time4").isEmpty());

    c().dayItem[2]->trigger(); // Wednesday
    EXPECT_EQ(fx.read(reminderFile(), catalogue::kReminder1Table, "Time4"), "5:10:00 AM");
    EXPECT_EQ(fx.read(reminderFile(), catalogue::kReminder1Table, "Text"), "Read the school closings");
    EXPECT_EQ(fx.read(reminderFile(), catalogue::kReminder2Table, "Time2"), "9:40:00 PM");
    // The lists now show Wednesday's reminders.
    const QString wednesday = fx.dataFile(catalogue::weekdays()[2].reminderFile);
    EXPECT_EQ(c().combo[4]->currentText(), fx.read(wednesday, catalogue::kReminder1Table, "Time4"));
    EXPECT_EQ(c().Text24->text(), fx.read(wednesday, catalogue::kReminder1Table, "Text"));
}

struct ClearCase {
    int reminder;
    int clearButton; // CommandN
    QString table;
    QString otherTable;
};

class ReminderClear : public ReminderPanels, public ::testing::WithParamInterface<ClearCase> {
  protected:
    // Distinct times and a message in both reminder tables of Monday's file.
    void fillBothReminders() {
        for (const QString& table : {catalogue::kReminder1Table, catalogue::kReminder2Table})
            for (int i = 1; i <= 16; ++i)
                fx.write(reminderFile(), table, QStringLiteral("Time%1").arg(i),
                         clockText(QTime(table == catalogue::kReminder1Table ? 6 : 18, i, 0)));
        fx.write(reminderFile(), catalogue::kReminder1Table, "Text", "Read the school closings");
        fx.write(reminderFile(), catalogue::kReminder2Table, "Text", "Check the transmitter log");
    }
    int firstList(int reminder) { return reminder == 1 ? 1 : 17; }
    MultiLineBox* message(int reminder) { return reminder == 1 ? c().Text24 : c().Text25; }
};

TEST_P(ReminderClear, EmptiesOnlyItsOwnListsAndMessageWhichReachTheFileWhenItsBindingIsNextRefreshed) {
    const ClearCase k = GetParam();
    const int other = 3 - k.reminder;
    fillBothReminders();
    load();
    ASSERT_EQ(c().combo[firstList(k.reminder)]->currentText(), fx.read(reminderFile(), k.table, "Time1"));
    const QString otherMessage = message(other)->text();
    ASSERT_FALSE(otherMessage.isEmpty());

    c().command[k.clearButton]->click();
    for (int i = 0; i < 16; ++i) {
        EXPECT_TRUE(c().combo[firstList(k.reminder) + i]->currentText().isEmpty()) << i;
        EXPECT_EQ(c().combo[firstList(other) + i]->currentText(),
                  fx.read(reminderFile(), k.otherTable, QStringLiteral("Time%1").arg(i + 1)));
    }
    EXPECT_TRUE(message(k.reminder)->text().isEmpty());
    EXPECT_EQ(message(other)->text(), otherMessage);
    // The button writes nothing itself.
    EXPECT_FALSE(fx.read(reminderFile(), k.table, "Time1").isEmpty());

    c().mnuFileRefresh->trigger(); // re-reads Data1 .. Data6
    for (const QString& field : catalogue::reminderFields())
        EXPECT_TRUE(fx.read(reminderFile(), k.table, field).isEmpty()) << field.toStdString();
    EXPECT_EQ(fx.read(reminderFile(), k.otherTable, "Text"), otherMessage);
    EXPECT_FALSE(fx.read(reminderFile(), k.otherTable, "Time16").isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, ReminderClear,
    ::testing::Values(ClearCase{1, 13, catalogue::kReminder1Table, catalogue::kReminder2Table},
                      ClearCase{2, 12, catalogue::kReminder2Table, catalogue::kReminder1Table}),
    [](const auto& info) { return "Reminder" + std::to_string(info.param.reminder); });

TEST_F(ReminderPanels, BothPanelsOfferTheSameDayOfTimesAndCoverTheEventsPanel) {
    load();
    for (int n : {1, 16, 17, 32}) {
        QComboBox* list = c().combo[n];
        ASSERT_EQ(list->count(), 144) << n;
        EXPECT_EQ(list->itemText(0), "5:00:00 AM");
        EXPECT_EQ(list->itemText(1), "5:10:00 AM");
        EXPECT_EQ(list->itemText(113), "11:50:00 PM");
        EXPECT_EQ(list->itemText(114), "12:00:00 AM");
        EXPECT_EQ(list->itemText(143), "4:50:00 AM");
        EXPECT_TRUE(list->isEditable());
    }
    for (int reminder : {1, 2}) {
        SCOPED_TRACE(reminder);
        board->resize(1400, 900);
        reminder == 1 ? c().mnuEditPopup1->trigger() : c().mnuEditPopup2->trigger();
        board->centralWidget()->layout()->activate();
        const QRect events = c().Frame2->geometry();
        const QRect panel = (reminder == 1 ? c().Frame8 : c().Frame9)->geometry();
        EXPECT_EQ(panel.top(), events.top());
        EXPECT_EQ(panel.bottom(), events.bottom());
        EXPECT_EQ(panel.right(), events.right());
        EXPECT_LT(panel.left(), events.left());
    }
}

} // namespace
