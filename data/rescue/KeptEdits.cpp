#include "data/rescue/KeptEdits.h"

#include "data/rescue/KeptPlace.h"
#include "data/storage/Database.h"
#include "data/storage/StorageError.h"
#include "data/storage/WorkerThread.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QSaveFile>
#include <QSemaphore>
#include <QSet>
#include <QStandardPaths>
#include <QUuid>
#include <atomic>
#include <pwd.h>
#include <unistd.h>

namespace {

const QString kEndedBeforeStored = QStringLiteral("the board ended before it was stored");

QJsonObject toJson(const KeptEdit& e) {
    QJsonObject fields, expected;
    for (auto it = e.fields.cbegin(); it != e.fields.cend(); ++it)
        fields.insert(it.key(), it.value());
    for (auto it = e.expected.cbegin(); it != e.expected.cend(); ++it)
        expected.insert(it.key(), it.value().isNull() ? QJsonValue() : QJsonValue(it.value().toString()));
    return {{"file", e.file},       {"folder", e.folder},
            {"table", e.table},     {"key", QString::fromLatin1(e.key)},
            {"fields", fields},     {"expected", expected},
            {"reason", e.reason},   {"conflict", e.conflict},
            {"refused", e.refused}, {"id", e.id}};
}

// Stores written before kept edits had an identity get one as they are read.
void identify(KeptEdit& e) {
    if (e.id.isEmpty()) e.id = QUuid::createUuid().toString(QUuid::WithoutBraces);
}

// The file and its folder apart, never with a password: stores written before they were kept
// apart name the whole path.
void placeApart(KeptEdit& e) {
    if (!e.folder.isEmpty()) return;
    const KeptPlace place = KeptPlace::of(e.file);
    e.folder = place.folder;
    e.file = place.file;
}

KeptEdit fromJson(const QJsonObject& o) {
    KeptEdit e;
    e.file = o.value("file").toString();
    e.folder = o.value("folder").toString();
    e.table = o.value("table").toString();
    e.key = o.value("key").toString().toLatin1();
    const QJsonObject fields = o.value("fields").toObject();
    for (auto it = fields.begin(); it != fields.end(); ++it) {
        const QString text = it.value().toString();
        e.fields.insert(it.key(), text.isNull() ? QStringLiteral("") : text); // typed text is never null
    }
    const QJsonObject expected = o.value("expected").toObject();
    for (auto it = expected.begin(); it != expected.end(); ++it)
        e.expected.insert(it.key(), it.value().isNull() ? QVariant() : QVariant(it.value().toString()));
    e.reason = o.value("reason").toString();
    e.conflict = o.value("conflict").toBool();
    e.id = o.value("id").toString();
    e.refused = o.value("refused").toBool();
    placeApart(e);
    identify(e);
    return e;
}

bool holds(const Recordset& rs, const FieldValues& fields) {
    for (auto it = fields.cbegin(); it != fields.cend(); ++it)
        if (!rs.hasField(it.key()) || rs.value(it.key()).toString() != it.value()) return false;
    return true;
}

bool holdsAnywhere(Recordset& rs, const FieldValues& fields) {
    if (rs.recordCount() == 0) return false;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        if (holds(rs, fields)) return true;
    return false;
}

void store(Recordset& rs, const KeptEdit& e) {
    // A write that reported failure may have landed all the same (the answer was lost, or the board
    // ended between the two): a record already there is not added twice. An update that landed is
    // recognised by the record set itself, which finds its own text instead of a conflict.
    if (e.key.isEmpty()) {
        if (!holdsAnywhere(rs, e.fields)) rs.append(e.fields);
        return;
    }
    try {
        rs.setBookmark(e.key);
    } catch (const StorageError&) {
        throw ConflictError(QStringLiteral("The record was deleted by another user."));
    }
    rs.updateCurrent(e.fields, e.expected);
}

} // namespace

// What the store shares with the work it hands its worker: the file, and what the worker found for
// the board's thread to take in. It outlives the store while a disk holds that work.
struct KeptEdits::Disk {
    explicit Disk(QString storePath) : path(std::move(storePath)) {}

