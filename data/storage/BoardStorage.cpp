#include "data/storage/BoardStorage.h"

#include "data/catalogue/Paths.h"
#include "data/history/HistorySource.h"
#include "data/storage/AskedOnItsOwn.h"
#include "data/storage/CopyInstead.h"
#include "data/storage/PgConnection.h"

#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QWaitCondition>
#include <thread>

namespace {

// What a statement not answered in time fails with, in the words of the place it went to.
std::exception_ptr lateFor(const QString& path) {
    if (paths::isServer(path)) return std::make_exception_ptr(AnswerLateError(kServerNotAnswering));
    return std::make_exception_ptr(ShareNotAnsweringError());
}

// The file's name as a failure gives it: the file alone, its folder or server being the failure's place.
QString fileNameOf(const QString& path) {
    if (paths::isServer(path)) return paths::splitServerFile(path).file;
    return QFileInfo(paths::fold(path)).fileName();
}

// A failure of what is asked about a file says which file it was of, so that what shows it can name
// the file and not only its folder. A place that does not answer is the folder's, not one file's.
template <class Ask> auto naming(const QString& file, Ask&& ask) -> decltype(ask()) {
    try {
        return ask();
    } catch (const AnswerLateError&) {
        throw;
    } catch (StorageError& failure) {
        if (failure.file().isEmpty()) failure.setFile(file);
        throw;
    }
}

template <class T>
T askAbout(StorageThread& thread, const QString& file, std::function<T()> work,
           const std::exception_ptr& late) {
    return naming(file, [&] { return thread.ask<T>(std::move(work), late); });
}
void askAbout(StorageThread& thread, const QString& file, std::function<void()> work,
              const std::exception_ptr& late) {
    naming(file, [&] { thread.ask(std::move(work), late); });
}

// A record set whose every reading and writing of the file runs on the storage thread. What it
// shows between statements (position, current record) is the engine's record set's own, read on
// the board's thread only while no statement of it runs. Once a statement goes unanswered it is
// frozen as it was before that statement: the board goes on showing that, and opens it afresh.
class BoundedRecordset : public Recordset {
  public:
    BoundedRecordset(std::shared_ptr<Recordset> inner, std::shared_ptr<StorageThread> thread,
                     std::exception_ptr late, QString file)
        : inner_(std::move(inner)), thread_(std::move(thread)), late_(std::move(late)),
          file_(std::move(file)), table_(inner_->tableName()), fields_(inner_->fieldNames()) {}
    ~BoundedRecordset() override {
        thread_->post([inner = std::move(inner_)] {});
    }

    QString tableName() const override { return table_; }
    QStringList fieldNames() const override { return fields_; }
    bool hasField(const QString& field) const override {
        return fields_.contains(field, Qt::CaseInsensitive);
    }

    bool bof() const override { return frozen_ ? frozen_->bof : inner_->bof(); }
    bool eof() const override { return frozen_ ? frozen_->eof : inner_->eof(); }
    bool hasCurrent() const override { return frozen_ ? frozen_->hasCurrent : inner_->hasCurrent(); }
    int recordCount() const override { return frozen_ ? frozen_->count : inner_->recordCount(); }
    QByteArray bookmark() const override {
        if (!frozen_) return inner_->bookmark();
        if (!frozen_->hasCurrent) throw StorageError(QStringLiteral("No current record."));
        return frozen_->bookmark;
    }
    QVariant value(const QString& field) const override {
        if (!frozen_) return inner_->value(field);
        if (!hasField(field)) throw StorageError(QStringLiteral("Item not found in this collection."));
        if (!frozen_->hasCurrent) throw StorageError(QStringLiteral("No current record."));
        return frozen_->values.value(field.toLower());
    }
    bool usable() const override { return !frozen_ && inner_->usable(); }

