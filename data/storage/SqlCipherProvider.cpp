#include "data/storage/SqlCipherProvider.h"

#include "base/GroupFolder.h"
#include "base/Steps.h"
#include "data/catalogue/Paths.h"
#include "data/history/HistorySource.h"
#include "data/history/HistorySql.h"
#include "data/storage/AskedOnItsOwn.h"
#include "data/storage/KeysetRecordset.h"
#include "data/storage/LocalCommits.h"
#include "data/storage/SqlIdentifier.h"
#include "data/storage/StorageError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QThread>
#include <QVector>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <openssl/evp.h>
#include <sqlcipher/sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Marks a file as one of ours; anything else planted in the data folder is refused.
constexpr int kApplicationId = 0x43504C54; // "CPLT"
constexpr int kKdfIterations = 64000;
// Highest record key ever used per table, so a key freed by a delete is never given to a new
// record: a studio still holding the old key must not write into someone else's record.
const QString kLastKeyTable = QStringLiteral("cuepilot_last_key");

QString engineMessage(sqlite3* db, int rc) {
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
}

// The kind of an engine's failure, from its result code.
FailureKind kindOf(int rc) {
    switch (rc & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return FailureKind::Locked;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return FailureKind::ReadOnly;
    case SQLITE_CANTOPEN:
    case SQLITE_NOTFOUND:
        return FailureKind::Missing;
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
    case SQLITE_FORMAT:
        return FailureKind::Damaged;
    default:
        return FailureKind::Other;
    }
}

// The engine's failure in its own words, with its kind. A missing table is told by its words only.
StorageError engineError(sqlite3* db, int rc) {
    const QString words = engineMessage(db, rc);
    if (db && (rc & 0xff) == SQLITE_ERROR && words.startsWith(QStringLiteral("no such table")))
        return StorageError(words, FailureKind::Missing);
    return StorageError(words, kindOf(db ? sqlite3_errcode(db) : rc));
}

StorageError codeError(int rc) {
    return StorageError(QString::fromUtf8(sqlite3_errstr(rc)), kindOf(rc));
}

QString quoted(const QString& identifier) {
    return quotedIdentifier(identifier);
}

// A stored value as the board reads it: text decoded as UTF-8 (bytes or broken text another program
// stored come out with replacement characters), null as null. The old-value check of a write compares
// through it, so a field read that way can be written back.
constexpr const char* kAsReadFunction = "cuepilot_as_read";

void valueAsRead(sqlite3_context* context, int, sqlite3_value** args) {
    if (sqlite3_value_type(args[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(args[0]));
    const QByteArray asRead = QString::fromUtf8(text, sqlite3_value_bytes(args[0])).toUtf8();
    sqlite3_result_text(context, asRead.constData(), int(asRead.size()), SQLITE_TRANSIENT);
}

class Connection;

// One prepared statement, finalized on every path.
class Statement {
  public:
    Statement(const Connection& conn, const QString& sql);
    // Prepared once per connection and kept by it: for the statements every write runs.
    enum Kept { kept };
    Statement(Connection& conn, const QString& sql, Kept);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void bind(int i, const QString& text) {
        const QByteArray utf8 = text.toUtf8();
        check(sqlite3_bind_text(stmt_, i, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT));
    }
    void bind(int i, qint64 v) { check(sqlite3_bind_int64(stmt_, i, v)); }
    void bind(int i, const QVariant& v) {
        if (v.isNull())
            check(sqlite3_bind_null(stmt_, i));
        else if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int)
            bind(i, v.toLongLong());
        else
            bind(i, v.toString());
    }
    // A field's value as a record set writes it: null text (a value put back as it was) as null.
    void bindField(int i, const QString& text) {
        if (text.isNull())
            check(sqlite3_bind_null(stmt_, i));
        else
            bind(i, text);
    }
    // True while a row is available.
    bool step() {
        const int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW) return true;
        if (rc == SQLITE_DONE) return false;
        throw engineError(db_, rc);
    }
    qint64 int64(int col) const { return sqlite3_column_int64(stmt_, col); }
    // Ready to run again with new values.
    void reset() {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }
    void bindAll(const QVector<QVariant>& values) {
        for (int i = 0; i < values.size(); ++i)
            bind(i + 1, values[i]);
    }
    QVector<QVariant> row() const {
        QVector<QVariant> values(sqlite3_column_count(stmt_));
        for (int i = 0; i < values.size(); ++i)
            values[i] = value(i);
        return values;
    }
    QVariant value(int col) const {
        if (sqlite3_column_type(stmt_, col) == SQLITE_NULL) return QVariant();
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, col));
        return QString::fromUtf8(text, sqlite3_column_bytes(stmt_, col));
    }
    QString text(int col) const { return value(col).toString(); }

  private:
    void check(int rc) {
        if (rc != SQLITE_OK) throw engineError(db_, rc);
    }
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
    Connection* keptBy_ = nullptr;
};

