#pragma once

#include "data/catalogue/Catalogue.h"
#include "data/storage/StorageError.h"

#include <QString>
#include <sqlcipher/sqlite3.h>
#include <string>

// A connection outside the storage layer, as another program (or a studio holding a lock) has.
class RawConnection {
  public:
    explicit RawConnection(const QString& path) {
        sqlite3_open_v2(path.toUtf8().constData(), &db_, SQLITE_OPEN_READWRITE, nullptr);
        exec("PRAGMA key = '" + catalogue::kPassword.toStdString() + "'");
    }
    ~RawConnection() { sqlite3_close(db_); }
    void exec(const std::string& sql) {
        char* error = nullptr;
        if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
            const std::string message = error ? error : "?";
            sqlite3_free(error);
            throw StorageError(QString::fromStdString(message));
        }
    }
    std::string text(const std::string& sql) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr);
        std::string out;
        if (st && sqlite3_step(st) == SQLITE_ROW)
            out = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        sqlite3_finalize(st);
        return out;
    }

  private:
    sqlite3* db_ = nullptr;
};
