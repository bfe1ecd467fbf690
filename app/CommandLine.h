#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The board's command line. --help and --version are answered before any window system is
// needed, so they work from a console and in scripts.
namespace commandLine {

struct Options {
    bool newInstance = false; // start a board even where one runs already
    bool fullScreen = false;  // the whole screen, for a screen that shows nothing else
};

QString helpText();
QString versionText();

// --help or --version among the arguments: what to print on standard output.
std::optional<QString> earlyAnswer(const QStringList& arguments);

// The options, or the message that says what is wrong (Qt's own options are taken out beforehand).
struct Parsed {
    Options options;
    QString error;
};
Parsed parse(const QStringList& arguments);

} // namespace commandLine
