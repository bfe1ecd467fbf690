#include "tools/DemoContent.h"

#include "data/catalogue/Catalogue.h"

#include <QStringList>

namespace demo {

namespace {

using catalogue::Weekday;

const Weekday* dayOfFile(const QString& fileConstant) {
    for (const Weekday& d : catalogue::weekdays())
        if (fileConstant == d.dayFile || fileConstant == d.eventsFile || fileConstant == d.weatherFile ||
            fileConstant == d.reminderFile)
            return &d;
    return nullptr;
}

// What the presenter does in each five-minute slot; the hour and day vary the details.
FieldValues hourRecord(const Weekday& day, int hourIndex) {
    static const QStringList pattern = {"Legal ID, top-of-hour news (3 min)",
                                        "Weather and traffic",
                                        "Music sweep, back-announce",
                                        "Live read: %1 sponsor",
                                        "Stopset 1: two spots, station promo",
                                        "Request line: take a caller",
                                        "Music sweep",
                                        "Community calendar for %1",
                                        "Stopset 2: three spots",
                                        "Contest tease, phones open at %2",
                                        "Weather update, temperature check",
                                        "Coming up next hour, stager into the hour"};
    const int h12 = hourIndex % 12 == 0 ? 12 : hourIndex % 12;
    const QString next = QStringLiteral("%1:%2 %3")
                             .arg(h12)
                             .arg(QStringLiteral("45"))
                             .arg(hourIndex < 12 ? QStringLiteral("AM") : QStringLiteral("PM"));
    FieldValues r;
    const QStringList& fields = catalogue::slotFields();
    for (int k = 0; k < fields.size(); ++k) {
        QString text = pattern[k];
        if (text.contains(QLatin1String("%2")))
            text = text.arg(next);
        else if (text.contains(QLatin1String("%1")))
            text = text.arg(day.name);
        r.insert(fields[k], text);
    }
    return r;
}

FieldValues eventsRecord(const Weekday& day) {
    const QStringList titles = {
        "6:00 AM Morning Drive with Sam & Lee",       "8:15 AM School closings check",
        "10:00 AM Studio guest: city council update", "12:00 PM Lunchtime request hour",
        "3:00 PM Afternoon drive, ticket giveaway",   "5:30 PM Sports wrap",
        "7:00 PM " + day.name + " night countdown"};
    FieldValues r;
    for (int i = 0; i < 7; ++i) {
        r.insert(QStringLiteral("me%1").arg(i + 1), titles[i]);
        r.insert(QStringLiteral("me%1txt").arg(i + 1),
                 QStringLiteral("Notes for \"%1\" on %2.\nCheck the run sheet in the studio binder; "
                                "pre-record the tease at the top of the previous hour.")
                     .arg(titles[i], day.name));
    }
    return r;
}

FieldValues weatherRecord(const Weekday& day) {
    return {{"Wx", "Today (" + day.name +
                       "): partly cloudy, high 41, low 28. Winds NW 10 to 15 mph.\n"
                       "Tonight: clearing, a chance of flurries after midnight."},
            {"Contest", "Ninth caller at 555-0199 wins two tickets to Saturday's Winter Lights concert. "
                        "Must be 18. Winners once every 30 days."},
            {"Remote", "Live from Riverside Mall, 4 to 6 PM: the station van, prize wheel and free cocoa."},
            {"Show", "Tonight at 7: the " + day.name + " night countdown, twenty songs you picked."}};
}

FieldValues sloganRecord() {
    const QStringList slogans = {"Your hometown station",
                                 "The best variety, all day",
                                 "Traffic and weather together on the nines",
                                 "More music, less talk",
                                 "The station that plays what you want",
                                 "Where the valley wakes up",
                                 "Your weekend starts here",
                                 "Local news you can use",
                                 "Rain or shine, we're on the air",
                                 "Music for work, music for home",
                                 "Call the request line anytime",
                                 "Thanks for listening"};
    FieldValues r;
    for (int i = 0; i < slogans.size(); ++i)
        r.insert(catalogue::sloganFields()[i], slogans[i]);
    return r;
}

QVector<FieldValues> libraryRecords(const QString& file) {
    const QString kind = file.mid(1).section(QLatin1Char('.'), 0, 0);
    QVector<FieldValues> out;
    const QStringList names = {"Winter Lights concert", "Food bank drive", "New year countdown"};
    for (int i = 0; i < names.size(); ++i)
        out.push_back({{"PromoName", names[i] + " (" + kind + ")"},
                       {"StartDate", QStringLiteral("12/%1/2026").arg(1 + i * 7)},
                       {"EndDate", QStringLiteral("12/%1/2026").arg(20 + i * 3)},
                       {"EnteredBy", i % 2 ? "Lee" : "Sam"},
                       {"BodyText", names[i] + ": read this " + kind.toLower() +
                                        " copy warmly, about 30 seconds. Details at our web site."}});
    return out;
}

QVector<FieldValues> prepRecords() {
    return {{{"Title", "On this day in music"},
             {"Date", "12/8/2026"},
             {"Text", "Forty years ago today a classic album topped the charts..."}},
            {{"Title", "Holiday safety tips"},
             {"Date", "12/9/2026"},
             {"Text", "Keep trees watered and lights switched off overnight."}},
            {{"Title", "Celebrity birthdays"},
             {"Date", "12/10/2026"},
             {"Text", "Three stars blow out the candles today."}}};
}

QVector<FieldValues> phoneRecords() {
    struct C {
        const char *name, *title, *home, *work, *cell;
    };
    const C contacts[] = {{"Baker, Ann", "Program Director", "555 0101", "555 0200", "555 0301"},
                          {"Cruz, Marco", "News Desk", "555 0102", "555 0201", "555 0302"},
                          {"Smith, John", "Producer", "555 0100", "555 0202", "555 0303"}};
    QVector<FieldValues> out;
    for (const C& c : contacts)
        out.push_back(
            {{"Name", c.name},
             {"Title", c.title},
             {"Home", c.home},
             {"Work", c.work},
             {"Cell", c.cell},
             {"Pager", ""},
             {"Pin", ""},
             {"Ext", ""},
             {"String", QString::fromUtf8(c.name) + ", " + "   Hm. " + c.home + "   Title - " + c.title}});
    return out;
}

} // namespace

QVector<FieldValues> recordsFor(const QString& fileConstant, const QString& table) {
    if (const Weekday* day = dayOfFile(fileConstant)) {
        if (fileConstant == day->dayFile)
            return {hourRecord(*day, int(catalogue::hourTables().indexOf(table)))};
        if (fileConstant == day->eventsFile) return {eventsRecord(*day)};
        if (fileConstant == day->weatherFile) return {weatherRecord(*day)};
        return {}; // reminders start without times
    }
    if (fileConstant == catalogue::kSloganFile) return {sloganRecord()};
    if (catalogue::libraryFiles().contains(fileConstant)) return libraryRecords(fileConstant);
    if (fileConstant == catalogue::kPrepFile) return prepRecords();
    if (fileConstant == catalogue::kPhoneFile) return phoneRecords();
    if (fileConstant == catalogue::kLocationFile)
        return {{{"Location", "Z:/studio-a/Cuepilot/Data/"}, {"LocationName", "Studio A"}},
                {{"Location", "Z:/studio-b/Cuepilot/Data/"}, {"LocationName", "Studio B"}}};
    return {};
}

} // namespace demo
