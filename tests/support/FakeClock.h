#pragma once

#include "board/Clock.h"

// A clock the test sets to any second of any day.
class FakeClock : public Clock {
  public:
    explicit FakeClock(QDateTime t = QDateTime(QDate(2026, 12, 7), QTime(0, 0, 0))) : now_(std::move(t)) {}
    QDateTime now() const override { return now_; }
    void set(const QDateTime& t) { now_ = t; }
    void set(const QDate& d, const QTime& t) { now_ = QDateTime(d, t); }
    void setTime(const QTime& t) { now_ = QDateTime(now_.date(), t); }
    void advance(int seconds) { now_ = now_.addSecs(seconds); }

  private:
    QDateTime now_;
};
