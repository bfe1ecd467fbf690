#pragma once

#include "data/Recordset.h"

#include <QString>
#include <functional>
#include <memory>

class Database {
  public:
    virtual ~Database() = default;
    virtual QString path() const = 0;
    // Throws StorageError when the table does not exist or is not a plain table.
    virtual std::unique_ptr<Recordset> openTable(const QString& table) = 0;
    // A number that changes whenever another connection has committed to this file, and only then:
    // cheap enough to ask every couple of seconds on a network share. Throws StorageError.
    virtual quint64 changeStamp() = 0;
    // Reads that belong together (a table, its first record, the change stamp) as one read of the
    // file: on a network share every separate read pays its own round trips. No writes inside.
    virtual void readTogether(const std::function<void()>& reads) { reads(); }
};

class KeptEdits;

// Opens existing database files; never creates one.
class DatabaseProvider {
  public:
    virtual ~DatabaseProvider() = default;
    // connect is the data control's connect string (";Pwd=..."). Throws StorageError.
    virtual std::shared_ptr<Database> open(const QString& path, const QString& connect) = 0;
    // Safe from any thread: opens a file the board is about to need (the next day's, before midnight)
    // so that open() later costs no more than checking it is still the same file. Failures are left
    // for open() to meet.
    virtual void openAhead(const QString& path, const QString& connect) {
        (void)path;
        (void)connect;
    }

    // Where text that could not be stored as its control moved on or closed is kept (beside the
    // program, never on the share). Without one, such a write failure is thrown to the caller.
    KeptEdits* keptEdits() const { return keptEdits_; }
    void setKeptEdits(KeptEdits* kept) { keptEdits_ = kept; }

  private:
    KeptEdits* keptEdits_ = nullptr;
};
