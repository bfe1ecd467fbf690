#include "data/sharing/LocalCopy.h"

#include "data/catalogue/Catalogue.h"
#include "data/catalogue/Paths.h"
#include "data/sharing/FileCopy.h"
#include "data/storage/AskedOnItsOwn.h"
#include "data/storage/StorageError.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
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

LocalCopy::LocalCopy(ProviderFactory factory, QString root, QString connect, Now now, int intervalMs)
    : factory_(std::move(factory)), root_(std::move(root)), connect_(std::move(connect)),
      now_(std::move(now)), intervalMs_(intervalMs) {}

LocalCopy::~LocalCopy() {
    stop();
}

QString LocalCopy::userRoot() {
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + QStringLiteral("/copies");
}

void LocalCopy::setPlace(const QString& place) {
    QMutexLocker lock(&mutex_);
    if (place == place_) return;
    place_ = place;
    wake_.wakeAll();
}

void LocalCopy::start() {
    if (thread_) return;
    {
        QMutexLocker lock(&mutex_);
        stopping_ = false;
    }
    thread_ = std::make_unique<WorkerThread>(QStringLiteral("local copy"));
    thread_->post([this] { run(); });
}

void LocalCopy::stop() {
    if (!thread_) return;
    {
        QMutexLocker lock(&mutex_);
        stopping_ = true;
        wake_.wakeAll();
    }
    // A file being copied when the share stopped answering holds the thread until it answers.
    thread_.reset();
}

bool LocalCopy::wait() {
    QMutexLocker lock(&mutex_);
    if (!stopping_ && !roundWanted_) wake_.wait(&mutex_, QDeadlineTimer(intervalMs_));
    return !stopping_;
}

bool LocalCopy::waitUntilCurrent(int ms) {
    const QDeadlineTimer deadline(ms);
    QMutexLocker lock(&mutex_);
    // A round begun before the call may have missed what was written just before it.
    const int wanted = roundsBegun_ + 1;
    roundWanted_ = true;
    wake_.wakeAll();
    while (roundsDone_ < wanted && !stopping_)
        if (!roundDone_.wait(&mutex_, deadline)) return false;
    return roundsDone_ >= wanted && lastRoundComplete_;
}

void LocalCopy::run() {
    std::unique_ptr<DatabaseProvider> provider = factory_();
    QHash<QString, quint64> stamps; // as this thread's connections saw them when they copied
    QString copied;
    do {
        QString place;
        {
            QMutexLocker lock(&mutex_);
            place = place_;
            ++roundsBegun_;
            roundWanted_ = false;
        }
        if (place != copied) stamps.clear();
        copied = place;
        const bool complete = !place.isEmpty() && copyRound(*provider, place, stamps);
        QMutexLocker lock(&mutex_);
        ++roundsDone_;
        lastRoundComplete_ = complete;
        roundDone_.wakeAll();
    } while (wait());
    // Its connections closed elsewhere: the board closing does not wait for a share that hangs.
    letGoAside(std::move(provider));
}

bool LocalCopy::copyRound(DatabaseProvider& provider, const QString& place, QHash<QString, quint64>& stamps) {
    bool complete = true;
    QString placeKey, folder;
    for (const catalogue::FileSpec& file : catalogue::files()) {
        if (file.folder != catalogue::Folder::Data) continue;
        const QString live = place + file.constant;
        if (folder.isEmpty()) {
            placeKey = placeKeyOf(live);
            folder = folderFor(root_, live);
            makeOwnFolder(folder);
        }
        // A share known to hang is left alone until it answers: the copy is what the board needs then.
        if (UnansweredFolders::stillWaitingForFile(live)) return false;
        const QString copyPath = folder + QLatin1Char('/') + fileNameOf(live);
        try {
            const std::shared_ptr<Database> db = provider.open(live, connect_);
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

void LocalCopy::copyFile(Database& source, const catalogue::FileSpec& file, const QString& copyPath) {
    // Built aside and put in place whole: the board reads the old copy or the new one, never half of one.
    const QString passing = copyPath + QStringLiteral(".part");
    QFile::remove(passing);
    {
        std::unique_ptr<FileBuilder> builder = engines::createFile(passing, key_);
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

void LocalCopy::markComplete(const QString& placeKey, const QString& folder) {
    const QDateTime now = now_();
    QDateTime noted;
    {
        QMutexLocker lock(&mutex_);
        noted = known_.value(placeKey).madeAt;
        known_.insert(placeKey, {placeKey, now});
    }
    // The note says which place the copy is of, and when it was last whole: a board started while the
    // place does not answer shows it. Written again only now and then while nothing changes.
    if (noted.isValid() && noted.msecsTo(now) < kNoteEveryMs &&
        QFileInfo::exists(folder + QLatin1Char('/') + kPlaceNote))
        return;
    QSaveFile note(folder + QLatin1Char('/') + kPlaceNote);
    if (!note.open(QIODevice::WriteOnly)) return;
    note.write((placeKey + QLatin1Char('\n') + now.toString(Qt::ISODateWithMs) + QLatin1Char('\n')).toUtf8());
    note.commit();
}

LocalCopies::Copy LocalCopy::copyOf(const QString& livePath) const {
    const QString placeKey = placeKeyOf(livePath);
    const QString folder = folderFor(root_, livePath);
    QMutexLocker lock(&mutex_);
    auto it = known_.find(placeKey);
    if (it == known_.end()) {
        Known read;
        QFile note(folder + QLatin1Char('/') + kPlaceNote);
        if (note.open(QIODevice::ReadOnly)) {
            const QStringList lines = QString::fromUtf8(note.readAll()).split(QLatin1Char('\n'));
            if (lines.size() >= 2) read = {lines[0], QDateTime::fromString(lines[1], Qt::ISODateWithMs)};
        }
        it = known_.insert(placeKey, read);
    }
    // A copy of another place (a hash shared by chance, a folder moved by hand) is never shown.
    if (it->place != placeKey || !it->madeAt.isValid()) return {};
    const QString file = folder + QLatin1Char('/') + fileNameOf(livePath);
    if (!QFileInfo::exists(file)) return {};
    return {file, it->madeAt};
}