    // Another store read on the worker, to be taken in on the board's thread.
    struct Found {
        QString path;
        QVector<KeptEdit> edits;
        QString said;                    // set aside: what to say of it
        std::shared_ptr<QLockFile> lock; // theirs, held until their file is removed
        bool folderGoesToo = false;
    };

    // On the worker: the newest contents handed over, written whole. Older contents handed over
    // meanwhile are left out: the newest holds everything not yet stored.
    void write() {
        QByteArray contents;
        {
            QMutexLocker lock(&mutex);
            contents = std::exchange(pending, QByteArray());
            writeQueued = false;
        }
        QSaveFile f(path);
        const bool ok = f.open(QIODevice::WriteOnly) && f.write(contents) >= 0 && f.commit();
        if (saved.exchange(ok) == ok) return;
        QMutexLocker lock(&mutex);
        savedChanged = true;
        nudge();
    }

    // Asks the board's thread to take in what is here. With the mutex held: the owner is gone
    // once it says so, and a call queued before that goes with it.
    void nudge() {
        if (KeptEdits* o = owner)
            QMetaObject::invokeMethod(
                o, [o] { o->takeFromDisk(); }, Qt::QueuedConnection);
    }

    const QString path;
    // The store file holds what was last handed to it (or nothing was handed yet).
    std::atomic<bool> saved{true};

    QMutex mutex; // over what follows
    KeptEdits* owner = nullptr;
    QByteArray pending;
    bool writeQueued = false;
    QVector<Found> found;
    bool savedChanged = false;
};

KeptEdits::KeptEdits(QString storePath, QObject* parent)
    : QObject(parent), storePath_(std::move(storePath)), disk_(std::make_shared<Disk>(storePath_)) {
    disk_->owner = this;
    typingSaver_.setSingleShot(true);
    typingSaver_.setInterval(kTypingSavedWithinMs);
    connect(&typingSaver_, &QTimer::timeout, this, &KeptEdits::save);
    loadOwn();
}

KeptEdits::~KeptEdits() {
    flush();
    {
        QMutexLocker lock(&disk_->mutex);
        disk_->owner = nullptr;
    }
    if (lock_) {
        const bool nothingKept = edits_.isEmpty() && typing_.isEmpty();
        worker().post([disk = disk_, nothingKept, lock = std::shared_ptr<QLockFile>(std::move(lock_))] {
            // A board that ends with nothing kept leaves nothing behind for the next start to adopt.
            if (nothingKept && disk->saved) QFile::remove(disk->path);
            // Only after the last write: until then no other board adopts the store.
            lock->unlock();
        });
    }
    // A disk that does not answer now holds the worker, not the end of the program: the end of the
    // program joins what was retired, as long as it may.
    if (worker_ && !worker_->finishWithin(kWrittenAtEndWithinMs)) WorkerThread::retire(std::move(worker_));
}

QString KeptEdits::localFolder() {
    // The user's own data folder on this computer's disk: text not yet stored is the presenter's
    // work, to be kept like a document, never on a share that may stop answering.
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
           QStringLiteral("/kept-edits");
}

QString KeptEdits::oldFolder(const QString& programFolder) {
    const passwd* pw = getpwuid(getuid());
    const QString user = pw ? QString::fromLocal8Bit(pw->pw_name) : QString::number(getuid());
    return programFolder + QStringLiteral("/KeptEdits-%1").arg(user);
}

std::unique_ptr<KeptEdits> KeptEdits::forThisProcess(const QString& folder) {
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString own =
        QStringLiteral("%1/board-%2.json").arg(folder).arg(QCoreApplication::applicationPid());
    auto lock = std::make_unique<QLockFile>(own + QStringLiteral(".lock"));
    // Only a lock whose process has ended is taken over, however old it is.
    lock->setStaleLockTime(0);
    lock->tryLock(0);
    auto kept = std::make_unique<KeptEdits>(own);
    kept->lock_ = std::move(lock);
    kept->adoptFolder(folder, false);
    return kept;
}

