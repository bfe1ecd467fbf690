#pragma once

#include <QDateTime>
#include <optional>

// Whether the operating system keeps the clock in step with a time server.
enum class ClockSync { Unknown, Synchronised, Unsynchronised };

// The one source of the time of day; the program uses the system clock, tests a fake one.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    // Asked every few seconds, never on a timer tick: the question may cost a system call.
    virtual ClockSync sync() const { return ClockSync::Unknown; }
};

class SystemClock : public Clock {
  public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
    ClockSync sync() const override;
};

// "9:05:00 AM", "12:00:00 AM": twelve-hour clock, English suffixes, whatever the locale.
QString clockText(const QTime& time);
// "9:05 AM": the same without the seconds.
QString minuteText(const QTime& time);
// "Monday, Dec 7 2026": English names, whatever the locale.
QString dateText(const QDate& date);

// The wall clock as a count of seconds: local date and time of day, every day 86400 seconds long.
// Two readings show how the clock texts moved in between, whatever the clock did: a change of
// summer time is a jump of an hour forward or back, a stall a jump over the seconds not seen.
namespace wall {
constexpr qint64 kDay = 24 * 3600;
qint64 second(const QDateTime& t);
inline int timeOfDay(qint64 w) {
    return int(w % kDay);
}
inline qint64 dayOf(qint64 w) {
    return w / kDay;
}
inline QTime time(qint64 w) {
    return QTime::fromMSecsSinceStartOfDay(timeOfDay(w) * 1000);
}
inline QDate date(qint64 w) {
    return QDate::fromJulianDay(dayOf(w));
}
// The latest second strictly between from and to that falls at that time of day, if any.
std::optional<qint64> lastBetween(qint64 from, qint64 to, int timeOfDay);

// One reading of the clock: where the wall clock stood, and the real time (seconds since the
// epoch) it was read at. Between two readings, the wall clock moved by the real time that passed
// plus any step it made.
struct Reading {
    qint64 wall;
    qint64 real;
};
Reading read(const QDateTime& t);
} // namespace wall
