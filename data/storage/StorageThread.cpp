#include "data/storage/StorageThread.h"

#include "data/storage/AskedOnItsOwn.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QMutex>
#include <QThread>
#include <QWaitCondition>
#include <algorithm>
#include <atomic>
#include <deque>
#include <thread>

namespace {
std::atomic<int> boardWait{80};

// How many answers the board stopped waiting for, in every storage thread of the process. For how
// long each place has waited its own worker tells (StorageThread::unansweredForMs).
class Awaited {
  public:
    void add() { count_.fetchAndAddOrdered(1); }
    void answered() { count_.fetchAndSubOrdered(1); }
    bool any() const { return count_.loadAcquire() > 0; }

  private:
    QAtomicInt count_{0};
};

Awaited& awaitedAnswers() {
    static Awaited awaited;
    return awaited;
}
} // namespace

bool LateAnswers::awaited() {
    return awaitedAnswers().any();
}

int boardWaitMs() {
    return boardWait.load();
}

void setBoardWaitMs(int ms) {
    boardWait.store(ms);
}

namespace {
struct Turn {
    QElapsedTimer started; // invalid outside a turn
    int loopLevel = 0;
};
thread_local Turn currentTurn;
thread_local int patienceMs = 0;
} // namespace

StoragePatience::StoragePatience(int waitMs) : saved_(patienceMs) {
    patienceMs = std::max(patienceMs, waitMs);
}

StoragePatience::~StoragePatience() {
    patienceMs = saved_;
}

StorageTurn::StorageTurn() : savedStarted_(currentTurn.started), savedLoopLevel_(currentTurn.loopLevel) {
    // An event loop run inside a handler (a dialog's) begins turns of its own.
    const int level = QThread::currentThread()->loopLevel();
    owner_ = !currentTurn.started.isValid() || currentTurn.loopLevel != level;
    if (!owner_) return;
    currentTurn.started.start();
    currentTurn.loopLevel = level;
}

StorageTurn::~StorageTurn() {
    if (!owner_) return;
    currentTurn.started = savedStarted_;
    currentTurn.loopLevel = savedLoopLevel_;
}

QDeadlineTimer StorageTurn::deadline(int waitMs) {
    waitMs = std::max(waitMs, patienceMs);
    if (!currentTurn.started.isValid()) return QDeadlineTimer(waitMs);
    return QDeadlineTimer(std::max<qint64>(0, waitMs - currentTurn.started.elapsed()));
}

LateAnswers& LateAnswers::instance() {
    static LateAnswers answers;
    return answers;
}

namespace {
struct Answer {
    bool done = false;
    bool late = false;
    std::exception_ptr error;
};
} // namespace

// What the asking and the worker share about the answers, kept alive by the work handed over when
// it outlives its asker. Qt's waits, not the standard library's: a clock faked for a trial
// (faketime) is faked for the deadline and the wait alike.
struct StorageThread::Shared {
    QMutex mutex;
    QWaitCondition answered;
    int late = 0;            // questions whose asker stopped waiting, not yet answered
    QElapsedTimer lateSince; // when the oldest of them was asked

    // A question left unanswered this long: the share or server does not answer, and what is asked
    // of it fails at once until it does. Before that it is only slow, and questions wait their turn.
    bool silent() const { return late > 0 && lateSince.elapsed() >= kSilentAfterMs; }
};

StorageThread::StorageThread(int waitMs, const QString& name)
    : waitMs_(waitMs), shared_(std::make_shared<Shared>()), worker_(std::make_unique<WorkerThread>(name)) {}

StorageThread::~StorageThread() {
    // Whatever the share still holds is left to the end of the program, which joins it.
    if (!worker_->finishWithin(closeWaitMs_)) WorkerThread::retire(std::move(worker_));
}

void StorageThread::post(std::function<void()> work) {
    worker_->post(std::move(work));
}

bool StorageThread::silent() const {
    QMutexLocker lock(&shared_->mutex);
    return shared_->silent();
}

qint64 StorageThread::unansweredForMs() const {
    QMutexLocker lock(&shared_->mutex);
    return shared_->late > 0 ? shared_->lateSince.elapsed() : -1;
}

namespace {
// The late failure the asker is told of, as slow or silent, naming the share or server.
[[noreturn]] void throwLate(const std::exception_ptr& late, FailureKind kind, const QString& where) {
    try {
        std::rethrow_exception(late);
    } catch (const ShareNotAnsweringError&) {
        ShareNotAnsweringError failure(kind);
        failure.setWhere(where);
        throw failure;
    } catch (const AnswerLateError& e) {
        AnswerLateError failure(e.message(), kind);
        failure.setWhere(where);
        throw failure;
    }
}
} // namespace

void StorageThread::runWaiting(std::function<void()> work, const std::exception_ptr& late) {
    if (worker_->isCurrent()) {
        work();
        return;
    }
    auto answer = std::make_shared<Answer>();
    QElapsedTimer asked;
    asked.start();
    {
        QMutexLocker lock(&shared_->mutex);
        if (shared_->silent()) throwLate(late, FailureKind::Silent, worker_->name());
        worker_->post([shared = shared_, answer, work = std::move(work)]() mutable {
            std::exception_ptr error;
            try {
                work();
            } catch (...) {
                error = std::current_exception();
            }
            // Let go of what the work held before saying it is done, outside the lock.
            work = nullptr;
            QMutexLocker lock(&shared->mutex);
            answer->error = error;
            answer->done = true;
            bool caughtUp = false;
            if (answer->late) {
                caughtUp = --shared->late == 0;
                awaitedAnswers().answered();
            }
            shared->answered.wakeAll();
            if (caughtUp) emit LateAnswers::instance().caughtUp();
        });
        const QDeadlineTimer deadline = StorageTurn::deadline(waitMs_);
        while (!answer->done)
            if (!shared_->answered.wait(&shared_->mutex, deadline)) break;
        if (!answer->done) {
            answer->late = true;
            if (shared_->late++ == 0) shared_->lateSince = asked;
            awaitedAnswers().add();
        }
    }
    if (!answer->done)
        throwLate(late, asked.elapsed() < kSilentAfterMs ? FailureKind::Slow : FailureKind::Silent,
                  worker_->name());
    if (!answer->error) return;
    try {
        std::rethrow_exception(answer->error);
    } catch (StorageError& failure) {
        // The engine's own failure, thrown once to this asker only: it is told where it happened.
        if (failure.where().isEmpty()) failure.setWhere(worker_->name());
        throw;
    }
}