class Connection {
  public:
    Connection(const QString& path, int flags) : path_(path), folder_(QFileInfo(path).path()) {
        const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db_, flags, nullptr);
        if (rc != SQLITE_OK) {
            const StorageError failure = engineError(db_, rc);
            sqlite3_close(db_);
            throwIfUnreadable(failure);
            throw failure;
        }
        sqlite3_extended_result_codes(db_, 0);
        sqlite3_busy_timeout(db_, kBusyTimeoutMs);
        sqlite3_create_function_v2(db_, kAsReadFunction, 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                   &valueAsRead, nullptr, nullptr, nullptr);
    }
    ~Connection() {
        for (sqlite3_stmt* st : kept_)
            sqlite3_finalize(st);
        sqlite3_close(db_);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    sqlite3* handle() const { return db_; }
    // Every statement starts here: on a share known to hang, none does.
    void checkAnswering() const { UnansweredFolders::checkAnswering(folder_); }

    void exec(const QString& sql) {
        Statement st(*this, sql);
        while (st.step()) {
        }
    }

    // A short write transaction; another studio's lock waits out the busy timeout, then fails.
    template <class Work> void write(Work&& work) {
        try {
            exec(QStringLiteral("BEGIN IMMEDIATE"));
        } catch (const StorageError& e) {
            throwIfRefused(e);
            throw;
        }
        try {
            work();
            exec(QStringLiteral("COMMIT"));
        } catch (const StorageError& e) {
            rollBack();
            throwIfRefused(e);
            throw;
        } catch (...) {
            rollBack();
            throw;
        }
        LocalCommits::note(path_);
    }

    // Said in plain words when this user may not read the file: the engine only says it cannot open it.
    void throwIfUnreadable(const StorageError& e) const {
        const QFileInfo info(path_);
        if (e.kind() != FailureKind::Missing || ::access(QFile::encodeName(path_).constData(), R_OK) == 0 ||
            errno != EACCES)
            return;
        throw StorageError(QStringLiteral("%1 in %2 cannot be read by %3: ask the station's engineer to let "
                                          "the station's group read it.")
                               .arg(info.fileName(), info.path(), groupfolder::userName()),
                           FailureKind::Unreadable);
    }

    // Said in plain words when it is this user's rights: the engine only says "readonly".
    void throwIfRefused(const StorageError& e) const {
        if (e.kind() != FailureKind::ReadOnly) return;
        if (const QString refused = groupfolder::refusedFor(path_); !refused.isEmpty())
            throw StorageError(refused, FailureKind::Refused);
    }

    void rollBack() {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        // A history table made inside it is gone with it.
        historyReady_ = false;
    }

    // One read transaction, unless one is already open: the lock and the file's change counter are
    // checked once for all the reads inside.
    template <class Work> void read(Work&& work) {
        if (!sqlite3_get_autocommit(db_)) {
            work();
            return;
        }
        exec(QStringLiteral("BEGIN DEFERRED"));
        try {
            work();
        } catch (...) {
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
            throw;
        }
        // Ended whatever the share is thought to be doing meanwhile: a read left open would hold
        // every other studio's writes off and refuse this board's next transaction.
        if (sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
            const StorageError failure = engineError(db_, sqlite3_errcode(db_));
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
            throw failure;
        }
    }
    bool inTransaction() const { return !sqlite3_get_autocommit(db_); }

    // Whether writes through this connection are kept in the file's history.
    bool keepsHistory() const { return keepsHistory_; }
    void setKeepsHistory(bool keep) { keepsHistory_ = keep; }
    // The file's history table was found (or made) by a write of this connection that was not
    // rolled back: later writes need not look again.
    bool historyReady() const { return historyReady_; }
    void setHistoryReady() { historyReady_ = true; }

    // Bytes of the file read straight through the engine's own handle, never through another one:
    // closing any other handle on the file would drop every lock this process holds on it, and
    // another studio could then write in the middle of this board's transaction. A positioned read
    // is safe beside the engine's own use of the handle.
    QByteArray rawBytes(qint64 offset, int length) const {
        sqlite3_file* file = nullptr;
        if (sqlite3_file_control(db_, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file ||
            !file->pMethods)
            throw codeError(SQLITE_CANTOPEN);
        QByteArray bytes(length, '\0');
        const int rc = file->pMethods->xRead(file, bytes.data(), length, offset);
        // A short read (an empty or cut file) is what the file holds, zero-filled by the engine.
        if (rc != SQLITE_OK && rc != SQLITE_IOERR_SHORT_READ) throw codeError(rc);
        return bytes;
    }
    // A kept statement, prepared the first time; nothing while it is in use (the caller then
    // prepares one of its own).
    sqlite3_stmt* takeKept(const QString& sql) {
        QMutexLocker lock(&keptMutex_);
        auto it = kept_.find(sql);
        if (it == kept_.end()) {
            sqlite3_stmt* st = nullptr;
            const QByteArray utf8 = sql.toUtf8();
            const int rc = sqlite3_prepare_v2(db_, utf8.constData(), int(utf8.size()), &st, nullptr);
            if (rc != SQLITE_OK) throw engineError(db_, rc);
            it = kept_.insert(sql, st);
        }
        if (inUse_.contains(*it)) return nullptr;
        inUse_.insert(*it);
        return *it;
    }
    void giveBack(sqlite3_stmt* st) {
        sqlite3_reset(st);
        sqlite3_clear_bindings(st);
        QMutexLocker lock(&keptMutex_);
        inUse_.remove(st);
    }

    // The key salt: the first 16 bytes of an enciphered file.
    QByteArray salt() const { return rawBytes(0, 16); }

    // Another program may switch the file to WAL journal mode (the sqlite shell does it in one
    // command). Commits then go to a file beside it, unseen by the change marker, and WAL's shared
    // memory does not work across a network drive: the file is switched back as soon as no other
    // connection holds it in WAL mode. The header says so only enciphered; the file beside it is
    // there while any connection has it open in WAL mode.
    bool inWalMode() const { return QFileInfo::exists(path_ + QStringLiteral("-wal")); }
    // The same, asked of the engine inside a read: it looked for the file beside as the read began.
    bool walInUse() {
        Statement mode(*this, QStringLiteral("PRAGMA journal_mode"));
        return mode.step() && mode.text(0).compare(QLatin1String("wal"), Qt::CaseInsensitive) == 0;
    }
    void leaveWalMode() {
        skipOnFailure([&] { exec(QStringLiteral("PRAGMA journal_mode = DELETE")); });
    }

    void applyKey(const QByteArray& rawKeyHex) {
        // Not a user text: a hex string we made ourselves.
        exec(QStringLiteral("PRAGMA key = \"x'%1'\"").arg(QString::fromLatin1(rawKeyHex)));
    }

  private:
    QString path_;
    QString folder_;
    sqlite3* db_ = nullptr;
    bool keepsHistory_ = true;
    bool historyReady_ = false;
    QMutex keptMutex_; // a connection opened ahead on one thread is used on another later
    QHash<QString, sqlite3_stmt*> kept_;
    QSet<sqlite3_stmt*> inUse_;
};

Statement::Statement(const Connection& conn, const QString& sql) : db_(conn.handle()) {
    conn.checkAnswering();
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(db_, utf8.constData(), int(utf8.size()), &stmt_, nullptr);
    if (rc != SQLITE_OK) throw engineError(db_, rc);
}

Statement::Statement(Connection& conn, const QString& sql, Kept) : db_(conn.handle()) {
    conn.checkAnswering();
    stmt_ = conn.takeKept(sql);
    if (stmt_) {
        keptBy_ = &conn;
        return;
    }
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(db_, utf8.constData(), int(utf8.size()), &stmt_, nullptr);
    if (rc != SQLITE_OK) throw engineError(db_, rc);
}

Statement::~Statement() {
    if (keptBy_)
        keptBy_->giveBack(stmt_);
    else
        sqlite3_finalize(stmt_);
}

QString questionMark(int) {
    return QStringLiteral("?");
}

// The file's history table, written inside the very write transaction whose change it keeps.
class FileHistory {
  public:
    explicit FileHistory(Connection& conn) : conn_(conn) {}

    // Inside a write transaction: made the first time a file is written. A file that cannot take
    // it still takes the write, without history.
    bool ready() {
        if (!conn_.keepsHistory()) return false;
        if (conn_.historyReady()) return true;
        const bool made = skipOnFailure([&] {
            conn_.exec(historysql::createTable(table_, QStringLiteral("INTEGER PRIMARY KEY")));
            // Files written before the history had every index get them with their next write.
            for (const QString& index : historysql::createIndexes(quoted, table_))
                conn_.exec(index);
        });
        // A failure the engine answers by ending the transaction (a full disk) ends the write too.
        if (!made && !conn_.inTransaction())
            throw StorageError(QString::fromUtf8(sqlite3_errmsg(conn_.handle())));
        // Something else under the name (a view, say) is left alone, and the file is written without.
        if (!made || !exists()) return false;
        conn_.setHistoryReady();
        return true;
    }
    // A plain table of that name: a view or virtual table planted under it is not the history.
    bool exists() {
        Statement st(conn_,
                     QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'table' AND name = ?"));
        st.bind(1, kHistoryTable);
        return st.step() &&
               !st.text(0).trimmed().startsWith(QLatin1String("CREATE VIRTUAL"), Qt::CaseInsensitive);
    }

    void record(const QString& table, qint64 key, ChangeKind kind, const QVector<FieldChange>& changes) {
        add(historysql::entriesFor(table, key, kind, changes));
    }
    void add(const QVector<HistoryEntry>& entries) {
        if (entries.isEmpty()) return;
        Statement st(conn_, historysql::insert(table_, questionMark), Statement::kept);
        for (const HistoryEntry& e : entries) {
            st.bindAll(historysql::insertValues(e));
            st.step();
            st.reset();
        }
    }

    QVector<HistoryEntry> entries(const HistoryFilter& filter) {
        QVector<HistoryEntry> found;
        if (!exists()) return found;
        QVector<QVariant> params;
        Statement st(conn_, historysql::select(table_, filter, questionMark, params));
        st.bindAll(params);
        while (st.step())
            found << historysql::entryFrom(st.row());
        return found;
    }

    int prune(const QDateTime& edge) {
        if (!exists()) return 0;
        Statement st(conn_, historysql::prune(table_, questionMark));
        st.bind(1, storedTime(edge));
        st.step();
        return sqlite3_changes(conn_.handle());
    }

  private:
    Connection& conn_;
    const QString table_ = quoted(kHistoryTable);
};

} // namespace

struct FileIdentity {
    dev_t dev = 0;
    ino_t ino = 0;
    // Changes with every write, ours or another studio's, and with a restore in place.
    qint64 mtimeNs = 0;
    qint64 size = 0;
    // This user may write it now: a connection opened while it could not be written cannot.
    bool writable = false;
    bool sameFile(const FileIdentity& o) const { return dev == o.dev && ino == o.ino; }
    bool sameContent(const FileIdentity& o) const {
        return sameFile(o) && mtimeNs == o.mtimeNs && size == o.size;
    }
};

// How a file is known to the provider: its folded path, its password, and the key of its open
// connection (one per file and password).
struct FileName {
    QString folded, password, cacheKey;
};

static FileName nameOf(const QString& path, const QString& connect) {
    const QString folded = paths::fold(path);
    const QString password = paths::passwordOf(connect);
    return {folded, password, QFileInfo(folded).absoluteFilePath() + QLatin1Char('\n') + password};
}

// Why a file could not be looked at, in plain words naming it and its folder as the board's
// storage names that folder; errno as stat left it.
static StorageError notFound(const QString& folded, int error, bool folderThere, bool folderIsFile) {
    const QFileInfo info(folded);
    if (error == EACCES)
        return StorageError(QStringLiteral("The folder %1 cannot be looked into by %2: ask the station's "
                                           "engineer to let the station's group into it.")
                                .arg(info.path(), groupfolder::userName()),
                            FailureKind::Unreadable);
    if (!folderThere)
        return StorageError((folderIsFile ? QStringLiteral("%1 is a file, not a folder.")
                                          : QStringLiteral("The folder %1 does not exist."))
                                .arg(info.path()),
                            FailureKind::NoFolder);
    if (error == ENOENT)
        return StorageError(QStringLiteral("There is no %1 in %2.").arg(info.fileName(), info.path()),
                            FailureKind::Missing);
    return StorageError(QStringLiteral("%1 in %2 cannot be looked at: %3.")
                            .arg(info.fileName(), info.path(), QString::fromLocal8Bit(strerror(error))),
                        FailureKind::Missing);
}

static bool identify(const QString& path, FileIdentity& id) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return false;
    id = {st.st_dev, st.st_ino, qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
          qint64(st.st_size),
          ::faccessat(AT_FDCWD, QFile::encodeName(path).constData(), W_OK, AT_EACCESS) == 0};
    return true;
}

