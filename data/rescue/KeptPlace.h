#pragma once

#include <QString>

// Where kept text belongs: the file's name ("Monday.mdb") and the data folder or server it lies in.
// The folder is shown to presenters and written to this computer's disk, so a server address loses
// any password in it; the board's own folder text (with its password) is matched against it.
struct KeptPlace {
    QString folder;
    QString file;

    // A database file's path, as a data control names it.
    static KeptPlace of(const QString& path);
    // The folder part of a path, password and all: what the board opens files through.
    static QString folderOf(const QString& path);
    // A server address without its password (in "user:password@" or a "password=" parameter);
    // a folder as it is.
    static QString withoutPassword(const QString& folderOrAddress);

    bool isIn(const QString& folderWithPassword) const {
        return withoutPassword(folderWithPassword) == folder;
    }
};
