#include "data/PgConnection.h"

#include "data/SqlIdentifier.h"
#include "data/StorageError.h"

#include <QByteArray>
#include <libpq-fe.h>
#include <poll.h>

namespace {

// Bounds on every wait, in the spirit of the file engine's busy timeout: a locked record or a
// slow server fails the operation instead of freezing the board.
constexpr const char* kConnectTimeoutSeconds = "2";
// After a failed attempt to connect, operations fail at once for this long: the board polls every
// data control in turn, and an unreachable server must not cost each of them a connect timeout.
constexpr qint64 kReconnectPauseMs = 3000;
constexpr const char* kSessionTimeouts = "-c lock_timeout=1000 -c statement_timeout=5000";
// A silently dead link is noticed within seconds rather than minutes.
constexpr const char* kKeepalivesIdleSeconds = "5";
constexpr const char* kKeepalivesIntervalSeconds = "2";
constexpr const char* kKeepalivesCount = "3";
constexpr const char* kTcpUserTimeoutMs = "10000";
// Reads of what has arrived per look for news, so a flood of it cannot hold the caller.
constexpr int kMaxReadsPerPoll = 16;

QString primaryMessage(const PGresult* result, const PGconn* conn) {
    const char* primary = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    const QString message = QString::fromUtf8(primary ? primary : PQerrorMessage(conn)).trimmed();
    return message.isEmpty() ? QStringLiteral("lost the connection to the server") : message;
}

} // namespace

PgResult::~PgResult() {
    PQclear(result_);
}

int PgResult::rows() const {
    return PQntuples(result_);
}

QVariant PgResult::value(int row, int column) const {
    if (PQgetisnull(result_, row, column)) return QVariant();
    return QString::fromUtf8(PQgetvalue(result_, row, column), PQgetlength(result_, row, column));
}

int PgResult::affected() const {
    return QByteArray(PQcmdTuples(result_)).toInt();
}

PgConnection::PgConnection(PgSignIn signIn) : signIn_(std::move(signIn)) {}

PgConnection::~PgConnection() {
    drop();
}

void PgConnection::drop() {
    if (conn_) PQfinish(conn_);
    conn_ = nullptr;
}

void PgConnection::fail(const QString& message) {
    if (conn_ && PQstatus(conn_) != CONNECTION_OK) drop();
    throw StorageError(message);
}

void PgConnection::connectIfNeeded() {
    if (conn_) return;
    if (lastFailure_.isValid() && !lastFailure_.hasExpired(kReconnectPauseMs)) throw StorageError(lastError_);
    // Later entries win: what the address says overrides these defaults.
    QVector<QByteArray> keys = {"application_name", "sslmode",         "connect_timeout",
                                "options",          "keepalives_idle", "keepalives_interval",
                                "keepalives_count", "tcp_user_timeout"};
    QVector<QByteArray> values = {"cuepilot",
                                  "prefer",
                                  kConnectTimeoutSeconds,
                                  kSessionTimeouts,
                                  kKeepalivesIdleSeconds,
                                  kKeepalivesIntervalSeconds,
                                  kKeepalivesCount,
                                  kTcpUserTimeoutMs};
    if (!signIn_.role.isEmpty()) {
        keys << "user";
        values << signIn_.role.toUtf8();
    }
    if (!signIn_.password.isEmpty()) {
        keys << "password";
        values << signIn_.password.toUtf8();
    }
    keys << "dbname";
    values << signIn_.server.toUtf8();
    // Texts are read and written as UTF-8, whatever the address asks.
    keys << "client_encoding";
    values << "UTF8";
    QVector<const char*> keyPtrs, valuePtrs;
    for (int i = 0; i < keys.size(); ++i) {
        keyPtrs << keys[i].constData();
        valuePtrs << values[i].constData();
    }
    keyPtrs << nullptr;
    valuePtrs << nullptr;
    conn_ = PQconnectdbParams(keyPtrs.constData(), valuePtrs.constData(), 1);
    if (!conn_) throw StorageError(QStringLiteral("out of memory"));
    if (PQstatus(conn_) != CONNECTION_OK) {
        lastError_ = primaryMessage(nullptr, conn_);
        lastFailure_.start();
        drop();
        throw StorageError(lastError_);
    }
    lastFailure_.invalidate();
    // The server's notices ("already exists, skipping") are of no use to anyone here.
    PQsetNoticeProcessor(
        conn_, [](void*, const char*) {}, nullptr);
    backendPid_ = PQbackendPID(conn_);
    ++connections_;
    exec(QStringLiteral("LISTEN %1").arg(quotedIdentifier(kPgChangeChannel)));
}

PgResult PgConnection::exec(const QString& sql, const QVector<QVariant>& params) {
    connectIfNeeded();
    QVector<QByteArray> texts(params.size());
    QVector<const char*> values(params.size(), nullptr);
    for (int i = 0; i < params.size(); ++i) {
        if (params[i].isNull()) continue;
        texts[i] = params[i].toString().toUtf8();
        values[i] = texts[i].constData();
    }
    PgResult result(PQexecParams(conn_, sql.toUtf8().constData(), int(params.size()), nullptr,
                                 values.constData(), nullptr, nullptr, 0));
    const ExecStatusType status = result.handle() ? PQresultStatus(result.handle()) : PGRES_FATAL_ERROR;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) fail(primaryMessage(result.handle(), conn_));
    return result;
}

quint64 PgConnection::changesIn(const QString& schema) {
    connectIfNeeded();
    // Everything already there, up to the end of a connection the server has closed: a server
    // going down first says so, and only the read after that finds the connection gone.
    for (int reads = 0; reads < kMaxReadsPerPoll; ++reads) {
        if (!PQconsumeInput(conn_)) fail(primaryMessage(nullptr, conn_));
        pollfd more{PQsocket(conn_), POLLIN, 0};
        if (::poll(&more, 1, 0) <= 0) break;
    }
    while (PGnotify* note = PQnotifies(conn_)) {
        // This connection's own writes are no news to it.
        if (note->be_pid != backendPid_) ++changes_[QString::fromUtf8(note->extra)];
        PQfreemem(note);
    }
    return changes_.value(schema) + connections_;
}
