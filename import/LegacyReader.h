#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <stdexcept>

// Reads a whole Access 2000 (Jet 4.0) file through libmdb, read-only.
namespace legacy {

// A file that cannot be read whole, in words for the station's staff.
class ReadError : public std::runtime_error {
  public:
    explicit ReadError(const QString& why) : std::runtime_error(why.toStdString()) {}
    QString why() const { return QString::fromStdString(what()); }
};

struct Table {
    QString name;
    QStringList fields;
    QStringList binaryFields;           // OLE fields: their bytes are not text and are not read
    QStringList otherKindFields;        // fields neither text nor memo (OLE, numbers, dates)
    QVector<QVector<QVariant>> records; // in record order; a null field is an invalid QVariant
    QStringList damage;      // what was found damaged, record by record (memos cut short, texts garbled)
    bool unreadable = false; // nothing of it could be read: its damage says why
};

// Every user table with every record. Text comes back as it was stored, memos whole. A table that
// cannot be read to its end comes back unreadable, with no fields or records. Throws ReadError when
// the file is not a readable Jet 4.0 file or its list of tables is damaged.
QVector<Table> readTables(const QString& path);

// The password in the file's header; throws ReadError when the file is not a Jet 4.0 file.
QString passwordOf(const QString& path);

} // namespace legacy