    void moveFirst() override {
        act([](Recordset& rs) { return rs.moveFirst(), false; });
    }
    void movePrevious() override {
        act([](Recordset& rs) { return rs.movePrevious(), false; });
    }
    void moveNext() override {
        act([](Recordset& rs) { return rs.moveNext(), false; });
    }
    void moveLast() override {
        act([](Recordset& rs) { return rs.moveLast(), false; });
    }
    void setBookmark(const QByteArray& bookmark) override {
        act([bookmark](Recordset& rs) { return rs.setBookmark(bookmark), false; });
    }
    bool findFirst(const QString& field, const QString& value) override {
        return act([field, value](Recordset& rs) { return rs.findFirst(field, value); });
    }
    void updateCurrent(const FieldValues& changes, const ExpectedValues& expected) override {
        act([changes, expected](Recordset& rs) { return rs.updateCurrent(changes, expected), false; });
    }
    void append(const FieldValues& values) override {
        act([values](Recordset& rs) { return rs.append(values), false; });
    }
    void deleteCurrent() override {
        act([](Recordset& rs) { return rs.deleteCurrent(), false; });
    }
    void reread() override {
        act([](Recordset& rs) { return rs.reread(), false; });
    }

  private:
    struct Seen {
        bool bof = true, eof = true, hasCurrent = false;
        int count = 0;
        QByteArray bookmark;
        QHash<QString, QVariant> values; // by lower-case field name
    };

    Seen seenNow() const {
        Seen seen{inner_->bof(), inner_->eof(), inner_->hasCurrent(), inner_->recordCount(), {}, {}};
        if (seen.hasCurrent) {
            seen.bookmark = inner_->bookmark();
            for (const QString& f : fields_)
                seen.values.insert(f.toLower(), inner_->value(f));
        }
        return seen;
    }

    // One statement of the record set, run there; the work captures what it needs by value.
    bool act(std::function<bool(Recordset&)> work) {
        if (frozen_) std::rethrow_exception(late_);
        Seen before = seenNow();
        try {
            return askAbout<bool>(
                *thread_, file_, [inner = inner_, work = std::move(work)] { return work(*inner); }, late_);
        } catch (const AnswerLateError&) {
            frozen_ = std::move(before);
            throw;
        }
    }

    std::shared_ptr<Recordset> inner_;
    std::shared_ptr<StorageThread> thread_;
    std::exception_ptr late_;
    QString file_;
    QString table_;
    QStringList fields_;
    std::optional<Seen> frozen_;
};

} // namespace

namespace {

// A database whose every statement runs on the storage thread; the engine's database is let go of
// there too, since closing a file is itself a call to the share. Its history, where the engine's
// database keeps one, is asked the same way.
class BoundedDatabase : public Database, public HistorySource {
  public:
    BoundedDatabase(std::shared_ptr<Database> inner, std::shared_ptr<StorageThread> thread)
        : inner_(std::move(inner)), thread_(std::move(thread)), path_(inner_->path()), late_(lateFor(path_)),
          file_(fileNameOf(path_)) {}
    ~BoundedDatabase() override {
        thread_->post([inner = std::move(inner_)] {});
    }

    QString path() const override { return path_; }
    std::unique_ptr<Recordset> openTable(const QString& table) override {
        return bounded(askAbout<std::shared_ptr<Recordset>>(
            *thread_, file_,
            [inner = inner_, table] { return std::shared_ptr<Recordset>(inner->openTable(table)); }, late_));
    }
    std::unique_ptr<Recordset> openTable(const TableSnapshot& snapshot) override {
        return bounded(askAbout<std::shared_ptr<Recordset>>(
            *thread_, file_,
            [inner = inner_, snapshot] { return std::shared_ptr<Recordset>(inner->openTable(snapshot)); },
            late_));
    }
    quint64 changeStamp() override {
        return askAbout<quint64>(
            *thread_, file_, [inner = inner_] { return inner->changeStamp(); }, late_);
    }
    qint64 lastKey(const QString& table) override {
        return askAbout<qint64>(
            *thread_, file_, [inner = inner_, table] { return inner->lastKey(table); }, late_);
    }
    // Each read goes on its own: reads handed over together could outlive their caller's frame.
    void readTogether(const std::function<void()>& reads) override { reads(); }
    OpenedTable openAtFirst(const QString& table) override {
        auto opened = askAbout<std::pair<std::shared_ptr<Recordset>, std::optional<quint64>>>(
            *thread_, file_,
            [inner = inner_, table] {
                OpenedTable read = inner->openAtFirst(table);
                return std::make_pair(std::shared_ptr<Recordset>(std::move(read.records)), read.stamp);
            },
            late_);
        return {bounded(std::move(opened.first)), opened.second};
    }
    std::shared_ptr<const TableSnapshot> snapshot(const QString& table,
                                                  std::shared_ptr<const TableSnapshot> previous) override {
        return askAbout<std::shared_ptr<const TableSnapshot>>(
            *thread_, file_, [inner = inner_, table, previous] { return inner->snapshot(table, previous); },
            late_);
    }

