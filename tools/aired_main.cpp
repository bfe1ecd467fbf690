// cuepilot-aired: the reads on air confirmed at the board, for the sales office.
#include "aired/AiredLog.h"
#include "aired/AiredReport.h"
#include "aired/CopyDate.h"
#include "data/catalogue/FailureSaid.h"
#include "data/storage/RoutingProvider.h"
#include "data/storage/StorageError.h"
#include "tools/CommandLine.h"

#include <QCoreApplication>
#include <QTextStream>
#include <utility>

namespace {

const char* const kUsage =
    "usage: cuepilot-aired DATA_FOLDER_OR_SERVER --from DATE --to DATE [--copy NAME] [--csv [--bom]]\n"
    "Lists every read on air confirmed at the board (Read on Air) on the days from..to, grouped by\n"
    "copy with a count for each: date, time, studio, user and a fingerprint of the text as read.\n"
    "DATA_FOLDER_OR_SERVER is the station's data folder or its postgresql:// server address.\n"
    "Dates are written as in the copy libraries: 12/31/26, 12/31/2026, Dec 31 2026, 2026-12-31\n"
    "(month first when slashed), 31.12.2026 (day first when dotted).\n"
    "  --copy NAME  only the copy of that name (letter case aside)\n"
    "  --csv        comma-separated values for a spreadsheet instead of text\n"
    "  --bom        with --csv: a byte-order mark first, for spreadsheets that need one\n"
    "  --help       this text;  --version  the program's version\n";

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (args.contains(QStringLiteral("--help"))) {
        out << kUsage;
        return 0;
    }
    if (args.contains(QStringLiteral("--version"))) {
        out << "cuepilot-aired " << CUEPILOT_VERSION << "\n";
        return 0;
    }
    const bool asCsv = args.removeAll(QStringLiteral("--csv")) > 0;
    const bool byteOrderMark = args.removeAll(QStringLiteral("--bom")) > 0;
    QString fromText, toText, copy;
    const bool optionsOk = commandline::takeOption(args, QStringLiteral("--from"), fromText) &&
                           commandline::takeOption(args, QStringLiteral("--to"), toText) &&
                           commandline::takeOption(args, QStringLiteral("--copy"), copy);
    if (!optionsOk || args.size() != 1 || args[0].startsWith(QLatin1Char('-')) || fromText.isEmpty() ||
        toText.isEmpty()) {
        err << kUsage;
        return 2;
    }
    const std::optional<QDate> from = readCopyDate(fromText);
    const std::optional<QDate> to = readCopyDate(toText);
    for (const auto& [given, read] : {std::pair{fromText, from}, std::pair{toText, to}})
        if (!read) {
            err << "cuepilot-aired: not a date: " << given << "\n";
            return 2;
        }
    if (*to < *from) {
        err << "cuepilot-aired: the range ends before it starts: --from " << fromText << " is after --to "
            << toText << ".\n";
        return 2;
    }
    RoutingProvider storage;
    const QString logPath = AiredLog::pathIn(commandline::folderOrServer(args[0]), QString());
    try {
        AiredLog log(storage, logPath);
        const QVector<airedreport::CopyReads> groups =
            airedreport::grouped(log.readsBetween(*from, *to, copy));
        out << (asCsv ? airedreport::csv(groups, byteOrderMark) : airedreport::text(groups, *from, *to));
    } catch (const StorageError& e) {
        err << "cuepilot-aired: " << saidOf(Failure::of(e), logPath) << "\n";
        return 1;
    }
    return 0;
}
