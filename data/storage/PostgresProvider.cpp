#include "data/storage/PostgresProvider.h"

#include "base/Steps.h"
#include "data/catalogue/Paths.h"
#include "data/history/HistorySource.h"
#include "data/history/HistorySql.h"
#include "data/storage/KeysetRecordset.h"
#include "data/storage/PgConnection.h"
#include "data/storage/SqlIdentifier.h"
#include "data/storage/StorageError.h"

#include <QThread>

namespace {

const QString kKey = quotedIdentifier(PostgresProvider::kKeyColumn);

QVector<qint64> keysOf(const PgResult& result) {
    QVector<qint64> keys;
    keys.reserve(result.rows());
    for (int r = 0; r < result.rows(); ++r)
        keys.push_back(result.int64(r, 0));
    return keys;
}

QString dollar(int i) {
    return QStringLiteral("$%1").arg(i);
}

// A statement's values as a record set writes them: a null text (a value put back) as null.
QVariant asField(const QString& text) {
    return text.isNull() ? QVariant() : QVariant(text);
}

// The schema's history table, made with the schema (the board's role may not make tables there):
// a schema made before it has none, and is written without history.
class ServerHistory {
  public:
    ServerHistory(std::shared_ptr<PgConnection> conn, const QString& schema)
        : conn_(std::move(conn)),
          table_(quotedIdentifier(schema) + QLatin1Char('.') + quotedIdentifier(kHistoryTable)) {}

    bool exists() {
        if (!exists_)
            exists_ =
                conn_->exec(QStringLiteral("SELECT to_regclass($1) IS NOT NULL"), {table_}).text(0, 0) ==
                QLatin1String("t");
        return *exists_;
    }

    // The write and its entries in one transaction, where the schema keeps a history.
    template <class Work> auto written(Work&& work) {
        conn_->exec(QStringLiteral("BEGIN"));
        try {
            auto result = work();
            conn_->exec(QStringLiteral("COMMIT"));
            return result;
        } catch (...) {
            skipOnFailure([&] { conn_->exec(QStringLiteral("ROLLBACK")); });
            throw;
        }
    }

    void record(const QString& table, qint64 key, ChangeKind kind, const QVector<FieldChange>& changes) {
        add(historysql::entriesFor(table, key, kind, changes));
    }
    void add(const QVector<HistoryEntry>& entries) {
        // A statement takes at most 65,535 values: a long history (a station's copied in) goes in
        // rows of a thousand.
        constexpr qsizetype kRowsPerStatement = 1000;
        for (qsizetype from = 0; from < entries.size(); from += kRowsPerStatement) {
            const QVector<HistoryEntry> rows = entries.mid(from, kRowsPerStatement);
            QVector<QVariant> params;
            for (const HistoryEntry& e : rows)
                params << historysql::insertValues(e);
            conn_->exec(historysql::insert(table_, dollar, int(rows.size())), params);
        }
    }
    QVector<HistoryEntry> entries(const HistoryFilter& filter) {
        QVector<HistoryEntry> found;
        if (!exists()) return found;
        QVector<QVariant> params;
        const PgResult r = conn_->exec(historysql::select(table_, filter, dollar, params), params);
        for (int row = 0; row < r.rows(); ++row) {
            QVector<QVariant> values;
            for (int c = 0; c < 10; ++c)
                values << r.value(row, c);
            found << historysql::entryFrom(values);
        }
        return found;
    }
    // In short statements with a rest between them, so that no save waits long on the rows' locks.
    int prune(const QDateTime& edge) {
        if (!exists()) return 0;
        // Schemas made before the history had every index get them where the owner prunes; the
        // board's role may not make them, and goes on without.
        for (const QString& index : historysql::createIndexes(quotedIdentifier, table_))
            skipOnFailure([&] { conn_->exec(index); });
        int pruned = 0;
        for (int batch = historysql::kPruneBatch; batch == historysql::kPruneBatch; pruned += batch) {
            if (pruned) QThread::msleep(historysql::kPruneRestMs);
            batch = conn_->exec(historysql::prune(table_, dollar), {storedTime(edge)}).affected();
        }
        return pruned;
    }

