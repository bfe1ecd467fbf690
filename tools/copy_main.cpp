// cuepilot-copy: moves a station's content files between a data folder and a database server.
#include "data/catalogue/Paths.h"
#include "data/storage/StorageError.h"
#include "tools/CommandLine.h"
#include "tools/ContentCopy.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace {

const char kUsage[] =
    "usage: cuepilot-copy [--role ROLE] FROM TO\n"
    "Copies the content files of a data folder (Monday.mdb ... Phone.mdb) from FROM to TO, each\n"
    "a folder or a server address postgresql://HOST[:PORT]/DATABASE: every table, every record\n"
    "in order, empty fields as empty and missing ones as missing. Files already at TO are left\n"
    "alone. On a server, files are read as the role cuepilot with the station password (unless\n"
    "the address names a user) and made as the address's user, with ROLE (default cuepilot)\n"
    "allowed to read and write their records.\n"
    "A server password goes in PGPASSWORD or ~/.pgpass, not in the address: every user of the\n"
    "machine can read a command line. --help shows this text, --version the version.\n";

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (const auto status = commandline::answerHelpOrVersion(args, "cuepilot-copy", kUsage)) return *status;
    QTextStream out(stdout);
    QTextStream err(stderr);
    QString role = PostgresProvider::kDefaultRole;
    const bool optionsOk = commandline::takeOption(args, QStringLiteral("--role"), role);
    if (!optionsOk || args.size() != 2 || args[0].startsWith(QLatin1Char('-')) ||
        args[1].startsWith(QLatin1Char('-'))) {
        err << kUsage;
        return 2;
    }
    contentcopy::Report report;
    try {
        report = contentcopy::copy(commandline::folderOrServer(args[0]), commandline::folderOrServer(args[1]),
                                   role);
    } catch (const StorageError& e) {
        err << "cuepilot-copy: " << paths::withoutPassword(e.message()) << "\n";
        return 1;
    }
    for (const QString& p : report.copied)
        out << "copied   " << commandline::shown(p) << "\n";
    for (const QString& p : report.skipped)
        out << "left     " << commandline::shown(p) << " (already there)\n";
    for (const QString& f : report.failed)
        err << "cuepilot-copy: " << paths::withoutPassword(f) << "\n";
    out << report.copied.size() << " files copied, " << report.skipped.size() << " already there, "
        << report.failed.size() << " failed.\n";
    return report.failed.isEmpty() ? 0 : 1;
}
