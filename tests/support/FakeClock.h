#pragma once

#include "board/Clock.h"

#include <QTimeZone>

// A clock the test sets to any second of any day. Carried in a time zone, it moves as a real
// clock does: advancing it by real seconds makes the local clock text jump at the changes of
// summer time exactly as on a machine in that zone.
class FakeClock : public Clock {
  public:
    explicit FakeClock(QDateTime t = QDateTime(QDate(2026, 12, 7), QTime(0, 0, 0))) : now_(std::move(t)) {}
    QDateTime now() const override { return now_; }
    ClockSync sync() const override {
        ++syncQuestions;
        return sync_;
    }

    void set(const QDateTime& t) { now_ = t; }
    void set(const QDate& d, const QTime& t) { now_ = QDateTime(d, t, now_.timeZone()); }
    // Local date and time in that zone; the zone stays for every later move. A time the clock
    // shows twice (the hour repeated when summer time ends) is its first showing, as a clock
    // running into that night reaches it.
    void set(const QDate& d, const QTime& t, const QTimeZone& zone) {
        now_ = QDateTime(d, t, zone);
        for (int back : {3600, 1800}) {
            const QDateTime earlier = now_.addSecs(-back);
            if (earlier.date() == d && earlier.time() == t) now_ = earlier;
        }
    }
    void setTime(const QTime& t) { now_ = QDateTime(now_.date(), t, now_.timeZone()); }
    // Real seconds, forward or back (a stall, a suspend, a step of the time service).
    void advance(int seconds) { now_ = now_.addSecs(seconds); }
    void setSync(ClockSync s) { sync_ = s; }

    mutable int syncQuestions = 0;

  private:
    QDateTime now_;
    ClockSync sync_ = ClockSync::Unknown;
};
