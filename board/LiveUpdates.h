#pragma once

#include "data/ChangeWatcher.h"

#include <QObject>
#include <QTimer>
#include <QVector>
#include <memory>

class DataControl;
class DatabaseProvider;
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

    LiveUpdates(QVector<DataControl*> sources, DatabaseProvider& provider, QString connect,
                StatusLine& status, QObject* parent = nullptr);
    ~LiveUpdates() override;

    // Hands the asking to a thread of its own, over connections the factory makes.
    void watchFromThread(ChangeWatcher::ProviderFactory factory);
    void start();
    void stop();
    // One round of checks of every file, from this thread.
    void poll();

  private:
    void round();
    void fileChanged(const QString& file);
    void retryKeptAndSettle();

    QVector<DataControl*> sources_;
    DatabaseProvider& provider_;
    QString connect_;
    StatusLine& status_;
    QTimer timer_;
    std::unique_ptr<ChangeWatcher> watcher_;
};
