#include "data/catalogue/Catalogue.h"
#include "data/history/HistorySource.h"
#include "data/storage/RoutingProvider.h"
#include "tests/support/Fixture.h"

#include <QDate>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

struct ToolRun {
    int status;
    QString out, err;
};

ToolRun historyTool(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(CUEPILOT_HISTORY_PROGRAM), args);
    EXPECT_TRUE(p.waitForFinished(60000));
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

// cuepilot-history as a station runs it, one command after the other on one promo library: what
// it says, and the exit status a script reads.
TEST(HistoryTool, SaysWhatHappenedInPlainWordsAndFailsWithStatusOne) {
    Fixture fx(false);
    const QString promo = fx.dataFile(catalogue::libraryFiles()[0]);
    fx.append(promo, "Main", {{"PromoName", "Fall Fair"}, {"BodyText", "Saturday!"}});
    fx.write(promo, "Main", "BodyText", "Saturday and Sunday!");
    qint64 deleted = 0;
    {
        RoutingProvider station;
        const std::shared_ptr<Database> file = station.open(promo, catalogue::connectString());
        auto rs = file->openTable("Main");
        rs->moveFirst();
        rs->deleteCurrent();
        deleted = dynamic_cast<HistorySource&>(*file).historyEntries({}).front().id;
    }
    const QString folder = fx.dataFolder();
    const QString file = catalogue::libraryFiles()[0].mid(1);
    const QString today = QDate::currentDate().toString(QStringLiteral("M/d/yy"));
    const QString tomorrow = QDate::currentDate().addDays(1).toString(QStringLiteral("MMM d yyyy"));
    const QString header = QStringLiteral("ID  TIME (UTC)  COMPUTER  USER  TABLE  RECORD  FIELD  CHANGE\n");

    const struct {
        QStringList args;
        int status;
        QStringList out; // each in standard output
        QString err;     // in standard error; empty: nothing there
    } runs[] = {
        {{folder, file},
         0,
         {header, "BodyText  record added with \"Saturday!\"", "\"Saturday!\" -> \"Saturday and Sunday!\"",
          "BodyText  record deleted, it held \"Saturday and Sunday!\"",
          "StartDate  record deleted, it held (null)"},
         {}},
        {{folder, file, "Main", "PromoName"}, 0, {header, "PromoName  record added with \"Fall Fair\""}, {}},
        {{folder, file, "main", "promoname", "--since", today}, 0, {header, "Fall Fair"}, {}},
        {{folder, file, "--since", tomorrow}, 0, {"No changes kept since then.\n"}, {}},
        {{folder, file, "Nope"},
         1,
         {},
         file + " in " + folder + " could not be used: no table \"Nope\" in this file."},
        {{folder, file, "Main", "Nope"}, 1, {}, "no field \"Nope\" in table \"Main\""},
        {{folder, file, "--since", "yesterday"}, 2, {}, "not a date: yesterday"},
        {{folder, file, "--restore", "0"},
         1,
         {},
         "No history entry 0 in this file (" + file + " in " + folder + ")."},
        {{folder, file, "--restore", "first"}, 2, {}, "not a change's id: first"},
        {{folder, file, "--restore", QString::number(deleted)}, 0, {"put back: "}, {}},
        {{folder, file, "--restore", QString::number(deleted)},
         1,
         {},
         "The record is back already; nothing was put back (" + file + " in " + folder + ")."},
        {{folder, catalogue::weekdays()[0].weatherFile.mid(1)}, 0, {"This file keeps no history."}, {}},
        {{folder, "Nowhere.mdb"}, 1, {}, "cuepilot-history: There is no Nowhere.mdb in " + folder + ".\n"},
        {{folder}, 2, {}, "usage: cuepilot-history"},
    };
    for (const auto& r : runs) {
        SCOPED_TRACE(r.args.join(' ').toStdString());
        const ToolRun run = historyTool(r.args);
        EXPECT_EQ(run.status, r.status) << run.err.toStdString();
        for (const QString& said : r.out)
            EXPECT_TRUE(run.out.contains(said)) << run.out.toStdString();
        EXPECT_TRUE(r.err.isEmpty() ? run.err.isEmpty() : run.err.contains(r.err)) << run.err.toStdString();
        // A failure prints nothing but its error; a list starts with its header.
        EXPECT_EQ(run.out.isEmpty(), r.status != 0) << run.out.toStdString();
        EXPECT_EQ(run.out.startsWith(header), r.out.value(0) == header) << run.out.toStdString();
    }
}