    bool keepsHistory() override {
        return askAbout<bool>(
            *thread_, file_, [inner = inner_] { return historyOf(*inner).keepsHistory(); }, late_);
    }
    // A long history outlasts the board's wait even on a healthy disk: the answer that comes late
    // is kept, and the window that asks again once it came is given it at once.
    QVector<HistoryEntry> historyEntries(const HistoryFilter& filter) override {
        {
            QMutexLocker lock(&lateHistory_->mutex);
            if (lateHistory_->entries && lateHistory_->filter == filter) {
                QVector<HistoryEntry> entries = std::move(*lateHistory_->entries);
                lateHistory_->entries.reset();
                return entries;
            }
        }
        QVector<HistoryEntry> entries = askAbout<QVector<HistoryEntry>>(
            *thread_, file_,
            [inner = inner_, filter, kept = lateHistory_] {
                QVector<HistoryEntry> entries = historyOf(*inner).historyEntries(filter);
                QMutexLocker lock(&kept->mutex);
                kept->filter = filter;
                kept->entries = entries;
                return entries;
            },
            late_);
        // In time: nothing is kept for a next ask, which reads afresh.
        QMutexLocker lock(&lateHistory_->mutex);
        lateHistory_->entries.reset();
        return entries;
    }
    int pruneHistoryBefore(const QDateTime& edge) override {
        return askAbout<int>(
            *thread_, file_, [inner = inner_, edge] { return historyOf(*inner).pruneHistoryBefore(edge); },
            late_);
    }
    void addHistoryEntries(const QVector<HistoryEntry>& entries) override {
        askAbout(
            *thread_, file_, [inner = inner_, entries] { historyOf(*inner).addHistoryEntries(entries); },
            late_);
    }
    void reinsertRecord(const QString& table, qint64 key, const RecordValues& values) override {
        askAbout(
            *thread_, file_,
            [inner = inner_, table, key, values] { historyOf(*inner).reinsertRecord(table, key, values); },
            late_);
    }

  private:
    // An engine's database without a history keeps none, and cannot take one.
    class NoHistory : public HistorySource {
      public:
        bool keepsHistory() override { return false; }
        QVector<HistoryEntry> historyEntries(const HistoryFilter&) override { return {}; }
        int pruneHistoryBefore(const QDateTime&) override { return 0; }
        void addHistoryEntries(const QVector<HistoryEntry>&) override { refuse(); }
        void reinsertRecord(const QString&, qint64, const RecordValues&) override { refuse(); }

      private:
        [[noreturn]] static void refuse() {
            throw StorageError(QStringLiteral("This file keeps no history."));
        }
    };
    static HistorySource& historyOf(Database& inner) {
        static NoHistory none;
        auto* source = dynamic_cast<HistorySource*>(&inner);
        return source ? *source : none;
    }

    std::unique_ptr<Recordset> bounded(std::shared_ptr<Recordset> inner) const {
        return std::make_unique<BoundedRecordset>(std::move(inner), thread_, late_, file_);
    }

    struct LateHistory {
        QMutex mutex;
        HistoryFilter filter;
        std::optional<QVector<HistoryEntry>> entries;
    };

    std::shared_ptr<Database> inner_;
    std::shared_ptr<StorageThread> thread_;
    QString path_;
    std::exception_ptr late_;
    QString file_;
    std::shared_ptr<LateHistory> lateHistory_ = std::make_shared<LateHistory>();
};

} // namespace

BoardStorage::BoardStorage(int waitMs)
    : waitMs_(waitMs), ahead_(std::make_shared<WorkAhead>()), engines_(std::make_shared<RoutingProvider>()) {}