  private:
    std::shared_ptr<PgConnection> conn_;
    QString table_;
    std::optional<bool> exists_;
};

class PgRecordset : public KeysetRecordset {
  public:
    PgRecordset(std::shared_ptr<PgConnection> conn, std::shared_ptr<ServerHistory> history,
                const QString& schema, const QString& table, const QStringList& fields)
        : KeysetRecordset(table, fields), conn_(std::move(conn)), history_(std::move(history)),
          qualified_(quotedIdentifier(schema) + QLatin1Char('.') + quotedIdentifier(table)) {
        QStringList columns;
        for (const QString& f : fields)
            columns << quotedIdentifier(f);
        selectRecord_ = QStringLiteral("SELECT %1 FROM %2 WHERE %3 = $1")
                            .arg(columns.isEmpty() ? QStringLiteral("1") : columns.join(QStringLiteral(", ")),
                                 qualified_, kKey);
        selectForUpdate_ = selectRecord_ + QStringLiteral(" FOR UPDATE");
        open();
    }

  protected:
    QVector<qint64> readKeys() override {
        return keysOf(conn_->exec(QStringLiteral("SELECT %1 FROM %2 ORDER BY %1").arg(kKey, qualified_)));
    }

    std::optional<QVector<QVariant>> readRecord(qint64 key) override { return recordBy(selectRecord_, key); }

    std::optional<QVector<QVariant>> recordBy(const QString& select, qint64 key) {
        const PgResult r = conn_->exec(select, {key});
        if (r.rows() == 0) return std::nullopt;
        QVector<QVariant> values(fieldNames().size());
        for (int i = 0; i < values.size(); ++i)
            values[i] = r.value(0, i);
        return values;
    }

    QVector<qint64> keysWhere(const QString& column, const QString& value) override {
        return keysOf(conn_->exec(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = $1 ORDER BY %1")
                                      .arg(kKey, qualified_, quotedIdentifier(column)),
                                  {value}));
    }

    bool writeRecord(qint64 key, const FieldValues& changes, const ExpectedValues& expected) override {
        if (!history_->exists()) return update(key, changes, expected);
        return history_->written([&] {
            const std::optional<QVector<QVariant>> before = lockedRecord(key);
            const bool stored = update(key, changes, expected);
            if (stored && before)
                history_->record(tableName(), key, ChangeKind::Update,
                                 changedFields(changes.keys(), namedValues(fieldNames(), *before),
                                               writtenValues(changes)));
            return stored;
        });
    }

    qint64 insertRecord(const FieldValues& values) override {
        const auto insert = [&] {
            return insertInto(*conn_, qualified_, values, QStringLiteral(" RETURNING %1").arg(kKey), true)
                .int64(0, 0);
        };
        if (!history_->exists()) return insert();
        return history_->written([&] {
            const qint64 key = insert();
            history_->record(tableName(), key, ChangeKind::Add,
                             changedFields(values.keys(), {}, writtenValues(values)));
            return key;
        });
    }

    void deleteRecord(qint64 key) override {
        const auto remove = [&] {
            return conn_->exec(QStringLiteral("DELETE FROM %1 WHERE %2 = $1").arg(qualified_, kKey), {key})
                .affected();
        };
        if (!history_->exists()) {
            remove();
            return;
        }
        history_->written([&] {
            const std::optional<QVector<QVariant>> before = lockedRecord(key);
            if (remove() == 1 && before)
                history_->record(tableName(), key, ChangeKind::Delete, deletedFields(fieldNames(), *before));
            return true;
        });
    }

  private:
    // Read and held until the transaction ends, so the entry's old values are the ones replaced.
    std::optional<QVector<QVariant>> lockedRecord(qint64 key) { return recordBy(selectForUpdate_, key); }

    bool update(qint64 key, const FieldValues& changes, const ExpectedValues& expected) {
        QVector<QVariant> params;
        QStringList sets;
        for (auto it = changes.cbegin(); it != changes.cend(); ++it) {
            params << asField(it.value());
            sets << QStringLiteral("%1 = $%2").arg(quotedIdentifier(it.key())).arg(params.size());
        }
        params << key;
        QString where = QStringLiteral("%1 = $%2").arg(kKey).arg(params.size());
        for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
            params << it.value();
            where += QStringLiteral(" AND %1 IS NOT DISTINCT FROM $%2")
                         .arg(quotedIdentifier(it.key()))
                         .arg(params.size());
        }
        const PgResult r = conn_->exec(QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                                           .arg(qualified_, sets.join(QStringLiteral(", ")), where),
                                       params);
        return r.affected() == 1;
    }

