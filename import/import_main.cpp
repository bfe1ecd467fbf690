// cuepilot-import: takes a station's legacy Access 2000 files over into the board's own files.
#include "data/storage/StorageError.h"
#include "import/Importer.h"
#include "tools/CommandLine.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>
#include <exception>

namespace {

const char kUsage[] =
    "usage: cuepilot-import [OPTIONS] LEGACY_FOLDER DATA_FOLDER\n"
    "       cuepilot-import [OPTIONS] --setup LEGACY_PROGRAM_FOLDER PROGRAM_FOLDER\n"
    "Copies every table and record of the station's Access 2000 files into new files of the\n"
    "same names: the content files, or with --setup Setup.mdb and Location.mdb. Existing files\n"
    "are never overwritten and nothing is written into the legacy folder. A board file missing\n"
    "from the legacy folder is created blank. Each legacy file is read by a process of its own\n"
    "with bounded time and memory, so a damaged file is skipped and the others are still taken.\n"
    "\n"
    "  --any-password      also take files whose database password is not the station's\n"
    "  --keep-damaged      take what can be read of a damaged file, and name it as damaged\n"
    "  --time-limit SECS   time to read one legacy file (default 60)\n"
    "  --verbose           after the summary, every file's tables, records and notes\n"
    "  --help, --version   this text; the program's version\n"
    "\n"
    "Exit status: 0 when every file was taken whole, 1 when one was skipped or damaged, 2 when\n"
    "nothing could be done (a usage error, an unreadable legacy folder, none of the station's\n"
    "files in it, a target folder inside it).\n";

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (const auto status = commandline::answerHelpOrVersion(args, "cuepilot-import", kUsage)) return *status;
    QTextStream out(stdout);
    QTextStream err(stderr);
    legacy_import::Options options;
    options.anyPassword = commandline::takeFlag(args, QStringLiteral("--any-password"));
    options.keepDamaged = commandline::takeFlag(args, QStringLiteral("--keep-damaged"));
    const bool verbose = commandline::takeFlag(args, QStringLiteral("--verbose"));
    if (commandline::takeFlag(args, QStringLiteral("--setup"))) options.kind = catalogue::Folder::Program;
    QString seconds = QString::number(options.limits.wallSeconds);
    const bool limitGiven = commandline::takeOption(args, QStringLiteral("--time-limit"), seconds);
    bool limitOk = false;
    const int wall = seconds.toInt(&limitOk);
    if (!limitGiven || !limitOk || wall < 1 || args.size() != 2 || args[0].startsWith(QLatin1Char('-')) ||
        args[1].startsWith(QLatin1Char('-'))) {
        err << kUsage;
        return 2;
    }
    options.limits.wallSeconds = wall;
    options.limits.cpuSeconds = wall; // a reading that works all the time it has is looping
    options.legacyFolder = QFileInfo(args[0]).absoluteFilePath();
    options.targetFolder = QFileInfo(args[1]).absoluteFilePath();
    try {
        const legacy_import::Report report = legacy_import::run(options);
        out << report.summary();
        if (verbose) out << "\n" << report.details();
        return report.everythingTaken() ? 0 : 1;
    } catch (const StorageError& e) {
        err << "cuepilot-import: " << legacy_import::printable(e.message()) << "\n";
        return 2;
    } catch (const std::exception& e) {
        err << "cuepilot-import: " << e.what() << "\n";
        return 2;
    }
}
