#pragma once

#include "data/history/HistoryEntry.h"
#include "data/storage/Recordset.h"

#include <QString>
#include <QStringList>
#include <memory>

// A new file being built: tables of text fields and their first records, stored on commit.
// A builder destroyed before commit leaves nothing behind.
class FileBuilder {
  public:
    virtual ~FileBuilder() = default;
    virtual void createTable(const QString& table, const QStringList& fields) = 0;
    // Fields left out are null.
    virtual void insert(const QString& table, const FieldValues& values) = 0;
    // Under the key the record had where it is copied from: the history carried with it still names
    // it, and it keeps its place in record order.
    virtual void insertKeyed(const QString& table, qint64 key, const FieldValues& values) = 0;
    // The table gives no record a key up to this one, as where it is copied from never gives one
    // twice: the history carried with it names deleted records by their keys.
    virtual void keepKeysAbove(const QString& table, qint64 lastKey) = 0;
    // Entries of the history of where the content is copied from, oldest first.
    virtual void addHistory(const QVector<HistoryEntry>& entries) = 0;
    virtual void commit() = 0;
};

// Where new files of one folder or server are made. Used by the tools.
class FileCreator {
  public:
    virtual ~FileCreator() = default;
    // The file's full name, as a data control would name it.
    virtual QString pathOf(const QString& fileConstant) const = 0;
    // Throws FileExistsError when the file is there already, StorageError on any other failure.
    virtual std::unique_ptr<FileBuilder> create(const QString& fileConstant) = 0;
};
