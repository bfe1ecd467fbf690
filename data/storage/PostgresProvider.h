#pragma once

#include "data/storage/Database.h"
#include "data/storage/FileBuilder.h"

#include <QHash>
#include <QMutex>
#include <QString>
#include <memory>

class PgConnection;

// The PostgreSQL engine. A data folder text "postgresql://HOST[:PORT]/DATABASE" names a database;
// each file of the folder is a schema of it named after the file ("Monday.mdb"), holding the same
// tables and fields. The connect string's password is the password of a database role, by default
// kDefaultRole; a user named in the address signs in instead. One connection per server address
// and password, shared by every file on it.
class PostgresProvider : public DatabaseProvider {
  public:
    PostgresProvider();
    ~PostgresProvider() override;

    inline static const QString kDefaultRole = QStringLiteral("cuepilot");
    // The record key column every table has besides its fields: a serial, so keys only grow.
    inline static const QString kKeyColumn = QStringLiteral("cuepilot_key");

    std::shared_ptr<Database> open(const QString& path, const QString& connect) override;

    // New files on a server, made as the address's own user (the client library's defaults where
    // it names none; never the station's role). The role, which must exist, may then read and
    // write records and nothing more. Used by the tools.
    static std::unique_ptr<FileCreator> serverCreator(const QString& server,
                                                      const QString& role = kDefaultRole);

  private:
    QMutex mutex_;
    QHash<QString, std::shared_ptr<PgConnection>> connections_;
};
