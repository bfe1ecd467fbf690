#include "board/HourTable.h"

#include "board/Clock.h"

#include <QTime>

namespace {

int twelveHour(int hour) {
    return hour % 12 == 0 ? 12 : hour % 12;
}
QString suffix(int hour) {
    return hour < 12 ? QStringLiteral("AM") : QStringLiteral("PM");
}
QString onTheHour(int hour) {
    return QStringLiteral("%1:00").arg(twelveHour(hour));
}

HourRow makeRow(int hour) {
    HourRow row;
    row.hour = hour;
    row.table = QString::number(twelveHour(hour)) + suffix(hour).toLower();
    row.menuItem = QStringLiteral("mnu") + row.table;
    // Two blanks before a single-digit hour keep the menu's colons in one column.
    const QString pad = twelveHour(hour) < 10 ? QStringLiteral("  ") : QString();
    row.menuCaption = pad + onTheHour(hour) + QLatin1Char(' ') + suffix(hour);
    for (int minute = 0; minute < 60; minute += 5) {
        row.slotLabels << QStringLiteral("%1:%2 %3")
                              .arg(twelveHour(hour))
                              .arg(minute, 2, 10, QLatin1Char('0'))
                              .arg(suffix(hour));
        row.slotKeys << clockText(QTime(hour, minute, 0));
    }
    const int next = (hour + 1) % 24;
    row.clockHeader =
        QStringLiteral("%1 %2 - %3 %4").arg(onTheHour(hour), suffix(hour), onTheHour(next), suffix(next));
    // The menu drops the first suffix for the hours 1 AM to 10 AM only; midnight and 11 AM keep both.
    const bool shortForm = hour >= 1 && hour <= 10;
    row.menuHeader = shortForm
                         ? QStringLiteral("%1 - %2 %3").arg(onTheHour(hour), onTheHour(next), suffix(next))
                         : row.clockHeader;
    if (hour != 0) row.rollCheck = clockText(QTime(hour - 1, 59, 59));
    return row;
}

} // namespace

const QVector<HourRow>& hourRows() {
    static const QVector<HourRow> rows = [] {
        QVector<HourRow> out;
        for (int hour = 0; hour < 24; ++hour)
            out.push_back(makeRow(hour));
        return out;
    }();
    return rows;
}

const QString& startHourHeader() {
    static const QString header = QStringLiteral("12:00 - 1:00 AM");
    return header;
}