std::unique_ptr<KeptEdits> KeptEdits::forThisUser(const QString& programFolder) {
    auto kept = forThisProcess(localFolder());
    // The program folder may be on a share: it is looked at on the worker only, and emptied once.
    const QString old = oldFolder(programFolder);
    kept->adoptFolder(old, true);
    // The single store earlier versions still kept for all of a user's boards.
    kept->adopt(old + QStringLiteral(".json"));
    return kept;
}

void KeptEdits::adoptFolder(const QString& folder, bool folderGoesToo) {
    worker().post([disk = disk_, folder, own = storePath_, folderGoesToo] {
        const QStringList others = QDir(folder).entryList({QStringLiteral("board-*.json")}, QDir::Files);
        for (const QString& name : others)
            if (folder + QLatin1Char('/') + name != own)
                adoptOnWorker(disk, folder + QLatin1Char('/') + name, folderGoesToo);
        if (folderGoesToo) QDir().rmdir(folder);
    });
}

void KeptEdits::adopt(const QString& otherStorePath) {
    worker().post([disk = disk_, otherStorePath] { adoptOnWorker(disk, otherStorePath, false); });
}

void KeptEdits::adoptOnWorker(const std::shared_ptr<Disk>& disk, const QString& path, bool folderGoesToo) {
    if (!QFile::exists(path)) return;
    auto theirs = std::make_shared<QLockFile>(path + QStringLiteral(".lock"));
    theirs->setStaleLockTime(0);
    // A board still running keeps its own store.
    if (!theirs->tryLock(0)) return;
    const Contents contents = read(path);
    Disk::Found found{path, {}, {}, nullptr, folderGoesToo};
    if (!contents.readable) {
        found.said = setAside(path, nullptr);
    } else if (contents.edits.isEmpty()) {
        QFile::remove(path);
        theirs->unlock();
        if (folderGoesToo) QDir().rmdir(QFileInfo(path).path());
        return;
    } else {
        found.edits = contents.edits;
        found.lock = theirs;
    }
    QMutexLocker lock(&disk->mutex);
    disk->found.push_back(std::move(found));
    disk->nudge();
}

// On the board's thread: what the worker found is taken into what is kept, and the stores it came
// from are removed, on the worker, once this store's file holds it.
void KeptEdits::takeFromDisk() {
    QVector<Disk::Found> found;
    bool savedChanged = false;
    {
        QMutexLocker lock(&disk_->mutex);
        found.swap(disk_->found);
        savedChanged = std::exchange(disk_->savedChanged, false);
    }
    if (found.isEmpty() && !savedChanged) return;
    bool adopted = false;
    for (const Disk::Found& f : found) {
        if (!f.said.isEmpty()) setAside_ << f.said;
        edits_ += f.edits;
        adopted = adopted || !f.edits.isEmpty();
    }
    if (adopted) {
        save();
        for (const Disk::Found& f : found) {
            if (f.edits.isEmpty()) continue;
            // Queued after the write above: removed only once its text is safe in this store.
            worker().post([disk = disk_, f] {
                if (!disk->saved) return;
                QFile::remove(f.path);
                f.lock->unlock();
                if (f.folderGoesToo) QDir().rmdir(QFileInfo(f.path).path());
            });
        }
    }
    emit changed(notice());
}

bool KeptEdits::writtenWithin(int ms) {
    const QDeadlineTimer deadline(ms);
    for (;;) {
        if (worker_) {
            auto done = std::make_shared<QSemaphore>();
            worker_->post([done] { done->release(); });
            if (!done->tryAcquire(1, int(std::max<qint64>(0, deadline.remainingTime())))) return false;
        }
        {
            QMutexLocker lock(&disk_->mutex);
            if (disk_->found.isEmpty() && !disk_->savedChanged) return true;
        }
        // What it takes in is written in turn.
        takeFromDisk();
    }
}

WorkerThread& KeptEdits::worker() {
    // Started when first needed: a store that never writes starts no thread.
    if (!worker_) worker_ = std::make_unique<WorkerThread>(QStringLiteral("rescue store"));
    return *worker_;
}

