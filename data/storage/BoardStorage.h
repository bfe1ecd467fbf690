#pragma once

#include "data/storage/Database.h"
#include "data/storage/RoutingProvider.h"
#include "data/storage/StorageThread.h"

#include <QHash>
#include <QMutex>
#include <memory>

// The board's one owner of every connection to every data file and server. The engines' statements
// run on one worker per share (folder) or server, never on the board's thread: the board waits for
// each no longer than its wait, so a share or server that stops answering holds a handler that long
// at most; once it has left a question unanswered for a while, what is asked of it fails at once
// with the words of a share or server that does not answer, until the answer comes (LateAnswers).
// Questions to every other share and server go on meanwhile. The databases and record sets it hands out look
// like any other; a record set whose statement went unanswered stays as it was and is no longer usable
// (Recordset::usable). While a place does not answer, its files open from the copy this computer
// keeps of it (localCopies()), read only and named as the live files: what is typed over them waits
// in the rescue store for the place, and once it answers they are no longer usable, so the board
// opens the live files afresh.
class BoardStorage : public DatabaseProvider {
  public:
    explicit BoardStorage(int waitMs = boardWaitMs());
    // The engines are closed on the storage thread, waited for a second at most.
    ~BoardStorage() override;

    std::shared_ptr<Database> open(const QString& path, const QString& connect) override;
    QVector<std::shared_ptr<const TableSnapshot>>
    openAheadReading(const QString& path, const QString& connect, const QStringList& tables) override;
    std::shared_ptr<Database> openKnown(const QString& path, const QString& connect,
                                        const TableSnapshot& snapshot) override;
    void setWorkAheadWanted(bool wanted) override;
    // Files of a place that does not answer open from its copy kept on this computer, if any.
    QDateTime showingCopyOf() override;
    // Its workers' questions left unanswered, and the folders the watcher's were.
    Unanswered unanswered(const QStringList& files = {}) const override;
    // Both on the worker of the file's share, waited for as long as any question.
    bool exists(const QString& path) override;
    void create(const QString& path, const std::function<void(FileBuilder&)>& build) override;

    // How long the board waits for each statement from now on (a test of a slow share waits as a
    // station's board does, where the test build waits longer).
    void setWaitMs(int ms);
    // The engines themselves, for settings made before the board starts (the benchmark's).
    RoutingProvider& engines() { return *engines_; }

  private:
    // The share or server a file lies on: the folder it is in, or the server's address.
    static QString placeOf(const QString& path);
    std::shared_ptr<StorageThread> workerFor(const QString& path);
    static std::shared_ptr<Database> bounded(std::shared_ptr<Database> inner,
                                             std::shared_ptr<StorageThread> worker);

    std::shared_ptr<Database> openCopy(const QString& path, const QString& connect,
                                       const std::shared_ptr<StorageThread>& place);
    // Whether the place of the file does not answer still.
    static bool stillSilent(const std::shared_ptr<StorageThread>& place, const QString& path);
    // Whether the file's place has left a question unanswered long enough to be called silent.
    bool silentAt(const QString& path) const;

    struct WorkAhead;

    mutable QMutex workersMutex_; // guards what follows: files are opened ahead from threads of their own
    int waitMs_;
    QHash<QString, std::shared_ptr<StorageThread>> workers_;
    // By place: one of its files shown from the copy, and when that copy was made.
    QHash<QString, LocalCopies::Copy> copyShown_;
    std::shared_ptr<WorkAhead> ahead_;
    // Shared with the work handed to the thread, so it is let go of there, last.
    std::shared_ptr<RoutingProvider> engines_;
};
