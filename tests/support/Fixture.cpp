#include "tests/support/Fixture.h"

#include "data/catalogue/Catalogue.h"
#include "data/catalogue/Paths.h"
#include "data/controls/DataControl.h"
#include "data/storage/RoutingProvider.h"
#include "data/storage/StorageError.h"
#include "tests/support/TestServer.h"
#include "tools/Installation.h"

#include <QDir>
#include <QFile>

namespace {

// Opens a table on a connection of the fixture's own, positioned on the row-th record. A server
// gets a new connection each time, so the fixture works across a server restart.
struct Opened {
    std::unique_ptr<PostgresProvider> server;
    std::shared_ptr<Database> db;
    std::unique_ptr<Recordset> rs;

    Opened(RoutingProvider& files, const QString& path, const QString& table, int row = -1) {
        if (paths::isServer(path)) server = std::make_unique<PostgresProvider>();
        db = server ? server->open(path, catalogue::connectString())
                    : files.open(path, catalogue::connectString());
        rs = db->openTable(table);
        if (row < 0) return;
        rs->moveFirst();
        for (int i = 0; i < row; ++i)
            rs->moveNext();
    }
};

} // namespace

namespace {

// Building an installation takes a while; each test binary builds one blank and one demo
// installation and copies it for every fixture.
const QTemporaryDir& templateFor(bool demo) {
    static QTemporaryDir blank, full;
    static bool built[2] = {false, false};
    QTemporaryDir& dir = demo ? full : blank;
    if (!built[demo]) {
        installation::Options o;
        o.programFolder = dir.path() + QStringLiteral("/program");
        o.dataFolder = dir.path() + QStringLiteral("/data");
        o.demo = demo;
        o.stationName = demo ? QStringLiteral("KTST") : QString();
        installation::create(o);
        built[demo] = true;
    }
    return dir;
}

void copyFolder(const QString& from, const QString& to) {
    QDir().mkpath(to);
    for (const QString& name : QDir(from).entryList(QDir::Files))
        if (!QFile::copy(from + QLatin1Char('/') + name, to + QLatin1Char('/') + name))
            throw StorageError(QStringLiteral("cannot copy %1").arg(name));
}

} // namespace

Fixture::Fixture(bool demo, const QString& setupPath, Engine engine)
    : Fixture(demo, setupPath, engine == Engine::Server ? &TestServer::shared() : nullptr) {}

Fixture::Fixture(bool demo, const QString& setupPath, TestServer& server)
    : Fixture(demo, setupPath, &server) {}

Fixture::Fixture(bool demo, const QString& setupPath, TestServer* server)
    : server_(server), provider_(std::make_unique<RoutingProvider>()) {
    const QTemporaryDir& tpl = templateFor(demo);
    copyFolder(tpl.path() + QStringLiteral("/program"), programFolder());
    if (!server_) {
        dataFolder_ = dir_.path() + QStringLiteral("/data");
        copyFolder(tpl.path() + QStringLiteral("/data"), dataFolder_);
    } else {
        const TestServer::Database db =
            server_->createDatabase(demo ? TestServer::Content::Demo : TestServer::Content::Blank);
        database_ = db.name;
        dataFolder_ = db.address;
    }
    write(programFile(catalogue::kSetupFile), catalogue::kSetupTable, QStringLiteral("Setup"),
          QString(setupPath).replace(QStringLiteral("<data>"), dataFolder()));
}

Fixture::~Fixture() {
    provider_.reset();
    if (!server_) return;
    try {
        server_->dropDatabase(database_);
    } catch (const std::exception&) {
        // Gone with the server at the end of the run.
    }
}

QString Fixture::dataFile(const QString& constant) const {
    return paths::fold(dataFolder() + constant);
}
QString Fixture::programFile(const QString& constant) const {
    return paths::fold(programFolder() + constant);
}

QString Fixture::read(const QString& path, const QString& table, const QString& field, int row) const {
    Opened o(*provider_, path, table, row);
    return o.rs->value(field).toString();
}

int Fixture::count(const QString& path, const QString& table) const {
    Opened o(*provider_, path, table);
    return o.rs->recordCount();
}

void Fixture::write(const QString& path, const QString& table, const QString& field, const QString& value,
                    int row) const {
    Opened o(*provider_, path, table, row);
    o.rs->updateCurrent({{field, value}}, {});
}

void Fixture::append(const QString& path, const QString& table, const FieldValues& values) const {
    Opened o(*provider_, path, table);
    o.rs->append(values);
}

void Fixture::removeAll(const QString& path, const QString& table) const {
    Opened o(*provider_, path, table);
    while (o.rs->recordCount() > 0) {
        o.rs->moveFirst();
        o.rs->deleteCurrent();
    }
}

void Fixture::remove(const QString& path) const {
    if (!QFile::remove(path)) throw StorageError(QStringLiteral("cannot remove %1").arg(path));
}
