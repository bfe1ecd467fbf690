#include "data/sharing/HistoryRestore.h"

#include "base/Steps.h"
#include "data/history/HistorySource.h"
#include "data/storage/Database.h"
#include "data/storage/StorageError.h"

#include <memory>

namespace history {

namespace {

HistorySource& sourceOf(Database& db) {
    auto* source = dynamic_cast<HistorySource*>(&db);
    if (!source || !source->keepsHistory()) throw StorageError(QStringLiteral("This file keeps no history."));
    return *source;
}

// The record set on the record's table, with the record current.
std::unique_ptr<Recordset> openAt(Database& db, const QString& table, qint64 record) {
    std::unique_ptr<Recordset> rs = db.openTable(table);
    try {
        rs->setBookmark(QByteArray::number(record));
    } catch (const StorageError&) {
        throw ConflictError(QStringLiteral("The record was deleted by another user."));
    }
    return rs;
}

// A stored null goes back as null, apart from empty text.
QString asWritten(const QVariant& value) {
    return value.isNull() ? QString() : value.toString();
}

QVector<HistoryEntry> entriesOf(Database& db, const QString& table, qint64 record) {
    HistoryFilter filter;
    filter.table = table;
    filter.record = record;
    return sourceOf(db).historyEntries(filter);
}

// The latest delete of the record: its fields as they were, by field name.
std::optional<RecordValues> asDeleted(const QVector<HistoryEntry>& newestFirst) {
    std::optional<RecordValues> values;
    for (const HistoryEntry& e : newestFirst) {
        if (e.kind != ChangeKind::Delete) {
            if (values) break;
            continue;
        }
        if (!values) values.emplace();
        // One delete's entries share one time; an earlier delete of the same key cannot be.
        values->insert(e.field, e.before);
    }
    return values;
}

} // namespace

void restoreField(Database& db, const HistoryEntry& entry, bool toAfter,
                  const std::optional<QVariant>& expectedNow) {
    const std::unique_ptr<Recordset> rs = openAt(db, entry.table, entry.record);
    const QVariant now = expectedNow ? *expectedNow : rs->value(entry.field);
    const QVariant wanted = toAfter ? entry.after : entry.before;
    rs->updateCurrent({{entry.field, asWritten(wanted)}}, {{entry.field, now}});
}

void restoreRecordAsAt(Database& db, const QString& table, qint64 record, const QDateTime& at) {
    const QVector<HistoryEntry> entries = entriesOf(db, table, record);
    // Oldest first after the time: each field's first change then tells what it held at that time.
    RecordValues then;
    bool existedThen = true;
    for (auto it = entries.crbegin(); it != entries.crend(); ++it) {
        if (it->at <= at || then.contains(it->field)) continue;
        if (it->kind == ChangeKind::Add) existedThen = false;
        then.insert(it->field, it->before);
    }
    if (!existedThen) throw StorageError(QStringLiteral("The record did not exist at that time."));
    if (then.isEmpty()) return;
    std::unique_ptr<Recordset> rs = db.openTable(table);
    if (!rs->recordCount() || !skipOnFailure([&] { rs->setBookmark(QByteArray::number(record)); })) {
        // Deleted since: back whole, each field as it was then.
        RecordValues values = asDeleted(entries).value_or(RecordValues());
        for (auto it = then.cbegin(); it != then.cend(); ++it)
            values.insert(it.key(), it.value());
        sourceOf(db).reinsertRecord(table, record, values);
        return;
    }
    FieldValues changes;
    ExpectedValues expected;
    for (auto it = then.cbegin(); it != then.cend(); ++it) {
        const QVariant now = rs->value(it.key());
        if (now.isNull() == it.value().isNull() && now.toString() == it.value().toString()) continue;
        changes.insert(it.key(), asWritten(it.value()));
        expected.insert(it.key(), now);
    }
    rs->updateCurrent(changes, expected);
}

void restoreDeletedRecord(Database& db, const QString& table, qint64 record) {
    const std::optional<RecordValues> values = asDeleted(entriesOf(db, table, record));
    if (!values) throw StorageError(QStringLiteral("The record was not deleted."));
    // Put back already (by this tool, the History window or another studio): said, not left to the
    // engine's words about its keys.
    const std::unique_ptr<Recordset> rs = db.openTable(table);
    if (rs->recordCount() && skipOnFailure([&] { rs->setBookmark(QByteArray::number(record)); }))
        throw StorageError(QStringLiteral("The record is back already; nothing was put back."));
    sourceOf(db).reinsertRecord(table, record, *values);
}

void restoreEntry(Database& db, const HistoryEntry& entry) {
    if (entry.kind == ChangeKind::Delete)
        restoreDeletedRecord(db, entry.table, entry.record);
    else
        restoreField(db, entry);
}

HistoryEntry entryById(Database& db, qint64 id) {
    HistoryFilter filter;
    filter.id = id;
    const QVector<HistoryEntry> found = sourceOf(db).historyEntries(filter);
    if (!found.isEmpty()) return found.front();
    throw StorageError(QStringLiteral("No history entry %1 in this file.").arg(id));
}

} // namespace history
