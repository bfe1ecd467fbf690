#include "tests/support/TestServer.h"

#include "data/catalogue/Catalogue.h"
#include "data/storage/PgConnection.h"
#include "data/storage/PostgresProvider.h"
#include "data/storage/SqlIdentifier.h"
#include "tools/Installation.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <pwd.h>
#include <stdexcept>
#include <sys/file.h>
#include <unistd.h>

namespace {

const QString kBin = QStringLiteral("/usr/lib/postgresql/15/bin/");
const QString kRunPrefix = QStringLiteral("cuepilot-pg-run-");
const QString kOwnerFile = QStringLiteral("owner.pid");
const QString kBlank = QStringLiteral("cuepilot_blank");
const QString kDemo = QStringLiteral("cuepilot_demo");

QString tempRoot() {
    return QDir::tempPath();
}

[[noreturn]] void failWith(const QString& what) {
    throw std::runtime_error("test server: " + what.toStdString());
}

// Every path handed to a shell here is made by this file from the temporary folder and letters.
void shell(const QString& command, const QString& runUser, const QString& log) {
    QString line = command;
    if (!runUser.isEmpty()) line = QStringLiteral("runuser -u %1 -- %2").arg(runUser, command);
    line += QStringLiteral(" >>%1 2>&1").arg(log);
    if (std::system(line.toLocal8Bit().constData()) != 0) failWith(QStringLiteral("failed: ") + line);
}

QString pickRunUser() {
    if (geteuid() != 0) return QString();
    if (getpwnam(TestServer::kServerUser)) return QString::fromLatin1(TestServer::kServerUser);
    return QStringLiteral("nobody");
}

QString makeFolder(const QString& prefix, const QString& runUser) {
    QByteArray pattern = QFile::encodeName(tempRoot() + QLatin1Char('/') + prefix + QStringLiteral("XXXXXX"));
    if (!mkdtemp(pattern.data())) failWith(QStringLiteral("cannot make a temporary folder"));
    const QString folder = QFile::decodeName(pattern);
    if (!runUser.isEmpty()) {
        const passwd* pw = getpwnam(runUser.toLocal8Bit().constData());
        if (!pw || chown(pattern.constData(), pw->pw_uid, pw->pw_gid) != 0)
            failWith(QStringLiteral("cannot hand %1 to %2").arg(folder, runUser));
    }
    return folder;
}

QString socketAddress(const QString& folder, const QString& database, const QString& user) {
    return QStringLiteral("postgresql://%1%2/%3")
        .arg(user.isEmpty() ? QString() : user + QLatin1Char('@'),
             QString::fromLatin1(QUrl::toPercentEncoding(folder)), database);
}

// A cluster kept in folder/cluster, its log in folder.
class Cluster {
  public:
    Cluster(QString folder, QString runUser) : folder_(std::move(folder)), runUser_(std::move(runUser)) {}
    QString path() const { return folder_ + QStringLiteral("/cluster"); }
    void run(const QString& command) const {
        shell(command, runUser_, folder_ + QStringLiteral("/setup.log"));
    }
    void start() const {
        // Unix socket only, in the cluster's own folder; durability is of no use here.
        run(ctl(QStringLiteral(
                    "-w -t 60 -l %1/server.log -o \"-c listen_addresses='' -c unix_socket_directories=%1 "
                    "-c fsync=off -c full_page_writes=off -c synchronous_commit=off\" start")
                    .arg(folder_)));
    }
    void stop(const QString& mode = QStringLiteral("fast")) const {
        run(ctl(QStringLiteral("-w -m %1 stop").arg(mode)));
    }
    void copyFrom(const QString& cluster) const { run(QStringLiteral("cp -a %1 %2").arg(cluster, path())); }
    QString address(const QString& database, const QString& user) const {
        return socketAddress(folder_, database, user);
    }