namespace {

class SqlCipherRecordset : public KeysetRecordset {
  public:
    SqlCipherRecordset(std::shared_ptr<Connection> conn, QString table, QStringList fields)
        : KeysetRecordset(table, fields), conn_(std::move(conn)), quotedTable_(quoted(table)) {
        quoteColumns();
        open();
    }
    SqlCipherRecordset(std::shared_ptr<Connection> conn, const TableSnapshot& snapshot)
        : KeysetRecordset(snapshot.table, snapshot.fields), conn_(std::move(conn)),
          quotedTable_(quoted(snapshot.table)) {
        quoteColumns();
        open(snapshot);
    }

  protected:
    QVector<qint64> readKeys() override {
        QVector<qint64> keys;
        Statement st(*conn_, QStringLiteral("SELECT rowid FROM %1 ORDER BY rowid").arg(quotedTable_));
        while (st.step())
            keys.push_back(st.int64(0));
        return keys;
    }

    std::optional<QVector<QVariant>> readRecord(qint64 key) override {
        // Run by every move and every write: prepared once per connection.
        Statement st(*conn_,
                     QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?")
                         .arg(columns_.join(QStringLiteral(", ")), quotedTable_),
                     Statement::kept);
        st.bind(1, key);
        if (!st.step()) return std::nullopt;
        QVector<QVariant> values(columns_.size());
        for (int i = 0; i < columns_.size(); ++i)
            values[i] = st.value(i);
        return values;
    }

