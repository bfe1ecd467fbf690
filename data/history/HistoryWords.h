#pragma once

#include "data/history/HistoryEntry.h"

#include <QDateTime>
#include <QString>

// The history in the words a presenter reads: fields as the windows label them, records by what
// they are, times on the board's twelve-hour clock.
namespace historywords {

// "Event 3", "End Date", "12:05 AM slot"; a field no window shows keeps its stored name.
QString fieldCaption(const QString& table, const QString& field);

// The field whose text names a record of a list table ("PromoName" for a copy); empty for a table
// of one record.
QString namingField(const QString& table);

// The one record of a table of one record, by the file it lies in ("Monday.mdb", "\\Monday.mdb" or
// a whole path): "Monday, 12 AM hour", "Monday's events", "Slogans". Empty for a list table.
QString singleRecordCaption(const QString& file, const QString& table);

// "Dec 7 2026, 9:05:00 PM": local time, twelve-hour clock, English names whatever the locale.
QString whenText(const QDateTime& at);

// What a change did to the field, as a sentence's end: "added", "deleted with the record".
QString kindWords(ChangeKind kind);

} // namespace historywords
