#pragma once

#include "data/history/HistoryEntry.h"

#include <functional>

// The history table's statements, the same for both engines but for their value markers ("?" on
// the file engine, "$1".. on the server) and the key column's type.
namespace historysql {

// The i-th value marker (from 1).
using Marker = std::function<QString(int)>;

QString createTable(const QString& qualifiedTable, const QString& idColumnType);
QString createIndex(const QString& indexName, const QString& qualifiedTable);
// Rows of values, each in order: at, computer, who, tbl, record, kind, field, before_value,
// after_value (insertValues).
QString insert(const QString& qualifiedTable, const Marker& marker, int rows = 1);
QVector<QVariant> insertValues(const HistoryEntry& e);
// The entries one write makes, one per changed field, stamped with this process's author and the time.
QVector<HistoryEntry> entriesFor(const QString& table, qint64 record, ChangeKind kind,
                                 const QVector<FieldChange>& changes);
// Selects the columns entryFrom reads, newest first; the values to bind go into params.
QString select(const QString& qualifiedTable, const HistoryFilter& filter, const Marker& marker,
               QVector<QVariant>& params);
// Column values as selected, in order, to an entry.
HistoryEntry entryFrom(const QVector<QVariant>& row);
QString prune(const QString& qualifiedTable, const Marker& marker);

} // namespace historysql
