#pragma once

#include "data/history/HistoryEntry.h"

#include <functional>

// The history table's statements, the same for both engines but for their value markers ("?" on
// the file engine, "$1".. on the server) and the key column's type.
namespace historysql {

// The i-th value marker (from 1).
using Marker = std::function<QString(int)>;

// How many entries one short transaction of pruning removes, and how long it rests before the next,
// so that a studio's save waiting for the file gets it in between.
inline constexpr int kPruneBatch = 500;
inline constexpr int kPruneRestMs = 50;

QString createTable(const QString& qualifiedTable, const QString& idColumnType);
// The indexes that serve the questions asked of the history: a table's or a record's entries newest
// first, and the entries older than a time. Names are made from the history table's own, unquoted;
// quote is the engine's identifier quoting.
QStringList createIndexes(const std::function<QString(const QString&)>& quote, const QString& qualifiedTable);
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
// At most kPruneBatch of the entries older than the time (marker 1).
QString prune(const QString& qualifiedTable, const Marker& marker);

} // namespace historysql