    QVector<qint64> keysWhere(const QString& column, const QString& value) override {
        Statement st(*conn_, QStringLiteral("SELECT rowid FROM %1 WHERE %2 = ? ORDER BY rowid")
                                 .arg(quotedTable_, quoted(column)));
        st.bind(1, value);
        QVector<qint64> keys;
        while (st.step())
            keys.push_back(st.int64(0));
        return keys;
    }

    bool writeRecord(qint64 key, const FieldValues& changes, const ExpectedValues& expected) override {
        QStringList sets, conditions;
        for (auto it = changes.cbegin(); it != changes.cend(); ++it)
            sets << quoted(it.key()) + QStringLiteral(" = ?");
        for (auto it = expected.cbegin(); it != expected.cend(); ++it)
            conditions
                << QStringLiteral(" AND %1(%2) IS ?").arg(QLatin1String(kAsReadFunction), quoted(it.key()));
        bool stored = false;
        conn_->write([&] {
            FileHistory history(*conn_);
            const std::optional<QVector<QVariant>> before = history.ready() ? readRecord(key) : std::nullopt;
            Statement st(*conn_,
                         QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?%3")
                             .arg(quotedTable_, sets.join(QStringLiteral(", ")), conditions.join(QString())));
            int i = 1;
            for (auto it = changes.cbegin(); it != changes.cend(); ++it)
                st.bindField(i++, it.value());
            st.bind(i++, key);
            for (auto it = expected.cbegin(); it != expected.cend(); ++it)
                st.bind(i++, it.value());
            st.step();
            stored = sqlite3_changes(db()) == 1;
            if (stored && before)
                history.record(tableName(), key, ChangeKind::Update,
                               changedFields(changes.keys(), namedValues(fieldNames(), *before),
                                             writtenValues(changes)));
        });
        return stored;
    }

    qint64 insertRecord(const FieldValues& values) override {
        QStringList cols{QStringLiteral("rowid")}, marks{QStringLiteral("?")};
        for (auto it = values.cbegin(); it != values.cend(); ++it) {
            cols << quoted(it.key());
            marks << QStringLiteral("?");
        }
        qint64 key = 0;
        conn_->write([&] {
            FileHistory history(*conn_);
            const bool kept = history.ready();
            key = nextKey();
            Statement st(*conn_, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                     .arg(quotedTable_, cols.join(QStringLiteral(", ")),
                                          marks.join(QStringLiteral(", "))));
            st.bind(1, key);
            int i = 2;
            for (auto it = values.cbegin(); it != values.cend(); ++it)
                st.bindField(i++, it.value());
            st.step();
            noteKeyUsed(key);
            if (kept)
                history.record(tableName(), key, ChangeKind::Add,
                               changedFields(values.keys(), {}, writtenValues(values)));
        });
        return key;
    }

    void deleteRecord(qint64 key) override {
        conn_->write([&] {
            FileHistory history(*conn_);
            const std::optional<QVector<QVariant>> before = history.ready() ? readRecord(key) : std::nullopt;
            Statement st(*conn_, QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(quotedTable_));
            st.bind(1, key);
            st.step();
            noteKeyUsed(key);
            if (before && sqlite3_changes(db()) == 1)
                history.record(tableName(), key, ChangeKind::Delete, deletedFields(fieldNames(), *before));
        });
    }

    bool recordExists(qint64 key) override {
        Statement st(*conn_, QStringLiteral("SELECT 1 FROM %1 WHERE rowid = ?").arg(quotedTable_));
        st.bind(1, key);
        return st.step();
    }

  private:
    sqlite3* db() const { return conn_->handle(); }

    void quoteColumns() {
        for (const QString& f : fieldNames())
            columns_ << quoted(f);
    }

    void createLastKeyTable() {
        conn_->exec(
            QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (tbl TEXT PRIMARY KEY, last INTEGER NOT NULL)")
                .arg(quoted(kLastKeyTable)));
    }

    // Inside a write transaction: one past the highest key this table ever had.
    qint64 nextKey() {
        createLastKeyTable();
        Statement st(*conn_, QStringLiteral("SELECT max(coalesce((SELECT last FROM %1 WHERE tbl = ?), 0), "
                                            "coalesce((SELECT max(rowid) FROM %2), 0)) + 1")
                                 .arg(quoted(kLastKeyTable), quotedTable_));
        st.bind(1, tableName());
        st.step();
        return st.int64(0);
    }

    void noteKeyUsed(qint64 key) {
        createLastKeyTable();
        Statement add(
            *conn_,
            QStringLiteral("INSERT OR IGNORE INTO %1 (tbl, last) VALUES (?, 0)").arg(quoted(kLastKeyTable)));
        add.bind(1, tableName());
        add.step();
        Statement raise(
            *conn_,
            QStringLiteral("UPDATE %1 SET last = max(last, ?) WHERE tbl = ?").arg(quoted(kLastKeyTable)));
        raise.bind(1, key);
        raise.bind(2, tableName());
        raise.step();
    }

