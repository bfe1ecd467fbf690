#pragma once

#include "data/history/HistoryEntry.h"

// What a data file or server schema offers of its history. The engines' databases offer it beside
// Database; a file that cannot keep one (a read-only share, a server schema made without one) says
// so through keepsHistory(). Every operation throws StorageError.
class HistorySource {
  public:
    virtual ~HistorySource() = default;

    // Whether the file holds a history table yet (it gets one with its first write).
    virtual bool keepsHistory() = 0;
    // Newest first.
    virtual QVector<HistoryEntry> historyEntries(const HistoryFilter& filter) = 0;
    // Removes the entries older than the edge; returns how many went.
    virtual int pruneHistoryBefore(const QDateTime& edge) = 0;
    // Entries made elsewhere, stored as they are (a station's history carried to another file).
    virtual void addHistoryEntries(const QVector<HistoryEntry>& entries) = 0;
    // Puts a deleted record back under its own key, so it keeps its place in record order; the
    // write is itself kept in the history as an add. Throws when the key is taken.
    virtual void reinsertRecord(const QString& table, qint64 key, const RecordValues& values) = 0;
};
