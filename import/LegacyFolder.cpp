#include "import/LegacyFolder.h"

#include "data/storage/StorageError.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <memory>

namespace {
struct DirCloser {
    void operator()(DIR* d) const { ::closedir(d); }
};
} // namespace

LegacyFolder::LegacyFolder(const QString& folder) : folder_(folder) {
    std::unique_ptr<DIR, DirCloser> dir(::opendir(QFile::encodeName(folder).constData()));
    if (!dir) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        if (errno == ENOENT) throw StorageError(QStringLiteral("no such folder: %1").arg(folder));
        throw StorageError(QStringLiteral("the legacy folder %1 cannot be read: %2").arg(folder, why));
    }
    errno = 0;
    while (const dirent* entry = ::readdir(dir.get())) {
        const QString name = QFile::decodeName(entry->d_name);
        if (name.endsWith(QStringLiteral(".mdb"), Qt::CaseInsensitive)) files_[name.toLower()] << name;
        errno = 0;
    }
    if (errno != 0)
        throw StorageError(QStringLiteral("the legacy folder %1 cannot be read: %2")
                               .arg(folder, QString::fromLocal8Bit(std::strerror(errno))));
    for (QStringList& spellings : files_)
        spellings.sort();
}

QStringList LegacyFolder::rest() const {
    QStringList names;
    for (const QStringList& spellings : files_)
        names << spellings;
    return names;
}
