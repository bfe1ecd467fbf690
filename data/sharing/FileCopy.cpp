#include "data/sharing/FileCopy.h"

#include "data/history/HistorySource.h"

#include <algorithm>

namespace {

void copyTable(Recordset& source, FileBuilder& target) {
    const QStringList fields = source.fieldNames();
    target.createTable(source.tableName(), fields);
    if (source.recordCount() == 0) return;
    for (source.moveFirst(); !source.eof(); source.moveNext()) {
        // Deleted by a studio while being copied.
        if (!source.hasCurrent()) continue;
        FieldValues record;
        for (const QString& field : fields) {
            const QVariant value = source.value(field);
            // A field left out is stored as null.
            if (!value.isNull()) record.insert(field, value.toString());
        }
        target.insertKeyed(source.tableName(), source.bookmark().toLongLong(), record);
    }
}

// The changes kept where the content comes from go with it, in the order they were made.
QVector<HistoryEntry> historyOf(Database& source) {
    auto* history = dynamic_cast<HistorySource*>(&source);
    if (!history || !history->keepsHistory()) return {};
    QVector<HistoryEntry> entries = history->historyEntries(HistoryFilter());
    std::reverse(entries.begin(), entries.end());
    return entries;
}

// The key counter goes with the content: a new record never gets the key of a record the history
// names, wherever the content was copied since.
qint64 lastKeyOf(Database& source, const QString& table, const QVector<HistoryEntry>& history) {
    qint64 last = source.lastKey(table);
    for (const HistoryEntry& e : history)
        if (e.table.compare(table, Qt::CaseInsensitive) == 0) last = std::max(last, e.record);
    return last;
}

} // namespace

void copyFileContent(Database& source, const catalogue::FileSpec& file, FileBuilder& target,
                     WithHistory withHistory) {
    const QVector<HistoryEntry> history =
        withHistory == WithHistory::Yes ? historyOf(source) : QVector<HistoryEntry>();
    for (const catalogue::TableSpec& table : file.tables) {
        const std::unique_ptr<Recordset> records = source.openTable(table.name);
        copyTable(*records, target);
        target.keepKeysAbove(records->tableName(), lastKeyOf(source, table.name, history));
    }
    target.addHistory(history);
}
