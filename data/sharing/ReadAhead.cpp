#include "data/sharing/ReadAhead.h"

#include "data/catalogue/Paths.h"
#include "data/storage/AskedOnItsOwn.h"
#include "data/storage/LocalCommits.h"
#include "data/storage/StorageError.h"
#include "data/storage/StorageThread.h"

#include <QFileInfo>
#include <QMutexLocker>
#include <QSet>
#include <QThread>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace {

// The marker as it is now; nothing when it cannot be read. A file put in the place of the one read
// (a backup restored by renaming) is left to the reading ahead, which opens each file afresh by its
// path every round: one more round trip here would cost the roll as much again.
std::optional<QByteArray> currentMarker(const QString& file, const std::shared_ptr<ChangeMarker>& source) {
    // The board's own statements already wait on a share or server that does not answer: the
    // control reads for itself, which fails at once until the answer comes.
    if (LateAnswers::awaited()) return std::nullopt;
    AskedOnItsOwn<QByteArray> marker(QFileInfo(file).path(), [source] { return source->read(); });
    // Within what is left of the event's one wait, as the board's own statements are.
    return marker.answerBy(StorageTurn::deadline(boardWaitMs()));
}

// The folders that do not answer a look at them within the busy timeout, all looked at together.
// Those are then known not to answer, and what the board asks them fails at once.
QSet<QString> silentFolders(const QList<QString>& files) {
    QSet<QString> folders;
    for (const QString& file : files)
        folders << QFileInfo(file).path();
    std::vector<std::pair<QString, AskedOnItsOwn<bool>>> looks;
    for (const QString& folder : folders)
        looks.emplace_back(folder,
                           AskedOnItsOwn<bool>(folder, [folder] { return QFileInfo::exists(folder); }));
    const QDeadlineTimer deadline(kBusyTimeoutMs);
    QSet<QString> silent;
    for (auto& [folder, look] : looks)
        try {
            look.answerBy(deadline);
        } catch (const StorageError&) {
            silent << folder;
        }
    return silent;
}

} // namespace

ReadAhead::ReadAhead(ProviderFactory factory, QString connect, int intervalMs)
    : factory_(std::move(factory)), connect_(std::move(connect)), intervalMs_(intervalMs) {}

ReadAhead::~ReadAhead() {
    stop();
}

QString ReadAhead::keyOf(const QString& folded, const QString& table) {
    return folded + QLatin1Char('\n') + table.toLower();
}

void ReadAhead::start() {
    if (thread_) return;
    stopping_ = false;
    thread_ = std::make_unique<WorkerThread>(QStringLiteral("read ahead"));
    thread_->post([this] { run(); });
}

void ReadAhead::stop() {
    if (!thread_) return;
    {
        QMutexLocker lock(&mutex_);
        stopping_ = true;
        wake_.wakeAll();
        readDone_.wakeAll();
        if (pending_) {
            QMutexLocker reading(&pending_->mutex);
            pending_->abandoned = true;
            pending_->changed.wakeAll();
        }
    }
    thread_.reset();
    pending_.reset();
    // The tables read ahead hold their files open: closed elsewhere, as above.
    letGoAside(std::move(snapshots_));
    snapshots_.clear();
}

void ReadAhead::setWanted(const QVector<TableRef>& tables) {
    QVector<TableRef> folded;
    for (const TableRef& t : tables)
        if (!t.file.isEmpty() && !t.table.isEmpty() &&
            !folded.contains(TableRef{paths::fold(t.file), t.table}))
            folded << TableRef{paths::fold(t.file), t.table};
    QMutexLocker lock(&mutex_);
    if (folded == wanted_) return;
    wanted_ = folded;
    ++wantedGeneration_;
    wake_.wakeAll();
}

void ReadAhead::readOnBoardConnections(DatabaseProvider& board, const QVector<TableRef>& tables) {
    QHash<QString, QStringList> byFile;
    for (const TableRef& t : tables)
        if (!t.file.isEmpty() && !t.table.isEmpty()) byFile[paths::fold(t.file)] << t.table;
    // A share that does not answer at start-up is left alone: the board comes up with its clock
    // running, says so, and reads the files once the share answers again.
    const QSet<QString> silent = silentFolders(byFile.keys());
    // One thread a file: on a share the round trips of the files overlap instead of adding up.
    std::vector<std::thread> readers;
    for (auto it = byFile.cbegin(); it != byFile.cend(); ++it)
        if (!silent.contains(QFileInfo(it.key()).path()))
            readers.emplace_back([this, &board, file = it.key(), tables = it.value()] {
                for (const auto& snapshot : board.openAheadReading(file, connect_, tables)) {
                    QMutexLocker lock(&mutex_);
                    snapshots_.insert(keyOf(file, snapshot->table), snapshot);
                }
            });
    for (std::thread& reader : readers)
        reader.join();
}

