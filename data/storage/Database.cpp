#include "data/storage/Database.h"

#include "data/storage/AskedOnItsOwn.h"
#include "data/storage/LocalCommits.h"
#include "data/storage/StorageThread.h"

// The engines alone, asked on the thread that asks: only the folders their own questions left
// unanswered are known.
DatabaseProvider::Unanswered DatabaseProvider::unanswered(const QStringList& files) const {
    Unanswered longest;
    if (files.isEmpty()) {
        const UnansweredFolders::Wait wait = UnansweredFolders::longest();
        return {wait.folder, wait.forMs};
    }
    for (const QString& file : files) {
        const UnansweredFolders::Wait wait = UnansweredFolders::waitForFile(file);
        if (wait.forMs > longest.forMs) longest = {wait.folder, wait.forMs};
    }
    return longest;
}

void DatabaseProvider::followNews(QObject* receiver, std::function<void()> caughtUp,
                                  std::function<void(const QString& file)> committed) {
    // Queued: both are told on the thread that answered or committed.
    if (caughtUp)
        QObject::connect(&LateAnswers::instance(), &LateAnswers::caughtUp, receiver, std::move(caughtUp),
                         Qt::QueuedConnection);
    if (committed)
        QObject::connect(&LocalCommits::instance(), &LocalCommits::committed, receiver, std::move(committed),
                         Qt::QueuedConnection);
}