    std::shared_ptr<Connection> conn_;
    QString quotedTable_;
    QStringList columns_;
};

// The 16 bytes at offset 24 of the file, which the engine itself reads before every transaction to
// know whether its cache is still good: the change counter and page counts. Every commit rewrites
// them, and under the cipher page 1 is encrypted afresh, so the raw bytes change with every commit.
// Read straight through the connection's own file handle: another handle on the file, once closed,
// would drop the locks the engine holds on it. A plain positioned read of the handle is safe beside
// the connection's own use of it.
// A file in WAL journal mode has no marker: its commits do not touch these bytes. So no snapshot is
// taken of one (markedOutsideWal). Switching a file to WAL mode rewrites page 1, so a marker read
// before the switch no longer matches after it: a look at the marker alone (read) need not also look
// for the file beside it, which on a share is a second round trip for every file of a board's switch.
class HeaderMarker : public ChangeMarker {
  public:
    explicit HeaderMarker(std::shared_ptr<Connection> conn) : conn_(std::move(conn)) {}
    QByteArray read() override { return conn_->rawBytes(24, 16); }
    QByteArray markedOutsideWal() {
        // Inside a read the engine has just looked for the file beside; outside one, we look.
        if (conn_->inTransaction() ? conn_->walInUse() : conn_->inWalMode())
            throw StorageError(QStringLiteral("The file is in WAL journal mode."), FailureKind::Locked);
        return read();
    }

  private:
    std::shared_ptr<Connection> conn_;
};

class SqlCipherDatabase : public Database, public HistorySource {
  public:
    SqlCipherDatabase(QString path, std::shared_ptr<Connection> conn, FileIdentity id, QByteArray salt)
        : path_(std::move(path)), conn_(std::move(conn)), id_(id), salt_(std::move(salt)),
          marker_(std::make_shared<HeaderMarker>(conn_)) {}

    QString path() const override { return path_; }
    const FileIdentity& identity() const { return id_; }
    void setIdentity(const FileIdentity& id) { id_ = id; }
    const QByteArray& salt() const { return salt_; }
    // Whether the file at the other end of this connection still has the salt it was opened with:
    // a file restored in place from another installation has another.
    // A file found in WAL journal mode is switched back on the way.
    bool saltUnchanged() const {
        if (conn_->inWalMode()) conn_->leaveWalMode();
        return conn_->salt() == salt_;
    }
    bool readOnly() const { return sqlite3_db_readonly(conn_->handle(), "main") == 1; }

    std::unique_ptr<Recordset> openTable(const QString& table) override {
        Statement st(*conn_,
                     QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type = 'table' AND name = ? "
                                    "COLLATE NOCASE"));
        st.bind(1, table);
        if (!st.step())
            throw StorageError(QStringLiteral("no such table: %1").arg(table), FailureKind::Missing);
        const QString name = st.text(0);
        // A virtual table planted in a shared file would run code of its own module.
        if (st.text(1).trimmed().startsWith(QLatin1String("CREATE VIRTUAL"), Qt::CaseInsensitive))
            throw StorageError(QStringLiteral("no such table: %1").arg(table), FailureKind::Missing);
        QStringList fields;
        Statement info(*conn_, QStringLiteral("PRAGMA table_info(%1)").arg(quoted(name)));
        while (info.step())
            fields << info.text(1);
        return std::make_unique<SqlCipherRecordset>(conn_, name, fields);
    }

    // Other connections' commits, and this process's own through any of its connections.
    quint64 changeStamp() override {
        Statement st(*conn_, QStringLiteral("PRAGMA data_version"));
        st.step();
        return quint64(st.int64(0)) + LocalCommits::count(path_);
    }

    void readTogether(const std::function<void()>& reads) override { conn_->read(reads); }

