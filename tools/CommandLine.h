#pragma once

#include "data/catalogue/Paths.h"

#include <QFileInfo>
#include <QString>
#include <QStringList>

// What the tools share in reading their command lines.
namespace commandline {

// Removes "--name VALUE" from the arguments; false when the name is there without a value.
inline bool takeOption(QStringList& args, const QString& name, QString& value) {
    const int at = int(args.indexOf(name));
    if (at < 0) return true;
    if (at + 1 >= args.size()) return false;
    value = args[at + 1];
    args.remove(at, 2);
    return true;
}

// A data folder as given: a server address as it is, a folder made absolute.
inline QString folderOrServer(const QString& text) {
    return paths::isServer(text) ? text : QFileInfo(text).absoluteFilePath();
}

} // namespace commandline
