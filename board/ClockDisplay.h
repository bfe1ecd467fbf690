#pragma once

#include "board/Clock.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

struct BoardControls;

// The live clock of the main board: Timer1 writes the day-time text, the clock text and the
// current-slot mark; Timer4 writes the date line. The clock-driven advance reads what Timer1 writes.
class ClockDisplay {
  public:
    // Runs last in every Timer1 tick with the clock text just shown (the reminder check).
    using ReminderCheck = std::function<void(const QString& clockText)>;

    ClockDisplay(BoardControls& controls, const Clock& clock);

    void setReminderCheck(ReminderCheck check) { reminderCheck_ = std::move(check); }

    void timer1Tick();
    void timer4Tick();

    // The reading whose clock text is on show; none before the first tick.
    std::optional<wall::Reading> shownReading() const { return shown_; }
    // The slot of this second is marked as soon as the grid shows its hour: an hour roll came late.
    void markSlotOnceShown(qint64 at);

  private:
    // Notes the slot jumped into; returns the clock texts whose reminders are still due.
    QStringList noteJump(qint64 from, qint64 to);
    void markCurrentSlot(const QString& shown);
    void markSlotJumpedInto(qint64 at);

    BoardControls& c_;
    const Clock& clock_;
    ReminderCheck reminderCheck_;
    std::optional<wall::Reading> shown_;
    // A slot whose first second the clock jumped over (or went back into): marked as soon as the
    // grid shows its hour, for as long as the clock stays in it.
    std::optional<qint64> slotJumpedInto_;
};