    qint64 lastKey(const QString& table) override {
        qint64 last = 0;
        conn_->read([&] {
            const QString name = openTable(table)->tableName();
            Statement highest(*conn_,
                              QStringLiteral("SELECT coalesce(max(rowid), 0) FROM %1").arg(quoted(name)));
            highest.step();
            last = highest.int64(0);
            Statement known(*conn_,
                            QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?"));
            known.bind(1, kLastKeyTable);
            if (!known.step()) return;
            Statement counted(*conn_,
                              QStringLiteral("SELECT last FROM %1 WHERE tbl = ?").arg(quoted(kLastKeyTable)));
            counted.bind(1, name);
            if (counted.step()) last = std::max(last, counted.int64(0));
        });
        return last;
    }

    std::shared_ptr<const TableSnapshot> snapshot(const QString& table,
                                                  std::shared_ptr<const TableSnapshot> previous) override {
        const QByteArray tag = fileTag();
        if (previous && previous->fileTag == tag && marker_->markedOutsideWal() == previous->marker)
            return previous;
        auto snapshot = std::make_shared<TableSnapshot>();
        bool asRefreshed = false;
        conn_->read([&] {
            const std::unique_ptr<Recordset> set = openTable(table);
            asRefreshed = static_cast<const KeysetRecordset&>(*set).describeIn(*snapshot);
            // Inside the same read, so the marker belongs to exactly what was read.
            snapshot->marker = marker_->markedOutsideWal();
        });
        if (!asRefreshed) return nullptr;
        snapshot->file = path_;
        snapshot->fileTag = tag;
        snapshot->markerSource = marker_;
        return snapshot;
    }

    std::unique_ptr<Recordset> openTable(const TableSnapshot& snapshot) override {
        return std::make_unique<SqlCipherRecordset>(conn_, snapshot);
    }

    bool keepsHistory() override {
        bool kept = false;
        conn_->read([&] { kept = FileHistory(*conn_).exists(); });
        return kept;
    }
    QVector<HistoryEntry> historyEntries(const HistoryFilter& filter) override {
        QVector<HistoryEntry> entries;
        conn_->read([&] { entries = FileHistory(*conn_).entries(filter); });
        return entries;
    }
    int pruneHistoryBefore(const QDateTime& edge) override {
        // Looked at first, so a file with nothing to prune is not written (and not reported changed).
        bool any = false;
        conn_->read([&] {
            FileHistory history(*conn_);
            if (!history.exists()) return;
            Statement st(*conn_,
                         QStringLiteral("SELECT 1 FROM %1 WHERE at < ? LIMIT 1").arg(quoted(kHistoryTable)));
            st.bind(1, storedTime(edge));
            any = st.step();
        });
        if (!any) return 0;
        // In short transactions with a rest between them: every studio's save gets the file in
        // between, well inside its busy timeout.
        int pruned = 0;
        for (int batch = historysql::kPruneBatch; batch == historysql::kPruneBatch; pruned += batch) {
            if (pruned) QThread::msleep(historysql::kPruneRestMs);
            conn_->write([&] { batch = FileHistory(*conn_).prune(edge); });
        }
        return pruned;
    }
    void addHistoryEntries(const QVector<HistoryEntry>& entries) override {
        conn_->write([&] {
            FileHistory history(*conn_);
            if (!history.ready()) throw StorageError(QStringLiteral("This file keeps no history."));
            history.add(entries);
        });
    }
    void reinsertRecord(const QString& table, qint64 key, const RecordValues& values) override {
        const std::unique_ptr<Recordset> set = openTable(table);
        const QString name = set->tableName();
        const RecordValues written = ownFields(set->fieldNames(), values);
        QStringList cols{QStringLiteral("rowid")}, marks{QStringLiteral("?")};
        QVector<QVariant> params{key};
        for (auto it = written.cbegin(); it != written.cend(); ++it) {
            cols << quoted(it.key());
            marks << QStringLiteral("?");
            params << it.value();
        }
        conn_->write([&] {
            FileHistory history(*conn_);
            const bool kept = history.ready();
            Statement st(*conn_, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                     .arg(quoted(name), cols.join(QStringLiteral(", ")),
                                          marks.join(QStringLiteral(", "))));
            st.bindAll(params);
            st.step();
            if (kept) history.record(name, key, ChangeKind::Add, changedFields(written.keys(), {}, written));
        });
    }

    // The file on disk and its key salt: a file restored in place has another salt.
    QByteArray fileTag() const {
        return QByteArray::number(quint64(id_.dev)) + ':' + QByteArray::number(quint64(id_.ino)) + ':' +
               salt_.toHex();
    }

  private:
    QString path_;
    std::shared_ptr<Connection> conn_;
    FileIdentity id_;
    QByteArray salt_;
    std::shared_ptr<HeaderMarker> marker_;
};

void pinCipherSettings(Connection& c) {
    // Every setting stated, so an engine with other defaults (4.x: 4 KB pages, 256,000 rounds,
    // SHA-512) still opens the files. An engine that does not know a setting ignores it; those it
    // knows are stated after the compatibility level, which would otherwise reset them.
    c.exec(QStringLiteral("PRAGMA cipher_compatibility = 3"));
    c.exec(QStringLiteral("PRAGMA cipher_page_size = 1024"));
    c.exec(QStringLiteral("PRAGMA kdf_iter = %1").arg(kKdfIterations));
    c.exec(QStringLiteral("PRAGMA cipher_use_hmac = ON"));
    c.exec(QStringLiteral("PRAGMA cipher_hmac_algorithm = HMAC_SHA1"));
    c.exec(QStringLiteral("PRAGMA cipher_kdf_algorithm = PBKDF2_HMAC_SHA1"));
}

// Settings of the connection alone: nothing is read or written for them.
void useSafeSettings(Connection& c) {
    c.exec(QStringLiteral("PRAGMA synchronous = FULL"));
    c.exec(QStringLiteral("PRAGMA locking_mode = NORMAL"));
}

void useSafeJournal(Connection& c) {
    // Files may lie on a network drive: a rollback journal, never WAL.
    c.exec(QStringLiteral("PRAGMA journal_mode = DELETE"));
    useSafeSettings(c);
}

// readFirst runs once the key is known good, in the same read where it can: on a share every read of
// its own costs round trips (a look for a journal, for a WAL file, at the change counter).
void keyConnection(Connection& conn, const QByteArray& keyHex, const std::function<void()>& readFirst) {
    if (!keyHex.isEmpty()) {
        conn.applyKey(keyHex);
        pinCipherSettings(conn);
    }
    bool inWal = false;
    conn.read([&] {
        // A wrong key shows at the first read.
        {
            Statement probe(conn, QStringLiteral("SELECT count(*) FROM sqlite_master"));
            probe.step();
            Statement app(conn, QStringLiteral("PRAGMA application_id"));
            if (!app.step() || app.int64(0) != kApplicationId) throw codeError(SQLITE_NOTADB);
        }
        inWal = conn.walInUse();
        if (!inWal && readFirst) readFirst();
    });
    if (!inWal) {
        useSafeSettings(conn);
        return;
    }
    // Only a file left in WAL mode needs a change of mode, which no read may be open over.
    useSafeJournal(conn);
    if (readFirst) conn.read(readFirst);
}

} // namespace

SqlCipherProvider::SqlCipherProvider() = default;
SqlCipherProvider::~SqlCipherProvider() = default;

QByteArray SqlCipherProvider::deriveKey(const QString& password, const QByteArray& salt) {
    const QByteArray pass = password.toUtf8();
    QByteArray key(32, '\0');
    if (PKCS5_PBKDF2_HMAC_SHA1(pass.constData(), int(pass.size()),
                               reinterpret_cast<const unsigned char*>(salt.constData()), int(salt.size()),
                               kKdfIterations, int(key.size()),
                               reinterpret_cast<unsigned char*>(key.data())) != 1)
        throw StorageError(QStringLiteral("key derivation failed"));
    return key;
}

QByteArray SqlCipherProvider::keyFor(const QString& password, const QByteArray& salt) {
    QMutexLocker lock(&mutex_);
    const QByteArray cacheKey = salt + password.toUtf8();
    auto it = keys_.constFind(cacheKey);
    if (it != keys_.cend()) return *it;
    ++derivations_;
    const QByteArray key = deriveKey(password, salt).toHex();
    keys_.insert(cacheKey, key);
    return key;
}