  protected:
    bool recordExists(qint64 key) override {
        return conn_->exec(QStringLiteral("SELECT 1 FROM %1 WHERE %2 = $1").arg(qualified_, kKey), {key})
                   .rows() > 0;
    }

  public:
    // INSERT of the given fields (the others null), followed by the tail ("RETURNING ..."). A record
    // set writes a null text as null (a value put back); a file being built takes every text as text.
    static PgResult insertInto(PgConnection& conn, const QString& qualified, const FieldValues& values,
                               const QString& tail = QString(), bool nullTextAsNull = false) {
        if (values.isEmpty())
            return conn.exec(QStringLiteral("INSERT INTO %1 DEFAULT VALUES%2").arg(qualified, tail));
        QStringList columns, marks;
        QVector<QVariant> params;
        for (auto it = values.cbegin(); it != values.cend(); ++it) {
            columns << quotedIdentifier(it.key());
            params << (nullTextAsNull ? asField(it.value()) : QVariant(it.value()));
            marks << QStringLiteral("$%1").arg(params.size());
        }
        return conn.exec(
            QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)%4")
                .arg(qualified, columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")), tail),
            params);
    }

  private:
    std::shared_ptr<PgConnection> conn_;
    std::shared_ptr<ServerHistory> history_;
    QString qualified_;
    QString selectRecord_;
    QString selectForUpdate_;
};

class PgDatabase : public Database, public HistorySource {
  public:
    PgDatabase(QString path, QString schema, std::shared_ptr<PgConnection> conn)
        : path_(std::move(path)), schema_(std::move(schema)), conn_(std::move(conn)),
          history_(std::make_shared<ServerHistory>(conn_, schema_)) {}

    QString path() const override { return path_; }

    std::unique_ptr<Recordset> openTable(const QString& table) override {
        // Plain tables only, found as the file engine finds them: by name, case aside, the exact
        // spelling first.
        const PgResult r = conn_->exec(
            QStringLiteral(
                "SELECT c.relname, a.attname FROM pg_class c "
                "JOIN pg_namespace n ON n.oid = c.relnamespace "
                "JOIN pg_attribute a ON a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped "
                "WHERE n.nspname = $1 AND lower(c.relname) = lower($2) AND c.relkind = 'r' "
                "ORDER BY c.relname = $2 DESC, c.relname, a.attnum"),
            {schema_, table});
        if (r.rows() == 0)
            throw StorageError(QStringLiteral("relation \"%1.%2\" does not exist").arg(schema_, table),
                               FailureKind::Missing);
        const QString name = r.text(0, 0);
        QStringList fields;
        for (int i = 0; i < r.rows() && r.text(i, 0) == name; ++i)
            if (r.text(i, 1) != PostgresProvider::kKeyColumn) fields << r.text(i, 1);
        return std::make_unique<PgRecordset>(conn_, history_, schema_, name, fields);
    }

    quint64 changeStamp() override { return conn_->changesIn(schema_); }

    qint64 lastKey(const QString& table) override {
        const QString qualified =
            quotedIdentifier(schema_) + QLatin1Char('.') + quotedIdentifier(openTable(table)->tableName());
        // The key sequence's last value (none while it has given none) and the highest key held.
        const PgResult r = conn_->exec(
            QStringLiteral("SELECT GREATEST(COALESCE(max(%1), 0), "
                           "COALESCE(pg_sequence_last_value(pg_get_serial_sequence($1, $2)::regclass), 0)) "
                           "FROM %2")
                .arg(kKey, qualified),
            {qualified, PostgresProvider::kKeyColumn});
        return r.int64(0, 0);
    }

