#include "data/storage/WorkerThread.h"

#include <openssl/crypto.h>
#include <vector>

namespace {
// Workers whose owners closed while a share still held them.
struct Retired {
    QMutex mutex;
    std::vector<std::unique_ptr<WorkerThread>> workers;
};
Retired& retired() {
    static Retired list;
    return list;
}
} // namespace

WorkerThread::WorkerThread(QString name) : name_(std::move(name)) {
    thread_ = std::thread([this] { serve(); });
}

WorkerThread::~WorkerThread() {
    stop();
    if (thread_.joinable()) thread_.join();
}

void WorkerThread::post(std::function<void()> work) {
    QMutexLocker lock(&mutex_);
    queue_.push_back(std::move(work));
    wake_.wakeOne();
}

void WorkerThread::stop() {
    QMutexLocker lock(&mutex_);
    stopping_ = true;
    wake_.wakeOne();
}

bool WorkerThread::finishWithin(int ms) {
    stop();
    {
        // Qt's wait, not the standard library's: a clock faked for a trial is faked for both.
        QMutexLocker lock(&mutex_);
        const QDeadlineTimer deadline(ms);
        while (!over_)
            if (!ended_.wait(&mutex_, deadline)) return false;
    }
    if (thread_.joinable()) thread_.join();
    return true;
}

bool WorkerThread::busy() const {
    QMutexLocker lock(&mutex_);
    return working_ || !queue_.empty();
}

void WorkerThread::waitUntilDone() {
    QMutexLocker lock(&mutex_);
    while ((working_ || !queue_.empty()) && !over_)
        done_.wait(&mutex_);
}

void WorkerThread::serve() {
    id_ = std::this_thread::get_id();
    QMutexLocker lock(&mutex_);
    for (;;) {
        if (!queue_.empty()) {
            std::function<void()> work = std::move(queue_.front());
            queue_.pop_front();
            working_ = true;
            lock.unlock();
            try {
                work();
            } catch (...) {
                // Work that says nothing of its failure has nobody to say it to.
            }
            // Let go of what the work held outside the lock: closing a file is a call to the share.
            work = nullptr;
            lock.relock();
            working_ = false;
            if (queue_.empty()) done_.wakeAll();
            continue;
        }
        if (stopping_) break;
        wake_.wait(&mutex_);
    }
    lock.unlock();
    // What the crypto library keeps for this thread, let go of before the program tears it down.
    OPENSSL_thread_stop();
    lock.relock();
    over_ = true;
    ended_.wakeAll();
    done_.wakeAll();
}

void WorkerThread::retire(std::unique_ptr<WorkerThread> worker) {
    if (!worker) return;
    worker->stop();
    QMutexLocker lock(&retired().mutex);
    retired().workers.push_back(std::move(worker));
}

bool WorkerThread::finishRetiredWithin(int ms) {
    const QDeadlineTimer deadline(ms);
    std::vector<std::unique_ptr<WorkerThread>> workers;
    {
        QMutexLocker lock(&retired().mutex);
        workers.swap(retired().workers);
    }
    bool all = true;
    for (auto& worker : workers) {
        if (worker->finishWithin(int(std::max<qint64>(0, deadline.remainingTime())))) {
            worker.reset();
        } else {
            all = false;
            // Still held by a share that does not answer: joining it would hold the end of the
            // program for as long, and destroying it unjoined would abort. The program ends around it.
            (void)worker.release();
        }
    }
    return all;
}
