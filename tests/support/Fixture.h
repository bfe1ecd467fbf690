#pragma once

#include "data/storage/Recordset.h"

#include <QString>
#include <QTemporaryDir>
#include <QVariant>
#include <memory>
#include <ostream>
#include <string>

// Where a station keeps its content files.
enum class Engine { Files, Server };

inline void PrintTo(Engine engine, std::ostream* os) {
    *os << (engine == Engine::Files ? "files" : "server");
}

// The engine, as the last part of a parameterised test's name.
struct EngineName {
    template <class ParamInfo> std::string operator()(const ParamInfo& info) const {
        return info.param == Engine::Files ? "Files" : "Server";
    }
};

// A temporary installation built with the real installation code: a program folder and a data
// folder, blank or with demo content. The data folder is a folder of files, or a new database on
// this process's test server. Reads and writes go through a connection of their own, so they see
// only what was committed.
class Fixture {
  public:
    // programFolder/ holds Setup.mdb and Location.mdb; data/ (or the server) holds the rest.
    // setupPath: what the "Setup" field says ("<data>" stands for the data folder).
    explicit Fixture(bool demo = true, const QString& setupPath = QStringLiteral("<data>"),
                     Engine engine = Engine::Files);
    // The data folder a new database on this server.
    Fixture(bool demo, const QString& setupPath, class TestServer& server);
    ~Fixture();

    QString root() const { return dir_.path(); }
    QString programFolder() const { return dir_.path() + QStringLiteral("/program"); }
    // A folder, or a server address signing in as the station role.
    QString dataFolder() const { return dataFolder_; }
    QString dataFile(const QString& constant) const; // "\\Monday.mdb" -> full path
    QString programFile(const QString& constant) const;

    // First record's field ("" for null); throws StorageError.
    QString read(const QString& path, const QString& table, const QString& field, int row = 0) const;
    int count(const QString& path, const QString& table) const;
    // Writes the field of the row-th record; throws StorageError.
    void write(const QString& path, const QString& table, const QString& field, const QString& value,
               int row = 0) const;
    void append(const QString& path, const QString& table, const FieldValues& values) const;
    void removeAll(const QString& path, const QString& table) const;
    void remove(const QString& path) const; // deletes the file

  private:
    Fixture(bool demo, const QString& setupPath, class TestServer* server);

    QTemporaryDir dir_;
    class TestServer* server_;
    QString database_;
    QString dataFolder_;
    std::unique_ptr<class RoutingProvider> provider_;
};