bool KeptEdits::hasRetryable() const {
    for (const KeptEdit& e : edits_)
        if (!e.conflict && inUse(e)) return true;
    return false;
}

void KeptEdits::keep(KeptEdit edit) {
    placeApart(edit);
    identify(edit);
    edits_.push_back(std::move(edit));
    save();
    emit changed(notice());
}

bool KeptEdits::settle(const KeptEdit& edit) {
    for (int i = 0; i < edits_.size(); ++i) {
        const KeptEdit& e = edits_[i];
        // By identity where the caller has it: two kept edits of one record may hold the same text.
        const bool same = edit.id.isEmpty()
                              ? e.file == edit.file && e.folder == edit.folder && e.table == edit.table &&
                                    e.key == edit.key && e.fields == edit.fields
                              : e.id == edit.id;
        if (!same) continue;
        edits_.removeAt(i);
        save();
        emit changed(notice());
        return true;
    }
    return false;
}

std::optional<KeptEdit> KeptEdits::find(const QString& id) const {
    for (const KeptEdit& e : edits_)
        if (e.id == id) return e;
    return std::nullopt;
}

void KeptEdits::typing(const void* source, KeptEdit edit) {
    placeApart(edit);
    edit.reason = kEndedBeforeStored;
    typing_.insert(source, std::move(edit));
    if (!typingSaver_.isActive()) typingSaver_.start();
}

void KeptEdits::settled(const void* source) {
    if (typing_.remove(source) && !typingSaver_.isActive()) typingSaver_.start();
}

// The contents are handed to the worker, not waited for: the write that follows reaches the engine
// through another thread anyway, and what it sends leaves the store only when settled() is called
// after the engine took it, in a write queued behind this one. So the file never lacks text the
// engine has not taken, whatever ends the board in between.
void KeptEdits::flush() {
    if (typingSaver_.isActive()) save();
}

int KeptEdits::retry(DatabaseProvider& provider, const QString& connect, const QStringList& foldersInUse) {
    bool touched = foldersInUse != foldersInUse_;
    foldersInUse_ = foldersInUse;
    int stored = 0;
    // A file that is locked or away costs one wait per round, however much is kept for it.
    QSet<QString> unanswered;
    for (int i = 0; i < edits_.size();) {
        KeptEdit& e = edits_[i];
        const QString path = inUse(e) ? pathOf(e) : QString();
        if (e.conflict || path.isEmpty() || unanswered.contains(path)) {
            ++i;
            continue;
        }
        try {
            auto rs = provider.open(path, connect)->openTable(e.table);
            store(*rs, e);
            edits_.removeAt(i);
            ++stored;
            touched = true;
            continue;
        } catch (const ConflictError& error) {
            e.conflict = true;
            e.reason = error.message();
            touched = true;
        } catch (const StorageError& error) {
            if (error.kind() == FailureKind::Refused) {
                // Refused for this user's rights: no later round can mend that, a person can.
                e.conflict = e.refused = true;
                e.reason = error.message();
                touched = true;
            } else {
                // Still away or locked: tried again next time.
                unanswered.insert(path);
            }
        } catch (const std::exception&) {
            unanswered.insert(path);
        }
        ++i;
    }
    if (touched) {
        save();
        emit changed(notice());
    }
    return stored;
}

bool KeptEdits::inUse(const KeptEdit& edit) const {
    if (foldersInUse_.isEmpty()) return true;
    for (const QString& folder : foldersInUse_)
        if (KeptPlace{edit.folder, edit.file}.isIn(folder)) return true;
    return false;
}

// The file's path through the folder the board uses now, password and all.
QString KeptEdits::pathOf(const KeptEdit& edit) const {
    QString through = edit.folder;
    for (const QString& used : foldersInUse_)
        if (KeptPlace{edit.folder, edit.file}.isIn(used)) through = used;
    return through.isEmpty() ? edit.file : through + QLatin1Char('/') + edit.file;
}

