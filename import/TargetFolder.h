#pragma once

#include <QString>
#include <functional>

// The folder the importer writes into. Each file is built under a temporary name of its own and
// then linked to its real name, which never replaces anything: a file, a link (even a dangling one)
// or a file another process made meanwhile all stay as they are. Only the temporary names this
// run made are ever removed.
class TargetFolder {
  public:
    // Throws StorageError when the folder is or lies inside the legacy folder, or cannot be made. The
    // folder is resolved first (realpath), and each folder above it compared by device and inode
    // with the legacy folder and every folder in it, so a link or a bind mount is seen through.
    TargetFolder(const QString& folder, const QString& legacyFolder);

    enum class Placed { Done, AlreadyThere };
    // Calls build with a temporary path in the folder, then puts that file under name. Throws
    // StorageError (after removing the temporary file) when building or placing fails.
    Placed place(const QString& name, const std::function<void(const QString& path)>& build) const;

    // Whether anything (a file, a folder, a link, dangling or not) has that name in the folder.
    bool holds(const QString& name) const;

  private:
    QString folder_;
};
