#pragma once

#include "data/sharing/ChangeWatcher.h"
#include "data/storage/WorkerThread.h"

#include <QDate>
#include <QStringList>
#include <atomic>
#include <memory>

// Changes older than the history keeps are removed from every data file of the folders or servers
// the board uses, at most once a day: on a worker of its own, over connections of its own, so the
// board never waits for it. A file another studio holds, or a share that does not answer, is left
// for the next day; the history only grows a little meanwhile.
class HistoryPruning {
  public:
    HistoryPruning(ChangeWatcher::ProviderFactory factory, QString connect);
    // A sweep under way stops after the file it is at.
    ~HistoryPruning();

    // Starts a sweep of every data file in the folders (data folders or server addresses), unless
    // one was started on that day already or is still under way.
    void sweepIfDue(const QStringList& folders, const QDate& today);
    bool sweptOn(const QDate& day) const { return sweptOn_ == day; }
    // For tests: the sweep started last has ended.
    void waitUntilSwept();

  private:
    struct Sweep;
    ChangeWatcher::ProviderFactory factory_;
    QString connect_;
    QDate sweptOn_;
    std::shared_ptr<Sweep> sweep_;
    std::unique_ptr<WorkerThread> worker_;
};
