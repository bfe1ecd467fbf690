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

// The answers the board stopped waiting for, in every storage thread of the process, and since when
// the oldest of them is awaited.
class Awaited {
  public:
    void add(const std::exception_ptr& late) {
        QMutexLocker lock(&mutex_);
        if (count_.fetchAndAddOrdered(1) > 0) return;
        since_.start();
        try {
            std::rethrow_exception(late);
        } catch (const StorageError& e) {
            message_ = e.message();
        } catch (...) {
            message_.clear();
        }
    }
    void answered() {
        QMutexLocker lock(&mutex_);
        count_.fetchAndSubOrdered(1);
    }
    bool any() const { return count_.loadAcquire() > 0; }
    qint64 forMs() {
        QMutexLocker lock(&mutex_);
        return count_.loadRelaxed() > 0 ? since_.elapsed() : -1;
    }
    QString message() {
        QMutexLocker lock(&mutex_);
        return message_;
    }

  private:
    QMutex mutex_;
    QAtomicInt count_{0};
    QElapsedTimer since_;
    QString message_;
};

Awaited& awaitedAnswers() {
    static Awaited awaited;
    return awaited;
}
} // namespace

bool LateAnswers::awaited() {
    return awaitedAnswers().any();
}

qint64 LateAnswers::awaitedForMs() {
    return awaitedAnswers().forMs();
}

QString LateAnswers::awaitedMessage() {
    return awaitedAnswers().message();
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

struct Job {
    std::function<void()> work;
    std::shared_ptr<Answer> answer; // none for work nobody waits for
};

} // namespace

// Everything the thread touches, kept alive by the thread itself when it outlives its owner.
// Qt's waits, not the standard library's: a clock faked for a trial (faketime) is faked for the
// deadline and the wait alike.
struct StorageThread::Shared {
    QMutex mutex;
    QWaitCondition work;     // something to do, or time to stop
    QWaitCondition answered; // a job done
    std::deque<Job> queue;
    bool running = false;
    bool stopping = false;
    int late = 0; // jobs whose caller stopped waiting, not yet done
    std::atomic<std::thread::id> id;

    void serve() {
        id = std::this_thread::get_id();
        QMutexLocker lock(&mutex);
        for (;;) {
            while (queue.empty() && !stopping)
                work.wait(&mutex);
            if (queue.empty()) break;
            Job job = std::move(queue.front());
            queue.pop_front();
            running = true;
            lock.unlock();
            std::exception_ptr error;
            try {
                job.work();
            } catch (...) {
                error = std::current_exception();
            }
            // Let go of what the work held before saying it is done, outside the lock.
            job.work = nullptr;
            lock.relock();
            running = false;
            bool caughtUp = false;
            if (job.answer) {
                job.answer->error = error;
                job.answer->done = true;
                if (job.answer->late) {
                    caughtUp = --late == 0;
                    awaitedAnswers().answered();
                }
            }
            answered.wakeAll();
            if (caughtUp) emit LateAnswers::instance().caughtUp();
        }
        answered.wakeAll();
    }
};

StorageThread::StorageThread(int waitMs) : waitMs_(waitMs), shared_(std::make_shared<Shared>()) {
    // Counted with the other work aside: the end of the program waits for it to be over.
    WorkAside::run([shared = shared_] { shared->serve(); });
}

StorageThread::~StorageThread() {
    QMutexLocker lock(&shared_->mutex);
    shared_->stopping = true;
    shared_->work.wakeAll();
    const QDeadlineTimer deadline(closeWaitMs_);
    while (!shared_->queue.empty() || shared_->running)
        if (!shared_->answered.wait(&shared_->mutex, deadline)) break;
}

void StorageThread::post(std::function<void()> work) {
    QMutexLocker lock(&shared_->mutex);
    shared_->queue.push_back(Job{std::move(work), nullptr});
    shared_->work.wakeOne();
}

void StorageThread::runWaiting(std::function<void()> work, const std::exception_ptr& late) {
    if (std::this_thread::get_id() == shared_->id) {
        work();
        return;
    }
    auto answer = std::make_shared<Answer>();
    {
        QMutexLocker lock(&shared_->mutex);
        if (shared_->late > 0) std::rethrow_exception(late);
        shared_->queue.push_back(Job{std::move(work), answer});
        shared_->work.wakeOne();
        const QDeadlineTimer deadline = StorageTurn::deadline(waitMs_);
        while (!answer->done)
            if (!shared_->answered.wait(&shared_->mutex, deadline)) break;
        if (!answer->done) {
            answer->late = true;
            ++shared_->late;
            awaitedAnswers().add(late);
        }
    }
    if (!answer->done) std::rethrow_exception(late);
    if (answer->error) std::rethrow_exception(answer->error);
}
