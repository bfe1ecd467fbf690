#pragma once

#include "data/storage/LocalCopies.h"
#include "data/storage/Recordset.h"
#include "data/storage/StorageError.h"
#include "data/storage/TableSnapshot.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

// How long another studio's lock, or a share that does not answer, may hold the board.
inline constexpr int kBusyTimeoutMs = 300;

class Database {
  public:
    virtual ~Database() = default;
    virtual QString path() const = 0;
    // Throws StorageError when the table does not exist or is not a plain table.
    virtual std::unique_ptr<Recordset> openTable(const QString& table) = 0;
    // A number that changes whenever another connection has committed to this file, and only then:
    // cheap enough to ask every couple of seconds on a network share. Throws StorageError.
    virtual quint64 changeStamp() = 0;
    // The highest key the table ever gave a record, deleted ones' too: keys are never given twice,
    // since the history names records by key. Throws StorageError.
    virtual qint64 lastKey(const QString& table) {
        std::unique_ptr<Recordset> rs = openTable(table);
        if (rs->recordCount() == 0) return 0;
        rs->moveLast();
        return rs->bookmark().toLongLong();
    }
    // Reads that belong together (a table, its first record, the change stamp) as one read of the
    // file: on a network share every separate read pays its own round trips. No writes inside.
    virtual void readTogether(const std::function<void()>& reads) { reads(); }

    // The table as a refresh shows it, with the file's change marker, read together; previous is
    // handed back as it is while the file is unchanged since it was read. Nothing where the engine
    // keeps no marker. Throws StorageError.
    virtual std::shared_ptr<const TableSnapshot> snapshot(const QString& table,
                                                          std::shared_ptr<const TableSnapshot> previous) {
        (void)table;
        (void)previous;
        return nullptr;
    }
    // A record set over a snapshot of this file, opened without reading the file.
    virtual std::unique_ptr<Recordset> openTable(const TableSnapshot& snapshot) {
        return openTable(snapshot.table);
    }

    struct OpenedTable {
        std::unique_ptr<Recordset> records;
        std::optional<quint64> stamp; // nothing when the stamp could not be read
    };
    // The table at its first record, with the change stamp, read together as a refresh needs them.
    virtual OpenedTable openAtFirst(const QString& table) {
        OpenedTable opened;
        readTogether([&] {
            opened.records = openTable(table);
            if (opened.records->recordCount() > 0) opened.records->moveFirst();
            try {
                opened.stamp = changeStamp();
            } catch (const StorageError&) {
            }
        });
        return opened;
    }
};

class FileBuilder;

// Tables read ahead of need, off the board's thread (the board's ReadAhead): the storage consults
// them before a control reads a table itself.
class TablesAhead {
  public:
    virtual ~TablesAhead() = default;
    // The table as read ahead, when its file is unchanged since; nothing otherwise. Throws
    // StorageError when the share does not answer.
    virtual std::shared_ptr<const TableSnapshot> take(const QString& path, const QString& table) = 0;
    // Whether nobody has written to the snapshot's file since it was read: one look at the file.
    virtual bool unchanged(const TableSnapshot& snapshot) = 0;
    // One switch of the board (see OneSwitch).
    virtual void beginSwitch() = 0;
    virtual void endSwitch() = 0;
};

// Opens existing database files; never creates one.
class DatabaseProvider {
  public:
    virtual ~DatabaseProvider() = default;
    // connect is the data control's connect string (";Pwd=..."). Throws StorageError.
    virtual std::shared_ptr<Database> open(const QString& path, const QString& connect) = 0;
    // Safe from any thread: opens a file the board is about to need (the next day's, before midnight)
    // so that open() later costs no more than checking it is still the same file. Failures are left
    // for open() to meet.
    virtual void openAhead(const QString& path, const QString& connect) {
        openAheadReading(path, connect, {});
    }
    // Safe from any thread: opens a file ahead as openAhead does and reads these tables through that
    // very connection, so that the board's first refresh of each needs only a look at the file.
    virtual QVector<std::shared_ptr<const TableSnapshot>>
    openAheadReading(const QString& path, const QString& connect, const QStringList& tables) {
        (void)path;
        (void)connect;
        (void)tables;
        return {};
    }

