#include "data/storage/AskedOnItsOwn.h"

#include "data/catalogue/Paths.h"
#include "data/storage/StorageThread.h"
#include "data/storage/WorkerThread.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QWaitCondition>
#include <algorithm>
#include <mutex>
#include <pthread.h>
#include <thread>
#include <vector>

namespace {
std::mutex unansweredMutex;
struct Unanswered {
    std::shared_ptr<std::atomic<bool>> answered;
    QElapsedTimer since;
};
QHash<QString, Unanswered> unanswered;
// Asked before every statement: while no share hangs, that costs no lock.
std::atomic<int> unansweredCount{0};
} // namespace

namespace {
struct LookoutWorkers {
    QMutex mutex;
    QHash<QString, std::shared_ptr<WorkerThread>> byFolder;
    bool closed = false;
};
LookoutWorkers*& currentLookouts();
// A child process (a test's studio, forked) has none of its parent's threads: it starts its own
// lookouts, and its copy of the parent's is left as it is, never waited for.
void lookoutsAfterFork() {
    static std::vector<LookoutWorkers*> leftByParents; // kept reachable: their threads are not ours
    leftByParents.push_back(currentLookouts());
    currentLookouts() = new LookoutWorkers;
}
LookoutWorkers*& currentLookouts() {
    static LookoutWorkers* workers = [] {
        pthread_atfork(nullptr, nullptr, &lookoutsAfterFork);
        return new LookoutWorkers;
    }();
    return workers;
}
LookoutWorkers& lookouts() {
    return *currentLookouts();
}
} // namespace

void Lookouts::post(const QString& folder, std::function<void()> work) {
    std::shared_ptr<WorkerThread> worker;
    {
        QMutexLocker lock(&lookouts().mutex);
        // Past the end of the program nothing is asked any more: the work is let go of here.
        if (lookouts().closed) return;
        std::shared_ptr<WorkerThread>& slot = lookouts().byFolder[folder];
        if (!slot) slot = std::make_shared<WorkerThread>(QStringLiteral("lookout ") + folder);
        worker = slot;
    }
    // Asked by the lookout's own work: waiting for it there would wait for itself.
    if (worker->isCurrent()) {
        work();
        return;
    }
    worker->post(std::move(work));
}

bool Lookouts::finishAllWithin(int ms) {
    const QDeadlineTimer deadline(ms);
    QHash<QString, std::shared_ptr<WorkerThread>> workers;
    {
        QMutexLocker lock(&lookouts().mutex);
        lookouts().closed = true;
        workers.swap(lookouts().byFolder);
    }
    for (const auto& worker : std::as_const(workers))
        worker->stop();
    bool all = true;
    for (auto it = workers.begin(); it != workers.end(); ++it) {
        if (!(*it)->finishWithin(int(std::max<qint64>(0, deadline.remainingTime())))) {
            // Held by a share: retired like any other worker it holds. The hash holds the only other
            // reference, let go of next.
            auto held = std::make_unique<std::shared_ptr<WorkerThread>>(std::move(*it));
            (void)held.release();
            all = false;
        }
    }
    return WorkerThread::finishRetiredWithin(int(std::max<qint64>(0, deadline.remainingTime()))) && all;
}

bool UnansweredFolders::stillWaiting(const QString& folder) {
    if (unansweredCount.load(std::memory_order_acquire) == 0) return false;
    std::lock_guard<std::mutex> lock(unansweredMutex);
    auto it = unanswered.find(folder);
    if (it == unanswered.end()) return false;
    if (!*it->answered) return true;
    unanswered.erase(it);
    unansweredCount.store(int(unanswered.size()), std::memory_order_release);
    return false;
}

bool UnansweredFolders::stillWaitingForFile(const QString& file) {
    return !file.isEmpty() && stillWaiting(QFileInfo(paths::fold(file)).path());
}

void UnansweredFolders::checkAnswering(const QString& folder) {
    if (stillWaiting(folder)) throw ShareNotAnsweringError();
}

qint64 UnansweredFolders::waitedForMs(const QString& folder) {
    if (!stillWaiting(folder)) return -1;
    std::lock_guard<std::mutex> lock(unansweredMutex);
    auto it = unanswered.constFind(folder);
    return it == unanswered.cend() ? -1 : it->since.elapsed();
}

UnansweredFolders::Wait UnansweredFolders::longest() {
    if (unansweredCount.load(std::memory_order_acquire) == 0) return {};
    std::lock_guard<std::mutex> lock(unansweredMutex);
    Wait longest;
    for (auto it = unanswered.cbegin(); it != unanswered.cend(); ++it)
        if (!*it->answered && it->since.elapsed() > longest.forMs) longest = {it.key(), it->since.elapsed()};
    return longest;
}

UnansweredFolders::Wait UnansweredFolders::waitForFile(const QString& file) {
    if (file.isEmpty()) return {};
    const QString folder = QFileInfo(paths::fold(file)).path();
    return {folder, waitedForMs(folder)};
}

bool onlySlowSoFar(const QString& failure, qint64 waitedMs) {
    return (failure.contains(kShareNotAnswering) || failure.contains(kServerNotAnswering)) && waitedMs >= 0 &&
           waitedMs < kSilentAfterMs;
}

void UnansweredFolders::waitingFor(const QString& folder, std::shared_ptr<std::atomic<bool>> answered) {
    std::lock_guard<std::mutex> lock(unansweredMutex);
    Unanswered waiting{std::move(answered), {}};
    waiting.since.start();
    unanswered.insert(folder, std::move(waiting));
    unansweredCount.store(int(unanswered.size()), std::memory_order_release);
}
