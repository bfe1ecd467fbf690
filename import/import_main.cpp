// cuepilot-import: takes a station's legacy Access 2000 files over into the board's own files.
#include "data/storage/StorageError.h"
#include "import/Importer.h"
#include "import/QuietOutput.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QTextStream out(stdout);
    QTextStream err(stderr);
    legacy_import::Options options;
    options.anyPassword = args.removeAll(QStringLiteral("--any-password")) > 0;
    if (args.removeAll(QStringLiteral("--setup")) > 0) options.kind = catalogue::Folder::Program;
    if (args.size() != 2 || args[0].startsWith(QLatin1Char('-')) || args[1].startsWith(QLatin1Char('-'))) {
        err << "usage: cuepilot-import [--any-password] LEGACY_FOLDER DATA_FOLDER\n"
               "       cuepilot-import [--any-password] --setup LEGACY_PROGRAM_FOLDER PROGRAM_FOLDER\n"
               "Copies every table and record of the station's Access 2000 files into new files of the\n"
               "same names: the content files, or with --setup Setup.mdb and Location.mdb. Existing files\n"
               "are never overwritten and nothing is written into the legacy folder. A board file missing\n"
               "from the legacy folder is created blank. Files whose database password is not the\n"
               "station's are skipped unless --any-password is given.\n"
               "Exit status: 0 when every file was taken, 1 when one was skipped, 2 on a usage error.\n";
        return 2;
    }
    options.legacyFolder = QFileInfo(args[0]).absoluteFilePath();
    options.targetFolder = QFileInfo(args[1]).absoluteFilePath();
    try {
        const legacy_import::Report report = [&] {
            QuietOutput quiet;
            return legacy_import::run(options);
        }();
        out << report.text();
        return report.everythingTaken() ? 0 : 1;
    } catch (const StorageError& e) {
        err << "cuepilot-import: " << e.message() << "\n";
        return 2;
    }
}
