#pragma once

#include "data/Recordset.h"

#include <QString>
#include <QTemporaryDir>
#include <QVariant>
#include <memory>

// A temporary installation built with the real installation code: a program folder and a data
// folder, blank or with demo content. Reads and writes go through a connection of their own, so
// they see only what was committed to the files.
class Fixture {
public:
    // programFolder/ holds Setup.mdb and Location.mdb; data/ holds the rest.
    // setupPath: what the "Setup" field says ("<data>" stands for the data folder).
    explicit Fixture(bool demo = true, const QString& setupPath = QStringLiteral("<data>"));
    ~Fixture();

    QString root() const { return dir_.path(); }
    QString programFolder() const { return dir_.path() + QStringLiteral("/program"); }
    QString dataFolder() const { return dir_.path() + QStringLiteral("/data"); }
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
    QTemporaryDir dir_;
    std::unique_ptr<class SqlCipherProvider> provider_;
};
