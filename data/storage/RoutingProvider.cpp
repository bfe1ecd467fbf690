#include "data/storage/RoutingProvider.h"

#include "data/catalogue/Paths.h"
#include "data/storage/Engines.h"

#include <QFileInfo>

std::shared_ptr<Database> RoutingProvider::open(const QString& path, const QString& connect) {
    if (paths::isServer(path)) return server_.open(path, connect);
    return files_.open(path, connect);
}

QVector<std::shared_ptr<const TableSnapshot>>
RoutingProvider::openAheadReading(const QString& path, const QString& connect, const QStringList& tables) {
    if (paths::isServer(path)) return {};
    return files_.openAheadReading(path, connect, tables);
}

std::shared_ptr<Database> RoutingProvider::openKnown(const QString& path, const QString& connect,
                                                     const TableSnapshot& snapshot) {
    if (paths::isServer(path)) return nullptr;
    return files_.openKnown(path, connect, snapshot);
}

bool RoutingProvider::exists(const QString& path) {
    return paths::isServer(path) || QFileInfo::exists(paths::fold(path));
}

void RoutingProvider::create(const QString& path, const std::function<void(FileBuilder&)>& build) {
    engines::NewFileKey key;
    const std::unique_ptr<FileBuilder> builder = engines::createFile(path, key);
    build(*builder);
    builder->commit();
}
