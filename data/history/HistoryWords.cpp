#include "data/history/HistoryWords.h"

#include "data/catalogue/Catalogue.h"

#include <QRegularExpression>
#include <array>

namespace historywords {

namespace {

bool same(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// "12am" -> 0, "1pm" -> 13; -1 for a table that is no hour.
int hourOf(const QString& table) {
    return int(catalogue::hourTables().indexOf(table.toLower()));
}

int twelveHour(int hour24) {
    return hour24 % 12 == 0 ? 12 : hour24 % 12;
}

QString half(int hour24) {
    return hour24 < 12 ? QStringLiteral("AM") : QStringLiteral("PM");
}

// "12:05 AM", or with the seconds "12:05:09 AM".
QString clockTime(int hour24, int minute, int second = -1) {
    QString text = QStringLiteral("%1:%2").arg(twelveHour(hour24)).arg(minute, 2, 10, QLatin1Char('0'));
    if (second >= 0) text += QStringLiteral(":%1").arg(second, 2, 10, QLatin1Char('0'));
    return text + QLatin1Char(' ') + half(hour24);
}

// A field name ending in a number, as the families of fields are named ("me3", "Slogan12").
bool numbered(const QString& field, const QString& stem, const QString& tail, QString& number) {
    static const QRegularExpression pattern(QStringLiteral("^([A-Za-z]+?)(\\d+)([A-Za-z]*)$"));
    const QRegularExpressionMatch m = pattern.match(field);
    if (!m.hasMatch() || !same(m.captured(1), stem) || !same(m.captured(3), tail)) return false;
    number = m.captured(2);
    return true;
}

struct Caption {
    const char* table;
    const char* field;
    const char* caption;
};

// As the windows label their boxes and buttons.
constexpr std::array<Caption, 21> kCaptions = {{
    {"Main", "PromoName", "Name"},
    {"Main", "StartDate", "Start Date"},
    {"Main", "EndDate", "End Date"},
    {"Main", "EnteredBy", "Entered By"},
    {"Main", "BodyText", "Copy"},
    {"Prep", "Title", "Title"},
    {"Prep", "Date", "Date"},
    {"Prep", "Text", "Copy"},
    {"List", "Name", "Name"},
    {"List", "Title", "Title"},
    {"List", "Home", "Home Phone"},
    {"List", "Work", "Work Phone"},
    {"List", "Ext", "Ext."},
    {"List", "Cell", "Cell Phone"},
    {"List", "Pager", "Pager"},
    {"List", "Pin", "Pin/Nextel #"},
    {"List", "String", "Name in the list"},
    {"MonWx", "Wx", "Weather"},
    {"MonWx", "Contest", "Contest"},
    {"MonWx", "Remote", "Remote"},
    {"MonWx", "Show", "Show Promo"},
}};

} // namespace

QString fieldCaption(const QString& table, const QString& field) {
    for (const Caption& c : kCaptions)
        if (same(table, QLatin1String(c.table)) && same(field, QLatin1String(c.field)))
            return QLatin1String(c.caption);
    const int hour = hourOf(table);
    if (hour >= 0 && catalogue::slotFields().contains(field.toLower()))
        return clockTime(hour, field.left(2).toInt()) + QStringLiteral(" slot");
    QString n;
    if (same(table, catalogue::kEventsTable)) {
        if (numbered(field, QStringLiteral("me"), QString(), n)) return QStringLiteral("Event ") + n;
        if (numbered(field, QStringLiteral("me"), QStringLiteral("txt"), n))
            return QStringLiteral("Event %1 notes").arg(n);
    }
    if (same(table, catalogue::kSloganTable) && numbered(field, QStringLiteral("Slogan"), QString(), n))
        return QStringLiteral("Slogan ") + n;
    if (same(table, catalogue::kReminder1Table) || same(table, catalogue::kReminder2Table)) {
        if (numbered(field, QStringLiteral("Time"), QString(), n)) return QStringLiteral("Time ") + n;
        if (same(field, QStringLiteral("Text"))) return QStringLiteral("Message");
    }
    return field;
}

QString namingField(const QString& table) {
    if (same(table, catalogue::kLibraryTable)) return QStringLiteral("PromoName");
    if (same(table, catalogue::kPrepTable)) return QStringLiteral("Title");
    if (same(table, catalogue::kPhoneTable)) return QStringLiteral("Name");
    return QString();
}

QString singleRecordCaption(const QString& file, const QString& table) {
    const QString name = file.section(QRegularExpression(QStringLiteral("[/\\\\]")), -1);
    const auto is = [&](const QString& constant) { return same(constant.mid(1), name); };
    const QString reminder = same(table, catalogue::kReminder1Table) ? QStringLiteral("reminder #1")
                                                                     : QStringLiteral("reminder #2");
    if (is(catalogue::kSloganFile)) return QStringLiteral("Slogans");
    if (is(catalogue::kSharedReminderFile)) return QStringLiteral("Every day, ") + reminder;
    for (const catalogue::Weekday& d : catalogue::weekdays()) {
        if (is(d.dayFile)) {
            const int hour = hourOf(table);
            if (hour < 0) return d.name;
            return QStringLiteral("%1, %2 %3 hour").arg(d.name).arg(twelveHour(hour)).arg(half(hour));
        }
        if (is(d.eventsFile)) return d.name + QStringLiteral("'s events");
        if (is(d.weatherFile)) return d.name + QStringLiteral("'s weather and promos");
        if (is(d.reminderFile)) return QStringLiteral("%1, %2").arg(d.name, reminder);
    }
    return QString();
}

QString whenText(const QDateTime& at) {
    static const std::array<const char*, 12> months = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const QDateTime local = at.toLocalTime();
    const QTime t = local.time();
    return QStringLiteral("%1 %2 %3, %4")
        .arg(QLatin1String(months[local.date().month() - 1]))
        .arg(local.date().day())
        .arg(local.date().year())
        .arg(clockTime(t.hour(), t.minute(), t.second()));
}

QString kindWords(ChangeKind kind) {
    switch (kind) {
    case ChangeKind::Add:
        return QStringLiteral("added with a new record");
    case ChangeKind::Delete:
        return QStringLiteral("deleted with the record");
    case ChangeKind::Update:
        break;
    }
    return QStringLiteral("changed");
}

} // namespace historywords