bool ReadAhead::unchangedSince(const TableSnapshot& snapshot) {
    const std::optional<QByteArray> marker = currentMarker(snapshot.file, snapshot.markerSource);
    return marker && *marker == snapshot.marker;
}

void ReadAhead::endSwitch() {
    if (--switches_ == 0) verified_.clear();
}

void ReadAhead::waitUntilRead() {
    QMutexLocker lock(&mutex_);
    while (thread_ && !stopping_ && readGeneration_ < wantedGeneration_)
        readDone_.wait(&mutex_);
}

bool ReadAhead::wait() {
    QMutexLocker lock(&mutex_);
    if (!stopping_ && readGeneration_ == wantedGeneration_) wake_.wait(&mutex_, QDeadlineTimer(intervalMs_));
    return !stopping_;
}

void ReadAhead::run() {
    std::shared_ptr<DatabaseProvider> provider = factory_();
    runWith(provider);
    // Its connections closed elsewhere: the board closing does not wait for a share that hangs.
    letGoAside(std::move(provider));
}

void ReadAhead::runWith(const std::shared_ptr<DatabaseProvider>& provider) {
    do {
        QVector<TableRef> wanted;
        quint64 generation = 0;
        {
            QMutexLocker lock(&mutex_);
            wanted = wanted_;
            generation = wantedGeneration_;
        }
        QHash<QString, std::shared_ptr<const TableSnapshot>> kept;
        for (const TableRef& ref : wanted) {
            readOne(provider, ref);
            QMutexLocker lock(&mutex_);
            if (stopping_) return;
            const QString key = keyOf(ref.file, ref.table);
            if (snapshots_.contains(key)) kept.insert(key, snapshots_.value(key));
        }
        QHash<QString, std::shared_ptr<const TableSnapshot>> letGo; // destroyed after the lock, as above
        QMutexLocker lock(&mutex_);
        // Tables no longer wanted are let go, and with them their connections' hold on the files.
        letGo.swap(snapshots_);
        snapshots_ = kept;
        readGeneration_ = generation;
        readDone_.wakeAll();
    } while (wait());
}

void ReadAhead::readOne(const std::shared_ptr<DatabaseProvider>& provider, const TableRef& ref) {
    const QString key = keyOf(ref.file, ref.table);
    std::shared_ptr<const TableSnapshot> previous;
    auto pending = std::make_shared<PendingRead>();
    {
        QMutexLocker lock(&mutex_);
        if (stopping_) return;
        previous = snapshots_.value(key);
        pending_ = pending;
    }
    // Read on the folder's lookout, the work owning what it touches: a share that stops answering
    // holds that worker, and this thread is let go when the board stops.
    Lookouts::post(QStringLiteral("read ahead ") + QFileInfo(ref.file).path(),
                   [pending, provider, ref, connect = connect_, previous] {
                       std::shared_ptr<const TableSnapshot> read;
                       try {
                           read = provider->open(ref.file, connect)->snapshot(ref.table, previous);
                       } catch (const StorageError&) {
                           // The board meets the same failure when it reads the table itself.
                       }
                       QMutexLocker lock(&pending->mutex);
                       pending->read = std::move(read);
                       pending->done = true;
                       pending->changed.wakeAll();
                   });
    std::shared_ptr<const TableSnapshot> now;
    {
        QMutexLocker lock(&pending->mutex);
        while (!pending->done && !pending->abandoned)
            pending->changed.wait(&pending->mutex);
        if (!pending->done) return;
        now = std::move(pending->read);
    }
    // Snapshots let go are destroyed after the lock is: the last one of a connection closes its file,
    // a round trip on a share, and the board's thread takes this lock.
    std::shared_ptr<const TableSnapshot> replaced;
    QMutexLocker lock(&mutex_);
    replaced = snapshots_.take(key);
    if (now) snapshots_.insert(key, now);
}

std::shared_ptr<const TableSnapshot> ReadAhead::take(const QString& path, const QString& table) {
    const QString folded = paths::fold(path);
    std::shared_ptr<const TableSnapshot> snapshot;
    {
        QMutexLocker lock(&mutex_);
        snapshot = snapshots_.value(keyOf(folded, table));
    }
    if (!snapshot) return nullptr;
    const quint64 localCommits = LocalCommits::count(folded);
    auto seen = verified_.constFind(folded);
    if (seen != verified_.cend() && seen->localCommits == localCommits)
        return seen->marker == snapshot->marker ? snapshot : nullptr;
    const std::optional<QByteArray> marker = currentMarker(folded, snapshot->markerSource);
    if (!marker) return nullptr;
    if (switches_ > 0) verified_.insert(folded, {*marker, localCommits});
    // Another studio wrote since it was read ahead: the control reads the table itself.
    return *marker == snapshot->marker ? snapshot : nullptr;
}
