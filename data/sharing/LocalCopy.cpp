#include "data/sharing/LocalCopy.h"

#include "data/catalogue/Catalogue.h"
#include "data/catalogue/Paths.h"
#include "data/sharing/FileCopy.h"
#include "data/storage/AskedOnItsOwn.h"
#include "data/storage/Engines.h"
#include "data/storage/StorageError.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QSaveFile>
#include <QStandardPaths>
#include <QWaitCondition>
#include <cstdio>
#include <optional>

namespace {

// As long as the change watcher gives a share to answer before it is taken to hang.
constexpr int kHungAfterMs = 3 * kBusyTimeoutMs;
// The note of when the copy was last whole is written again at most this often while nothing changes.
constexpr qint64 kNoteEveryMs = 60 * 1000;
const QString kPlaceNote = QStringLiteral("place.txt");

// The place a live file lies in, as its copy's folder is named: the folder, or the server's address
// without its password.
QString placeKeyOf(const QString& livePath) {
    if (paths::isServer(livePath)) return paths::withoutPassword(paths::splitServerFile(livePath).server);
    return QFileInfo(paths::fold(livePath)).path();
}

QString fileNameOf(const QString& livePath) {
    if (paths::isServer(livePath)) return paths::splitServerFile(livePath).file;
    return QFileInfo(paths::fold(livePath)).fileName();
}

// Only this user may look in.
void makeOwnFolder(const QString& folder) {
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

} // namespace

struct LocalCopy::Shared {
    struct Known {
        QString place;
        QDateTime madeAt;
    };

    ProviderFactory factory;
    QString root;
    QString connect;
    Now now;
    int intervalMs;
    engines::NewFileKey key; // one salt and one key derivation for the whole copy

    QMutex mutex; // guards what follows
    QWaitCondition wake;
    QWaitCondition roundDone;
    bool stopping = false;
    QString place;
    int roundsBegun = 0;
    int roundsDone = 0;
    bool roundWanted = false; // by one waiting for the copy: the next round starts at once
    bool lastRoundComplete = false;
    QHash<QString, Known> known; // by place, as its folder's note says

