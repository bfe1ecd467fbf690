#include "data/FieldBinding.h"
#include "data/KeptEdits.h"
#include "data/PgConnection.h"
#include "data/StorageError.h"
#include "tests/data/StorageSuite.h"

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
    provider.setKeptEdits(&kept);
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
    provider.setKeptEdits(nullptr);
}

} // namespace
