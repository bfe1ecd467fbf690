#pragma once

#include "data/catalogue/Catalogue.h"

#include <QString>
#include <QStringList>
#include <QVector>

// Takes a station's legacy Access files over into the board's own files of the same names.
namespace legacy_import {

struct Options {
    QString legacyFolder;                             // read only
    QString targetFolder;                             // new files only; never one that exists
    catalogue::Folder kind = catalogue::Folder::Data; // the data files, or Setup.mdb and Location.mdb
    bool anyPassword = false;                         // take files whose header password is not the station's
};

struct TableResult {
    QString name;
    int records = 0;
};

struct FileResult {
    enum class Outcome {
        Copied,       // every table and record taken
        CreatedBlank, // not in the legacy folder; made blank so the board can open it
        Skipped,      // nothing written
    };
    QString name; // "Monday.mdb"
    Outcome outcome = Outcome::Skipped;
    QString reason; // why it was skipped
    QVector<TableResult> tables;
    QStringList notes; // missing and extra tables and fields, and what was done about them
    bool whole = true; // false when a copied file left something behind (a binary field)
};

struct Report {
    QVector<FileResult> files; // in catalogue order
    catalogue::Folder kind = catalogue::Folder::Data;
    QStringList otherKindFiles; // board files of the other folder (Setup.mdb among the content files)
    QStringList unknownFiles;   // .mdb files in the legacy folder that the board does not use
    // True when no file of the board was skipped or copied only in part.
    bool everythingTaken() const;
    QString text() const;
};

// Throws StorageError when the target folder cannot be made or lies in the legacy folder.
Report run(const Options& options);

} // namespace legacy_import
