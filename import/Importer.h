#pragma once

#include "data/catalogue/Catalogue.h"
#include "import/IsolatedReader.h"

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
    bool keepDamaged = false;                         // take damaged files too, named as damaged
    legacy::Limits limits;                            // what reading one legacy file may cost
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
    // Why a file was skipped, or why a copied one is not whole.
    enum class Trouble {
        None,
        Damaged,         // the file is damaged (reason says how)
        OtherPassword,   // its database password is not the station's
        AlreadyThere,    // the target folder holds a file of that name
        Unreadable,      // not an Access 2000 file, truncated, not a regular file, two spellings
        CannotBeWritten, // the target folder refused it
    };
    QString name; // "Monday.mdb"
    Outcome outcome = Outcome::Skipped;
    Trouble trouble = Trouble::None;
    QString reason; // why it was skipped, or what is damaged in a file taken with its damage
    QVector<TableResult> tables;
    QStringList notes; // missing and extra tables and fields, and what was done about them
    bool whole = true; // false when a copied file left something behind (a binary field)
    QString messages;  // what the legacy library printed while reading it
};

// A location or data folder whose path is a Windows one ("Z:/...", "\\SERVER\..."): the board on
// this system cannot reach it until it is set anew in Network Setup.
struct WindowsPath {
    QString name; // "KLGC Main", or "the data folder"
    QString path;
};

struct Report {
    QVector<FileResult> files; // in catalogue order
    catalogue::Folder kind = catalogue::Folder::Data;
    QStringList otherKindFiles; // board files of the other folder (Setup.mdb among the content files)
    QStringList unknownFiles;   // .mdb files in the legacy folder that the board does not use
    QVector<WindowsPath> windowsPaths;
    // True when no file of the board was skipped, damaged or copied only in part.
    bool everythingTaken() const;
    // In plain words, a few lines.
    QString summary() const;
    // File by file, table by table.
    QString details() const;
};

// The text with every control character (a newline, an escape sequence, a direction change) written
// as \x1b or \u202e: names from a legacy folder or file must not clear the screen or fake a line.
QString printable(const QString& text);

// What the legacy tables read from one of the board's files show to be damaged or lost, in the
// staff's words; empty when the file can be taken as sound.
QStringList damageIn(const catalogue::FileSpec& file, const QVector<legacy::Table>& tables);

// Throws StorageError when the legacy folder cannot be read or holds none of the station's files,
// or when the target folder cannot be made or lies in the legacy folder.
Report run(const Options& options);

} // namespace legacy_import