std::shared_ptr<Database> SqlCipherProvider::open(const QString& path, const QString& connect) {
    const auto [folded, password, cacheKey] = nameOf(path, connect);

    // A share that hangs is found out here, waited for no longer than another studio's lock,
    // before the engine's own calls could hold the board.
    struct Looked {
        FileIdentity id;
        int error = 0; // errno of a file that could not be looked at
        bool folderThere = true;
        bool folderIsFile = false;
    };
    const std::optional<Looked> found = AskedOnItsOwn<Looked>(QFileInfo(folded).path(), [file = folded] {
                                            Looked looked;
                                            if (!identify(file, looked.id)) {
                                                looked.error = errno;
                                                const QFileInfo folder(QFileInfo(file).path());
                                                looked.folderThere = folder.isDir();
                                                looked.folderIsFile = folder.exists() && !folder.isDir();
                                            }
                                            return looked;
                                        }).answerWithin(kBusyTimeoutMs);
    if (!found || found->error) {
        forgetOpen(cacheKey);
        if (!found) throw codeError(SQLITE_CANTOPEN);
        throw notFound(folded, found->error, found->folderThere, found->folderIsFile);
    }
    const FileIdentity id = found->id;
    if (const std::shared_ptr<Database> known = openAs(cacheKey)) {
        auto* cached = static_cast<SqlCipherDatabase*>(known.get());
        // Opened while the file could not be written (a read-only share, a user outside the
        // station's group): once it can, a connection that may write takes its place, or what is
        // typed and kept would wait for a restart.
        const bool writableAtLast = id.writable && cached->readOnly();
        if (!writableAtLast && cached->identity().sameContent(id)) return known;
        // Written since: by a studio, or restored in place from another installation, whose key
        // salt differs. Only the salt says which, and only a file that was replaced is opened afresh.
        if (!writableAtLast && cached->identity().sameFile(id) && skipOnFailure([&] {
                if (!cached->saltUnchanged()) throw StorageError(QString());
            })) {
            cached->setIdentity(id);
            return known;
        }
        forgetOpen(cacheKey);
    }

    std::shared_ptr<Database> db = takeAhead(cacheKey, id);
    if (db && id.writable && static_cast<SqlCipherDatabase*>(db.get())->readOnly()) db.reset();
    if (!db) db = connectTo(folded, password, id);
    QMutexLocker lock(&mutex_);
    open_.insert(cacheKey, db);
    return db;
}

std::shared_ptr<Database> SqlCipherProvider::openAs(const QString& cacheKey) {
    QMutexLocker lock(&mutex_);
    return open_.value(cacheKey);
}

void SqlCipherProvider::forgetOpen(const QString& cacheKey) {
    std::shared_ptr<Database> closed; // closed after the lock: closing is a call to the share
    QMutexLocker lock(&mutex_);
    closed = open_.take(cacheKey);
}

std::shared_ptr<Database> SqlCipherProvider::openKnown(const QString& path, const QString& connect,
                                                       const TableSnapshot& snapshot) {
    const auto [folded, password, cacheKey] = nameOf(path, connect);
    const auto sameFile = [&](const std::shared_ptr<Database>& db) {
        return static_cast<const SqlCipherDatabase*>(db.get())->fileTag() == snapshot.fileTag;
    };
    QMutexLocker lock(&mutex_);
    auto it = open_.constFind(cacheKey);
    if (it != open_.cend()) return sameFile(*it) ? *it : nullptr;
    std::shared_ptr<Database> db;
    auto ahead = ahead_.constFind(cacheKey);
    if (ahead != ahead_.cend() && sameFile(*ahead)) db = ahead_.take(cacheKey);
    if (db) open_.insert(cacheKey, db);
    return db;
}

std::shared_ptr<Database> SqlCipherProvider::connectTo(const QString& folded, const QString& password,
                                                       const FileIdentity& id,
                                                       const std::function<void(Database&)>& readFirst) {
    // The engine opens the file before it reads anything, so the salt is read through its handle.
    auto conn = std::make_shared<Connection>(folded, SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX);
    const QByteArray salt = id.size >= 16 ? conn->salt() : QByteArray();
    QByteArray keyHex;
    if (!password.isEmpty()) {
        if (salt.size() < 16) throw codeError(SQLITE_NOTADB);
        keyHex = keyFor(password, salt);
    }
    conn->setKeepsHistory(keepHistory_);
    auto db = std::make_shared<SqlCipherDatabase>(folded, conn, id, salt);
    keyConnection(*conn, keyHex, readFirst ? std::function<void()>([&] { readFirst(*db); }) : nullptr);
    return db;
}

QVector<std::shared_ptr<const TableSnapshot>>
SqlCipherProvider::openAheadReading(const QString& path, const QString& connectString,
                                    const QStringList& tables) {
    const auto [folded, password, cacheKey] = nameOf(path, connectString);
    FileIdentity id;
    if (!identify(folded, id)) return {};
    QVector<std::shared_ptr<const TableSnapshot>> snapshots;
    try {
        // In the read that tries the key. A table that cannot be read is met again, and reported,
        // when the board reads it.
        auto db = connectTo(folded, password, id, [&](Database& opened) {
            for (const QString& table : tables)
                skipOnFailure([&] {
                    if (auto snapshot = opened.snapshot(table, nullptr)) snapshots << snapshot;
                });
        });
        // What it replaces is closed after the lock is let go: closing a file on a share is a round
        // trip, and the board's thread takes this lock.
        std::shared_ptr<Database> replaced;
        QMutexLocker lock(&mutex_);
        replaced = ahead_.take(cacheKey);
        ahead_.insert(cacheKey, std::move(db));
    } catch (const StorageError&) {
        // open() meets the same failure on the board's thread and reports it there.
    }
    return snapshots;
}

