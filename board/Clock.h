#pragma once

#include <QDateTime>

// The one source of the time of day; the program uses the system clock, tests a fake one.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

// "9:05:00 AM", "12:00:00 AM": twelve-hour clock, English suffixes, whatever the locale.
QString clockText(const QTime& time);
// "Monday, Dec 7 2026": English names, whatever the locale.
QString dateText(const QDate& date);
