#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// Every database file, table and field the system uses, and the weekdays with their file names.
namespace catalogue {

inline const QString kPassword = QStringLiteral("4821kq");
inline const QString kConnectType = QStringLiteral("Access 2000;");
// The connect string in force when a data file is opened.
inline QString connectString() {
    return QStringLiteral(";Pwd=") + kPassword;
}

struct Weekday {
    QString name;         // "Monday", the day label
    QString prefix;       // "Mon"
    QString dayFile;      // "\\Monday.mdb"
    QString eventsFile;   // "\\MonEvents.mdb"
    QString weatherFile;  // "\\MonWx.mdb"
    QString reminderFile; // "\\MonReminder.mdb"
};
// Monday first.
const QVector<Weekday>& weekdays();
// nullptr when the name is none of the seven.
const Weekday* weekdayNamed(const QString& name);

inline const QString kSloganFile = QStringLiteral("\\Slogan.mdb");
inline const QString kSharedReminderFile = QStringLiteral("\\Reminder1.mdb");
inline const QString kPrepFile = QStringLiteral("\\Prep.mdb");
inline const QString kPhoneFile = QStringLiteral("/Phone.mdb");
inline const QString kSetupFile = QStringLiteral("\\Setup.mdb");
inline const QString kLocationFile = QStringLiteral("\\Location.mdb");

// "\\Promo.mdb", "\\Live.mdb", "\\Psa.mdb", "\\Notes.mdb", "\\Tag.mdb"
const QStringList& libraryFiles();

// Tables.
inline const QString kEventsTable = QStringLiteral("Events");
inline const QString kWeatherTable = QStringLiteral("MonWx");
inline const QString kSloganTable = QStringLiteral("Slogan");
inline const QString kReminder1Table = QStringLiteral("Reminder1");
inline const QString kReminder2Table = QStringLiteral("Reminder2");
inline const QString kSetupTable = QStringLiteral("Setup");
inline const QString kLocationTable = QStringLiteral("Location");
inline const QString kLibraryTable = QStringLiteral("Main");
inline const QString kPrepTable = QStringLiteral("Prep");
inline const QString kPhoneTable = QStringLiteral("List");

// "12am", "1am" .. "11am", "12pm", "1pm" .. "11pm".
const QStringList& hourTables();
// "00am", "05am" .. "55am": the same in all 24 hour tables.
const QStringList& slotFields();
const QStringList& eventFields();    // "me1" .. "me7", "me1txt" .. "me7txt"
const QStringList& weatherFields();  // "Wx", "Contest", "Remote", "Show"
const QStringList& sloganFields();   // "Slogan1" .. "Slogan12"
const QStringList& reminderFields(); // "Time1" .. "Time16", "Text"
const QStringList& setupFields();    // "Setup", "SetupName"
const QStringList& locationFields(); // "Location", "LocationName"
const QStringList& libraryFields();  // "PromoName", "StartDate", "EndDate", "EnteredBy", "BodyText"
const QStringList& prepFields();     // "Title", "Date", "Text"
const QStringList& phoneFields(); // "Name", "Title", "Home", "Work", "Ext", "Cell", "Pager", "Pin", "String"

enum class Folder { Program, Data };
enum class Records { Single, Many };

struct TableSpec {
    QString name;
    QStringList fields;
    Records records;
};

struct FileSpec {
    QString constant; // as appended to the folder text
    Folder folder;
    QVector<TableSpec> tables;
};

// The whole installation: 2 files in the program folder, 37 in the data folder.
const QVector<FileSpec>& files();

// Confirmed reads on air, one record per press of a copy's read button. Not one of files(): no
// legacy station had it, so an import makes none; the installation tool and the first press do.
inline const QString kAiredFile = QStringLiteral("\\Aired.mdb");
inline const QString kAiredTable = QStringLiteral("Aired");
// "ReadId", "ReadAt", "Studio", "User", "Library", "CopyName", "Fingerprint"
const QStringList& airedFields();
const FileSpec& airedFile();

} // namespace catalogue
