#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QString>
#include <QVariant>
#include <QVector>

struct pg_conn;
struct pg_result;

// Every table on a server tells this channel, with its schema's name, that it was changed.
inline const QString kPgChangeChannel = QStringLiteral("cuepilot_changes");

// One query's result, cleared on every path.
class PgResult {
  public:
    explicit PgResult(pg_result* result) : result_(result) {}
    ~PgResult();
    PgResult(PgResult&& other) noexcept : result_(other.result_) { other.result_ = nullptr; }
    PgResult(const PgResult&) = delete;
    PgResult& operator=(const PgResult&) = delete;
    PgResult& operator=(PgResult&&) = delete;

    int rows() const;
    // Null reads as an invalid QVariant.
    QVariant value(int row, int column) const;
    QString text(int row, int column) const { return value(row, column).toString(); }
    qint64 int64(int row, int column) const { return value(row, column).toLongLong(); }
    // Records an INSERT, UPDATE or DELETE touched.
    int affected() const;
    pg_result* handle() const { return result_; }

  private:
    pg_result* result_;
};

// How a connection signs in. Role and password are used only where the address names none.
struct PgSignIn {
    QString server; // "postgresql://host:port/database?sslmode=..."
    QString role;   // empty: the client library's own default
    QString password;
};

// One connection to a server, opened by the first operation and, once lost, by the first
// operation after the loss: the operation that meets a dropped connection or a server restart
// fails with the client library's words, the next one connects afresh. Every wait is bounded
// (connect, lock and statement timeouts), so no caller blocks for long. Throws StorageError.
class PgConnection {
  public:
    explicit PgConnection(PgSignIn signIn);
    ~PgConnection();
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;

    // One statement with its values bound as text ($1, $2, ...; an invalid QVariant is null).
    PgResult exec(const QString& sql, const QVector<QVariant>& params = {});

    // Grows whenever another connection has committed a change to the schema, as the server's
    // notifications say, and at every new connection, since notifications sent while there was
    // none are lost. Reads only what has already arrived: it never waits for the server.
    quint64 changesIn(const QString& schema);

  private:
    void connectIfNeeded();
    // Takes the message, and forgets a connection that is no longer usable.
    [[noreturn]] void fail(const QString& message);
    void drop();

    PgSignIn signIn_;
    pg_conn* conn_ = nullptr;
    int backendPid_ = 0;
    quint64 connections_ = 0;
    QHash<QString, quint64> changes_;
    QElapsedTimer lastFailure_; // of an attempt to connect
    QString lastError_;
};
