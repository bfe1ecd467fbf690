#pragma once

#include "data/storage/PostgresProvider.h"

#include <QString>
#include <QStringList>

// Moves a station's content from one data folder to another, where either may be a folder of
// files or a database server address: every content file of the catalogue, table by table, each
// record in record order, its fields as they are (a null stays null, an empty text stays empty).
// The destination's files are new: a file already there is left alone and reported.
namespace contentcopy {

struct Report {
    QStringList copied;  // destination paths
    QStringList skipped; // already there, left alone
    QStringList failed;  // "file: the engine's words"
};

// Sources are read with the station password (on a server: as the station role, unless the
// address names a user). New server files are made as the destination address's user and may be
// read and written by the role.
Report copy(const QString& from, const QString& to, const QString& role = PostgresProvider::kDefaultRole);

} // namespace contentcopy
