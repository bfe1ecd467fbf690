#pragma once

#include "data/storage/Database.h"
#include "data/storage/WorkerThread.h"

#include <QMutex>
#include <QObject>
#include <QStringList>
#include <QWaitCondition>
#include <functional>
#include <memory>

// Asks the files on the share, from a thread of its own and over connections of its own, whether
// anyone has written to them. A slow or hung share then holds up only this thread, never the
// board's clock: the board reads a file again only when it is told the file changed.
class ChangeWatcher : public QObject {
    Q_OBJECT
  public:
    using ProviderFactory = std::function<std::unique_ptr<DatabaseProvider>()>;

    ChangeWatcher(ProviderFactory factory, QString connect, int intervalMs, QObject* parent = nullptr);
    ~ChangeWatcher() override;

    // The files the board shows (folded paths), and those it could not open and waits for.
    void setFiles(const QStringList& open, const QStringList& awaited);
    void start();
    void stop();

  signals:
    // Emitted from the watcher's thread. An open file is reported when it changed and when it is
    // first watched (it may have changed since the board opened it); an awaited one as soon as it
    // can be read.
    void changed(const QString& file);

  private:
    void run();
    bool wait(); // false once stopped

    ProviderFactory factory_;
    QString connect_;
    int intervalMs_;
    std::unique_ptr<WorkerThread> thread_;
    QMutex mutex_;
    QWaitCondition wake_;
    bool stopping_ = false;
    QStringList open_, awaited_;
};
