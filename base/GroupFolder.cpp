#include "base/GroupFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace groupfolder {

namespace {

bool statOf(const QString& path, struct stat& st) {
    return ::stat(QFile::encodeName(path).constData(), &st) == 0;
}

// The folder's group and group rights on what is already open as fd.
bool giveGroup(int fd, const struct stat& folder, mode_t groupRights) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return false;
    // A filesystem that ignores the setgid bit leaves the maker's own group; a member may change it.
    if (st.st_gid != folder.st_gid && ::fchown(fd, uid_t(-1), folder.st_gid) != 0) return false;
    const mode_t wanted = (st.st_mode & 07777) | groupRights;
    return wanted == (st.st_mode & 07777) || ::fchmod(fd, wanted) == 0;
}

bool shareAt(const QString& path, mode_t groupRights) {
    struct stat folder {};
    if (!statOf(QFileInfo(path).path(), folder) || !(folder.st_mode & S_ISGID)) return true;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = giveGroup(fd, folder, groupRights);
    ::close(fd);
    return ok;
}

} // namespace

bool isShared(const QString& folder) {
    struct stat st {};
    return statOf(folder, st) && S_ISDIR(st.st_mode) && (st.st_mode & S_ISGID);
}

bool shareNewFile(int fd, const QString& folder) {
    struct stat st {};
    if (!statOf(folder, st) || !(st.st_mode & S_ISGID)) return true;
    return giveGroup(fd, st, S_IRGRP | S_IWGRP);
}

bool shareNewPath(const QString& path) {
    return shareAt(path, S_IRGRP | S_IWGRP);
}

bool makePath(const QString& folder) {
    const QString path = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    if (QFileInfo(path).isDir()) return true;
    const QString above = QFileInfo(path).path();
    if (above == path || !makePath(above)) return false;
    if (!QDir().mkdir(path) && !QFileInfo(path).isDir()) return false;
    // The group may make journals and files in it, and what is made there keeps the group.
    return shareAt(path, S_IRGRP | S_IWGRP | S_IXGRP | S_ISGID);
}

QString refusedFor(const QString& file) {
    const QFileInfo info(file);
    const QByteArray path = QFile::encodeName(info.absoluteFilePath());
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    const bool fileWritable = ::access(path.constData(), W_OK) == 0 || errno == ENOENT;
    if (fileWritable && ::access(folder.constData(), W_OK | X_OK) == 0) return {};
    return QStringLiteral("%1 in %2 is not writable for %3: ask the station's engineer to make the data "
                          "folder writable for the group.")
        .arg(info.fileName(), QDir::toNativeSeparators(info.absolutePath()), userName());
}

QString userName() {
    if (const struct passwd* pw = ::getpwuid(::geteuid())) return QString::fromLocal8Bit(pw->pw_name);
    return QString::number(::geteuid());
}

} // namespace groupfolder
