#pragma once

#include <QString>
#include <functional>

class Clock;
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

private:
    void markCurrentSlot(const QString& shown);

    BoardControls& c_;
    const Clock& clock_;
    ReminderCheck reminderCheck_;
};