QString KeptEdits::notice() const {
    const QString setAside = setAside_.join(QLatin1Char(' '));
    if (edits_.isEmpty()) return setAside;
    const KeptEdit& last = edits_.back();
    QStringList fields = last.fields.keys();
    const QString what = QStringLiteral("%1 in %2, %3 (%4)")
                             .arg(last.file, last.folder, last.table, fields.join(QStringLiteral(", ")));
    QString how;
    if (last.refused)
        how = QStringLiteral("not stored: %1 It waits in History, where it can be taken once the folder "
                             "is writable.")
                  .arg(last.reason);
    else if (last.conflict)
        // The presenter settles it where the file's version is shown beside the kept text.
        how = QStringLiteral(
                  "not stored: %1 Both versions are side by side in History, where either can be taken.")
                  .arg(last.reason);
    else if (!inUse(last))
        how = QStringLiteral("not stored: the board no longer uses %1").arg(last.folder);
    else
        how = QStringLiteral("not yet stored, will be tried again: %1").arg(last.reason);
    const QString count =
        edits_.size() == 1 ? QString() : QStringLiteral(" (%1 kept in all)").arg(edits_.size());
    const QString where =
        disk_->saved ? QStringLiteral("on this computer in %1").arg(storePath_)
                     : QStringLiteral("until the board closes (%1 cannot be written)").arg(storePath_);
    const QString kept = QStringLiteral("Typed text kept %1%2. %3 %4").arg(where, count, what, how);
    return setAside.isEmpty() ? kept : setAside + QLatin1Char(' ') + kept;
}

KeptEdits::Contents KeptEdits::read(const QString& path) {
    Contents contents;
    QFile f(path);
    if (!f.exists()) return contents;
    if (!f.open(QIODevice::ReadOnly)) {
        contents.readable = false;
        return contents;
    }
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(f.readAll(), &error);
    if (error.error != QJsonParseError::NoError || (!doc.isArray() && !doc.isObject())) {
        contents.readable = false;
        return contents;
    }
    // Stores written before typing was saved as it went hold a bare list of kept edits.
    const QJsonArray kept = doc.isArray() ? doc.array() : doc.object().value("kept").toArray();
    for (const QJsonValue& v : kept)
        contents.edits.push_back(fromJson(v.toObject()));
    // Typing that was never acknowledged is kept text now, written or offered like any other.
    for (const QJsonValue& v : doc.object().value("typing").toArray()) {
        KeptEdit e = fromJson(v.toObject());
        e.reason = kEndedBeforeStored;
        contents.edits.push_back(std::move(e));
    }
    return contents;
}

void KeptEdits::loadOwn() {
    const Contents contents = read(storePath_);
    if (contents.readable) {
        edits_ = contents.edits;
        return;
    }
    bool renamed = false;
    setAside_ << setAside(storePath_, &renamed);
    // Never written over: what it holds may still be rescued by hand.
    if (!renamed) writable_ = false;
}

QString KeptEdits::setAside(const QString& path, bool* renamed) {
    const QString aside =
        path + QStringLiteral(".unreadable-") + QDateTime::currentDateTimeUtc().toString("yyyyMMdd-HHmmss");
    const bool ok = QFile::rename(path, aside);
    if (renamed) *renamed = ok;
    if (ok)
        return QStringLiteral("Kept text in %1 could not be read; the file was set aside as %2.")
            .arg(path, aside);
    return QStringLiteral("Kept text in %1 could not be read and is left as it is.").arg(path);
}

// The contents now, handed to the worker to write; when it cannot be written the text is still kept
// in memory and written again with the next change during this run, and the notice says a restart
// would lose it.
void KeptEdits::save() {
    typingSaver_.stop();
    if (!writable_) {
        disk_->saved = false;
        return;
    }
    QJsonArray kept, typing;
    for (const KeptEdit& e : edits_)
        kept.push_back(toJson(e));
    for (const KeptEdit& e : typing_)
        typing.push_back(toJson(e));
    const QJsonObject all{{"kept", kept}, {"typing", typing}};
    {
        QMutexLocker lock(&disk_->mutex);
        disk_->pending = QJsonDocument(all).toJson();
        if (std::exchange(disk_->writeQueued, true)) return;
    }
    worker().post([disk = disk_] { disk->write(); });
}
