#pragma once

#include "data/storage/FileBuilder.h"
#include "data/storage/PostgresProvider.h"

#include <QByteArray>
#include <QString>
#include <memory>

// The one place where new files are given an engine: a data folder text naming a database server
// (see paths::isServer) gets the server engine, any other text the file engine. The tools and the
// record of reads make their files through here, so none of them repeats the choice.
namespace engines {

// The key of new files in folders: one salt, and the station password derived over it at most
// once, when the first folder file is made (a server's schemas take no key, so a run that makes
// only those never pays the derivation).
class NewFileKey {
  public:
    NewFileKey(); // a fresh random salt
    NewFileKey(QByteArray salt, QByteArray rawKey);

    const QByteArray& salt() const { return salt_; }
    const QByteArray& rawKey();

  private:
    QByteArray salt_;
    QByteArray rawKey_;
};

// Where new files of a folder (made when missing) or of a server address are made. On a server
// the files are made as the address's own user, and the role may then read and write records.
std::unique_ptr<FileCreator> creatorFor(const QString& folderOrServer, NewFileKey& key,
                                        const QString& role = PostgresProvider::kDefaultRole);

// One new file by its full name, a folder file or a server's schema; the folder must exist.
// Throws FileExistsError when the file is there already, StorageError on any other failure.
std::unique_ptr<FileBuilder> createFile(const QString& path, NewFileKey& key,
                                        const QString& role = PostgresProvider::kDefaultRole);

} // namespace engines
