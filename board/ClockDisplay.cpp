#include "board/ClockDisplay.h"

#include "board/BoardControls.h"
#include "board/Clock.h"
#include "widgets/Colors.h"
#include "widgets/Lbl3D.h"
#include "widgets/TextBox.h"

#include <QLabel>
#include <algorithm>
#include <utility>

namespace {
constexpr qint64 kSlot = 5 * 60;
// A reminder this late still helps the presenter; one later than that is stale.
constexpr qint64 kReminderGrace = 59;

qint64 slotStart(qint64 w) {
    return w - w % kSlot;
}
} // namespace

ClockDisplay::ClockDisplay(BoardControls& controls, const Clock& clock) : c_(controls), clock_(clock) {}

void ClockDisplay::timer1Tick() {
    const QDateTime t = clock_.now();
    const QString now = clockText(t.time());
    // The day-time text ends in the day name, so it never equals the bare clock text: it is
    // rewritten on every tick and follows a changed day label at once.
    if (c_.Label34->text() != now) c_.Label34->setText(now + QLatin1Char(' ') + c_.Label31->text());
    if (c_.Lbl3D1->caption() != now) c_.Lbl3D1->setCaption(now);
    const wall::Reading reading = wall::read(t);
    const qint64 at = reading.wall;
    const std::optional<wall::Reading> before = std::exchange(shown_, reading);
    // A clock that moves on by one second at most has skipped nothing.
    QStringList missed;
    if (before && at != before->wall && at != before->wall + 1) missed = noteJump(before->wall, at);
    // Everything after this compares against what the clock label shows.
    const QString shown = c_.Lbl3D1->caption();
    markCurrentSlot(shown);
    markSlotJumpedInto(at);
    if (!reminderCheck_) return;
    for (const QString& text : missed)
        reminderCheck_(text);
    reminderCheck_(shown);
}

QStringList ClockDisplay::noteJump(qint64 from, qint64 to) {
    // Landing on the slot's first second counts too: the hour it belongs to may be shown only
    // after the hour roll that catches up with this jump.
    if (to < from || slotStart(to) > from) slotJumpedInto_ = slotStart(to);
    // Clock texts jumped over by less than a minute: their reminders are still due.
    QStringList missed;
    if (to > from)
        for (qint64 s = std::max(from + 1, to - kReminderGrace); s < to; ++s)
            missed << clockText(wall::time(s));
    return missed;
}

void ClockDisplay::markCurrentSlot(const QString& shown) {
    for (int k = 1; k <= 12; ++k) {
        if (c_.slotKey[k]->text() != shown) continue;
        c_.slotBox[k]->setBackColor(colors::kGreen);
        // The first slot has nothing to clear: the hour roll turned all boxes yellow a second ago.
        if (k > 1) c_.slotBox[k - 1]->setBackColor(colors::kYellow);
    }
}

void ClockDisplay::markSlotOnceShown(qint64 at) {
    slotJumpedInto_ = slotStart(at);
}

void ClockDisplay::markSlotJumpedInto(qint64 at) {
    if (!slotJumpedInto_) return;
    if (slotStart(at) != *slotJumpedInto_) {
        slotJumpedInto_.reset();
        return;
    }
    // Kept for the whole slot: the hour roll that catches up with the same jump may run after
    // this tick and clear the mark again.
    const QString key = clockText(wall::time(*slotJumpedInto_));
    for (int k = 1; k <= 12; ++k) {
        if (c_.slotKey[k]->text() != key || c_.slotBox[k]->backColor() == colors::kGreen) continue;
        // The marks of the slots jumped over would have moved on one by one: one mark is left.
        for (int j = 1; j <= 12; ++j)
            c_.slotBox[j]->setBackColor(j == k ? colors::kGreen : colors::kYellow);
    }
}

void ClockDisplay::timer4Tick() {
    c_.lblDate->setCaption(dateText(clock_.now().date()));
}
