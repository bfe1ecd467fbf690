#include "data/history/HistoryWords.h"

#include <gtest/gtest.h>

// Fields as the windows label them, records by what they are: what the History window shows.
TEST(HistoryWords, FieldsAndRecordsReadAsTheWindowsLabelThem) {
    const struct {
        const char* file;
        const char* table;
        const char* field;
        const char* caption;
        const char* record; // the one record of the table; empty for a list table
    } rows[] = {
        {"Monday.mdb", "12am", "05am", "12:05 AM slot", "Monday, 12 AM hour"},
        {"/srv/a/Data/Sunday.mdb", "11pm", "55am", "11:55 PM slot", "Sunday, 11 PM hour"},
        {"\\Tuesday.mdb", "12PM", "00am", "12:00 PM slot", "Tuesday, 12 PM hour"},
        {"MonEvents.mdb", "Events", "me3", "Event 3", "Monday's events"},
        {"MonEvents.mdb", "Events", "me7txt", "Event 7 notes", "Monday's events"},
        {"FriWx.mdb", "MonWx", "Show", "Show Promo", "Friday's weather and promos"},
        {"Slogan.mdb", "Slogan", "Slogan12", "Slogan 12", "Slogans"},
        {"WedReminder.mdb", "Reminder2", "Time16", "Time 16", "Wednesday, reminder #2"},
        {"Reminder1.mdb", "Reminder1", "Text", "Message", "Every day, reminder #1"},
        {"Promo.mdb", "Main", "EndDate", "End Date", ""},
        {"Promo.mdb", "main", "bodytext", "Copy", ""},
        {"Phone.mdb", "List", "Pin", "Pin/Nextel #", ""},
        {"Prep.mdb", "Prep", "Title", "Title", ""},
        {"Promo.mdb", "Main", "Unknown", "Unknown", ""},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.table) + " " + r.field);
        EXPECT_EQ(historywords::fieldCaption(r.table, r.field), QString::fromUtf8(r.caption));
        EXPECT_EQ(historywords::singleRecordCaption(r.file, r.table), QString::fromUtf8(r.record));
    }
    EXPECT_EQ(historywords::namingField("Main"), "PromoName");
    EXPECT_EQ(historywords::namingField("Events"), QString());

    const QDateTime evening(QDate(2026, 12, 7), QTime(21, 5, 9));
    EXPECT_EQ(historywords::whenText(evening.toUTC()), "Dec 7 2026, 9:05:09 PM");
    EXPECT_EQ(historywords::whenText(QDateTime(QDate(2026, 1, 31), QTime(0, 0, 0))),
              "Jan 31 2026, 12:00:00 AM");
}
