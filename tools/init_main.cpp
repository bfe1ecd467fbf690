// cuepilot-init: creates the installation's database files that are not there yet.
#include "data/catalogue/Paths.h"
#include "data/storage/StorageError.h"
#include "tools/CommandLine.h"
#include "tools/Installation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace {

const char kUsage[] =
    "usage: cuepilot-init [--demo] [--role ROLE] PROGRAM_FOLDER DATA_FOLDER\n"
    "       cuepilot-init PROGRAM_FOLDER\n"
    "       cuepilot-init [--demo] [--role ROLE] --server postgresql://HOST[:PORT]/DATABASE\n"
    "Creates Setup.mdb and Location.mdb in PROGRAM_FOLDER and the content files in DATA_FOLDER,\n"
    "which may also be a server address. With PROGRAM_FOLDER alone, only the two setup files are\n"
    "made, their data folder left empty for Network Setup to fill in. With --server, only the\n"
    "content files are made, each as a schema of the database named after the file, signed in as\n"
    "the address's user; the role (default cuepilot, which must exist) may then read and write\n"
    "their records.\n"
    "Existing files are never overwritten. --demo fills new files with demo content.\n"
    "A server password goes in PGPASSWORD or ~/.pgpass, not in the address: every user of the\n"
    "machine can read a command line. --help shows this text, --version the version.\n";

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (const auto status = commandline::answerHelpOrVersion(args, "cuepilot-init", kUsage)) return *status;
    QTextStream out(stdout);
    QTextStream err(stderr);
    installation::Options options;
    options.demo = args.removeAll(QStringLiteral("--demo")) > 0;
    QString server;
    const bool optionsOk = commandline::takeOption(args, QStringLiteral("--server"), server) &&
                           commandline::takeOption(args, QStringLiteral("--role"), options.serverRole);
    const bool serverOnly = !server.isEmpty() && paths::isServer(server) && args.isEmpty();
    const bool folders = server.isEmpty() && (args.size() == 2 || (args.size() == 1 && !options.demo)) &&
                         !args[0].startsWith(QLatin1Char('-'));
    if (!optionsOk || (!serverOnly && !folders)) {
        err << kUsage;
        return 2;
    }
    if (serverOnly) {
        options.dataFolder = server;
    } else {
        options.programFolder = QFileInfo(args[0]).absoluteFilePath();
        if (args.size() == 2) options.dataFolder = commandline::folderOrServer(args[1]);
        options.setupPath = options.dataFolder;
    }
    options.stationName = options.demo ? QStringLiteral("KCUE 101.5") : QString();
    // Every file that can be made is made, and listed, whatever fails beside it.
    options.goOnPastFailures = true;
    try {
        const installation::Report report = installation::create(options);
        for (const QString& p : report.created)
            out << "created  " << commandline::shown(p) << "\n";
        for (const QString& f : report.failed)
            err << "cuepilot-init: not created: " << paths::withoutPassword(f) << "\n";
        if (report.created.isEmpty() && report.failed.isEmpty())
            out << "All " << report.skipped.size() << " files are already there; nothing created.\n";
        else
            out << report.created.size() << " files created" << (options.demo ? " with demo content" : "")
                << ", " << report.skipped.size() << " already there and left alone"
                << (report.failed.isEmpty() ? QString()
                                            : QStringLiteral(", %1 not created").arg(report.failed.size()))
                << ".\n";
        if (!report.failed.isEmpty()) return 1;
    } catch (const StorageError& e) {
        err << "cuepilot-init: " << paths::withoutPassword(e.message()) << "\n";
        return 1;
    }
    return 0;
}
