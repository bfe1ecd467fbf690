#include "data/sharing/HistoryRestore.h"

#include "base/Steps.h"
#include "data/history/HistorySource.h"
#include "data/storage/Database.h"
#include "data/storage/StorageError.h"

#include <functional>
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
        throw ConflictError(
            QStringLiteral("The record is gone: it was deleted since. Bring the deleted record back first."));
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

// What the field held when the history up to shownUpTo was shown: the last change then known, or
// else what the first change made since found in it; a field nobody changed holds what it holds now.
QVariant heldWhenShown(const QVector<HistoryEntry>& newestFirst, const QString& field, qint64 shownUpTo,
                       const QVariant& now) {
    std::optional<QVariant> foundLater;
    for (const HistoryEntry& e : newestFirst) {
        if (e.field.compare(field, Qt::CaseInsensitive) != 0) continue;
        if (e.id <= shownUpTo) return e.after;
        foundLater = e.before;
    }
    return foundLater.value_or(now);
}

bool sameValue(const QVariant& a, const QVariant& b) {
    return a.isNull() == b.isNull() && a.toString() == b.toString();
}

const QString kKeyTaken = QStringLiteral(
    "Another record has this record's key now (it was deleted, and a new record was given its key). "
    "Nothing was put back, so that record keeps its text.");

// Whether the key went to another record after the entries that `before` picks: the record was
// deleted, and what was added under its key next is not that record brought back as it was
// deleted. Content copied before keys travelled with it may hold such keys.
bool keyTakenSince(const QVector<HistoryEntry>& newestFirst,
                   const std::function<bool(const HistoryEntry&)>& before) {
    std::optional<RecordValues> deleted;
    // Oldest first, one write at a time: a write's entries follow one another and share its time.
    auto it = newestFirst.crbegin();
    while (it != newestFirst.crend()) {
        if (before(*it)) {
            ++it;
            continue;
        }
        const ChangeKind kind = it->kind;
        const QDateTime at = it->at;
        RecordValues written;
        for (; it != newestFirst.crend() && it->kind == kind && it->at == at; ++it)
            written.insert(it->field, kind == ChangeKind::Delete ? it->before : it->after);
        if (kind == ChangeKind::Delete) {
            deleted = written;
        } else if (kind == ChangeKind::Add && deleted) {
            // An add keeps only the fields it filled.
            for (auto f = deleted->cbegin(); f != deleted->cend(); ++f)
                if (!sameValue(f.value(), written.value(f.key()))) return true;
            for (auto f = written.cbegin(); f != written.cend(); ++f)
                if (!sameValue(f.value(), deleted->value(f.key()))) return true;
            deleted.reset();
        }
    }
    return false;
}

// The record now under its key, or nothing when there is none.
std::unique_ptr<Recordset> findAt(Database& db, const QString& table, qint64 record) {
    std::unique_ptr<Recordset> rs = db.openTable(table);
    if (!rs->recordCount() || !skipOnFailure([&] { rs->setBookmark(QByteArray::number(record)); }))
        return nullptr;
    return rs;
}

} // namespace

void restoreField(Database& db, const HistoryEntry& entry, bool toAfter, qint64 shownUpTo) {
    const std::unique_ptr<Recordset> rs = openAt(db, entry.table, entry.record);
    QVariant now = rs->value(entry.field);
    const QVector<HistoryEntry> entries = entriesOf(db, entry.table, entry.record);
    if (keyTakenSince(entries, [&](const HistoryEntry& e) { return e.id <= entry.id; }))
        throw ConflictError(kKeyTaken);
    if (shownUpTo) now = heldWhenShown(entries, entry.field, shownUpTo, now);
    const QVariant wanted = toAfter ? entry.after : entry.before;
    rs->updateCurrent({{entry.field, asWritten(wanted)}}, {{entry.field, now}});
}

void restoreRecordAsAt(Database& db, const QString& table, qint64 record, const QDateTime& at) {
    const QVector<HistoryEntry> entries = entriesOf(db, table, record);
    const auto before = [&](const HistoryEntry& e) { return e.at <= at; };
    // Oldest first after the time: each field's first change then tells what it held at that time,
    // and the first write tells whether the record was there at all.
    RecordValues then;
    std::optional<ChangeKind> firstWrite;
    for (auto it = entries.crbegin(); it != entries.crend(); ++it) {
        if (before(*it)) continue;
        if (!firstWrite) firstWrite = it->kind;
        if (!then.contains(it->field)) then.insert(it->field, it->before);
    }
    if (firstWrite == ChangeKind::Add)
        throw StorageError(QStringLiteral("The record did not exist at that time."));
    if (then.isEmpty()) return;
    std::unique_ptr<Recordset> rs = findAt(db, table, record);
    if (rs && keyTakenSince(entries, before)) throw ConflictError(kKeyTaken);
    if (!rs) {
        // Deleted since: back whole as it was deleted, then each field as it was at the time.
        restoreDeletedRecord(db, table, record);
        rs = openAt(db, table, record);
    }
    FieldValues changes;
    ExpectedValues expected;
    for (auto it = then.cbegin(); it != then.cend(); ++it) {
        const QVariant now = rs->value(it.key());
        if (sameValue(now, it.value())) continue;
        changes.insert(it.key(), asWritten(it.value()));
        expected.insert(it.key(), now);
    }
    if (!changes.isEmpty()) rs->updateCurrent(changes, expected);
}

void restoreDeletedRecord(Database& db, const QString& table, qint64 record) {
    const QVector<HistoryEntry> entries = entriesOf(db, table, record);
    const std::optional<RecordValues> values = asDeleted(entries);
    if (!values) throw StorageError(QStringLiteral("The record was not deleted."));
    if (findAt(db, table, record)) {
        if (keyTakenSince(entries, [](const HistoryEntry&) { return false; })) throw ConflictError(kKeyTaken);
        throw StorageError(QStringLiteral("The record is back already; nothing was put back."));
    }
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
    filter.limit = 1;
    // No entry has a number below 1; a filter without one would take the newest entry.
    const QVector<HistoryEntry> found =
        id > 0 ? sourceOf(db).historyEntries(filter) : QVector<HistoryEntry>();
    if (!found.isEmpty()) return found.front();
    throw StorageError(QStringLiteral("No history entry %1 in this file.").arg(id));
}

} // namespace history
