#include "import/TargetFolder.h"

#include "base/GroupFolder.h"
#include "data/storage/StorageError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

struct Identity {
    dev_t device;
    ino_t inode;
    bool operator<(const Identity& o) const {
        return device != o.device ? device < o.device : inode < o.inode;
    }
};

// The path with every link resolved: the deepest part that exists through realpath, the parts
// still to be made (which hold no link) as given.
QString resolved(const QString& folder) {
    QString at = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    QStringList toMake;
    while (true) {
        if (char* real = ::realpath(QFile::encodeName(at).constData(), nullptr)) {
            QString out = QFile::decodeName(real);
            ::free(real);
            for (const QString& part : toMake)
                out += QLatin1Char('/') + part;
            return QDir::cleanPath(out);
        }
        const QString up = QFileInfo(at).path();
        if (up == at) return at;
        toMake.prepend(QFileInfo(at).fileName());
        at = up;
    }
}

// The legacy folder and every folder below it, by device and inode, links not followed: a target
// reached through a link or a bind mount shows the same identity as the folder it stands for.
std::set<Identity> foldersOf(const QString& legacyFolder) {
    constexpr size_t kMostFolders = 100000;
    std::set<Identity> found;
    QStringList toVisit{legacyFolder};
    while (!toVisit.isEmpty() && found.size() < kMostFolders) {
        const QString folder = toVisit.takeLast();
        struct stat st {};
        if (::stat(QFile::encodeName(folder).constData(), &st) != 0 || !S_ISDIR(st.st_mode)) continue;
        if (!found.insert({st.st_dev, st.st_ino}).second) continue;
        for (const QString& sub : QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden |
                                                         QDir::NoSymLinks | QDir::System))
            toVisit << folder + QLatin1Char('/') + sub;
    }
    return found;
}

// Whether the resolved folder, or any folder above it that exists, is the legacy folder or one in it.
bool liesWithin(const QString& resolvedFolder, const std::set<Identity>& legacy) {
    for (QString at = resolvedFolder;;) {
        struct stat st {};
        if (::stat(QFile::encodeName(at).constData(), &st) == 0 && legacy.count({st.st_dev, st.st_ino}))
            return true;
        const QString up = QFileInfo(at).path();
        if (up == at) return false;
        at = up;
    }
}

void syncFile(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        const QString why = systemError();
        if (fd >= 0) ::close(fd);
        throw StorageError(QStringLiteral("%1 cannot be saved: %2").arg(path, why));
    }
    ::close(fd);
}

} // namespace

TargetFolder::TargetFolder(const QString& folder, const QString& legacyFolder) : folder_(resolved(folder)) {
    struct stat legacy {};
    if (::stat(QFile::encodeName(legacyFolder).constData(), &legacy) != 0)
        throw StorageError(QStringLiteral("%1: %2").arg(legacyFolder, systemError()));
    // Checked before anything is made: not even an empty folder goes into the legacy folder.
    if (liesWithin(folder_, foldersOf(legacyFolder)))
        throw StorageError(QStringLiteral("the target folder must lie outside the legacy folder"));
    if (!groupfolder::makePath(folder_))
        throw StorageError(QStringLiteral("cannot create folder %1").arg(folder));
    struct stat st {};
    if (::stat(QFile::encodeName(folder_).constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        throw StorageError(QStringLiteral("%1 is not a folder").arg(folder));
}

bool TargetFolder::holds(const QString& name) const {
    struct stat st {};
    return ::lstat(QFile::encodeName(QDir(folder_).filePath(name)).constData(), &st) == 0;
}

TargetFolder::Placed TargetFolder::place(const QString& name,
                                         const std::function<void(const QString& path)>& build) const {
    const QString final = QDir(folder_).filePath(name);
    if (holds(name)) return Placed::AlreadyThere;
    // A name no other run uses; what an interrupted run leaves under such a name is never taken for done.
    const QString temporary =
        QDir(folder_).filePath(QStringLiteral(".%1.importing-%2-%3")
                                   .arg(name)
                                   .arg(QCoreApplication::applicationPid())
                                   .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
    const QByteArray tmp = QFile::encodeName(temporary);
    try {
        build(temporary);
        syncFile(temporary);
        if (!groupfolder::shareNewPath(temporary))
            throw StorageError(QStringLiteral("%1: %2").arg(temporary, systemError()));
        if (::link(tmp.constData(), QFile::encodeName(final).constData()) != 0) {
            if (errno != EEXIST) throw StorageError(QStringLiteral("%1: %2").arg(final, systemError()));
            ::unlink(tmp.constData());
            return Placed::AlreadyThere;
        }
        ::unlink(tmp.constData());
        return Placed::Done;
    } catch (const FileExistsError&) {
        throw; // the temporary name was taken: that file is not this run's to remove
    } catch (...) {
        ::unlink(tmp.constData());
        ::unlink((tmp + "-journal").constData());
        throw;
    }
}
