#include "data/storage/Engines.h"

#include "data/catalogue/Catalogue.h"
#include "data/catalogue/Paths.h"
#include "data/storage/SqlCipherProvider.h"

#include <QRandomGenerator>

namespace engines {

NewFileKey::NewFileKey() : salt_(16, '\0') {
    QRandomGenerator::system()->generate(salt_.begin(), salt_.end());
}

NewFileKey::NewFileKey(QByteArray salt, QByteArray rawKey)
    : salt_(std::move(salt)), rawKey_(std::move(rawKey)) {}

const QByteArray& NewFileKey::rawKey() {
    if (rawKey_.isEmpty()) rawKey_ = SqlCipherProvider::deriveKey(catalogue::kPassword, salt_);
    return rawKey_;
}

std::unique_ptr<FileCreator> creatorFor(const QString& folderOrServer, NewFileKey& key, const QString& role) {
    if (paths::isServer(folderOrServer)) return PostgresProvider::serverCreator(folderOrServer, role);
    return SqlCipherProvider::folderCreator(folderOrServer, key.rawKey(), key.salt());
}

std::unique_ptr<FileBuilder> createFile(const QString& path, NewFileKey& key, const QString& role) {
    if (paths::isServer(path)) {
        const paths::ServerFile at = paths::splitServerFile(path);
        return PostgresProvider::serverCreator(at.server, role)->create(QLatin1Char('/') + at.file);
    }
    return SqlCipherProvider::createFile(path, key.rawKey(), key.salt());
}

} // namespace engines