  private:
    QString ctl(const QString& args) const {
        return kBin + QStringLiteral("pg_ctl -D %1 -s %2").arg(path(), args);
    }
    QString folder_;
    QString runUser_;
};

void sql(const Cluster& cluster, const QString& database, const QString& statement) {
    PgConnection admin(PgSignIn{cluster.address(database, QStringLiteral("postgres")), QString(), QString(),
                                PgSignIn::Patience::Tool});
    // Copying a database on a busy machine may take longer than a board may wait.
    admin.exec(QStringLiteral("SET statement_timeout = 0"));
    admin.exec(QStringLiteral("SET lock_timeout = 0"));
    admin.exec(statement);
}

// Servers of test processes that died without stopping them.
void sweepAbandoned(const QString& runUser) {
    const QDir root(tempRoot());
    for (const QString& name : root.entryList({kRunPrefix + QLatin1Char('*')}, QDir::Dirs)) {
        const QString folder = root.filePath(name);
        QFile owner(folder + QLatin1Char('/') + kOwnerFile);
        if (!owner.open(QIODevice::ReadOnly)) continue;
        const pid_t pid = owner.readAll().trimmed().toInt();
        if (pid <= 0 || kill(pid, 0) == 0 || errno != ESRCH) continue;
        try {
            Cluster(folder, runUser).stop(QStringLiteral("immediate"));
        } catch (const std::exception&) {
            // Not running.
        }
        QDir(folder).removeRecursively();
    }
}

// A cluster kept at base/cluster, made by the first process that needs it while the others wait.
QString cachedCluster(const QString& base, const QString& runUser,
                      const std::function<void(const Cluster&)>& make) {
    const int lock =
        ::open(QFile::encodeName(base + QStringLiteral(".lock")).constData(), O_CREAT | O_RDWR, 0600);
    if (lock < 0 || flock(lock, LOCK_EX) != 0) failWith(QStringLiteral("cannot lock %1").arg(base));
    struct Unlock {
        int fd;
        ~Unlock() { ::close(fd); }
    } unlock{lock};
    const QString ready = base + QStringLiteral("/ready");
    if (!QFile::exists(ready)) {
        QDir(base).removeRecursively();
        const QString staging = makeFolder(QStringLiteral("cuepilot-pg-staging-"), runUser);
        make(Cluster(staging, runUser));
        if (!QDir().rename(staging, base)) failWith(QStringLiteral("cannot keep %1").arg(base));
        QFile marker(ready);
        if (!marker.open(QIODevice::WriteOnly)) failWith(QStringLiteral("cannot mark %1").arg(base));
    }
    return base + QStringLiteral("/cluster");
}

QString bareCluster(const QString& runUser) {
    const QString base = tempRoot() + QStringLiteral("/cuepilot-pg-bare-15-") +
                         (runUser.isEmpty() ? QString::number(geteuid()) : runUser);
    return cachedCluster(base, runUser, [](const Cluster& c) {
        // Small WAL segments, few kept: every test process copies the cluster.
        c.run(kBin +
              QStringLiteral("initdb -D %1 -U postgres -A trust -N -E UTF8 --locale=C.UTF-8 --wal-segsize=1")
                  .arg(c.path()));
        QFile conf(c.path() + QStringLiteral("/postgresql.conf"));
        if (!conf.open(QIODevice::Append)) failWith(QStringLiteral("cannot write postgresql.conf"));
        conf.write("min_wal_size = 2MB\nmax_wal_size = 16MB\n");
        conf.close();
        QFile hba(c.path() + QStringLiteral("/pg_hba.conf"));
        if (!hba.open(QIODevice::WriteOnly | QIODevice::Truncate))
            failWith(QStringLiteral("cannot write pg_hba.conf"));
        // The superuser for the tests' set-up; every other role gives its password.
        hba.write("local all postgres trust\nlocal all all scram-sha-256\n");
        hba.close();
        c.start();
        sql(c, QStringLiteral("postgres"),
            QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD '%2'")
                .arg(quotedIdentifier(PostgresProvider::kDefaultRole), catalogue::kPassword));
        c.stop();
    });
}

// Stations are made by this build's installation code, so they are kept per build of the program.
QString stationCluster(const QString& runUser, const QString& bare) {
    const QFileInfo program(QStringLiteral("/proc/self/exe"));
    const QString target = program.canonicalFilePath();
    const QFileInfo built(target);
    auto hash = [](const QString& text) {
        return QString::fromLatin1(
            QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha1).toHex().left(12));
    };
    const QString family =
        QStringLiteral("cuepilot-pg-stations-") + hash(target + runUser) + QLatin1Char('-');
    const QString build =
        hash(QStringLiteral("%1 %2").arg(built.lastModified().toMSecsSinceEpoch()).arg(built.size()));
    const QDir root(tempRoot());
    for (const QString& old : root.entryList({family + QLatin1Char('*')}, QDir::Dirs | QDir::Files)) {
        if (old.startsWith(family + build)) continue;
        if (!QFile::remove(root.filePath(old))) QDir(root.filePath(old)).removeRecursively();
    }
    return cachedCluster(root.filePath(family + build), runUser, [&](const Cluster& c) {
        c.copyFrom(bare);
        c.start();
        for (const QString& db : {kBlank, kDemo}) {
            sql(c, QStringLiteral("postgres"), QStringLiteral("CREATE DATABASE %1").arg(db));
            installation::Options o;
            o.dataFolder = c.address(db, QStringLiteral("postgres"));
            o.demo = db == kDemo;
            installation::create(o);
        }
        c.stop();
    });
}

