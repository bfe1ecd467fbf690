#include "tools/ContentCopy.h"

#include "data/catalogue/Catalogue.h"
#include "data/history/HistorySource.h"
#include "data/storage/Engines.h"
#include "data/storage/RoutingProvider.h"
#include "data/storage/StorageError.h"

#include <algorithm>

namespace contentcopy {

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

Report copy(const QString& from, const QString& to, const QString& role) {
    Report report;
    RoutingProvider sources;
    // One salt and one key derivation for the whole folder.
    engines::NewFileKey key;
    const std::unique_ptr<FileCreator> target = engines::creatorFor(to, key, role);
    for (const catalogue::FileSpec& file : catalogue::files()) {
        if (file.folder != catalogue::Folder::Data) continue;
        const QString path = target->pathOf(file.constant);
        try {
            const std::shared_ptr<Database> source =
                sources.open(from + file.constant, catalogue::connectString());
            std::unique_ptr<FileBuilder> builder;
            try {
                builder = target->create(file.constant);
            } catch (const FileExistsError&) {
                report.skipped << path;
                continue;
            }
            const QVector<HistoryEntry> history = historyOf(*source);
            for (const catalogue::TableSpec& table : file.tables) {
                const std::unique_ptr<Recordset> records = source->openTable(table.name);
                copyTable(*records, *builder);
                builder->keepKeysAbove(records->tableName(), lastKeyOf(*source, table.name, history));
            }
            builder->addHistory(history);
            builder->commit();
            report.copied << path;
        } catch (const StorageError& e) {
            report.failed << QStringLiteral("%1: %2").arg(path, e.message());
        }
    }
    return report;
}

} // namespace contentcopy
