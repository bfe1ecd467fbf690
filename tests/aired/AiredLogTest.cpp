#include "aired/AiredLog.h"
#include "data/catalogue/Catalogue.h"
#include "data/storage/RoutingProvider.h"
#include "data/storage/StorageError.h"
#include "tests/support/Fixture.h"

#include <QFile>
#include <QProcess>
#include <QSysInfo>
#include <gtest/gtest.h>

namespace {

// Two studios on one station: each press is seen by the other, and the office's report counts them.
class AiredLogTest : public ::testing::TestWithParam<Engine> {
  protected:
    Fixture fx{false, QStringLiteral("<data>"), GetParam()};
    RoutingProvider studioA, studioB;
    QString path = AiredLog::pathIn(fx.dataFolder(), fx.programFolder());

    // The report program's output; its exit code must be 0.
    QString report(const QStringList& args) const {
        QProcess p;
        p.start(QStringLiteral(CUEPILOT_AIRED_PROGRAM), QStringList{fx.dataFolder()} + args);
        EXPECT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        return QString::fromUtf8(p.readAllStandardOutput());
    }
};

INSTANTIATE_TEST_SUITE_P(BothEngines, AiredLogTest, ::testing::Values(Engine::Files, Engine::Server),
                         EngineName());

TEST_P(AiredLogTest, PressesAreSharedTakenBackAndReportedByCopy) {
    AiredLog a(studioA, path), b(studioB, path);
    const QDate monday(2026, 12, 7);
    const QDateTime nine(monday, QTime(9, 5, 0, 400));
    a.record("Live", "Joe's Diner", "Eat at Joe's.", nine);
    b.record("Live", "Joe's Diner", "Eat at Joe's, open late.", nine.addSecs(3600));
    const AiredRead mistaken = a.record("Promo", "Fall Fair", "Saturday!", nine.addSecs(4000));
    a.record("Promo", "=Sale, \"today\"", "Half off.", nine.addSecs(5000));
    b.record("Live", "Joe's Diner", "Eat at Joe's.", nine.addDays(1));

    EXPECT_EQ(a.lastReadOn("Live", "Joe's Diner", monday), QDateTime(monday, QTime(10, 5, 0)));
    EXPECT_EQ(a.lastReadOn("Live", "Joe's Diner", monday.addDays(1)), nine.addDays(1).addMSecs(-400));
    EXPECT_FALSE(a.lastReadOn("Promo", "Joe's Diner", monday)); // another library's copy
    EXPECT_FALSE(a.lastReadOn("Live", "Joe's Diner", monday.addDays(2)));

    // Taken back by its studio; gone for the other one too.
    EXPECT_TRUE(a.remove(mistaken.id));
    EXPECT_FALSE(b.remove(mistaken.id));
    EXPECT_FALSE(b.lastReadOn("Promo", "Fall Fair", monday));

    const QVector<AiredRead> reads = b.readsBetween(monday, monday);
    ASSERT_EQ(reads.size(), 3);
    EXPECT_EQ(reads[0].studio, QSysInfo::machineHostName());
    EXPECT_EQ(reads[0].fingerprint, AiredLog::fingerprint("Eat at Joe's."));
    EXPECT_NE(reads[0].fingerprint, reads[1].fingerprint); // the text read differed
    EXPECT_EQ(AiredLog::fingerprint("a\r\nb"), AiredLog::fingerprint("a\nb"));

    const QString who = reads[0].studio + "," + reads[0].user + ",";
    EXPECT_EQ(report({"--from", "12/7/26", "--to", "Dec 7 2026", "--csv"}),
              "Copy,Library,Read,Date,Time,Studio,User,Fingerprint\r\n"
              "\"'=Sale, \"\"today\"\"\",Promo,1,2026-12-07,10:28:20," +
                  who + AiredLog::fingerprint("Half off.") +
                  "\r\n"
                  "Joe's Diner,Live,1,2026-12-07,09:05:00," +
                  who + AiredLog::fingerprint("Eat at Joe's.") +
                  "\r\n"
                  "Joe's Diner,Live,2,2026-12-07,10:05:00," +
                  who + AiredLog::fingerprint("Eat at Joe's, open late.") + "\r\n");
    const QString week = report({"--from", "2026-12-01", "--to", "12/31/2026", "--copy", "joe's diner"});
    EXPECT_TRUE(week.startsWith("Reads on air Dec 1 2026 to Dec 31 2026\n\nJoe's Diner (Live): 3 reads\n"))
        << week.toStdString();
    EXPECT_TRUE(week.endsWith("\nTotal: 3 reads of 1 copy\n")) << week.toStdString();
}

// Dates the report cannot use are refused, never answered with an empty bill.
TEST(AiredReportDates, AReversedRangeOrTextThatIsNoDateIsRefused) {
    Fixture fx(false);
    const struct {
        QStringList args;
        const char* says;
    } cases[] = {
        {{"--from", "12/31/26", "--to", "12/1/26"}, "the range ends before it starts"},
        {{"--from", "31.12.2026", "--to", "1.12.2026"}, "the range ends before it starts"},
        {{"--from", "Dec 5", "--to", "12/31/26"}, "not a date: Dec 5"},
    };
    for (const auto& c : cases) {
        QProcess p;
        p.start(QStringLiteral(CUEPILOT_AIRED_PROGRAM), QStringList{fx.dataFolder()} + c.args);
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 2) << c.says;
        EXPECT_TRUE(p.readAllStandardError().contains(c.says)) << c.says;
    }
    // A dotted date on either end is day first, and the last day of the year is one.
    QProcess p;
    p.start(QStringLiteral(CUEPILOT_AIRED_PROGRAM),
            {fx.dataFolder(), "--from", "1.12.2026", "--to", "31.12.2026"});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    EXPECT_TRUE(p.readAllStandardOutput().startsWith("Reads on air Dec 1 2026 to Dec 31 2026"));
}

// A station installed before reads were recorded: nothing was read there, and the board's first
// press makes the file the installation tool would have made.
TEST(AiredLogFile, TheFirstPressMakesAMissingFile) {
    Fixture fx(false);
    RoutingProvider studio;
    AiredLog log(studio, AiredLog::pathIn(fx.dataFolder(), fx.programFolder()));
    fx.remove(fx.dataFile(catalogue::kAiredFile));
    EXPECT_FALSE(log.lastReadOn("Live", "Joe's Diner", QDate(2026, 12, 7)));
    EXPECT_THROW(log.readsBetween(QDate(2026, 12, 1), QDate(2026, 12, 31)), StorageError);
    log.record("Live", "Joe's Diner", "Eat at Joe's.", QDateTime(QDate(2026, 12, 7), QTime(9, 5)));
    EXPECT_EQ(fx.read(fx.dataFile(catalogue::kAiredFile), catalogue::kAiredTable, "CopyName"), "Joe's Diner");
}

} // namespace
