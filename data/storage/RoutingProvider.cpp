#include "data/storage/RoutingProvider.h"

#include "data/catalogue/Paths.h"

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
