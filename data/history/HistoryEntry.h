#pragma once

#include <QDateTime>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

// The table each data file (or server schema) keeps its history in. No catalogue table has this
// name, so no data control ever shows it.
inline const QString kHistoryTable = QStringLiteral("cuepilot_history");
// How long an entry is kept at least; older ones are pruned at most once a day.
inline constexpr int kHistoryKeptDays = 90;

enum class ChangeKind { Update, Add, Delete };

QString kindName(ChangeKind kind);
// Unknown names read as an update.
ChangeKind kindFromName(const QString& name);

// One field of one write: null is an invalid QVariant, apart from empty text.
struct FieldChange {
    QString field;
    QVariant before;
    QVariant after;
};

// The values of a record, by field name, null as an invalid QVariant.
using RecordValues = QMap<QString, QVariant>;

// Field texts as a record set writes them: a null text (a null put back) as null.
RecordValues writtenValues(const QMap<QString, QString>& texts);

// A stored record's values (in field order) by field name.
RecordValues namedValues(const QStringList& fields, const QVector<QVariant>& values);
// The values named by a field of the table, under the table's own spelling; others are dropped (field
// names read from a file's history are never written unchecked).
RecordValues ownFields(const QStringList& tableFields, const RecordValues& values);
// What a delete keeps: every field, null ones too, so the record can be put back whole.
QVector<FieldChange> deletedFields(const QStringList& fields, const QVector<QVariant>& values);

// The fields whose values differ between before and after (a null and an empty text differ).
// Fields missing from one side read as null there.
QVector<FieldChange> changedFields(const QStringList& fields, const RecordValues& before,
                                   const RecordValues& after);

// One stored entry: one field of one write.
struct HistoryEntry {
    qint64 id = 0;
    QDateTime at; // UTC
    QString computer;
    QString user;
    QString table;
    qint64 record = 0;
    ChangeKind kind = ChangeKind::Update;
    QString field;
    QVariant before;
    QVariant after;
};

// Which entries to list; empty parts match everything. Listed newest first.
struct HistoryFilter {
    QString table;
    QString field;
    qint64 record = 0; // 0: every record
    QDateTime since;   // invalid: from the first entry
    qint64 id = 0;     // 0: every entry
    // Only entries older than this one, as listed (its time, then its number): the next page.
    QDateTime olderThan;
    qint64 olderThanId = 0;
    int limit = 0; // 0: all of them
    bool operator==(const HistoryFilter&) const = default;
};

// A value for reading: text in double quotes with line breaks shown as \n, null as (null), so an
// empty text and a null one read apart.
QString shownValue(const QVariant& value);

// The time as stored: UTC, milliseconds, so text order is time order.
QString storedTime(const QDateTime& at);
QDateTime timeFromStored(const QString& text);

// Who makes the writes of this process: the computer's name and the user signed in.
struct Author {
    QString computer;
    QString user;
};
const Author& thisAuthor();
