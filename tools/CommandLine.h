#pragma once

#include "data/catalogue/Paths.h"

#include <QDir>
#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <optional>

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

// A path or server address for printing: native separators, no password.
inline QString shown(const QString& path) {
    return paths::withoutPassword(QDir::toNativeSeparators(path));
}

// Answers --help (the usage text on standard output) and --version; the exit status to return when
// one of them was asked for.
inline std::optional<int> answerHelpOrVersion(const QStringList& args, const char* program,
                                              const char* usage) {
    QTextStream out(stdout);
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        out << usage;
        return 0;
    }
    if (args.contains(QStringLiteral("--version"))) {
        out << program << " " << CUEPILOT_VERSION << "\n";
        return 0;
    }
    return std::nullopt;
}

// Removes "--name" from the arguments; whether it was there.
inline bool takeFlag(QStringList& args, const QString& name) {
    return args.removeAll(name) > 0;
}

} // namespace commandline
