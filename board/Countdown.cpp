#include "board/Countdown.h"

#include "board/BoardControls.h"

#include <QComboBox>
#include <QLabel>
#include <QRegularExpression>
#include <optional>

namespace countdown {

namespace {

// Seconds since midnight of a clock text such as "4:50:00 PM"; none for any other text.
std::optional<int> secondsOfClockText(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^(1[0-2]|[1-9]):([0-5]\\d):([0-5]\\d) (AM|PM)$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch()) return std::nullopt;
    const int hour12 = m.captured(1).toInt() % 12;
    const int hour = m.captured(4) == QLatin1String("PM") ? hour12 + 12 : hour12;
    return hour * 3600 + m.captured(2).toInt() * 60 + m.captured(3).toInt();
}

QString duration(int seconds) {
    const int h = seconds / 3600, m = seconds / 60 % 60, s = seconds % 60;
    if (h > 0)
        return QStringLiteral("%1:%2:%3")
            .arg(h)
            .arg(m, 2, 10, QLatin1Char('0'))
            .arg(s, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(m).arg(s, 2, 10, QLatin1Char('0'));
}

} // namespace

QString text(const QTime& now, const QStringList& reminder1Times, const QStringList& reminder2Times) {
    const int at = now.msecsSinceStartOfDay() / 1000;
    QString line = QStringLiteral("Top of hour in ") + duration((3600 - at % 3600) % 3600);
    std::optional<std::pair<int, int>> next; // seconds to go, reminder number
    for (int reminder : {2, 1})
        for (const QString& time : reminder == 1 ? reminder1Times : reminder2Times)
            if (const std::optional<int> due = secondsOfClockText(time); due && *due > at)
                if (!next || *due - at < next->first) next = std::pair{*due - at, reminder};
    if (next) line += QStringLiteral("  ·  Reminder #%1 in %2").arg(next->second).arg(duration(next->first));
    return line;
}

void show(BoardControls& board, const QTime& now) {
    if (!board.lblCountdown) return;
    QStringList first, second;
    for (int i = 1; i <= 16; ++i) {
        first << board.combo[i]->currentText();
        second << board.combo[16 + i]->currentText();
    }
    const QString line = text(now, first, second);
    if (board.lblCountdown->text() != line) board.lblCountdown->setText(line);
}

} // namespace countdown
