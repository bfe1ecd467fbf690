#pragma once

#include "board/HourGrid.h"
#include "data/Steps.h"

#include <QString>
#include <QVector>
#include <utility>

class Clock;
class DataControl;
struct BoardControls;
namespace catalogue {
struct Weekday;
}

// Timer3: one second before each full hour the grid moves to the next hour (hour roll); a few
// seconds before midnight the board switches to the next weekday's files (day roll); after Sunday
// the pause window holds the board still until midnight has passed.
class ClockAdvance {
public:
    ClockAdvance(BoardControls& controls, HourGrid& grid, const Clock& clock, QString programFolder,
                 ErrorSink errors);

    // Seven day checks, then 23 hour checks, each by itself. A failing roll stops the tick and is
    // reported; since the day label is written last, a failed day roll is tried again next tick.
    void timer3Tick();

private:
    struct DayCheck {
        QString dayTime; // "11:59:59 PM Monday"
        const catalogue::Weekday* next;
        bool weekEnd;
    };
    struct HourCheck {
        QString clock; // "10:59:59 AM"
        int hour;      // the hour it rolls to
    };
    using Switches = QVector<std::pair<DataControl*, QString>>;

    void runDayChecks();
    void runHourChecks();
    void dayRoll(const DayCheck& check);
    void hourRoll(int hour);
    Switches dayRollFiles(const catalogue::Weekday& next) const;
    bool dayRollShown(const DayCheck& check) const;
    bool hourRollShown(int hour) const;

    BoardControls& c_;
    HourGrid& grid_;
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
    // From the Sunday roll until the clock has left the last seconds of the night: no day roll, so
    // a pause window closed early cannot let Monday's check switch the board on to Tuesday.
    bool weekTurning_ = false;
};