bool postmasterRunning(const QString& folder) {
    QFile pidFile(folder + QStringLiteral("/cluster/postmaster.pid"));
    if (!pidFile.open(QIODevice::ReadOnly)) return false;
    const pid_t pid = pidFile.readLine().trimmed().toInt();
    return pid > 0 && kill(pid, 0) == 0;
}

QString sharedFolder(const QString& runUser) {
    const QString programs =
        QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).path();
    const QString key = QString::fromLatin1(
        QCryptographicHash::hash((programs + runUser).toUtf8(), QCryptographicHash::Sha1).toHex().left(12));
    return tempRoot() + QStringLiteral("/cuepilot-pg-shared-") + key;
}

// A new cluster of stations in a new folder.
QString copyStations(const QString& runUser, const QString& prefix) {
    const QString from = stationCluster(runUser, bareCluster(runUser));
    const QString folder = makeFolder(prefix, runUser);
    Cluster(folder, runUser).copyFrom(from);
    return folder;
}

} // namespace

TestServer& TestServer::own() {
    static TestServer* server = [] {
        const QString runUser = pickRunUser();
        sweepAbandoned(runUser);
        const QString folder = copyStations(runUser, kRunPrefix);
        Cluster(folder, runUser).start();
        QFile owner(folder + QLatin1Char('/') + kOwnerFile);
        if (!owner.open(QIODevice::WriteOnly)) failWith(QStringLiteral("cannot note its owner"));
        owner.write(QByteArray::number(qint64(getpid())));
        return new TestServer(folder, runUser, true);
    }();
    // Stopped and removed when the process ends.
    static const std::unique_ptr<TestServer> owner(server);
    return *server;
}

TestServer& TestServer::shared() {
    static TestServer* server = [] {
        const QString runUser = pickRunUser();
        const QString folder = sharedFolder(runUser);
        return postmasterRunning(folder) ? new TestServer(folder, runUser, false) : nullptr;
    }();
    static const std::unique_ptr<TestServer> owner(server);
    return server ? *server : own();
}

int TestServer::startShared() {
    const QString runUser = pickRunUser();
    stopShared();
    const QString folder = copyStations(runUser, QStringLiteral("cuepilot-pg-starting-"));
    if (!QDir().rename(folder, sharedFolder(runUser)))
        failWith(QStringLiteral("cannot place the shared server"));
    Cluster(sharedFolder(runUser), runUser).start();
    return 0;
}

int TestServer::stopShared() {
    const QString runUser = pickRunUser();
    const QString folder = sharedFolder(runUser);
    if (postmasterRunning(folder)) Cluster(folder, runUser).stop(QStringLiteral("immediate"));
    QDir(folder).removeRecursively();
    return 0;
}

TestServer::TestServer(QString folder, QString runUser, bool owned)
    : folder_(std::move(folder)), runUser_(std::move(runUser)), owned_(owned) {}

TestServer::~TestServer() {
    if (!owned_) return;
    try {
        stop();
    } catch (const std::exception&) {
        // Swept by the next test process.
        return;
    }
    QDir(folder_).removeRecursively();
}

void TestServer::start() {
    if (running_) return;
    Cluster(folder_, runUser_).start();
    running_ = true;
}

void TestServer::stop() {
    if (!running_) return;
    Cluster(folder_, runUser_).stop();
    running_ = false;
}

pid_t TestServer::postmasterPid() const {
    QFile file(Cluster(folder_, runUser_).path() + QStringLiteral("/postmaster.pid"));
    if (!file.open(QIODevice::ReadOnly)) return 0;
    return pid_t(file.readLine().trimmed().toLong());
}

QString TestServer::addressOf(const QString& database, const QString& user) const {
    return socketAddress(folder_, database, user);
}

TestServer::Database TestServer::createDatabase(Content content) {
    // Unique across the processes sharing the server.
    const QString name = QStringLiteral("station_%1_%2").arg(getpid()).arg(++databases_);
    const QString from = content == Content::Demo ? kDemo : content == Content::Blank ? kBlank : QString();
    sql(Cluster(folder_, runUser_), QStringLiteral("postgres"),
        QStringLiteral("CREATE DATABASE %1%2")
            .arg(name, from.isEmpty() ? QString() : QStringLiteral(" TEMPLATE ") + from));
    return {name, addressOf(name), addressOf(name, QStringLiteral("postgres"))};
}

void TestServer::dropDatabase(const QString& name) {
    sql(Cluster(folder_, runUser_), QStringLiteral("postgres"),
        QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(quotedIdentifier(name)));
}
