#include "board/Clock.h"

#include <array>

#if defined(__linux__)
#include <sys/timex.h>
#endif

ClockSync SystemClock::sync() const {
#if defined(__linux__)
    // Modes 0 only reads the kernel's time-keeping state; no privilege needed.
    timex tx{};
    if (ntp_adjtime(&tx) == -1) return ClockSync::Unknown;
    constexpr long kHalfSecondUs = 500000;
    return (tx.status & STA_UNSYNC) || tx.maxerror > kHalfSecondUs ? ClockSync::Unsynchronised
                                                                   : ClockSync::Synchronised;
#else
    return ClockSync::Unknown;
#endif
}

QString clockText(const QTime& time) {
    const int h24 = time.hour();
    const int h12 = h24 % 12 == 0 ? 12 : h24 % 12;
    return QStringLiteral("%1:%2:%3 %4")
        .arg(h12)
        .arg(time.minute(), 2, 10, QLatin1Char('0'))
        .arg(time.second(), 2, 10, QLatin1Char('0'))
        .arg(h24 < 12 ? QStringLiteral("AM") : QStringLiteral("PM"));
}

QString minuteText(const QTime& time) {
    QString text = clockText(time);
    return text.remove(text.lastIndexOf(QLatin1Char(':')), 3);
}

QString dateText(const QDate& date) {
    static const std::array<const char*, 7> days = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                                    "Friday", "Saturday", "Sunday"};
    static const std::array<const char*, 12> months = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (!date.isValid()) return QString();
    return QStringLiteral("%1, %2 %3 %4")
        .arg(QLatin1String(days[date.dayOfWeek() - 1]), QLatin1String(months[date.month() - 1]))
        .arg(date.day())
        .arg(date.year());
}

namespace wall {

qint64 second(const QDateTime& t) {
    return t.date().toJulianDay() * kDay + t.time().msecsSinceStartOfDay() / 1000;
}

Reading read(const QDateTime& t) {
    return {second(t), t.toSecsSinceEpoch()};
}

std::optional<qint64> lastBetween(qint64 from, qint64 to, int timeOfDay) {
    qint64 at = dayOf(to) * kDay + timeOfDay;
    if (at >= to) at -= kDay;
    if (at > from) return at;
    return std::nullopt;
}

} // namespace wall
