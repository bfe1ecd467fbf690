#pragma once

#include "data/storage/StorageError.h"
#include "data/storage/WorkerThread.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <optional>

// How long the board's thread waits for one answer of the share or the server: a handler is held
// no longer, whatever the share or the server does. 80 ms unless set (a test build under the
// sanitizers on a busy machine allows more, so that only what really stops answering is late).
int boardWaitMs();
void setBoardWaitMs(int ms);

// How long a question may stay unanswered before the share or server is said not to answer: until
// then it is only slow (a share with a long round trip), the board shows what it asked late, and
// says nothing of it.
inline constexpr int kSilentAfterMs = 1500;

// One event handled by the board's thread (a click, a key, a tick): every question its handler
// asks the storage thread shares one wait, so a handler that asks ten questions of a slow share is
// held no longer than one that asks one. A turn begun inside another is part of it, unless an event
// loop was begun in between (a dialog's); outside any turn (the tools, start-up) each question has a
// wait of its own.
class StorageTurn {
  public:
    StorageTurn();
    ~StorageTurn();
    StorageTurn(const StorageTurn&) = delete;
    StorageTurn& operator=(const StorageTurn&) = delete;
    // The wait left to a question asked now, by a thread waiting waitMs for each.
    static QDeadlineTimer deadline(int waitMs);

  private:
    // The turn this one was begun inside of, given back when it ends.
    QElapsedTimer savedStarted_;
    int savedLoopLevel_;
    bool owner_ = false;
};

// Questions the board cannot do without, asked on its thread: each may wait waitMs when that is
// longer than the board's usual wait. Where the data lies is read at start-up from the program
// folder's own files; a start on a busy computer that gave up on them would come up on the wrong
// folder.
class StoragePatience {
  public:
    explicit StoragePatience(int waitMs);
    ~StoragePatience();
    StoragePatience(const StoragePatience&) = delete;
    StoragePatience& operator=(const StoragePatience&) = delete;

  private:
    int saved_;
};

// Says, on the board's thread, that an answer the board stopped waiting for has come after all:
// what failed for want of it may be asked again now.
class LateAnswers : public QObject {
    Q_OBJECT
  public:
    static LateAnswers& instance();
    // Whether an answer the board stopped waiting for is still awaited: what would ask the same
    // share or server another way (a marker read on a thread of its own) need not wait as well.
    static bool awaited();

  signals:
    // Emitted on the storage thread; receivers on the board's thread get it queued.
    void caughtUp();
};

// The thread on which every statement to one share or server runs, in the order asked. The board's
// thread hands each over and waits a short deadline: a share or server that does not answer in time
// holds the statement, never the board. A statement not answered in time goes on by itself; what
// is asked next waits its turn within its own deadline while the share is only slow, and fails at
// once once it has left a question unanswered for kSilentAfterMs. Once the late answers are in,
// LateAnswers says so.
class StorageThread {
  public:
    StorageThread(int waitMs, const QString& name);
    // Waits for what was handed over no longer than closeWaitMs; a worker a share still holds then
    // is joined at the end of the program.
    ~StorageThread();
    StorageThread(const StorageThread&) = delete;
    StorageThread& operator=(const StorageThread&) = delete;

    int waitMs() const { return waitMs_; }
    void setWaitMs(int ms) { waitMs_ = ms; }
    void setCloseWaitMs(int ms) { closeWaitMs_ = ms; }

    // Runs the work there and gives its answer, or throws what it threw; throws late() when no
    // answer comes within the wait, or while an earlier one is still awaited. The work must own
    // what it touches (captured by value): it may finish after the caller has moved on.
    template <class T> T ask(std::function<T()> work, const std::exception_ptr& late) {
        auto answer = std::make_shared<std::optional<T>>();
        runWaiting([answer, work = std::move(work)] { *answer = work(); }, late);
        return std::move(**answer);
    }
    void ask(std::function<void()> work, const std::exception_ptr& late) {
        runWaiting(std::move(work), late);
    }
    // Runs the work there in turn, never waited for: letting go of a connection, whose closing is
    // itself a call to the share.
    void post(std::function<void()> work);
    // Whether a question has gone unanswered for kSilentAfterMs and is still awaited: the share or
    // server does not answer, and what is asked of it fails at once.
    bool silent() const;
    // For how long the oldest question it left unanswered has been awaited, -1 when none is.
    qint64 unansweredForMs() const;

  private:
    struct Shared;
    void runWaiting(std::function<void()> work, const std::exception_ptr& late);

    std::atomic<int> waitMs_;
    int closeWaitMs_ = 1000;
    std::shared_ptr<Shared> shared_;
    std::unique_ptr<WorkerThread> worker_;
};
