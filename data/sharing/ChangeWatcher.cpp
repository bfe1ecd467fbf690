#include "data/sharing/ChangeWatcher.h"

#include "data/storage/AskedOnItsOwn.h"
#include "data/storage/StorageError.h"

#include <QFileInfo>
#include <QHash>
#include <QMutexLocker>
#include <QThread>
#include <optional>

namespace {
// Long enough for a slow share to answer after another studio's lock was waited out; a share
// silent for longer is taken to hang, and the board stops asking it until it answers again.
constexpr int kHungAfterMs = 3 * kBusyTimeoutMs;
} // namespace

ChangeWatcher::ChangeWatcher(ProviderFactory factory, QString connect, int intervalMs, QObject* parent)
    : QObject(parent), factory_(std::move(factory)), connect_(std::move(connect)), intervalMs_(intervalMs) {}

ChangeWatcher::~ChangeWatcher() {
    stop();
}

void ChangeWatcher::setFiles(const QStringList& open, const QStringList& awaited) {
    QMutexLocker lock(&mutex_);
    open_ = open;
    awaited_ = awaited;
}

void ChangeWatcher::start() {
    if (thread_) return;
    stopping_ = false;
    thread_ = std::make_unique<WorkerThread>(QStringLiteral("change watcher"));
    thread_->post([this] { run(); });
}

void ChangeWatcher::stop() {
    if (!thread_) return;
    {
        QMutexLocker lock(&mutex_);
        stopping_ = true;
        wake_.wakeAll();
    }
    // A check held up by a hung share ends with the engine's timeouts; the thread is then joined.
    thread_.reset();
}

bool ChangeWatcher::wait() {
    QMutexLocker lock(&mutex_);
    if (!stopping_) wake_.wait(&mutex_, QDeadlineTimer(intervalMs_));
    return !stopping_;
}

void ChangeWatcher::run() {
    std::unique_ptr<DatabaseProvider> provider = factory_();
    QHash<QString, quint64> seen; // stamps as this thread's connections see them
    auto stampOf = [&](const QString& file) -> std::optional<quint64> {
        try {
            const std::shared_ptr<Database> db = provider->open(file, connect_);
            // Asked on its own, so that a share that stops answering is found out here, while the
            // board is idle, before the board itself asks it anything.
            return AskedOnItsOwn<quint64>(QFileInfo(file).path(), [db] { return db->changeStamp(); })
                .answerWithin(kHungAfterMs);
        } catch (const StorageError&) {
            return std::nullopt;
        }
    };
    while (wait()) {
        QStringList open, awaited;
        {
            QMutexLocker lock(&mutex_);
            open = open_;
            awaited = awaited_;
        }
        for (const QString& file : awaited)
            if (stampOf(file)) emit changed(file);
        QHash<QString, quint64> now;
        for (const QString& file : open) {
            const std::optional<quint64> stamp = stampOf(file);
            if (!stamp) continue; // the board finds out for itself when it next reads
            now.insert(file, *stamp);
            auto was = seen.constFind(file);
            if (was == seen.cend() || *was != *stamp) emit changed(file);
        }
        seen = now;
    }
    // Its connections closed elsewhere: the board closing does not wait for a share that hangs.
    letGoAside(std::move(provider));
}
