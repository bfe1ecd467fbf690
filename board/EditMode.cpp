#include "board/EditMode.h"

#include "data/controls/DataControl.h"
#include "widgets/Colors.h"
#include "widgets/TextBox.h"
#include "widgets/XButton.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

namespace {

// The copy-library buttons and "Prep Copy", in the order they are hidden and shown again.
constexpr std::array<int, 6> kCopyButtons = {6, 5, 7, 8, 9, 14};

void enableMenu(QMenu* menu, bool enabled) {
    // The menu bar draws the menu's action, so that is what greys the title out.
    menu->menuAction()->setEnabled(enabled);
    menu->setEnabled(enabled);
}

} // namespace

EditMode::EditMode(BoardControls& board, ErrorSink report) : b_(board), report_(std::move(report)) {}

std::array<DataControl*, 4> EditMode::contentRows() const {
    return {b_.data[1], b_.data[2], b_.data[3], b_.data[4]};
}

void EditMode::showMode(bool editing) {
    b_.Label30->setVisible(editing);
    b_.command[3]->setEnabled(!editing);
    b_.command[4]->setEnabled(editing);
    for (int k : kCopyButtons)
        b_.xbutton[k]->setVisible(!editing);
    for (QMenu* menu : {b_.mnuFile, b_.mnuHours, b_.mnuDays, b_.mnuReminders, b_.mnuPhoneList})
        enableMenu(menu, !editing);
    for (int k = 1; k <= 12; ++k)
        b_.slotBox[k]->setLocked(!editing);
    b_.Text20->setLocked(!editing);
    for (int k = 1; k <= 3; ++k)
        b_.sloganBox[k]->setLocked(!editing);
    for (int n = 1; n <= 7; ++n)
        b_.eventBox[n]->setLocked(!editing);
}

void EditMode::enter() {
    showMode(true);
    for (DataControl* row : contentRows())
        skipOnFailure([row] { row->edit(); });
}

void EditMode::save() {
    showMode(false);
    for (DataControl* row : contentRows()) {
        writeRow(row);
        // The refresh runs after a failed write too: it keeps a buffer it cannot store, and it
        // brings back a file that could not be opened before.
        skipOnFailure([row] { row->refresh(); });
    }
}

// A write with nothing typed that fails (no file, no row) is skipped silently; one that would
// lose typed text is shown, and the text stays in the buffer for the next write.
void EditMode::writeRow(DataControl* row) {
    const bool typed = row->isDirty();
    reportOnFailure(typed ? report_ : ErrorSink{}, [row] { row->update(); });
}

void EditMode::slotGotFocus(int slot) {
    if (!hasFocusWrites(slot)) return;
    DataControl* hour = b_.data[1];
    skipOnFailure([hour] { hour->edit(); });
}

void EditMode::slotLostFocus(int slot) {
    if (hasFocusWrites(slot)) writeRow(b_.data[1]);
}

void EditMode::clearHour() {
    for (int k = 1; k <= 12; ++k)
        b_.slotBox[k]->setText(QString());
}

void EditMode::clearEvents() {
    for (int n = 1; n <= 7; ++n)
        b_.eventBox[n]->setText(QString());
}

void EditMode::highlightEvent(int option) {
    for (int n = 1; n <= 7; ++n)
        b_.eventBox[n]->setBackColor(n == option ? colors::kGreen : colors::kYellow);
}
