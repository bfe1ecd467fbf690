#include "data/catalogue/Catalogue.h"

namespace catalogue {

namespace {

QStringList numbered(const QString& stem, int from, int to, const QString& suffix = QString()) {
    QStringList out;
    for (int i = from; i <= to; ++i)
        out << stem + QString::number(i) + suffix;
    return out;
}

} // namespace

const QVector<Weekday>& weekdays() {
    static const QVector<Weekday> days = [] {
        QVector<Weekday> out;
        const QStringList names = {QStringLiteral("Monday"),    QStringLiteral("Tuesday"),
                                   QStringLiteral("Wednesday"), QStringLiteral("Thursday"),
                                   QStringLiteral("Friday"),    QStringLiteral("Saturday"),
                                   QStringLiteral("Sunday")};
        for (const QString& name : names) {
            const QString prefix = name.left(3);
            out.push_back({name, prefix, QStringLiteral("\\") + name + QStringLiteral(".mdb"),
                           QStringLiteral("\\") + prefix + QStringLiteral("Events.mdb"),
                           QStringLiteral("\\") + prefix + QStringLiteral("Wx.mdb"),
                           QStringLiteral("\\") + prefix + QStringLiteral("Reminder.mdb")});
        }
        return out;
    }();
    return days;
}

const Weekday* weekdayNamed(const QString& name) {
    for (const Weekday& d : weekdays())
        if (d.name == name) return &d;
    return nullptr;
}

const QStringList& libraryFiles() {
    static const QStringList files = {QStringLiteral("\\Promo.mdb"), QStringLiteral("\\Live.mdb"),
                                      QStringLiteral("\\Psa.mdb"), QStringLiteral("\\Notes.mdb"),
                                      QStringLiteral("\\Tag.mdb")};
    return files;
}

const QStringList& hourTables() {
    static const QStringList tables = [] {
        QStringList out;
        for (const char* half : {"am", "pm"}) {
            out << QStringLiteral("12") + QLatin1String(half);
            for (int h = 1; h <= 11; ++h)
                out << QString::number(h) + QLatin1String(half);
        }
        return out;
    }();
    return tables;
}

const QStringList& slotFields() {
    static const QStringList fields = [] {
        QStringList out;
        for (int m = 0; m < 60; m += 5)
            out << QStringLiteral("%1am").arg(m, 2, 10, QLatin1Char('0'));
        return out;
    }();
    return fields;
}

const QStringList& eventFields() {
    static const QStringList fields =
        numbered(QStringLiteral("me"), 1, 7) + numbered(QStringLiteral("me"), 1, 7, QStringLiteral("txt"));
    return fields;
}

const QStringList& weatherFields() {
    static const QStringList fields = {QStringLiteral("Wx"), QStringLiteral("Contest"),
                                       QStringLiteral("Remote"), QStringLiteral("Show")};
    return fields;
}

const QStringList& sloganFields() {
    static const QStringList fields = numbered(QStringLiteral("Slogan"), 1, 12);
    return fields;
}

const QStringList& reminderFields() {
    static const QStringList fields = numbered(QStringLiteral("Time"), 1, 16) << QStringLiteral("Text");
    return fields;
}

const QStringList& setupFields() {
    static const QStringList fields = {QStringLiteral("Setup"), QStringLiteral("SetupName")};
    return fields;
}

const QStringList& locationFields() {
    static const QStringList fields = {QStringLiteral("Location"), QStringLiteral("LocationName")};
    return fields;
}

const QStringList& libraryFields() {
    static const QStringList fields = {QStringLiteral("PromoName"), QStringLiteral("StartDate"),
                                       QStringLiteral("EndDate"), QStringLiteral("EnteredBy"),
                                       QStringLiteral("BodyText")};
    return fields;
}

const QStringList& prepFields() {
    static const QStringList fields = {QStringLiteral("Title"), QStringLiteral("Date"),
                                       QStringLiteral("Text")};
    return fields;
}

const QStringList& phoneFields() {
    static const QStringList fields = {
        QStringLiteral("Name"),  QStringLiteral("Title"), QStringLiteral("Home"),
        QStringLiteral("Work"),  QStringLiteral("Ext"),   QStringLiteral("Cell"),
        QStringLiteral("Pager"), QStringLiteral("Pin"),   QStringLiteral("String")};
    return fields;
}

const QVector<FileSpec>& files() {
    static const QVector<FileSpec> all = [] {
        QVector<FileSpec> out;
        QVector<TableSpec> hours;
        for (const QString& t : hourTables())
            hours.push_back({t, slotFields(), Records::Single});
        const QVector<TableSpec> reminders = {{kReminder1Table, reminderFields(), Records::Single},
                                              {kReminder2Table, reminderFields(), Records::Single}};
        for (const Weekday& d : weekdays()) {
            out.push_back({d.dayFile, Folder::Data, hours});
            out.push_back({d.eventsFile, Folder::Data, {{kEventsTable, eventFields(), Records::Single}}});
            out.push_back({d.weatherFile, Folder::Data, {{kWeatherTable, weatherFields(), Records::Single}}});
            out.push_back({d.reminderFile, Folder::Data, reminders});
        }
        out.push_back({kSharedReminderFile, Folder::Data, reminders});
        out.push_back({kSloganFile, Folder::Data, {{kSloganTable, sloganFields(), Records::Single}}});
        for (const QString& lib : libraryFiles())
            out.push_back({lib, Folder::Data, {{kLibraryTable, libraryFields(), Records::Many}}});
        out.push_back({kPrepFile, Folder::Data, {{kPrepTable, prepFields(), Records::Many}}});
        out.push_back({kPhoneFile, Folder::Data, {{kPhoneTable, phoneFields(), Records::Many}}});
        out.push_back({kSetupFile, Folder::Program, {{kSetupTable, setupFields(), Records::Single}}});
        out.push_back({kLocationFile, Folder::Program, {{kLocationTable, locationFields(), Records::Many}}});
        return out;
    }();
    return all;
}

const QStringList& airedFields() {
    static const QStringList fields = {QStringLiteral("ReadId"),     QStringLiteral("ReadAt"),
                                       QStringLiteral("Studio"),     QStringLiteral("User"),
                                       QStringLiteral("Library"),    QStringLiteral("CopyName"),
                                       QStringLiteral("Fingerprint")};
    return fields;
}

const FileSpec& airedFile() {
    static const FileSpec file = {kAiredFile, Folder::Data, {{kAiredTable, airedFields(), Records::Many}}};
    return file;
}

} // namespace catalogue
