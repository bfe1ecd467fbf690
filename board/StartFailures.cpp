#include "board/StartFailures.h"

#include "base/FailureWords.h"
#include "data/catalogue/Paths.h"

#include <QFileInfo>
#include <algorithm>

void StartFailures::opened(const QString& path) {
    // Named as the storage names the place of a failure.
    const QString folder = paths::isServer(path) ? paths::withoutPassword(paths::splitServerFile(path).server)
                                                 : QFileInfo(paths::fold(path)).path();
    if (!openedFolders_.contains(folder)) openedFolders_ << folder;
}

void StartFailures::failed(const Failure& failure) {
    // A share that is only slow answers in a moment; one that does not answer is said by the rounds.
    if (failure.kind == FailureKind::Slow || failure.kind == FailureKind::Silent) return;
    const bool known = std::any_of(failures_.cbegin(), failures_.cend(), [&](const Failure& f) {
        // A folder that is not there is said once, not once for each file in it.
        return f.where == failure.where && (f.file == failure.file || sentenceOf(f) == sentenceOf(failure));
    });
    if (!known) failures_ << failure;
}

QVector<QStringList> StartFailures::byFolder() const {
    QVector<QStringList> said;
    QStringList folders;
    for (const Failure& f : failures_)
        if (!folders.contains(f.where)) folders << f.where;
    for (const QString& folder : folders) {
        QVector<Failure> here;
        std::copy_if(failures_.cbegin(), failures_.cend(), std::back_inserter(here),
                     [&](const Failure& f) { return f.where == folder; });
        // Every file of the place failed alike, and none opened: it is the place's failure, not
        // each file's. Unreadable alike is the password: the station's files share one, and a file
        // damaged on its own leaves its neighbours readable.
        const Failure& first = here.front();
        const bool alike = std::all_of(here.cbegin(), here.cend(), [&](const Failure& f) {
            return f.kind == first.kind && f.words == first.words;
        });
        if (alike && here.size() > 1 && !openedFolders_.contains(folder)) {
            said << QStringList{first.kind == FailureKind::Damaged
                                    ? QStringLiteral("The password for the files in %1 is wrong: %2")
                                          .arg(folder, sentenceOf(Failure(first.words)))
                                    : sentenceOf(Failure(first.kind, folder, first.words))};
            continue;
        }
        QStringList sentences;
        for (const Failure& f : here)
            sentences << sentenceOf(f);
        said << sentences;
    }
    return said;
}

QString StartFailures::reason() const {
    QStringList said;
    for (const QStringList& folder : byFolder())
        said << folder;
    return said.join(QLatin1Char(' '));
}

QString StartFailures::headline() const {
    QStringList said;
    for (const QStringList& folder : byFolder()) {
        said << folder.front();
        if (folder.size() == 2) said << QStringLiteral("One other file there could not be opened either.");
        if (folder.size() > 2)
            said << QStringLiteral("%1 other files there could not be opened either.").arg(folder.size() - 1);
    }
    return said.join(QLatin1Char(' '));
}
