#pragma once

#include "data/storage/Database.h"
#include "data/storage/TableSnapshot.h"
#include "data/storage/WorkerThread.h"

#include <QHash>
#include <QMutex>
#include <QString>
#include <QVector>
#include <QWaitCondition>
#include <functional>
#include <memory>

// A table the board shows now or will switch to next (the next hour's, the next day's).
struct TableRef {
    QString file;
    QString table;
    bool operator==(const TableRef& o) const { return file == o.file && table == o.table; }
};

// Reads the tables the board is about to switch to from a thread of its own, over connections of its
// own, and reads each again whenever its file changes. When the board switches, a data control takes
// the table from here after one look at the file's change marker, instead of reading it: on a network
// share that is one round trip instead of a dozen, and a share that does not answer holds the board
// no longer than the busy timeout.
class ReadAhead : public TablesAhead {
  public:
    using ProviderFactory = std::function<std::unique_ptr<DatabaseProvider>()>;

    ReadAhead(ProviderFactory factory, QString connect, int intervalMs);
    ~ReadAhead() override;

    void start();
    void stop();
    // Wakes the thread when the list changed.
    void setWanted(const QVector<TableRef>& tables);
    // For the benchmark and tests: every table wanted now has been read, or has failed, since.
    void waitUntilRead();
    // At start-up, before the board reads its tables: opens their files on the board's own
    // connections, all at once, and reads the tables there. Returns when all are read or failed.
    void readOnBoardConnections(DatabaseProvider& board, const QVector<TableRef>& tables);

    // The table as read ahead, when its file is unchanged since: nothing when it was not read ahead,
    // could not be, or is out of date, and the control then reads it as always. Throws StorageError
    // when the share does not answer within the busy timeout.
    std::shared_ptr<const TableSnapshot> take(const QString& path, const QString& table) override;
    // Whether nobody has written to the snapshot's file since it was read: one look at the file.
    // Throws StorageError when the share does not answer within the busy timeout.
    static bool unchangedSince(const TableSnapshot& snapshot);
    bool unchanged(const TableSnapshot& snapshot) override { return unchangedSince(snapshot); }

    // See OneSwitch.
    void beginSwitch() override { ++switches_; }
    void endSwitch() override;

  private:
    void run();
    bool wait(); // false once stopped
    void runWith(const std::shared_ptr<DatabaseProvider>& provider);
    void readOne(const std::shared_ptr<DatabaseProvider>& provider, const TableRef& ref);
    static QString keyOf(const QString& folded, const QString& table);

    ProviderFactory factory_;
    QString connect_;
    int intervalMs_;
    std::unique_ptr<WorkerThread> thread_;
    QMutex mutex_; // guards what follows
    QWaitCondition wake_, readDone_;
    bool stopping_ = false;
    QVector<TableRef> wanted_;
    quint64 wantedGeneration_ = 0, readGeneration_ = 0;
    QHash<QString, std::shared_ptr<const TableSnapshot>> snapshots_;
    // The read under way, given up on when the board stops.
    struct PendingRead {
        QMutex mutex;
        QWaitCondition changed;
        bool done = false, abandoned = false;
        std::shared_ptr<const TableSnapshot> read;
    };
    std::shared_ptr<PendingRead> pending_;
    // The board's thread only: the markers looked at in the switch under way, with this process's
    // commits to the file at the time; a commit of our own since (a control storing its typing as it
    // switches) makes the marker stale.
    struct Verified {
        QByteArray marker;
        quint64 localCommits = 0;
    };
    int switches_ = 0;
    QHash<QString, Verified> verified_;
};
