#include "data/sharing/HistoryPruning.h"

#include "base/Steps.h"
#include "data/catalogue/Catalogue.h"
#include "data/history/HistoryEntry.h"
#include "data/history/HistorySource.h"

#include <QDateTime>
#include <QMutex>
#include <QWaitCondition>

struct HistoryPruning::Sweep {
    std::atomic<bool> stop{false};
    QMutex mutex;
    QWaitCondition ended;
    bool done = false;
};

HistoryPruning::HistoryPruning(ChangeWatcher::ProviderFactory factory, QString connect)
    : factory_(std::move(factory)), connect_(std::move(connect)) {}

HistoryPruning::~HistoryPruning() {
    if (sweep_) sweep_->stop = true;
    // A sweep held by a share that does not answer is joined at the end of the program.
    if (worker_ && !worker_->finishWithin(kBusyTimeoutMs)) WorkerThread::retire(std::move(worker_));
}

namespace {

QStringList dataFilesIn(const QStringList& folders) {
    QStringList files;
    for (const QString& folder : folders) {
        for (const catalogue::FileSpec& file : catalogue::files())
            if (file.folder == catalogue::Folder::Data) files << folder + file.constant;
        files << folder + catalogue::kAiredFile;
    }
    return files;
}

void pruneOne(DatabaseProvider& provider, const QString& file, const QString& connect,
              const QDateTime& edge) {
    // A file that is missing, held or unreadable is pruned another day; the board reports its own
    // failures when it reads the file.
    skipOnFailure([&] {
        const std::shared_ptr<Database> db = provider.open(file, connect);
        if (auto* history = dynamic_cast<HistorySource*>(db.get()); history && history->keepsHistory())
            history->pruneHistoryBefore(edge);
    });
}

} // namespace

void HistoryPruning::sweepIfDue(const QStringList& folders, const QDate& today) {
    if (folders.isEmpty() || sweptOn_ == today) return;
    if (sweep_) {
        QMutexLocker lock(&sweep_->mutex);
        if (!sweep_->done) return;
    }
    sweptOn_ = today;
    auto sweep = std::make_shared<Sweep>();
    sweep_ = sweep;
    if (!worker_) worker_ = std::make_unique<WorkerThread>(QStringLiteral("history pruning"));
    worker_->post([sweep, factory = factory_, connect = connect_, files = dataFilesIn(folders)] {
        const QDateTime edge = QDateTime::currentDateTimeUtc().addDays(-kHistoryKeptDays);
        {
            const std::unique_ptr<DatabaseProvider> provider = factory();
            for (const QString& file : files) {
                if (sweep->stop) break;
                pruneOne(*provider, file, connect, edge);
            }
        }
        QMutexLocker lock(&sweep->mutex);
        sweep->done = true;
        sweep->ended.wakeAll();
    });
}

void HistoryPruning::waitUntilSwept() {
    if (!sweep_) return;
    QMutexLocker lock(&sweep_->mutex);
    while (!sweep_->done)
        sweep_->ended.wait(&sweep_->mutex);
}
