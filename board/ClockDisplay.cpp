#include "board/ClockDisplay.h"

#include "board/BoardControls.h"
#include "board/Clock.h"
#include "widgets/Colors.h"
#include "widgets/Lbl3D.h"
#include "widgets/TextBox.h"

#include <QLabel>

ClockDisplay::ClockDisplay(BoardControls& controls, const Clock& clock) : c_(controls), clock_(clock) {}

void ClockDisplay::timer1Tick() {
    const QString now = clockText(clock_.now().time());
    // The day-time text ends in the day name, so it never equals the bare clock text: it is
    // rewritten on every tick and follows a changed day label at once.
    if (c_.Label34->text() != now) c_.Label34->setText(now + QLatin1Char(' ') + c_.Label31->text());
    if (c_.Lbl3D1->caption() != now) c_.Lbl3D1->setCaption(now);
    // Everything after this compares against what the clock label shows.
    const QString shown = c_.Lbl3D1->caption();
    markCurrentSlot(shown);
    if (reminderCheck_) reminderCheck_(shown);
}

void ClockDisplay::markCurrentSlot(const QString& shown) {
    for (int k = 1; k <= 12; ++k) {
        if (c_.slotKey[k]->text() != shown) continue;
        c_.slotBox[k]->setBackColor(colors::kGreen);
        // The first slot has nothing to clear: the hour roll turned all boxes yellow a second ago.
        if (k > 1) c_.slotBox[k - 1]->setBackColor(colors::kYellow);
    }
}

void ClockDisplay::timer4Tick() {
    c_.lblDate->setCaption(dateText(clock_.now().date()));
}