BoardStorage::~BoardStorage() {
    QMutexLocker lock(&workersMutex_);
    // The engines close their connections on a worker, whichever lets go of them last. The board's
    // own reference goes to a lookout too, never dropped here: a worker that has already let go
    // would leave the last close, and a stopped share's fstat, to the board's thread.
    for (const auto& worker : std::as_const(workers_))
        worker->post([engines = engines_] {});
    Lookouts::post(QStringLiteral("let go"), [engines = std::move(engines_)] {});
}

QString BoardStorage::placeOf(const QString& path) {
    if (paths::isServer(path)) return paths::splitServerFile(path).server;
    return QFileInfo(paths::fold(path)).path();
}

std::shared_ptr<StorageThread> BoardStorage::workerFor(const QString& path) {
    const QString place = placeOf(path);
    QMutexLocker lock(&workersMutex_);
    std::shared_ptr<StorageThread>& worker = workers_[place];
    if (!worker) worker = std::make_shared<StorageThread>(waitMs_, paths::withoutPassword(place));
    return worker;
}

void BoardStorage::setWaitMs(int ms) {
    QMutexLocker lock(&workersMutex_);
    waitMs_ = ms;
    for (const auto& worker : std::as_const(workers_))
        worker->setWaitMs(ms);
}

std::shared_ptr<Database> BoardStorage::open(const QString& path, const QString& connect) {
    const std::shared_ptr<StorageThread> worker = workerFor(path);
    // A place known to be silent is not asked at all: a file opened ahead would open from memory
    // and then fail at its first table, leaving the board on what it showed before.
    if (silentAt(path))
        if (std::shared_ptr<Database> copy = openCopy(path, connect, worker)) return copy;
    try {
        return bounded(askAbout<std::shared_ptr<Database>>(
                           *worker, fileNameOf(path),
                           [engines = engines_, path, connect] { return engines->open(path, connect); },
                           lateFor(path)),
                       worker);
    } catch (const AnswerLateError& e) {
        // Only a place that does not answer: a slow one answers in a moment, and the board waits.
        if (e.kind() != FailureKind::Silent && !silentAt(path)) throw;
        std::shared_ptr<Database> copy = openCopy(path, connect, worker);
        if (!copy) throw;
        return copy;
    }
}

std::shared_ptr<Database> BoardStorage::openCopy(const QString& path, const QString& connect,
                                                 const std::shared_ptr<StorageThread>& place) {
    const LocalCopies* copies = localCopies();
    if (!copies) return nullptr;
    const LocalCopies::Copy copy = copies->copyOf(path);
    if (copy.path.isEmpty()) return nullptr;
    const std::shared_ptr<StorageThread> local = workerFor(copy.path);
    std::shared_ptr<Database> opened;
    try {
        opened = local->ask<std::shared_ptr<Database>>(
            [engines = engines_, file = copy.path, connect] { return engines->open(file, connect); },
            lateFor(copy.path));
    } catch (const StorageError&) {
        // A copy that cannot be read is no copy: the board goes on as without one.
        return nullptr;
    }
    {
        QMutexLocker lock(&workersMutex_);
        copyShown_.insert(placeOf(path), {path, copy.madeAt});
    }
    std::weak_ptr<StorageThread> watched = place;
    return bounded(copyInstead(std::move(opened), path, lateFor(path),
                               [watched, path] { return stillSilent(watched.lock(), path); }),
                   local);
}

bool BoardStorage::stillSilent(const std::shared_ptr<StorageThread>& place, const QString& path) {
    // Found silent by the board's own question, or by the watcher's, which the engine then refuses
    // to ask.
    return place && (place->silent() || UnansweredFolders::stillWaitingForFile(path));
}