    bool keepsHistory() override { return history_->exists(); }
    QVector<HistoryEntry> historyEntries(const HistoryFilter& filter) override {
        return history_->entries(filter);
    }
    int pruneHistoryBefore(const QDateTime& edge) override { return history_->prune(edge); }
    void addHistoryEntries(const QVector<HistoryEntry>& entries) override {
        if (!history_->exists()) throw StorageError(QStringLiteral("This file keeps no history."));
        history_->written([&] {
            history_->add(entries);
            return true;
        });
    }
    void reinsertRecord(const QString& table, qint64 key, const RecordValues& values) override {
        const std::unique_ptr<Recordset> set = openTable(table);
        const QString qualified =
            quotedIdentifier(schema_) + QLatin1Char('.') + quotedIdentifier(set->tableName());
        const RecordValues written = ownFields(set->fieldNames(), values);
        QStringList columns{kKey}, marks{QStringLiteral("$1")};
        QVector<QVariant> params{key};
        for (auto it = written.cbegin(); it != written.cend(); ++it) {
            columns << quotedIdentifier(it.key());
            params << it.value();
            marks << dollar(int(params.size()));
        }
        const auto insert = [&] {
            conn_->exec(
                QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                    .arg(qualified, columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))),
                params);
            return true;
        };
        if (!history_->exists()) {
            insert();
            return;
        }
        history_->written([&] {
            insert();
            history_->record(set->tableName(), key, ChangeKind::Add,
                             changedFields(written.keys(), {}, written));
            return true;
        });
    }

  private:
    QString path_;
    QString schema_;
    std::shared_ptr<PgConnection> conn_;
    std::shared_ptr<ServerHistory> history_;
};

QString schemaOf(const QString& path) {
    const paths::ServerFile where = paths::splitServerFile(path);
    if (where.file.isEmpty()) throw StorageError(QStringLiteral("no file named in %1").arg(path));
    return where.file;
}

bool schemaExists(PgConnection& conn, const QString& schema) {
    return conn.exec(QStringLiteral("SELECT 1 FROM pg_namespace WHERE nspname = $1"), {schema}).rows() > 0;
}

} // namespace

PostgresProvider::PostgresProvider() = default;
PostgresProvider::~PostgresProvider() = default;

std::shared_ptr<Database> PostgresProvider::open(const QString& path, const QString& connect) {
    const QString schema = schemaOf(path);
    const QString server = paths::splitServerFile(path).server;
    const QString password = paths::passwordOf(connect);
    std::shared_ptr<PgConnection> conn;
    {
        // Each server has a worker of its own; only the list of connections is shared.
        QMutexLocker lock(&mutex_);
        std::shared_ptr<PgConnection>& known = connections_[server + QLatin1Char('\n') + password];
        if (!known) known = std::make_shared<PgConnection>(PgSignIn{server, kDefaultRole, password});
        conn = known;
    }
    if (!schemaExists(*conn, schema))
        throw StorageError(QStringLiteral("schema \"%1\" does not exist").arg(schema));
    return std::make_shared<PgDatabase>(paths::fold(path), schema, conn);
}

namespace {

// One schema built in one transaction: nothing of it is left when the builder goes before commit.
class PgSchemaBuilder : public FileBuilder {
  public:
    PgSchemaBuilder(std::shared_ptr<PgConnection> conn, QString schema, QString role)
        : conn_(std::move(conn)), schema_(std::move(schema)), role_(std::move(role)) {
        conn_->exec(QStringLiteral("BEGIN"));
        open_ = true;
        try {
            if (schemaExists(*conn_, schema_))
                throw FileExistsError(QStringLiteral("schema \"%1\" already exists").arg(schema_));
            conn_->exec(QStringLiteral("CREATE SCHEMA %1").arg(quotedIdentifier(schema_)));
            // Every change to a table of the schema is told to the boards listening, with the
            // schema's name, once per statement.
            conn_->exec(
                QStringLiteral("CREATE FUNCTION %1 () RETURNS trigger LANGUAGE plpgsql AS $body$ "
                               "BEGIN PERFORM pg_notify(%2, TG_TABLE_SCHEMA); RETURN NULL; END $body$")
                    .arg(notifyFunction(), quotedLiteral(kPgChangeChannel)));
            // Every write to the schema's records is kept here, in the write's own transaction.
            conn_->exec(
                historysql::createTable(qualified(kHistoryTable), QStringLiteral("bigserial PRIMARY KEY")));
            for (const QString& index : historysql::createIndexes(quotedIdentifier, qualified(kHistoryTable)))
                conn_->exec(index);
        } catch (...) {
            rollback();
            throw;
        }
    }
    ~PgSchemaBuilder() override { rollback(); }

