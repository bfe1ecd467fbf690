#pragma once

#include "data/history/HistoryEntry.h"

#include <optional>

class Database;

// Putting content back is an ordinary write through the file's own record set, with the usual
// old-value check, so it is kept in the history itself and reaches every board like any change.
// Every function throws StorageError (ConflictError when another studio changed the field since).
namespace history {

// The field back to the value it had before the entry (or after it, with toAfter). shownUpTo is the
// newest entry of the history the presenter was shown: the field is written only while it holds
// what it held then, so a change made since is a conflict, never overwritten unseen. Without it
// (0) the value read now is taken.
void restoreField(Database& db, const HistoryEntry& entry, bool toAfter = false, qint64 shownUpTo = 0);

// The record's fields back to what they held at the given time; a record deleted since comes
// back whole under its own key.
void restoreRecordAsAt(Database& db, const QString& table, qint64 record, const QDateTime& at);

// A deleted record back under its own key, as it was when it was deleted.
void restoreDeletedRecord(Database& db, const QString& table, qint64 record);

// What cuepilot-history --restore does with one entry: a delete brings the record back, any other
// entry puts its field back to its old value.
void restoreEntry(Database& db, const HistoryEntry& entry);

// One entry by its number; throws when the file holds none such.
HistoryEntry entryById(Database& db, qint64 id);

} // namespace history
