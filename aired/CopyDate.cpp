#include "aired/CopyDate.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringList>

namespace {

// A two-digit year as the stations' files mean it.
int fullYear(const QString& digits) {
    const int y = digits.toInt();
    if (digits.size() == 4) return y;
    return y >= 70 ? 1900 + y : 2000 + y;
}

// 1..12 for a month name or its abbreviation of three letters or more ("Sep", "Sept"); 0 otherwise.
int monthNamed(const QString& word) {
    static const QStringList names = {"january", "february", "march",     "april",   "may",      "june",
                                      "july",    "august",   "september", "october", "november", "december"};
    if (word.size() < 3) return 0;
    for (int m = 0; m < names.size(); ++m)
        if (names[m].startsWith(word.toLower())) return m + 1;
    return 0;
}

// A date only where the calendar has it: QDate refuses Feb 30 rather than rolling it over.
std::optional<QDate> dateOf(int year, int month, int day) {
    const QDate d(year, month, day);
    if (!d.isValid()) return std::nullopt;
    return d;
}

} // namespace

std::optional<QDate> readCopyDate(const QString& text) {
    const QString t = text.trimmed();
    // 12/31/26, 03-06-2004, 2026-12-31: one separator throughout; a year of two or four digits.
    static const QRegularExpression numeric(QStringLiteral(R"(^(\d{1,4})([/.-])(\d{1,2})\2(\d{1,4})$)"));
    // Dec 31 2026, December 31, 2026, Monday, Dec 7 2026 (as the board writes its date).
    static const QRegularExpression monthFirst(
        QStringLiteral(R"(^(?:[a-z]+,?\s+)?([a-z]+)\.?\s+(\d{1,2})(?:st|nd|rd|th)?,?\s+(\d{2}|\d{4})$)"),
        QRegularExpression::CaseInsensitiveOption);
    // 31 Dec 2026
    static const QRegularExpression dayFirst(QStringLiteral(R"(^(\d{1,2})\s+([a-z]+)\.?,?\s+(\d{2}|\d{4})$)"),
                                             QRegularExpression::CaseInsensitiveOption);
    if (const auto m = numeric.match(t); m.hasMatch()) {
        const QString first = m.captured(1), last = m.captured(4);
        const int middle = m.captured(3).toInt();
        if (first.size() == 4 && last.size() <= 2) return dateOf(first.toInt(), middle, last.toInt());
        if (first.size() > 2 || (last.size() != 2 && last.size() != 4)) return std::nullopt;
        const int year = fullYear(last);
        if (m.captured(2) == QLatin1String(".")) {
            // Dots are how day-first dates are written.
            if (const auto dayFirst = dateOf(year, middle, first.toInt())) return dayFirst;
        }
        return dateOf(year, first.toInt(), middle);
    }
    if (const auto m = monthFirst.match(t); m.hasMatch()) {
        const int month = monthNamed(m.captured(1));
        if (month == 0) return std::nullopt;
        return dateOf(fullYear(m.captured(3)), month, m.captured(2).toInt());
    }
    if (const auto m = dayFirst.match(t); m.hasMatch()) {
        const int month = monthNamed(m.captured(2));
        if (month == 0) return std::nullopt;
        return dateOf(fullYear(m.captured(3)), month, m.captured(1).toInt());
    }
    return std::nullopt;
}

QString copyDateNote(const QString& text) {
    if (text.trimmed().isEmpty() || readCopyDate(text)) return QString();
    return QStringLiteral("not a date: no limit");
}

bool reversedRange(const QString& startText, const QString& endText) {
    const auto start = readCopyDate(startText);
    const auto end = readCopyDate(endText);
    return start && end && *end < *start;
}

RunCheck checkRun(const QString& startText, const QString& endText, const QDate& today) {
    if (const auto end = readCopyDate(endText); end && *end < today) return {RunState::Expired, *end};
    if (const auto start = readCopyDate(startText); start && *start > today)
        return {RunState::NotYetStarted, *start};
    return {};
}

QString runReason(const RunCheck& check) {
    // English month names whatever the locale, as the board's own date.
    const QString date = QLocale::c().toString(check.limit, QStringLiteral("MMM d yyyy"));
    switch (check.state) {
    case RunState::Expired:
        return QStringLiteral("Ended ") + date;
    case RunState::NotYetStarted:
        return QStringLiteral("Starts ") + date;
    case RunState::Current:
        break;
    }
    return QString();
}