    void createTable(const QString& table, const QStringList& fields) override {
        QStringList columns{kKey + QStringLiteral(" bigserial PRIMARY KEY")};
        for (const QString& f : fields)
            columns << quotedIdentifier(f) + QStringLiteral(" text");
        conn_->exec(
            QStringLiteral("CREATE TABLE %1 (%2)").arg(qualified(table), columns.join(QStringLiteral(", "))));
        conn_->exec(
            QStringLiteral("CREATE TRIGGER cuepilot_notify AFTER INSERT OR UPDATE OR DELETE OR TRUNCATE "
                           "ON %1 FOR EACH STATEMENT EXECUTE FUNCTION %2 ()")
                .arg(qualified(table), notifyFunction()));
        tables_ << table;
    }

    void insert(const QString& table, const FieldValues& values) override {
        PgRecordset::insertInto(*conn_, qualified(table), values);
    }
    void insertKeyed(const QString& table, qint64 key, const FieldValues& values) override {
        FieldValues keyed = values;
        keyed.insert(PostgresProvider::kKeyColumn, QString::number(key));
        PgRecordset::insertInto(*conn_, qualified(table), keyed);
    }
    void keepKeysAbove(const QString& table, qint64 lastKey) override { lastKeys_.insert(table, lastKey); }
    void addHistory(const QVector<HistoryEntry>& entries) override {
        ServerHistory(conn_, schema_).add(entries);
    }

    void commit() override {
        // Records given their keys leave each table's key sequence behind: the next record added
        // comes after the last, and after every key where the content came from ever gave.
        for (const QString& table : tables_)
            // Set as given out, so that the sequence itself tells the last key to a later copy.
            conn_->exec(QStringLiteral("SELECT setval(pg_get_serial_sequence($1, $2), "
                                       "GREATEST(COALESCE(max(%1), 0), $3, 1), "
                                       "GREATEST(COALESCE(max(%1), 0), $3) > 0) FROM %2")
                            .arg(kKey, qualified(table)),
                        {qualified(table), PostgresProvider::kKeyColumn, lastKeys_.value(table)});
        // The role reads and writes records; it cannot change or drop what is here.
        const QString schema = quotedIdentifier(schema_);
        const QString role = quotedIdentifier(role_);
        conn_->exec(QStringLiteral("GRANT USAGE ON SCHEMA %1 TO %2").arg(schema, role));
        conn_->exec(QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA %1 TO %2")
                        .arg(schema, role));
        conn_->exec(QStringLiteral("GRANT USAGE ON ALL SEQUENCES IN SCHEMA %1 TO %2").arg(schema, role));
        conn_->exec(QStringLiteral("COMMIT"));
        open_ = false;
    }

  private:
    QString qualified(const QString& table) const {
        return quotedIdentifier(schema_) + QLatin1Char('.') + quotedIdentifier(table);
    }
    QString notifyFunction() const { return qualified(QStringLiteral("cuepilot_notify")); }
    static QString quotedLiteral(const QString& text) {
        return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QStringLiteral("''")) +
               QLatin1Char('\'');
    }
    void rollback() noexcept {
        if (!open_) return;
        open_ = false;
        try {
            conn_->exec(QStringLiteral("ROLLBACK"));
        } catch (const StorageError&) {
            // A lost connection has rolled back by itself.
        }
    }

    std::shared_ptr<PgConnection> conn_;
    QString schema_;
    QString role_;
    QStringList tables_;
    QHash<QString, qint64> lastKeys_;
    bool open_ = false;
};

class PgServerCreator : public FileCreator {
  public:
    PgServerCreator(QString server, QString role)
        : server_(std::move(server)), role_(std::move(role)),
          conn_(std::make_shared<PgConnection>(
              PgSignIn{server_, QString(), QString(), PgSignIn::Patience::Tool})) {}

    QString pathOf(const QString& fileConstant) const override { return paths::fold(server_ + fileConstant); }
    std::unique_ptr<FileBuilder> create(const QString& fileConstant) override {
        return std::make_unique<PgSchemaBuilder>(conn_, schemaOf(pathOf(fileConstant)), role_);
    }

  private:
    QString server_;
    QString role_;
    std::shared_ptr<PgConnection> conn_;
};

} // namespace

std::unique_ptr<FileCreator> PostgresProvider::serverCreator(const QString& server, const QString& role) {
    return std::make_unique<PgServerCreator>(server, role);
}
