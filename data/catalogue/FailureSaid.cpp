#include "data/catalogue/FailureSaid.h"

#include "base/FailureWords.h"
#include "data/catalogue/Paths.h"

#include <QFileInfo>

Failure placedAt(Failure failure, const QString& path) {
    if (!failure.where.isEmpty() || path.isEmpty()) return failure;
    if (paths::isServer(path)) {
        const paths::ServerFile place = paths::splitServerFile(path);
        failure.where = paths::withoutPassword(place.server);
        failure.file = place.file;
    } else {
        const QFileInfo file(paths::fold(path));
        failure.where = file.path();
        failure.file = file.fileName();
    }
    return failure;
}

QString saidOf(Failure failure, const QString& path) {
    return paths::withoutPassword(sentenceOf(placedAt(std::move(failure), path)));
}

QString fileAndPlace(const QString& path) {
    const Failure place = placedAt(Failure(), path);
    return QStringLiteral("%1 %2 %3")
        .arg(place.file, paths::isServer(path) ? QStringLiteral("on") : QStringLiteral("in"), place.where);
}