    // Whether the file is there. A server's schemas are not looked at without signing in: there,
    // opening tells, and this says yes. Throws StorageError when the share does not answer.
    virtual bool exists(const QString& path) {
        (void)path;
        return true;
    }
    // Makes a file (or a server's schema) that is missing, with what build puts in it, in one
    // commit. Throws FileExistsError when it is there already, StorageError on any other failure.
    virtual void create(const QString& path, const std::function<void(FileBuilder&)>& build) {
        (void)path;
        (void)build;
        throw StorageError(QStringLiteral("No file can be made here."));
    }

    // A share or server that has left a question unanswered: where it lies (a folder, or a server
    // without its password; empty when not known) and for how long, -1 while every place answers.
    struct Unanswered {
        QString place;
        qint64 forMs = -1;
    };
    // Of the places these files lie on, the one waited for longest; of every place asked when no
    // file is given.
    virtual Unanswered unanswered(const QStringList& files = {}) const;
    // Calls back on the receiver's thread once every answer the board stopped waiting for has come
    // (what failed for want of one may be asked again), and once this program has committed to a file
    // (given as its folded path), which a watcher on a share may see late or never; either may be
    // left empty.
    virtual void followNews(QObject* receiver, std::function<void()> caughtUp,
                            std::function<void(const QString& file)> committed);

    // Whether work ahead of need (openAhead, openAheadReading) is still waited for: a board that
    // closes stops waiting, so the threads that asked end even while the share does not answer.
    virtual void setWorkAheadWanted(bool wanted) { (void)wanted; }

    // The tables read ahead of need this storage consults; with none every table is read when needed.
    void consultTablesAhead(TablesAhead* ahead) { ahead_ = ahead; }
    // A table read ahead and unchanged since, opened on the board's own connection to its file
    // without reading it; all empty when there is none. Throws StorageError when the share does not
    // answer.
    struct OpenedAhead {
        std::shared_ptr<Database> database;
        std::unique_ptr<Recordset> records;
        std::shared_ptr<const TableSnapshot> snapshot;
    };
    OpenedAhead openReadAhead(const QString& path, const QString& connect, const QString& table) {
        OpenedAhead opened;
        if (!ahead_) return opened;
        std::shared_ptr<const TableSnapshot> snapshot = ahead_->take(path, table);
        if (!snapshot) return opened;
        opened.database = openKnown(path, connect, *snapshot);
        if (!opened.database) return opened;
        opened.records = opened.database->openTable(*snapshot);
        opened.snapshot = std::move(snapshot);
        return opened;
    }
    // Whether what was opened from a table read ahead is still what the file holds; false without
    // the tables ahead, so the caller reads for itself.
    bool unchangedSinceReadAhead(const TableSnapshot& snapshot) {
        return ahead_ && ahead_->unchanged(snapshot);
    }
    void beginSwitch() {
        if (ahead_) ahead_->beginSwitch();
    }
    void endSwitch() {
        if (ahead_) ahead_->endSwitch();
    }
    // The board's connection to the file a snapshot was read from, found without touching the file:
    // nothing when there is none yet, or it is to another file now at that path.
    virtual std::shared_ptr<Database> openKnown(const QString& path, const QString& connect,
                                                const TableSnapshot& snapshot) {
        (void)path;
        (void)connect;
        (void)snapshot;
        return nullptr;
    }

    // Where the copies kept on this computer are: files of a place that does not answer are then
    // read from its copy, and never written there. None keeps the board to the live files only.
    const LocalCopies* localCopies() const { return localCopies_; }
    void setLocalCopies(const LocalCopies* copies) { localCopies_ = copies; }
    // When the copy the board shows now was made, while it shows any; an invalid time otherwise.
    virtual QDateTime showingCopyOf() { return {}; }

  private:
    const LocalCopies* localCopies_ = nullptr;
    TablesAhead* ahead_ = nullptr;
};

// One switch of the board (a roll, Refresh Data, a day chosen): each file's marker is looked at
// once in it, however many data controls switch to that file.
class OneSwitch {
  public:
    explicit OneSwitch(DatabaseProvider& provider) : provider_(provider) { provider_.beginSwitch(); }
    ~OneSwitch() { provider_.endSwitch(); }
    OneSwitch(const OneSwitch&) = delete;
    OneSwitch& operator=(const OneSwitch&) = delete;

  private:
    DatabaseProvider& provider_;
};
