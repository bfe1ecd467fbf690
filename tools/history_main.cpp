// cuepilot-history: lists what was changed in a content file, by whom and when, and puts one change back.
#include "aired/CopyDate.h"
#include "data/catalogue/Catalogue.h"
#include "data/catalogue/Paths.h"
#include "data/history/HistorySource.h"
#include "data/sharing/HistoryRestore.h"
#include "data/storage/RoutingProvider.h"
#include "data/storage/StorageError.h"
#include "tools/CommandLine.h"

#include <QCoreApplication>
#include <QTextStream>

namespace {

const char kUsage[] =
    "usage: cuepilot-history DATA_FOLDER_OR_SERVER FILE [TABLE [FIELD]] [--since DATE] [--restore ID]\n"
    "       cuepilot-history DATA_FOLDER_OR_SERVER FILE --prune\n"
    "Lists the changes kept in a content file (Monday.mdb, Phone.mdb, ...) of a data folder or of a\n"
    "server postgresql://HOST[:PORT]/DATABASE, newest first: id, time (UTC), computer, user, table,\n"
    "record, field, old -> new. Texts are shown in double quotes, a field without a value as (null).\n"
    "TABLE and FIELD narrow the list; --since DATE (2026-12-01, or 2026-12-01T06:00, local time)\n"
    "leaves out older changes. --restore ID puts that change back as an ordinary write: the field\n"
    "gets its old value again, a deleted record comes back in its place. The board may be running.\n"
    "--prune removes the changes older than 90 days from FILE at once (a running board does it once a\n"
    "day for every data file).\n"
    "A server password goes in PGPASSWORD or ~/.pgpass, not in the address: every user of the\n"
    "machine can read a command line. --help shows this text, --version the version.\n";

QString fileConstant(const QString& file) {
    return file.startsWith(QLatin1Char('/')) || file.startsWith(QLatin1Char('\\')) ? file
                                                                                   : QLatin1Char('/') + file;
}

QString line(const HistoryEntry& e) {
    return QStringLiteral("%1  %2  %3  %4  %5  %6  %7  %8 -> %9")
        .arg(e.id)
        .arg(e.at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), e.computer, e.user, e.table)
        .arg(e.record)
        .arg(e.field, shownValue(e.before), shownValue(e.after));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (const auto status = commandline::answerHelpOrVersion(args, "cuepilot-history", kUsage))
        return *status;
    QTextStream out(stdout);
    QTextStream err(stderr);
    QString since, restore;
    const bool prune = commandline::takeFlag(args, QStringLiteral("--prune"));
    const bool optionsOk = commandline::takeOption(args, QStringLiteral("--since"), since) &&
                           commandline::takeOption(args, QStringLiteral("--restore"), restore);
    HistoryFilter filter;
    bool restoreOk = true;
    const qint64 restoreId = restore.isEmpty() ? 0 : restore.toLongLong(&restoreOk);
    if (!since.isEmpty()) {
        QDateTime from = QDateTime::fromString(since, Qt::ISODate);
        // A day as the copy windows read one: "2026-12-05", "5.12.2026", "12/5/26", "Dec 5 2026".
        if (const std::optional<QDate> day = readCopyDate(since); !from.isValid() && day)
            from = day->startOfDay();
        filter.since = from.toUTC();
    }
    const bool usable = optionsOk && restoreOk && (since.isEmpty() || filter.since.isValid()) &&
                        args.size() >= 2 && args.size() <= (prune ? 2 : 4) &&
                        !(prune && (restoreId || !since.isEmpty())) &&
                        std::none_of(args.begin(), args.end(),
                                     [](const QString& a) { return a.startsWith(QLatin1Char('-')); });
    if (!usable) {
        err << kUsage;
        return 2;
    }
    filter.table = args.value(2);
    filter.field = args.value(3);
    const QString path = commandline::folderOrServer(args[0]) + fileConstant(args[1]);
    try {
        RoutingProvider provider;
        const std::shared_ptr<Database> db = provider.open(path, catalogue::connectString());
        auto* source = dynamic_cast<HistorySource*>(db.get());
        if (!source || !source->keepsHistory()) {
            out << commandline::shown(path) << ": This file keeps no history.\n";
            return restoreId ? 1 : 0;
        }
        if (prune) {
            const int pruned =
                source->pruneHistoryBefore(QDateTime::currentDateTimeUtc().addDays(-kHistoryKeptDays));
            out << pruned << " changes older than " << kHistoryKeptDays << " days removed.\n";
            return 0;
        }
        if (restoreId) {
            const HistoryEntry entry = history::entryById(*db, restoreId);
            history::restoreEntry(*db, entry);
            out << "put back: " << line(entry) << "\n";
            return 0;
        }
        const QVector<HistoryEntry> entries = source->historyEntries(filter);
        for (const HistoryEntry& e : entries)
            out << line(e) << "\n";
        if (entries.isEmpty())
            out << "No changes kept" << (filter.since.isValid() ? " since then" : "") << ".\n";
        return 0;
    } catch (const StorageError& e) {
        err << "cuepilot-history: " << commandline::shown(path) << ": " << paths::withoutPassword(e.message())
            << "\n";
        return 1;
    }
}
