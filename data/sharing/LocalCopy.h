#pragma once

#include "data/catalogue/Catalogue.h"
#include "data/storage/Database.h"
#include "data/storage/Engines.h"
#include "data/storage/LocalCopies.h"
#include "data/storage/WorkerThread.h"

#include <QDateTime>
#include <QHash>
#include <QMutex>
#include <QString>
#include <QWaitCondition>
#include <functional>
#include <memory>

// The copy this computer keeps of every content file of the board's data folder or server, so that
// the board runs on while the place does not answer. It lives in the user's own local data folder,
// one folder per place (named from a hash of the place, which it also names inside, so a copy of
// another place is never taken for this one's), readable by this user only, made of files keyed as
// the content files are. A thread of its own fills it over connections of its own and keeps it up:
// each round copies only the files whose change stamp moved since it last copied them. A file is
// built under a passing name and put in place whole, so the board only ever reads a whole file.
class LocalCopy : public LocalCopies {
  public:
    using ProviderFactory = std::function<std::unique_ptr<DatabaseProvider>()>;
    using Now = std::function<QDateTime()>;

    LocalCopy(ProviderFactory factory, QString root, QString connect, Now now, int intervalMs);
    ~LocalCopy() override;
    LocalCopy(const LocalCopy&) = delete;
    LocalCopy& operator=(const LocalCopy&) = delete;

    // The data folder text or server address whose content is copied from now on.
    void setPlace(const QString& place);
    void start();
    void stop();
    // Waits, at most ms, until a round begun after this call has found every file of the place
    // copied and up to date; false when it has not (the place does not answer).
    bool waitUntilCurrent(int ms);

    Copy copyOf(const QString& livePath) const override;

    // Where the copies are kept for this user on this computer.
    static QString userRoot();
    // The folder under root holding the copy of the place a live file lies in.
    static QString folderFor(const QString& root, const QString& livePath);

  private:
    struct Known {
        QString place;
        QDateTime madeAt;
    };
    void run();
    bool wait(); // false once stopped
    // One round over the place's files; whether every one is copied and up to date.
    bool copyRound(DatabaseProvider& provider, const QString& place, QHash<QString, quint64>& stamps);
    void copyFile(Database& source, const catalogue::FileSpec& file, const QString& copyPath);
    void markComplete(const QString& placeKey, const QString& folder);

    ProviderFactory factory_;
    QString root_;
    QString connect_;
    Now now_;
    int intervalMs_;
    engines::NewFileKey key_;
    std::unique_ptr<WorkerThread> thread_;

    mutable QMutex mutex_; // guards what follows
    QWaitCondition wake_;
    QWaitCondition roundDone_;
    bool stopping_ = false;
    QString place_;
    int roundsBegun_ = 0;
    int roundsDone_ = 0;
    bool roundWanted_ = false; // by one waiting for the copy: the next round starts at once
    bool lastRoundComplete_ = false;
    mutable QHash<QString, Known> known_; // by place key, as its folder says
};
