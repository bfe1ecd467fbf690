#include "data/RoutingProvider.h"

#include "data/Paths.h"

std::shared_ptr<Database> RoutingProvider::open(const QString& path, const QString& connect) {
    if (paths::isServer(path)) return server_.open(path, connect);
    return files_.open(path, connect);
}

void RoutingProvider::openAhead(const QString& path, const QString& connect) {
    if (!paths::isServer(path)) files_.openAhead(path, connect);
}
