#pragma once

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QHash>
#include <QString>
#include <QVariant>
#include <QVector>
#include <utility>

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
    PgResult& operator=(PgResult&& other) noexcept {
        std::swap(result_, other.result_);
        return *this;
    }

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
    // The board waits for a server no longer than for another studio's lock on a file, give or
    // take; a tool building a whole station can afford to wait.
    enum class Patience { Board, Tool };
    Patience patience = Patience::Board;
};

// One connection to a server, opened by the first operation and, once lost, by the first
// operation after the loss: the operation that meets a dropped connection or a server restart
// fails with the client library's words, the next one connects afresh. Every wait is bounded by a
// deadline of the caller's own, whatever the server or the network does (a backend stopped, packets
// dropped): past it the connection is given up and the operation fails with kServerNotAnswering.
// After a failed attempt to connect, operations fail at once for a while, longer each time.
// Throws StorageError.
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
    // Waits until the socket is ready as asked, or the deadline passes (then gives up).
    void waitForSocket(short events, const QDeadlineTimer& deadline);
    [[noreturn]] void giveUp();
    int answerWithinMs() const;
    // Takes the message, and forgets a connection that is no longer usable.
    [[noreturn]] void fail(const QString& message);
    void drop();

    PgSignIn signIn_;
    pg_conn* conn_ = nullptr;
    quint64 connections_ = 0;
    QHash<QString, quint64> changes_;
    QElapsedTimer lastFailure_; // of an attempt to connect
    qint64 pauseMs_ = 0;        // before the next attempt
    QString lastError_;
};
