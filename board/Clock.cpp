#include "board/Clock.h"

#include <array>

QString clockText(const QTime& time) {
    const int h24 = time.hour();
    const int h12 = h24 % 12 == 0 ? 12 : h24 % 12;
    return QStringLiteral("%1:%2:%3 %4")
        .arg(h12)
        .arg(time.minute(), 2, 10, QLatin1Char('0'))
        .arg(time.second(), 2, 10, QLatin1Char('0'))
        .arg(h24 < 12 ? QStringLiteral("AM") : QStringLiteral("PM"));
}

QString dateText(const QDate& date) {
    static const std::array<const char*, 7> days = {"Monday", "Tuesday", "Wednesday", "Thursday",
                                                    "Friday", "Saturday", "Sunday"};
    static const std::array<const char*, 12> months = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (!date.isValid()) return QString();
    return QStringLiteral("%1, %2 %3 %4")
        .arg(QLatin1String(days[date.dayOfWeek() - 1]), QLatin1String(months[date.month() - 1]))
        .arg(date.day())
        .arg(date.year());
}
