#pragma once

#include <QString>

// A station's shared data folder is a setgid folder of the station's group: every presenter of the
// group must be able to write whatever any program makes in it, whoever made it and with whatever
// umask. The engine gives a journal the rights of its database file, so the files themselves are
// enough.
namespace groupfolder {

// Whether the folder is a setgid folder: what is made in it belongs to its group.
bool isShared(const QString& folder);

// Gives a file just made (open as fd) in folder the folder's group and lets the group read and write
// it, when the folder is shared; leaves it as it is otherwise. Returns false with errno set when the
// rights could not be given.
bool shareNewFile(int fd, const QString& folder);
// The same for a file or folder by its path.
bool shareNewPath(const QString& path);

// Makes the folder and any missing folder above it; a folder made inside a shared folder is shared
// and writable for the group too. Whether the folder is there now.
bool makePath(const QString& folder);

// The plain words for a write this user may not make, when the file or its folder (which must take
// the file's journal) is not writable for them; empty when both are. "Monday.mdb in /srv/radio/Data is
// not writable for presenter2: ask the station's engineer to make the data folder writable for the
// group."
QString refusedFor(const QString& file);

// This process's user name, as the station's engineer knows it.
QString userName();

} // namespace groupfolder
