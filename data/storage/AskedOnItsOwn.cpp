#include "data/storage/AskedOnItsOwn.h"

#include "data/catalogue/Paths.h"
#include "data/storage/StorageThread.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QWaitCondition>
#include <algorithm>
#include <mutex>
#include <openssl/crypto.h>
#include <thread>

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
QMutex asideMutex;
QWaitCondition asideDone;
int asideRunning = 0;
} // namespace

void WorkAside::run(std::function<void()> work) {
    {
        QMutexLocker lock(&asideMutex);
        ++asideRunning;
    }
    std::thread([work = std::move(work)]() mutable {
        work();
        work = nullptr;
        letGoOfThreadState();
        QMutexLocker lock(&asideMutex);
        if (--asideRunning == 0) asideDone.wakeAll();
    }).detach();
}

void letGoOfThreadState() {
    OPENSSL_thread_stop();
}

bool WorkAside::finishedWithin(int ms) {
    const QDeadlineTimer deadline(ms);
    QMutexLocker lock(&asideMutex);
    while (asideRunning > 0)
        if (!asideDone.wait(&asideMutex, deadline)) break;
    return asideRunning == 0;
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

qint64 UnansweredFolders::waitedForFileMs(const QString& file) {
    return file.isEmpty() ? -1 : waitedForMs(QFileInfo(paths::fold(file)).path());
}

qint64 UnansweredFolders::longestWaitMs() {
    if (unansweredCount.load(std::memory_order_acquire) == 0) return -1;
    std::lock_guard<std::mutex> lock(unansweredMutex);
    qint64 longest = -1;
    for (const Unanswered& waiting : std::as_const(unanswered))
        if (!*waiting.answered) longest = std::max(longest, waiting.since.elapsed());
    return longest;
}

bool unansweredOnlyAMoment() {
    const qint64 longest = std::max(LateAnswers::awaitedForMs(), UnansweredFolders::longestWaitMs());
    return longest >= 0 && longest < kSilentAfterMs;
}

bool onlySlowSoFar(const QString& failure) {
    return (failure.contains(kShareNotAnswering) || failure.contains(kServerNotAnswering)) && unansweredOnlyAMoment();
}

void UnansweredFolders::waitingFor(const QString& folder, std::shared_ptr<std::atomic<bool>> answered) {
    std::lock_guard<std::mutex> lock(unansweredMutex);
    Unanswered waiting{std::move(answered), {}};
    waiting.since.start();
    unanswered.insert(folder, std::move(waiting));
    unansweredCount.store(int(unanswered.size()), std::memory_order_release);
}
