// cuepilot-history: lists what was changed in a content file, by whom and when, and puts one change back.
#include "aired/CopyDate.h"
#include "data/catalogue/Catalogue.h"
#include "data/catalogue/FailureSaid.h"
#include "data/catalogue/Paths.h"
#include "data/history/HistorySource.h"
#include "data/sharing/HistoryRestore.h"
#include "data/storage/RoutingProvider.h"
#include "data/storage/StorageError.h"
#include "tools/CommandLine.h"

#include <QCoreApplication>
#include <QTextStream>
#include <optional>

namespace {

const char kUsage[] =
    "usage: cuepilot-history DATA_FOLDER_OR_SERVER FILE [TABLE [FIELD]] [--since DATE] [--restore ID]\n"
    "       cuepilot-history DATA_FOLDER_OR_SERVER FILE --prune\n"
    "Lists the changes kept in a content file (Monday.mdb, Phone.mdb, ...) of a data folder or of a\n"
    "server postgresql://HOST[:PORT]/DATABASE, newest first, under a header line: id, time (UTC),\n"
    "computer, user, table, record, field and what happened to it: old -> new for a change, the\n"
    "text a new record was added with, or the text a deleted record held. Texts are shown in double\n"
    "quotes, a field without a value as (null).\n"
    "TABLE and FIELD narrow the list; a table or field the file does not have is an error.\n"
    "--since DATE leaves out older changes; dates are written as the other tools take them\n"
    "(12/31/26, 12/31/2026, Dec 31 2026, 2026-12-31), or 2026-12-31T06:00 for a time, local time.\n"
    "--restore ID puts that change back as an ordinary write: the field gets its old value again, a\n"
    "deleted record comes back in its place. The board may be running.\n"
    "--prune removes the changes older than 90 days from FILE at once (a running board does it once a\n"
    "day for every data file).\n"
    "Exit status: 0 done, 1 the file, table, field or change is not there or cannot be read or\n"
    "written, 2 the command line is not understood.\n"
    "A server password goes in PGPASSWORD or ~/.pgpass, not in the address: every user of the\n"
    "machine can read a command line. --help shows this text, --version the version.\n";

const char kHeader[] = "ID  TIME (UTC)  COMPUTER  USER  TABLE  RECORD  FIELD  CHANGE\n";

QString fileConstant(const QString& file) {
    return file.startsWith(QLatin1Char('/')) || file.startsWith(QLatin1Char('\\')) ? file
                                                                                   : QLatin1Char('/') + file;
}

// What happened to the field, said as such: an addition and a deletion are no change from or to null.
QString change(const HistoryEntry& e) {
    switch (e.kind) {
    case ChangeKind::Add:
        return QStringLiteral("record added with ") + shownValue(e.after);
    case ChangeKind::Delete:
        return QStringLiteral("record deleted, it held ") + shownValue(e.before);
    case ChangeKind::Update:
        break;
    }
    return shownValue(e.before) + QStringLiteral(" -> ") + shownValue(e.after);
}

QString line(const HistoryEntry& e) {
    return QStringLiteral("%1  %2  %3  %4  %5  %6  %7  %8")
        .arg(e.id)
        .arg(e.at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), e.computer, e.user, e.table)
        .arg(e.record)
        .arg(e.field, change(e));
}

// A date as the other tools take it, or an ISO date and time; local time.
std::optional<QDateTime> sinceTime(const QString& text) {
    const QDateTime at = QDateTime::fromString(text, Qt::ISODate);
    if (at.isValid() && text.contains(QLatin1Char('T'))) return at.toUTC();
    if (const std::optional<QDate> day = readCopyDate(text)) return day->startOfDay().toUTC();
    return std::nullopt;
}

// The table and field asked for are the file's own; throws StorageError in plain words.
void checkNarrowing(Database& db, const HistoryFilter& filter) {
    if (filter.table.isEmpty()) return;
    std::unique_ptr<Recordset> rs;
    try {
        rs = db.openTable(filter.table);
    } catch (const StorageError& e) {
        if (e.kind() != FailureKind::Missing) throw;
        throw StorageError(QStringLiteral("no table \"%1\" in this file").arg(filter.table));
    }
    if (!filter.field.isEmpty() && !rs->hasField(filter.field))
        throw StorageError(
            QStringLiteral("no field \"%1\" in table \"%2\"").arg(filter.field, rs->tableName()));
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
    const bool usable = optionsOk && args.size() >= 2 && args.size() <= (prune ? 2 : 4) &&
                        !(prune && (!restore.isEmpty() || !since.isEmpty())) &&
                        std::none_of(args.begin(), args.end(),
                                     [](const QString& a) { return a.startsWith(QLatin1Char('-')); });
    if (!usable) {
        err << kUsage;
        return 2;
    }
    HistoryFilter filter;
    if (!since.isEmpty()) {
        const std::optional<QDateTime> from = sinceTime(since);
        if (!from) {
            err << "cuepilot-history: not a date: " << since << "\n";
            return 2;
        }
        filter.since = *from;
    }
    bool restoreOk = true;
    const std::optional<qint64> restoreId =
        restore.isEmpty() ? std::nullopt : std::optional<qint64>(restore.toLongLong(&restoreOk));
    if (!restoreOk) {
        err << "cuepilot-history: not a change's id: " << restore << "\n";
        return 2;
    }
    filter.table = args.value(2);
    filter.field = args.value(3);
    const QString path = commandline::folderOrServer(args[0]) + fileConstant(args[1]);
    try {
        RoutingProvider provider;
        const std::shared_ptr<Database> db = provider.open(path, catalogue::connectString());
        checkNarrowing(*db, filter);
        auto* source = dynamic_cast<HistorySource*>(db.get());
        if (!source || !source->keepsHistory()) {
            if (restoreId) throw StorageError(QStringLiteral("This file keeps no history."));
            out << commandline::shown(path) << ": This file keeps no history.\n";
            return 0;
        }
        if (prune) {
            const int pruned =
                source->pruneHistoryBefore(QDateTime::currentDateTimeUtc().addDays(-kHistoryKeptDays));
            out << pruned << " changes older than " << kHistoryKeptDays << " days removed.\n";
            return 0;
        }
        if (restoreId) {
            const HistoryEntry entry = history::entryById(*db, *restoreId);
            history::restoreEntry(*db, entry);
            out << "put back: " << line(entry) << "\n";
            return 0;
        }
        const QVector<HistoryEntry> entries = source->historyEntries(filter);
        if (entries.isEmpty()) {
            out << "No changes kept" << (filter.since.isValid() ? " since then" : "") << ".\n";
            return 0;
        }
        out << kHeader;
        for (const HistoryEntry& e : entries)
            out << line(e) << "\n";
        return 0;
    } catch (const StorageError& e) {
        // One sentence naming the file and its folder or server, the engine's words in it.
        err << "cuepilot-history: " << saidOf(Failure::of(e), path) << "\n";
        return 1;
    }
}
