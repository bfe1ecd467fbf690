#pragma once

#include "data/sharing/ChangeWatcher.h"
#include "data/sharing/HistoryPruning.h"
#include "data/sharing/LocalCopy.h"
#include "data/sharing/ReadAhead.h"

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QThread>
#include <QTimer>
#include <QVector>
#include <functional>
#include <memory>

class DataControl;
class DatabaseProvider;
class KeptEdits;
class StatusLine;

// Other studios' changes reach the board without anyone here doing anything: each data control
// whose file another connection has written to reads its record again, leaving boxes with typing in
// them as typed. A file that was away is opened again, text kept on this computer is tried again,
// and a failure shown in the status bar is cleared once everything reads again.
//
// With a change watcher the files are asked from the watcher's thread and the board touches a file
// only when it changed; without one, every round asks every file from here.
class LiveUpdates : public QObject {
    Q_OBJECT
  public:
    static constexpr int kIntervalMs = 1500;
    // How long after the start the history of the data files is first pruned.
    static constexpr int kPruneAfterMs = 5 * 60 * 1000;

    // kept: the rescue store whose kept text the rounds try again; none in a trial without one.
    LiveUpdates(QVector<DataControl*> sources, DatabaseProvider& provider, KeptEdits* kept, QString connect,
                StatusLine& status, QObject* parent = nullptr);
    ~LiveUpdates() override;

    // Hands the asking to a thread of its own, over connections the factory makes; so too the daily
    // pruning of the history.
    void watchFromThread(ChangeWatcher::ProviderFactory factory);
    // The files the board will switch to next (the next day's): opened ahead from a thread of their
    // own whenever the list changes, so the switch itself finds them open.
    void openAhead(std::function<QStringList()> upcomingFiles) { upcomingFiles_ = std::move(upcomingFiles); }
    // The tables shown now and those the board switches to next, read ahead from a thread of their
    // own over connections the factory makes, so that switching to them costs one look at each file.
    void readAheadFromThread(ChangeWatcher::ProviderFactory factory,
                             std::function<QVector<TableRef>()> tables);
    // At start-up, before the board reads its tables: reads them through the board's own connections,
    // all at once, when it reads ahead at all.
    void readForLoad(const QVector<TableRef>& tables);
    // Keeps a copy of the content of the place the board reads (place() gives its data folder text)
    // in root, from a thread of its own over connections the factory makes: while that place does
    // not answer, the board shows the copy, says so, and wears the copy's band.
    void keepLocalCopy(ChangeWatcher::ProviderFactory factory, const QString& root,
                       std::function<QDateTime()> now, std::function<QString()> place);
    // For the benchmark and tests: whether the copy is whole and up to date within ms.
    bool waitForLocalCopy(int ms);
    // For the benchmark and tests: the tables wanted now have been read ahead.
    void waitForReadAhead();
    void start();
    void stop();
    // For the benchmark: the opening ahead started so far has finished.
    void waitForOpenAhead();
    // One round of checks of every file, from this thread.
    void poll();

  private:
    void round();
    void sayWhetherTheShareAnswers();
    // Whether the board shows a copy now; says so when that changes.
    bool sayWhetherTheCopyIsShown();
    // Files the board could not open while the place does not answer are opened from the copy.
    void openAwaitedFromCopy();
    void fileChanged(const QString& file);
    void retryKeptAndSettle();
    // Where the board opens files now: text kept for any other folder or server is only offered.
    QStringList foldersInUse() const;
    void startOpenAhead();

    QVector<DataControl*> sources_;
    DatabaseProvider& provider_;
    KeptEdits* kept_;
    QString connect_;
    StatusLine& status_;
    QTimer timer_;
    std::unique_ptr<ChangeWatcher> watcher_;
    std::unique_ptr<HistoryPruning> pruning_;
    QElapsedTimer startedAt_;
    std::function<QStringList()> upcomingFiles_;
    QStringList openedAhead_;
    std::unique_ptr<WorkerThread> opener_;
    std::unique_ptr<ReadAhead> readAhead_;
    std::function<QVector<TableRef>()> tablesAhead_;
    std::unique_ptr<LocalCopy> localCopy_;
    std::function<QString()> copiedPlace_;
};