std::shared_ptr<Database> SqlCipherProvider::takeAhead(const QString& cacheKey, const FileIdentity& id) {
    std::shared_ptr<Database> db;
    {
        QMutexLocker lock(&mutex_);
        db = ahead_.take(cacheKey);
    }
    auto* ahead = static_cast<SqlCipherDatabase*>(db.get());
    if (!ahead || !ahead->identity().sameFile(id)) return nullptr;
    // Written since it was opened ahead: still good, unless it was replaced in place by another salt.
    if (!ahead->identity().sameContent(id) && !skipOnFailure([&] {
            if (!ahead->saltUnchanged()) throw StorageError(QString());
        }))
        return nullptr;
    ahead->setIdentity(id);
    return db;
}

namespace {

// The new file belongs to the builder until it is committed: a half-made file is removed, so a
// later run does not skip it as already there.
class SqlCipherFileBuilder : public FileBuilder {
  public:
    SqlCipherFileBuilder(QString path, std::unique_ptr<Connection> conn)
        : path_(std::move(path)), conn_(std::move(conn)) {
        conn_->exec(QStringLiteral("BEGIN IMMEDIATE"));
    }
    ~SqlCipherFileBuilder() override {
        if (committed_) return;
        sqlite3_exec(conn_->handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        conn_.reset();
        QFile::remove(path_);
    }
    void createTable(const QString& table, const QStringList& fields) override {
        QStringList cols;
        for (const QString& f : fields)
            cols << quoted(f) + QStringLiteral(" TEXT");
        conn_->exec(
            QStringLiteral("CREATE TABLE %1 (%2)").arg(quoted(table), cols.join(QStringLiteral(", "))));
    }
    void insert(const QString& table, const FieldValues& values) override { insertRow(table, values, {}); }
    void insertKeyed(const QString& table, qint64 key, const FieldValues& values) override {
        insertRow(table, values, key);
    }
    void keepKeysAbove(const QString& table, qint64 lastKey) override {
        conn_->exec(
            QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (tbl TEXT PRIMARY KEY, last INTEGER NOT NULL)")
                .arg(quoted(kLastKeyTable)));
        Statement st(
            *conn_,
            QStringLiteral("INSERT OR REPLACE INTO %1 (tbl, last) VALUES (?, ?)").arg(quoted(kLastKeyTable)));
        st.bind(1, table);
        st.bind(2, lastKey);
        st.step();
    }
    void addHistory(const QVector<HistoryEntry>& entries) override {
        FileHistory history(*conn_);
        if (!entries.isEmpty() && history.ready()) history.add(entries);
    }
    void commit() override {
        conn_->exec(QStringLiteral("COMMIT"));
        committed_ = true;
    }

  private:
    void insertRow(const QString& table, const FieldValues& values, std::optional<qint64> key) {
        QStringList cols, marks;
        if (key) {
            cols << QStringLiteral("rowid");
            marks << QStringLiteral("?");
        }
        for (auto it = values.cbegin(); it != values.cend(); ++it) {
            cols << quoted(it.key());
            marks << QStringLiteral("?");
        }
        Statement st(*conn_, cols.isEmpty()
                                 ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoted(table))
                                 : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                       .arg(quoted(table), cols.join(QStringLiteral(", ")),
                                            marks.join(QStringLiteral(", "))));
        int i = 1;
        if (key) st.bind(i++, *key);
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            st.bind(i++, it.value());
        st.step();
    }

    QString path_;
    std::unique_ptr<Connection> conn_;
    bool committed_ = false;
};

} // namespace

std::unique_ptr<FileBuilder> SqlCipherProvider::createFile(const QString& path, const QByteArray& rawKey,
                                                           const QByteArray& salt) {
    const QString folded = paths::fold(path);
    if (salt.size() != 16 || rawKey.size() != 32)
        throw StorageError(QStringLiteral("a 32-byte key and a 16-byte salt are needed"));
    // Claimed in one step: another process creating the same file meanwhile keeps its file.
    const int fd =
        ::open(QFile::encodeName(folded).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        if (errno == EEXIST) throw FileExistsError(QStringLiteral("file already exists: %1").arg(folded));
        throw StorageError(QStringLiteral("%1: %2").arg(folded, QString::fromLocal8Bit(strerror(errno))));
    }
    // Best effort: a share that keeps no Unix rights has nothing to give, and the file is still made.
    groupfolder::shareNewFile(fd, QFileInfo(folded).path());
    ::close(fd);
    std::unique_ptr<SqlCipherFileBuilder> builder;
    try {
        // An empty file is an empty database to the engine.
        auto conn = std::make_unique<Connection>(folded, SQLITE_OPEN_READWRITE);
        // Raw key with the salt given: the files of one installation share the salt, so a run derives
        // one key in all, while each file still opens with the plain password.
        conn->applyKey(rawKey.toHex() + salt.toHex());
        pinCipherSettings(*conn);
        conn->exec(QStringLiteral("PRAGMA application_id = %1").arg(kApplicationId));
        useSafeJournal(*conn);
        // A new file is built in one transaction and removed if anything fails, so no sync is needed
        // until the file is whole; the connection that later opens it syncs every write.
        conn->exec(QStringLiteral("PRAGMA synchronous = OFF"));
        builder = std::make_unique<SqlCipherFileBuilder>(folded, std::move(conn));
    } catch (...) {
        QFile::remove(folded);
        throw;
    }
    return builder;
}

namespace {

class SqlCipherFolderCreator : public FileCreator {
  public:
    SqlCipherFolderCreator(QString folder, QByteArray key, QByteArray salt)
        : folder_(std::move(folder)), salt_(std::move(salt)), key_(std::move(key)) {
        if (!groupfolder::makePath(folder_))
            throw StorageError(QStringLiteral("cannot create folder %1").arg(folder_));
    }
    QString pathOf(const QString& fileConstant) const override { return paths::fold(folder_ + fileConstant); }
    std::unique_ptr<FileBuilder> create(const QString& fileConstant) override {
        return SqlCipherProvider::createFile(pathOf(fileConstant), key_, salt_);
    }

  private:
    QString folder_;
    QByteArray salt_;
    QByteArray key_;
};

} // namespace

std::unique_ptr<FileCreator> SqlCipherProvider::folderCreator(const QString& folder, const QByteArray& rawKey,
                                                              const QByteArray& salt) {
    return std::make_unique<SqlCipherFolderCreator>(folder, rawKey, salt);
}
