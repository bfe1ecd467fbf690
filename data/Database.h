#pragma once

#include "data/Recordset.h"

#include <QString>
#include <memory>

class Database {
public:
    virtual ~Database() = default;
    virtual QString path() const = 0;
    // Throws StorageError when the table does not exist or is not a plain table.
    virtual std::unique_ptr<Recordset> openTable(const QString& table) = 0;
};

// Opens existing database files; never creates one.
class DatabaseProvider {
public:
    virtual ~DatabaseProvider() = default;
    // connect is the data control's connect string (";Pwd=..."). Throws StorageError.
    virtual std::shared_ptr<Database> open(const QString& path, const QString& connect) = 0;
};
