#pragma once

#include "data/catalogue/Catalogue.h"
#include "data/storage/PostgresProvider.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// Creates the installation's database files: every file of the catalogue with its tables, text
// fields and the one blank record of each single-record table. Never overwrites an existing file.
namespace installation {

struct Options {
    QString programFolder; // Setup.mdb, Location.mdb; empty: not made
    QString dataFolder;    // everything else: a folder, or a database server address; empty: not made
    // On a server: the role that may read and write the records (it must exist already).
    QString serverRole = PostgresProvider::kDefaultRole;
    bool demo = false; // fill with believable demo content
    // Written into the "Setup" field of a new Setup.mdb. Empty means the program folder.
    QString setupPath;
    QString stationName; // "SetupName" of a new Setup.mdb
    // A file or folder that cannot be made is reported and the others are still made (the tool);
    // otherwise the first failure throws (what builds a test installation).
    bool goOnPastFailures = false;
};

struct Report {
    QStringList created; // full paths
    QStringList skipped; // already there, left alone
    QStringList failed;  // "path: reason", with goOnPastFailures
};

// Throws StorageError when a file cannot be created, unless options.goOnPastFailures.
Report create(const Options& options);

// One new blank file of the catalogue, keyed with the raw key over the salt, exactly as create()
// makes it. Throws StorageError; a half-made file is removed.
void createBlank(const QString& path, const catalogue::FileSpec& file, const QByteArray& key,
                 const QByteArray& salt);

// A fresh salt and the raw key of the station password over it: one pair serves a whole run.
struct Keying {
    QByteArray salt;
    QByteArray key;
};
Keying newKeying();

} // namespace installation
