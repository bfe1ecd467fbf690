#include "aired/AiredReport.h"

#include <gtest/gtest.h>

// What the sales office's spreadsheet and text report make of names people typed.
namespace {

AiredRead readOf(const QString& copy) {
    return {"1", QDateTime(QDate(2026, 12, 7), QTime(9, 5)), "studio-a", "sam", "Live", copy, "f1"};
}

TEST(AiredReport, NamesStayTextInTheSpreadsheetAndOnOneLineInTheReport) {
    const struct {
        QString copy;
        QString cell;    // its first cell in the CSV
        QString heading; // its heading in the text report
    } cases[] = {
        {"Joe's Diner", "Joe's Diner", "Joe's Diner (Live): 1 read"},
        {"=HYPERLINK(\"x\")", "\"'=HYPERLINK(\"\"x\"\")\"", "=HYPERLINK(\"x\") (Live): 1 read"},
        {"\t=1+2", "'\t=1+2", "\t=1+2 (Live): 1 read"},
        {"\r=1+2", "\"'\r=1+2\"", " =1+2 (Live): 1 read"},
        {"-5 off", "'-5 off", "-5 off (Live): 1 read"},
        {"@home", "'@home", "@home (Live): 1 read"},
        {"Two\nlines", "\"Two\nlines\"", "Two lines (Live): 1 read"},
        {"Sale, today", "\"Sale, today\"", "Sale, today (Live): 1 read"},
    };
    for (const auto& c : cases) {
        const QVector<airedreport::CopyReads> groups = airedreport::grouped({readOf(c.copy)});
        const QString csv = airedreport::csv(groups);
        const QString row = csv.mid(csv.indexOf("\r\n") + 2);
        EXPECT_TRUE(row.startsWith(c.cell + ",Live,1,")) << row.toStdString();
        const QString text = airedreport::text(groups, QDate(2026, 12, 7), QDate(2026, 12, 7));
        EXPECT_EQ(text.split('\n').at(2), c.heading) << text.toStdString();
    }
    // The byte-order mark only when asked for.
    const auto groups = airedreport::grouped({readOf("Joe's Diner")});
    EXPECT_TRUE(airedreport::csv(groups).startsWith("Copy,"));
    EXPECT_TRUE(airedreport::csv(groups, true).startsWith(QChar(0xFEFF) + QStringLiteral("Copy,")));
}

} // namespace
