#pragma once

#include "data/storage/PostgresProvider.h"
#include "data/storage/SqlCipherProvider.h"

// The storage a station runs on: database files, or a database server where the data folder text
// names one (see paths::isServer). Setup.mdb and Location.mdb, which say where the data is, are
// always files.
class RoutingProvider : public DatabaseProvider {
  public:
    std::shared_ptr<Database> open(const QString& path, const QString& connect) override;
    // A server's schemas need no opening ahead: its connection is open already.
    QVector<std::shared_ptr<const TableSnapshot>>
    openAheadReading(const QString& path, const QString& connect, const QStringList& tables) override;
    std::shared_ptr<Database> openKnown(const QString& path, const QString& connect,
                                        const TableSnapshot& snapshot) override;

    bool exists(const QString& path) override;
    // A file gets a salt of its own; a server's schema is made as the address's own user.
    void create(const QString& path, const std::function<void(FileBuilder&)>& build) override;

    SqlCipherProvider& files() { return files_; }

  private:
    SqlCipherProvider files_;
    PostgresProvider server_;
};
