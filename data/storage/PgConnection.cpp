#include "data/storage/PgConnection.h"

#include "data/storage/SqlIdentifier.h"
#include "data/storage/StorageError.h"

#include <QByteArray>
#include <cerrno>
#include <cstring>
#include <libpq-fe.h>
#include <poll.h>

namespace {

// Bounds on every wait, in the spirit of the file engine's busy timeout: a locked record or a
// slow server fails the operation instead of freezing the board. The server ends a statement
// itself before the board gives up on it, so a merely slow answer keeps its connection.
constexpr int kBoardAnswerMs = 3000;
constexpr const char* kBoardSessionTimeouts = "-c lock_timeout=1000 -c statement_timeout=2500";
// Signing in costs the server and the client a key derivation each, slow on a busy machine.
constexpr int kBoardConnectMs = 5000;
constexpr int kToolAnswerMs = 120000;
constexpr const char* kToolSessionTimeouts = "-c lock_timeout=10000 -c statement_timeout=110000";
// After a failed attempt to connect, operations fail at once for a while, doubling up to a
// limit: an unreachable server must not cost the board a connect wait every round.
constexpr qint64 kFirstReconnectPauseMs = 3000;
constexpr qint64 kLongestReconnectPauseMs = 24000;
// A silently dead link is noticed within seconds rather than minutes.
constexpr const char* kConnectTimeoutSeconds = "5";
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
    if (lastFailure_.isValid() && !lastFailure_.hasExpired(pauseMs_)) throw StorageError(lastError_);
    // Later entries win: what the address says overrides these defaults.
    QVector<QByteArray> keys = {"application_name", "sslmode",         "connect_timeout",
                                "options",          "keepalives_idle", "keepalives_interval",
                                "keepalives_count", "tcp_user_timeout"};
    const bool board = signIn_.patience == PgSignIn::Patience::Board;
    QVector<QByteArray> values = {"cuepilot",
                                  "prefer",
                                  kConnectTimeoutSeconds,
                                  board ? kBoardSessionTimeouts : kToolSessionTimeouts,
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
    conn_ = PQconnectStartParams(keyPtrs.constData(), valuePtrs.constData(), 1);
    if (!conn_) throw StorageError(QStringLiteral("out of memory"));
    const QDeadlineTimer deadline(qMax(answerWithinMs(), kBoardConnectMs));
    try {
        // Failed at once (no such socket, a malformed address), or a step at a time as the socket is ready.
        for (PostgresPollingStatusType step = PQstatus(conn_) == CONNECTION_BAD ? PGRES_POLLING_FAILED
                                                                                : PGRES_POLLING_WRITING;
             step != PGRES_POLLING_OK; step = PQconnectPoll(conn_)) {
            if (step == PGRES_POLLING_FAILED) throw StorageError(primaryMessage(nullptr, conn_));
            waitForSocket(step == PGRES_POLLING_READING ? POLLIN : POLLOUT, deadline);
        }
    } catch (const StorageError& e) {
        lastError_ = e.message();
        pauseMs_ = pauseMs_ == 0 ? kFirstReconnectPauseMs : qMin(2 * pauseMs_, kLongestReconnectPauseMs);
        lastFailure_.start();
        drop();
        throw;
    }
    lastFailure_.invalidate();
    pauseMs_ = 0;
    // Sent without blocking, so a network that takes nothing in cannot hold the sender.
    PQsetnonblocking(conn_, 1);
    // The server's notices ("already exists, skipping") are of no use to anyone here.
    PQsetNoticeProcessor(
        conn_, [](void*, const char*) {}, nullptr);
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
    const QDeadlineTimer deadline(answerWithinMs());
    if (!PQsendQueryParams(conn_, sql.toUtf8().constData(), int(params.size()), nullptr, values.constData(),
                           nullptr, nullptr, 0))
        fail(primaryMessage(nullptr, conn_));
    for (int pending; (pending = PQflush(conn_)) != 0;) {
        if (pending < 0) fail(primaryMessage(nullptr, conn_));
        waitForSocket(POLLIN | POLLOUT, deadline);
        if (!PQconsumeInput(conn_)) fail(primaryMessage(nullptr, conn_));
    }
    // One statement gives one result; the first failure, if any, is the one that counts.
    PgResult result(nullptr);
    for (;;) {
        while (PQisBusy(conn_)) {
            waitForSocket(POLLIN, deadline);
            if (!PQconsumeInput(conn_)) fail(primaryMessage(nullptr, conn_));
        }
        pg_result* next = PQgetResult(conn_);
        if (!next) break;
        if (!result.handle() || PQresultStatus(result.handle()) == PGRES_COMMAND_OK ||
            PQresultStatus(result.handle()) == PGRES_TUPLES_OK)
            result = PgResult(next);
        else
            PQclear(next);
    }
    const ExecStatusType status = result.handle() ? PQresultStatus(result.handle()) : PGRES_FATAL_ERROR;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) fail(primaryMessage(result.handle(), conn_));
    return result;
}

int PgConnection::answerWithinMs() const {
    return signIn_.patience == PgSignIn::Patience::Board ? kBoardAnswerMs : kToolAnswerMs;
}

void PgConnection::waitForSocket(short events, const QDeadlineTimer& deadline) {
    for (;;) {
        const qint64 left = deadline.remainingTime();
        if (left == 0) giveUp();
        pollfd ready{PQsocket(conn_), events, 0};
        const int rc = ::poll(&ready, 1, int(qMin<qint64>(left, 100)));
        if (rc > 0) return;
        if (rc < 0 && errno != EINTR) fail(QString::fromLocal8Bit(strerror(errno)));
    }
}

void PgConnection::giveUp() {
    // Whatever the server was doing for us is abandoned with the connection: a transaction it
    // held open is rolled back once the server finds the connection gone.
    drop();
    throw AnswerLateError(kServerNotAnswering);
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
        // This connection's own writes count too: every window of the board writes through it, and
        // each of the others must see what one of them stored.
        ++changes_[QString::fromUtf8(note->extra)];
        PQfreemem(note);
    }
    return changes_.value(schema) + connections_;
}
