#include "data/history/HistorySql.h"

namespace historysql {

namespace {
const QString kColumns =
    QStringLiteral("at, computer, who, tbl, record, kind, field, before_value, after_value");
}

QString createTable(const QString& qualifiedTable, const QString& idColumnType) {
    return QStringLiteral(
               "CREATE TABLE IF NOT EXISTS %1 (id %2, at TEXT NOT NULL, computer TEXT, who TEXT, "
               "tbl TEXT NOT NULL, record BIGINT NOT NULL, kind TEXT NOT NULL, field TEXT NOT NULL, "
               "before_value TEXT, after_value TEXT)")
        .arg(qualifiedTable, idColumnType);
}

QStringList createIndexes(const std::function<QString(const QString&)>& quote,
                          const QString& qualifiedTable) {
    const struct {
        const char* suffix;
        const char* columns;
    } indexes[] = {
        // A record's entries by time also serve what the first index files had, by record alone.
        {"_table_time", "lower(tbl), at, id"},
        {"_record_time", "lower(tbl), record, at, id"},
        {"_time", "at, id"},
    };
    QStringList statements;
    for (const auto& index : indexes)
        statements << QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3)")
                          .arg(quote(kHistoryTable + QLatin1String(index.suffix)), qualifiedTable,
                               QLatin1String(index.columns));
    return statements;
}

QString insert(const QString& qualifiedTable, const Marker& marker, int rows) {
    constexpr int kValuesPerRow = 9;
    QStringList tuples;
    for (int r = 0; r < rows; ++r) {
        QStringList marks;
        for (int i = 1; i <= kValuesPerRow; ++i)
            marks << marker(r * kValuesPerRow + i);
        tuples << QLatin1Char('(') + marks.join(QStringLiteral(", ")) + QLatin1Char(')');
    }
    return QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
        .arg(qualifiedTable, kColumns, tuples.join(QStringLiteral(", ")));
}

QVector<HistoryEntry> entriesFor(const QString& table, qint64 record, ChangeKind kind,
                                 const QVector<FieldChange>& changes) {
    const Author& author = thisAuthor();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QVector<HistoryEntry> entries;
    for (const FieldChange& c : changes)
        entries.push_back(
            {0, now, author.computer, author.user, table, record, kind, c.field, c.before, c.after});
    return entries;
}

QVector<QVariant> insertValues(const HistoryEntry& e) {
    return {storedTime(e.at), e.computer, e.user,   e.table, e.record,
            kindName(e.kind), e.field,    e.before, e.after};
}

QString select(const QString& qualifiedTable, const HistoryFilter& filter, const Marker& marker,
               QVector<QVariant>& params) {
    QStringList conditions;
    const auto where = [&](const QString& column, const QString& op, const QVariant& value) {
        params << value;
        conditions << QStringLiteral("%1 %2 %3").arg(column, op, marker(int(params.size())));
    };
    // Table and field names are matched as the engines match them: case aside.
    if (!filter.table.isEmpty())
        where(QStringLiteral("lower(tbl)"), QStringLiteral("="), filter.table.toLower());
    if (!filter.field.isEmpty())
        where(QStringLiteral("lower(field)"), QStringLiteral("="), filter.field.toLower());
    if (filter.record) where(QStringLiteral("record"), QStringLiteral("="), filter.record);
    if (filter.since.isValid()) where(QStringLiteral("at"), QStringLiteral(">="), storedTime(filter.since));
    if (filter.id) where(QStringLiteral("id"), QStringLiteral("="), filter.id);
    if (filter.olderThan.isValid()) {
        params << storedTime(filter.olderThan) << storedTime(filter.olderThan) << filter.olderThanId;
        const int n = int(params.size());
        conditions << QStringLiteral("(at < %1 OR (at = %2 AND id < %3))")
                          .arg(marker(n - 2), marker(n - 1), marker(n));
    }
    return QStringLiteral("SELECT id, %1 FROM %2%3 ORDER BY at DESC, id DESC%4")
        .arg(kColumns, qualifiedTable,
             conditions.isEmpty() ? QString()
                                  : QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND ")),
             filter.limit > 0 ? QStringLiteral(" LIMIT %1").arg(filter.limit) : QString());
}

HistoryEntry entryFrom(const QVector<QVariant>& row) {
    HistoryEntry e;
    e.id = row.value(0).toLongLong();
    e.at = timeFromStored(row.value(1).toString());
    e.computer = row.value(2).toString();
    e.user = row.value(3).toString();
    e.table = row.value(4).toString();
    e.record = row.value(5).toLongLong();
    e.kind = kindFromName(row.value(6).toString());
    e.field = row.value(7).toString();
    e.before = row.value(8);
    e.after = row.value(9);
    return e;
}

QString prune(const QString& qualifiedTable, const Marker& marker) {
    return QStringLiteral(
               "DELETE FROM %1 WHERE id IN (SELECT id FROM %1 WHERE at < %2 ORDER BY at, id LIMIT %3)")
        .arg(qualifiedTable, marker(1))
        .arg(kPruneBatch);
}

} // namespace historysql
