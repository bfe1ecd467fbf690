#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <memory>

// Reads a file's change marker again, from any thread: the bytes the engine itself compares to know
// whether anyone has committed to the file since. Throws StorageError.
class ChangeMarker {
  public:
    virtual ~ChangeMarker() = default;
    virtual QByteArray read() = 0;
};

// A table read ahead of need, off the board's thread, as a data control shows it after a refresh:
// the record keys, the first record, and the file's change marker as it was inside that same read.
// The board shows it through its own connection only while the marker is still the same.
struct TableSnapshot {
    QString file;  // folded path
    QString table; // the table's own name
    QStringList fields;
    QVector<qint64> keys;
    QVector<QVariant> first; // the first record's values, when there is a first record
    QByteArray fileTag;      // which file on disk, in the engine's terms
    QByteArray marker;
    std::shared_ptr<ChangeMarker> markerSource;
};