    bool wait(); // false once stopped
    // One round over the place's files; whether every one is copied and up to date.
    bool copyRound(DatabaseProvider& provider, const QString& from, QHash<QString, quint64>& stamps);
    void copyFile(Database& source, const catalogue::FileSpec& file, const QString& copyPath);
    void markComplete(const QString& placeKey, const QString& folder);
};

LocalCopy::LocalCopy(ProviderFactory factory, QString root, QString connect, Now now, int intervalMs)
    : shared_(std::make_shared<Shared>()) {
    shared_->factory = std::move(factory);
    shared_->root = std::move(root);
    shared_->connect = std::move(connect);
    shared_->now = std::move(now);
    shared_->intervalMs = intervalMs;
}

LocalCopy::~LocalCopy() {
    stop();
}

QString LocalCopy::userRoot() {
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + QStringLiteral("/copies");
}

void LocalCopy::setPlace(const QString& place) {
    QMutexLocker lock(&shared_->mutex);
    if (place == shared_->place) return;
    shared_->place = place;
    shared_->wake.wakeAll();
}

void LocalCopy::start() {
    if (thread_) return;
    {
        QMutexLocker lock(&shared_->mutex);
        shared_->stopping = false;
    }
    thread_ = std::make_unique<WorkerThread>(QStringLiteral("local copy"));
    thread_->post([shared = shared_] { run(shared); });
}

void LocalCopy::stop() {
    if (!thread_) return;
    {
        QMutexLocker lock(&shared_->mutex);
        shared_->stopping = true;
        shared_->wake.wakeAll();
        shared_->roundDone.wakeAll();
    }
    // A file being copied when the share stopped answering holds the thread until it answers.
    constexpr int kCloseWaitMs = 1000;
    if (!thread_->finishWithin(kCloseWaitMs)) WorkerThread::retire(std::move(thread_));
    thread_.reset();
}

bool LocalCopy::Shared::wait() {
    QMutexLocker lock(&mutex);
    if (!stopping && !roundWanted) wake.wait(&mutex, QDeadlineTimer(intervalMs));
    return !stopping;
}

bool LocalCopy::waitUntilCurrent(int ms) {
    const QDeadlineTimer deadline(ms);
    Shared& s = *shared_;
    QMutexLocker lock(&s.mutex);
    // A round begun before the call may have missed what was written just before it.
    const int wanted = s.roundsBegun + 1;
    s.roundWanted = true;
    s.wake.wakeAll();
    while (s.roundsDone < wanted && !s.stopping)
        if (!s.roundDone.wait(&s.mutex, deadline)) return false;
    return s.roundsDone >= wanted && s.lastRoundComplete;
}

void LocalCopy::run(const std::shared_ptr<Shared>& shared) {
    Shared& s = *shared;
    std::unique_ptr<DatabaseProvider> provider = s.factory();
    QHash<QString, quint64> stamps; // as this thread's connections saw them when they copied
    QString copied;
    do {
        QString place;
        {
            QMutexLocker lock(&s.mutex);
            place = s.place;
            ++s.roundsBegun;
            s.roundWanted = false;
        }
        if (place != copied) stamps.clear();
        copied = place;
        const bool complete = !place.isEmpty() && s.copyRound(*provider, place, stamps);
        QMutexLocker lock(&s.mutex);
        ++s.roundsDone;
        s.lastRoundComplete = complete;
        s.roundDone.wakeAll();
    } while (s.wait());
    // Its connections closed elsewhere: the board closing does not wait for a share that hangs.
    letGoAside(std::move(provider));
}

bool LocalCopy::Shared::copyRound(DatabaseProvider& provider, const QString& from,
                                  QHash<QString, quint64>& stamps) {
    bool complete = true;
    QString placeKey, folder;
    for (const catalogue::FileSpec& file : catalogue::files()) {
        if (file.folder != catalogue::Folder::Data) continue;
        const QString live = from + file.constant;
        if (folder.isEmpty()) {
            makeOwnFolder(root);
            placeKey = placeKeyOf(live);
            folder = folderFor(root, live);
            makeOwnFolder(folder);
        }
        // A share known to hang is left alone until it answers: the copy is what the board needs then.
        if (UnansweredFolders::stillWaitingForFile(live)) return false;
        const QString copyPath = folder + QLatin1Char('/') + fileNameOf(live);
        try {
            const std::shared_ptr<Database> db = provider.open(live, connect);
            const std::optional<quint64> stamp = AskedOnItsOwn<quint64>(QFileInfo(live).path(), [db] {
                                                     return db->changeStamp();
                                                 }).answerWithin(kHungAfterMs);
            if (!stamp) {
                complete = false;
                continue;
            }
            if (stamps.contains(live) && stamps.value(live) == *stamp && QFileInfo::exists(copyPath))
                continue;
            copyFile(*db, file, copyPath);
            stamps.insert(live, *stamp);
        } catch (const StorageError& e) {
            if (e.kind() == FailureKind::Missing) {
                // Not there: nor is it in the copy, which shows what the place holds.
                QFile::remove(copyPath);
                stamps.remove(live);
                continue;
            }
            complete = false;
        }
    }
    if (complete) markComplete(placeKey, folder);
    return complete;
}

void LocalCopy::Shared::copyFile(Database& source, const catalogue::FileSpec& file, const QString& copyPath) {
    // Built aside and put in place whole: the board reads the old copy or the new one, never half of one.
    const QString passing = copyPath + QStringLiteral(".part");
    QFile::remove(passing);
    {
        std::unique_ptr<FileBuilder> builder = engines::createFile(passing, key);
        copyFileContent(source, file, *builder, WithHistory::No);
        builder->commit();
    }
    QFile::setPermissions(passing, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (std::rename(QFile::encodeName(passing).constData(), QFile::encodeName(copyPath).constData()) != 0) {
        QFile::remove(passing);
        throw StorageError(QStringLiteral("The copy %1 could not be put in place.").arg(copyPath));
    }
}

QString LocalCopy::folderFor(const QString& root, const QString& livePath) {
    const QByteArray hash =
        QCryptographicHash::hash(placeKeyOf(livePath).toUtf8(), QCryptographicHash::Sha256).toHex();
    return root + QLatin1Char('/') + QString::fromLatin1(hash.left(24));
}

void LocalCopy::Shared::markComplete(const QString& placeKey, const QString& folder) {
    const QDateTime madeAt = now();
    QDateTime noted;
    {
        QMutexLocker lock(&mutex);
        noted = known.value(placeKey).madeAt;
        known.insert(placeKey, {placeKey, madeAt});
    }
    // The note says which place the copy is of, and when it was last whole: a board started while the
    // place does not answer shows it. Written again only now and then while nothing changes.
    if (noted.isValid() && noted.msecsTo(madeAt) < kNoteEveryMs &&
        QFileInfo::exists(folder + QLatin1Char('/') + kPlaceNote))
        return;
    QSaveFile note(folder + QLatin1Char('/') + kPlaceNote);
    if (!note.open(QIODevice::WriteOnly)) return;
    note.write(
        (placeKey + QLatin1Char('\n') + madeAt.toString(Qt::ISODateWithMs) + QLatin1Char('\n')).toUtf8());
    note.commit();
}

LocalCopies::Copy LocalCopy::copyOf(const QString& livePath) const {
    const QString placeKey = placeKeyOf(livePath);
    const QString folder = folderFor(shared_->root, livePath);
    QMutexLocker lock(&shared_->mutex);
    auto it = shared_->known.find(placeKey);
    if (it == shared_->known.end()) {
        Shared::Known read;
        QFile note(folder + QLatin1Char('/') + kPlaceNote);
        if (note.open(QIODevice::ReadOnly)) {
            const QStringList lines = QString::fromUtf8(note.readAll()).split(QLatin1Char('\n'));
            if (lines.size() >= 2) read = {lines[0], QDateTime::fromString(lines[1], Qt::ISODateWithMs)};
        }
        it = shared_->known.insert(placeKey, read);
    }
    // A copy of another place (a hash shared by chance, a folder moved by hand) is never shown.
    if (it->place != placeKey || !it->madeAt.isValid()) return {};
    const QString file = folder + QLatin1Char('/') + fileNameOf(livePath);
    if (!QFileInfo::exists(file)) return {};
    return {file, it->madeAt};
}