DatabaseProvider::Unanswered BoardStorage::unanswered(const QStringList& files) const {
    Unanswered longest = DatabaseProvider::unanswered(files);
    const auto consider = [&](const QString& place, const StorageThread* worker) {
        const qint64 ms = worker ? worker->unansweredForMs() : -1;
        if (ms > longest.forMs) longest = {paths::withoutPassword(place), ms};
    };
    QMutexLocker lock(&workersMutex_);
    if (files.isEmpty())
        for (auto it = workers_.cbegin(); it != workers_.cend(); ++it)
            consider(it.key(), it->get());
    for (const QString& file : files)
        if (!file.isEmpty()) consider(placeOf(file), workers_.value(placeOf(file)).get());
    return longest;
}

bool BoardStorage::silentAt(const QString& path) const {
    // Its worker may be held by work nobody waits for (a connection let go), so that the board's own
    // questions are only late yet while the watcher's has long gone unanswered: either says it.
    return unanswered({path}).forMs >= kSilentAfterMs;
}

QDateTime BoardStorage::showingCopyOf() {
    QMutexLocker lock(&workersMutex_);
    QDateTime oldest;
    for (auto it = copyShown_.begin(); it != copyShown_.end();) {
        if (!stillSilent(workers_.value(it.key()), it->path)) {
            it = copyShown_.erase(it);
            continue;
        }
        if (!oldest.isValid() || it->madeAt < oldest) oldest = it->madeAt;
        ++it;
    }
    return oldest;
}

// Files opened ahead of need, on workers of their own that own what they touch: the thread that
// asked waits for them only while the board wants them.
struct BoardStorage::WorkAhead {
    QMutex mutex;
    QWaitCondition changed;
    bool wanted = true;
};

void BoardStorage::setWorkAheadWanted(bool wanted) {
    QMutexLocker lock(&ahead_->mutex);
    ahead_->wanted = wanted;
    ahead_->changed.wakeAll();
}

QVector<std::shared_ptr<const TableSnapshot>>
BoardStorage::openAheadReading(const QString& path, const QString& connect, const QStringList& tables) {
    struct Read {
        bool done = false;
        QVector<std::shared_ptr<const TableSnapshot>> snapshots;
    };
    auto read = std::make_shared<Read>();
    // A few workers for the files opened ahead, so that on a share their round trips overlap; the
    // engines guard what they share with the other workers.
    constexpr uint kAheadWorkers = 4;
    const QString ahead = QStringLiteral("ahead %1").arg(qHash(paths::fold(path)) % kAheadWorkers);
    Lookouts::post(ahead, [engines = engines_, ahead = ahead_, read, path, connect, tables] {
        auto snapshots = engines->openAheadReading(path, connect, tables);
        QMutexLocker lock(&ahead->mutex);
        read->snapshots = std::move(snapshots);
        read->done = true;
        ahead->changed.wakeAll();
    });
    QMutexLocker lock(&ahead_->mutex);
    while (!read->done && ahead_->wanted)
        ahead_->changed.wait(&ahead_->mutex);
    return read->snapshots;
}

std::shared_ptr<Database> BoardStorage::openKnown(const QString& path, const QString& connect,
                                                  const TableSnapshot& snapshot) {
    const std::shared_ptr<StorageThread> worker = workerFor(path);
    try {
        return bounded(worker->ask<std::shared_ptr<Database>>(
                           [engines = engines_, path, connect, snapshot] {
                               return engines->openKnown(path, connect, snapshot);
                           },
                           lateFor(path)),
                       worker);
    } catch (const AnswerLateError& e) {
        // Opened as any other file then: from its copy, if one is kept.
        if ((e.kind() == FailureKind::Silent || silentAt(path)) && localCopies()) return nullptr;
        throw;
    }
}

std::shared_ptr<Database> BoardStorage::bounded(std::shared_ptr<Database> inner,
                                                std::shared_ptr<StorageThread> worker) {
    if (!inner) return nullptr;
    return std::make_shared<BoundedDatabase>(std::move(inner), std::move(worker));
}

bool BoardStorage::exists(const QString& path) {
    return workerFor(path)->ask<bool>([engines = engines_, path] { return engines->exists(path); },
                                      lateFor(path));
}

void BoardStorage::create(const QString& path, const std::function<void(FileBuilder&)>& build) {
    askAbout(
        *workerFor(path), fileNameOf(path),
        [engines = engines_, path, build] { engines->create(path, build); }, lateFor(path));
}
