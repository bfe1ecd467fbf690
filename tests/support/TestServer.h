#pragma once

#include <sys/types.h>

#include <QString>

// Throwaway PostgreSQL clusters for the tests, listening only on a Unix socket in a temporary
// folder of their own. Making a cluster and installing a station on it take seconds, so both are
// done once and copied: the bare cluster once per machine and user, the cluster with a blank and
// a demo station (made by the real installation code) once per build of the test program.
// A test run shares one server, started and stopped by the run's set-up and clean-up steps; a
// test program run by hand starts one of its own. The server refuses to run as root, so where the
// tests run as root it runs as an unprivileged user (kServerUser when that user exists, otherwise
// nobody). The superuser "postgres" signs in without a password; the station role "cuepilot" has
// the station password and must give it.
class TestServer {
  public:
    inline static const char* kServerUser = "cuepilot-pg";

    // The run's shared server, or this process's own where the run started none.
    static TestServer& shared();
    // A server of this process's own, which a test may stop and start.
    static TestServer& own();
    // The run's set-up and clean-up steps; they return an exit code.
    static int startShared();
    static int stopShared();

    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    enum class Content { Empty, Blank, Demo };
    struct Database {
        QString name;
        QString address;      // signs in as the station role
        QString adminAddress; // signs in as the superuser
    };
    // A new database: empty, or holding every content file of a blank or a demo installation.
    Database createDatabase(Content content);
    // Ends its connections and removes it.
    void dropDatabase(const QString& name);

    // The address of a database on this server, signing in as the given user (empty: no user).
    QString addressOf(const QString& database, const QString& user = QString()) const;

    // Fast shutdown: open connections are ended.
    void stop();
    void start();
    // The server's main process, which a test may stop (SIGSTOP) so that it takes no new connection.
    pid_t postmasterPid() const;

  private:
    TestServer(QString folder, QString runUser, bool owned);

    QString folder_;
    QString runUser_; // empty when the tests are not root
    bool owned_;      // stopped and removed with this object
    int databases_ = 0;
    bool running_ = true;
};
