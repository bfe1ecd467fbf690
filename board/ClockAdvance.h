#pragma once

#include "base/Steps.h"
#include "board/Clock.h"
#include "board/HourGrid.h"
#include "data/sharing/ReadAhead.h"

#include <QString>
#include <QVector>
#include <optional>
#include <utility>

class ClockDisplay;
class DataControl;
struct BoardControls;
namespace catalogue {
struct Weekday;
}

// Timer3: one second before each full hour the grid moves to the next hour (hour roll); a few
// seconds before midnight the board switches to the next weekday's files (day roll); after Sunday
// the pause window holds the board still until midnight has passed.
//
// The checks look for exact clock texts, but a real clock does not always show every second: it
// stalls, steps, and jumps at the changes of summer time. A tick that finds the clock text moved
// by more than one second does what the seconds it did not see would have done.
class ClockAdvance {
  public:
    ClockAdvance(BoardControls& controls, HourGrid& grid, ClockDisplay& display, const Clock& clock,
                 QString programFolder, ErrorSink errors);

    // Seven day checks, then 23 hour checks, each by itself. A failing hour roll stops the tick and
    // is reported, and is tried again on the next tick of its second; one the share did not answer
    // is done once it answers, for the hour the clock is in by then. A day roll opens each source
    // by itself, reports the ones that fail and always moves the day label on.
    void timer3Tick();
    // The tables the next hour roll and the next day roll will read, as the board stands now.
    QVector<TableRef> upcomingTables() const;

  private:
    struct DayCheck {
        QString dayTime; // "11:59:59 PM Monday"
        int timeOfDay;   // its roll second
        const catalogue::Weekday* next;
        bool weekEnd;
    };
    struct HourCheck {
        QString clock; // "10:59:59 AM"
        int hour;      // the hour it rolls to
    };
    // The clock text moved by anything but one second forward (wall seconds, see wall::second).
    struct Jump {
        qint64 from; // the second last seen; once caught up to a second, that one
        qint64 via;  // where the clock would stand had it not been set back: from + real time passed
        qint64 to;   // the second seen now
    };
    struct DayRollAt {
        qint64 at; // wall second
        int check; // into dayChecks_
    };
    using Switches = QVector<std::pair<DataControl*, QString>>;

    void followJump(Jump& jump);
    // The rolls of the seconds in (jump.from, last] that were not seen.
    void catchUp(Jump& jump, qint64 last);
    // The clock went back from one second to an earlier one: the rolls of that span come again.
    void goBack(qint64 from, qint64 to);
    // The day roll of the day label whose second lies in (from, last], if it is due.
    std::optional<DayRollAt> dayRollPassed(qint64 from, qint64 last) const;
    bool dayRollsHeld(qint64 at) const;

    void runDayChecks();
    void runHourChecks();
    void dayRoll(int check, qint64 at);
    void hourRoll(int hour);
    void payOwedRoll();
    Switches dayRollFiles(const catalogue::Weekday& next) const;
    bool dayRollShown(const DayCheck& check) const;
    bool hourRollShown(int hour) const;

    BoardControls& c_;
    HourGrid& grid_;
    ClockDisplay& display_;
    const Clock& clock_;
    QString programFolder_;
    ErrorSink errors_;
    QVector<DayCheck> dayChecks_;
    QVector<HourCheck> hourChecks_;

    // A check stays true for a whole second, about eleven ticks. A roll done on the previous tick
    // is not repeated while the board still shows what it wrote.
    int dayDone_ = -1;
    int hourDone_ = -1;
    QString hourDoneFile_;
    // An hour roll the share did not answer, and what the grid showed after it failed: the board
    // would otherwise name the last hour for the rest of this one. A presenter's own choice of hour
    // meanwhile stands.
    struct OwedRoll {
        QString table, header;
    };
    std::optional<OwedRoll> owedRoll_;

    // The reading of the clock text at the last tick, and a jump still to be followed: one that
    // failed is tried again on the later ticks of its second, as a roll would be.
    std::optional<wall::Reading> seen_;
    std::optional<Jump> jump_;
    std::optional<DayRollAt> lastDayRoll_;
    // A day roll the clock went back over: done once more when its second comes again, and until
    // then no other day roll, so the day label never moves on twice in one night.
    std::optional<DayRollAt> replay_;
    // The day (wall::dayOf) of the Sunday night on which the board switched to Monday: no other
    // day roll that night, so a pause window closed early cannot let Monday's check switch the
    // board on to Tuesday.
    std::optional<qint64> weekTurnNight_;
};
