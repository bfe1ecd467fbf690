#pragma once

#include <QHash>
#include <QMutex>
#include <QObject>
#include <QString>

// The commits this process has made to each data file. An engine tells a connection of every other
// connection's commits but never of its own, and every window of a board writes through the same
// connection to a file: without this, a save in one window would be invisible to the board's other
// data controls on that file, whose next edit would then be refused as another user's change.
class LocalCommits : public QObject {
    Q_OBJECT
  public:
    static LocalCommits& instance();
    // After a commit to the file (its folded path), from any thread.
    static void note(const QString& file);
    // How many commits this process has made to the file so far.
    static quint64 count(const QString& file);

  signals:
    // Emitted on the committing thread.
    void committed(const QString& file);

  private:
    QMutex mutex_;
    QHash<QString, quint64> counts_;
};
