#pragma once

#include "data/storage/Database.h"
#include "data/storage/LocalCopies.h"
#include "data/storage/WorkerThread.h"

#include <QDateTime>
#include <QString>
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
    // A thread that a share holds in the middle of a file is left to the end of the program.
    void stop();
    // Waits, at most ms, for a round begun after this call (begun at once); whether it found every
    // file of the place copied and up to date (not when the place does not answer).
    bool waitUntilCurrent(int ms);

    Copy copyOf(const QString& livePath) const override;

    // Where the copies are kept for this user on this computer.
    static QString userRoot();
    // The folder under root holding the copy of the place a live file lies in.
    static QString folderFor(const QString& root, const QString& livePath);

  private:
    // What the thread works with, kept alive by its work while a share holds it past this object.
    struct Shared;
    static void run(const std::shared_ptr<Shared>& shared);

    std::shared_ptr<Shared> shared_;
    std::unique_ptr<WorkerThread> thread_;
};
