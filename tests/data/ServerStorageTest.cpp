#include "base/Steps.h"
#include "data/controls/FieldBinding.h"
#include "data/rescue/KeptEdits.h"
#include "data/storage/BoardStorage.h"
#include "data/storage/PgConnection.h"
#include "data/storage/StorageError.h"
#include "tests/data/StorageSuite.h"
#include "tests/support/StallingProxy.h"

#include <QElapsedTimer>
#include <QSet>
#include <QUrl>
#include <csignal>

#include <QLineEdit>
#include <gtest/gtest.h>

namespace {

// What only a database server does.
class ServerStorage : public StorageBase, public ::testing::Test {
  protected:
    ServerStorage() : StorageBase(Engine::Server) {}
};

// Each failure carries the server's or the client library's words; the control stays closed.
TEST_F(ServerStorage, OpeningFailuresCarryTheServersWords) {
    const QString pwd = catalogue::connectString();
    const QString address = fx.dataFolder();
    const QString database = address.mid(address.lastIndexOf('/') + 1);
    QString elsewhere = address;
    elsewhere.replace(database, "nosuchdb");
    const std::vector<OpeningFailure> cases = {
        {promo, ";Pwd=wrong", "Main", "password authentication failed for user \"cuepilot\""},
        {promo, "Access 2000;", "Main", "no password supplied"},
        {address + "\\Nowhere.mdb", pwd, "Main", "schema \"Nowhere.mdb\" does not exist"},
        {promo, pwd, "NoSuchTable", "relation \"Promo.mdb.NoSuchTable\" does not exist"},
        {promo, pwd, "cuepilot_key", "does not exist"},
        {elsewhere + "\\Promo.mdb", pwd, "Main", "database \"nosuchdb\" does not exist"},
        {"postgresql://%2Ftmp%2Fcuepilot-no-such-server/station\\Promo.mdb", pwd, "Main",
         "No such file or directory"},
        {address, pwd, "Main", "no file named in"},
    };
    expectEachFailsToOpen(cases);
    // A user named in the address signs in instead of the station role (here without a password).
    QString asSuperuser = promo;
    asSuperuser.replace("postgresql://", "postgresql://postgres@");
    auto dc = control(asSuperuser, "Main");
    dc->setConnect(";Pwd=wrong");
    dc->refresh();
    EXPECT_EQ(name(*dc), "B");
}

// A record another connection holds locked fails the write after the lock timeout, not a conflict:
// the text stays typed and is stored once the lock is gone.
TEST_F(ServerStorage, ARecordLockedElsewhereFailsTheWriteAfterTheLockTimeout) {
    PgConnection locker({fx.dataFolder(), PostgresProvider::kDefaultRole, catalogue::kPassword});
    locker.exec("BEGIN");
    locker.exec(R"(UPDATE "Promo.mdb"."Main" SET "BodyText" = 'held' WHERE "PromoName" = 'B')");
    auto dc = control(promo, "Main");
    QLineEdit box;
    new FieldBinding(&box, dc.get(), "BodyText");
    dc->refresh();
    box.setText("mine");
    try {
        dc->update();
        ADD_FAILURE() << "stored through another connection's lock";
    } catch (const ConflictError& e) {
        ADD_FAILURE() << e.what();
    } catch (const StorageError& e) {
        EXPECT_TRUE(e.message().contains("lock timeout")) << e.what();
    }
    EXPECT_TRUE(dc->isDirty());
    locker.exec("ROLLBACK");
    dc->update();
    EXPECT_EQ(fx.read(promo, "Main", "BodyText"), "mine");
}

// A server of this test's own, stopped and started under a running data control.
class ServerRestart : public StorageBase, public ::testing::Test {
  protected:
    ServerRestart() : StorageBase(TestServer::own()) {}
    TestServer& server = TestServer::own();
};

TEST_F(ServerRestart, TheOperationAtHandFailsTheTypedTextIsKeptAndTheEngineReconnects) {
    KeptEdits kept(fx.root() + "/kept.json");
    journal = &kept;
    auto dc = control(promo, "Main");
    QLineEdit box;
    new FieldBinding(&box, dc.get(), "BodyText");
    dc->refresh();

    // Down while text is typed: the poll fails and the text stays in the box and the buffer.
    box.setText("typed while the server was down");
    server.stop();
    EXPECT_THROW(dc->pollForChanges(), StorageError);
    EXPECT_EQ(box.text(), "typed while the server was down");
    EXPECT_TRUE(dc->isDirty());
    server.start();
    // Back: the poll connects afresh, and what may have been missed meanwhile is read again.
    ASSERT_TRUE(pollUntilNews(*dc));
    EXPECT_EQ(box.text(), "typed while the server was down");
    dc->update();
    EXPECT_EQ(fx.read(promo, "Main", "BodyText"), "typed while the server was down");

    // Restarted under the control: the write of the move fails and is kept, the move itself
    // connects afresh, and the kept text is stored when tried again.
    box.setText("typed before the restart");
    server.stop();
    server.start();
    dc->moveNext();
    EXPECT_EQ(name(*dc), "A");
    ASSERT_EQ(kept.edits().size(), 1);
    EXPECT_FALSE(kept.edits()[0].conflict);
    EXPECT_FALSE(kept.edits()[0].reason.isEmpty());
    EXPECT_EQ(kept.retry(provider, catalogue::connectString()), 1);
    EXPECT_EQ(fx.read(promo, "Main", "BodyText"), "typed before the restart");
    journal = &EditJournal::none();
}

// A server that stops answering mid-session, whether its backend is stopped or the network takes
// every packet and returns none: a save waits out its deadline instead of holding the board until the
// server is back, the text stays typed, and it is stored once the server answers again.
TEST_F(ServerRestart, AServerThatStopsAnsweringHoldsASaveOnlyUntilItsDeadline) {
    const QString serverSocket = QUrl::fromPercentEncoding(fx.dataFolder().section('/', 2, 2).toLatin1()) +
                                 QStringLiteral("/.s.PGSQL.5432");
    StallingProxy proxy(serverSocket);
    QString throughProxy = promo;
    throughProxy.replace(fx.dataFolder().section('/', 2, 2),
                         QString::fromLatin1(QUrl::toPercentEncoding(proxy.folder())));
    QString admin = fx.dataFolder();
    admin.replace("postgresql://", "postgresql://postgres@");
    PgConnection watch({admin, QString(), QString()});
    const auto backends = [&] {
        QSet<qint64> pids;
        const PgResult r = watch.exec("SELECT pid FROM pg_stat_activity WHERE datname = current_database() "
                                      "AND pid <> pg_backend_pid()");
        for (int i = 0; i < r.rows(); ++i)
            pids << r.int64(i, 0);
        return pids;
    };
    const struct {
        const char* what;
        std::function<void(qint64 backend)> stop, resume;
    } cases[] = {
        {"its backend stopped", [](qint64 pid) { kill(pid_t(pid), SIGSTOP); },
         [](qint64 pid) { kill(pid_t(pid), SIGCONT); }},
        {"every packet dropped", [&](qint64) { proxy.stall(true); }, [&](qint64) { proxy.stall(false); }},
    };
    // The engine on its own, with its deadline; and the board's owner, whose thread gives up sooner
    // and opens the record set afresh once the server answers.
    const std::function<std::unique_ptr<DatabaseProvider>()> owners[] = {
        [] { return std::make_unique<RoutingProvider>(); },
        [] { return std::make_unique<BoardStorage>(); },
    };
    for (const auto& owner : owners)
        for (const auto& c : cases) {
            SCOPED_TRACE(c.what);
            const std::unique_ptr<DatabaseProvider> board = owner();
            const QSet<qint64> before = backends();
            auto dc = control(throughProxy, "Main", *board);
            dc->refresh();
            const QSet<qint64> ours = backends() - before;
            ASSERT_EQ(ours.size(), 1);
            const qint64 backend = *ours.begin();
            c.stop(backend);
            dc->setFieldText("BodyText", c.what);
            QElapsedTimer held;
            held.start();
            EXPECT_THROW(dc->update(), StorageError);
            // Bounded, not measured: without a deadline the save waits for as long as the server is gone.
            EXPECT_LT(held.elapsed(), 10000);
            EXPECT_TRUE(dc->isDirty());
            c.resume(backend);
            const QDeadlineTimer patience(30000);
            while (!skipOnFailure([&] {
                dc->pollForChanges();
                dc->update();
            }) && !patience.hasExpired())
                QThread::msleep(50);
            EXPECT_EQ(fx.read(promo, "Main", "BodyText"), c.what);
        }
}

} // namespace
