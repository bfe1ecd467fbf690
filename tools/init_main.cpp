// cuepilot-init: creates the installation's database files that are not there yet.
#include "data/StorageError.h"
#include "tools/Installation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QTextStream out(stdout);
    QTextStream err(stderr);
    installation::Options options;
    options.demo = args.removeAll(QStringLiteral("--demo")) > 0;
    const bool argsFit = args.size() == 2 || (args.size() == 1 && !options.demo);
    if (!argsFit || args[0].startsWith(QLatin1Char('-'))) {
        err << "usage: cuepilot-init [--demo] PROGRAM_FOLDER DATA_FOLDER\n"
               "       cuepilot-init PROGRAM_FOLDER\n"
               "Creates Setup.mdb and Location.mdb in PROGRAM_FOLDER and the content files in DATA_FOLDER.\n"
               "With PROGRAM_FOLDER alone, only the two setup files are made, their data folder left empty\n"
               "for Network Setup to fill in.\n"
               "Existing files are never overwritten. --demo fills new files with demo content.\n";
        return 2;
    }
    options.programFolder = QFileInfo(args[0]).absoluteFilePath();
    if (args.size() == 2) options.dataFolder = QFileInfo(args[1]).absoluteFilePath();
    options.setupPath = options.dataFolder;
    options.stationName = options.demo ? QStringLiteral("KCUE 101.5") : QString();
    try {
        const installation::Report report = installation::create(options);
        for (const QString& p : report.created)
            out << "created  " << QDir::toNativeSeparators(p) << "\n";
        if (report.created.isEmpty())
            out << "All " << report.skipped.size() << " files are already there; nothing created.\n";
        else
            out << report.created.size() << " files created" << (options.demo ? " with demo content" : "")
                << ", " << report.skipped.size() << " already there and left alone.\n";
    } catch (const StorageError& e) {
        err << "cuepilot-init: " << e.message() << "\n";
        return 1;
    }
    return 0;
}
