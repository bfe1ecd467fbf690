#pragma once

#include <QObject>
#include <QTimer>
#include <QVector>

class DataControl;
class DatabaseProvider;
class StatusLine;

// Other studios' changes reach the board without anyone here doing anything: every couple of
// seconds each data control asks its file whether another connection has written to it, and reads
// its record again if so, leaving boxes with typing in them as typed. A file that was away is
// opened again, text kept on this computer is tried again, and a failure shown in the status bar
// is cleared once everything reads again.
class LiveUpdates : public QObject {
    Q_OBJECT
  public:
    static constexpr int kIntervalMs = 1500;

    LiveUpdates(QVector<DataControl*> sources, DatabaseProvider& provider, QString connect,
                StatusLine& status, QObject* parent = nullptr);

    void start() { timer_.start(); }
    void stop() { timer_.stop(); }
    // One round of checks, as the timer runs it.
    void poll();

  private:
    QVector<DataControl*> sources_;
    DatabaseProvider& provider_;
    QString connect_;
    StatusLine& status_;
    QTimer timer_;
};
