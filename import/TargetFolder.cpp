#include "import/TargetFolder.h"

#include "base/GroupFolder.h"
#include "data/storage/StorageError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool sameObject(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether folder, or any folder above it that exists, is the legacy folder itself.
bool liesWithin(const QString& folder, const struct stat& legacy) {
    QString at = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    while (true) {
        struct stat st {};
        if (::stat(QFile::encodeName(at).constData(), &st) == 0 && sameObject(st, legacy)) return true;
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

TargetFolder::TargetFolder(const QString& folder, const QString& legacyFolder) : folder_(folder) {
    struct stat legacy {};
    if (::stat(QFile::encodeName(legacyFolder).constData(), &legacy) != 0)
        throw StorageError(QStringLiteral("%1: %2").arg(legacyFolder, systemError()));
    // Checked before anything is made: not even an empty folder goes into the legacy folder.
    if (liesWithin(folder, legacy))
        throw StorageError(QStringLiteral("the target folder must lie outside the legacy folder"));
    if (!groupfolder::makePath(folder))
        throw StorageError(QStringLiteral("cannot create folder %1").arg(folder));
    struct stat st {};
    if (::stat(QFile::encodeName(folder).constData(), &st) != 0 || !S_ISDIR(st.st_mode))
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
