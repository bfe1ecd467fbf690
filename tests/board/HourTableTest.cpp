#include "board/HourTable.h"
#include "board/ReminderTimes.h"
#include "data/catalogue/Catalogue.h"

#include <QSet>
#include <gtest/gtest.h>

namespace {

struct Expected {
    const char* item;
    const char* caption;
    const char* table;
    const char* firstLabel;
    const char* lastLabel;
    const char* firstKey;
    const char* lastKey;
    const char* menuHeader;
    const char* clockHeader;
    const char* rollCheck;
};

// The board's hour table, spelled out once by hand.
const Expected kHours[] = {
    {"mnu12am", "12:00 AM", "12am", "12:00 AM", "12:55 AM", "12:00:00 AM", "12:55:00 AM",
     "12:00 AM - 1:00 AM", "12:00 AM - 1:00 AM", ""},
    {"mnu1am", "  1:00 AM", "1am", "1:00 AM", "1:55 AM", "1:00:00 AM", "1:55:00 AM", "1:00 - 2:00 AM",
     "1:00 AM - 2:00 AM", "12:59:59 AM"},
    {"mnu2am", "  2:00 AM", "2am", "2:00 AM", "2:55 AM", "2:00:00 AM", "2:55:00 AM", "2:00 - 3:00 AM",
     "2:00 AM - 3:00 AM", "1:59:59 AM"},
    {"mnu3am", "  3:00 AM", "3am", "3:00 AM", "3:55 AM", "3:00:00 AM", "3:55:00 AM", "3:00 - 4:00 AM",
     "3:00 AM - 4:00 AM", "2:59:59 AM"},
    {"mnu4am", "  4:00 AM", "4am", "4:00 AM", "4:55 AM", "4:00:00 AM", "4:55:00 AM", "4:00 - 5:00 AM",
     "4:00 AM - 5:00 AM", "3:59:59 AM"},
    {"mnu5am", "  5:00 AM", "5am", "5:00 AM", "5:55 AM", "5:00:00 AM", "5:55:00 AM", "5:00 - 6:00 AM",
     "5:00 AM - 6:00 AM", "4:59:59 AM"},
    {"mnu6am", "  6:00 AM", "6am", "6:00 AM", "6:55 AM", "6:00:00 AM", "6:55:00 AM", "6:00 - 7:00 AM",
     "6:00 AM - 7:00 AM", "5:59:59 AM"},
    {"mnu7am", "  7:00 AM", "7am", "7:00 AM", "7:55 AM", "7:00:00 AM", "7:55:00 AM", "7:00 - 8:00 AM",
     "7:00 AM - 8:00 AM", "6:59:59 AM"},
    {"mnu8am", "  8:00 AM", "8am", "8:00 AM", "8:55 AM", "8:00:00 AM", "8:55:00 AM", "8:00 - 9:00 AM",
     "8:00 AM - 9:00 AM", "7:59:59 AM"},
    {"mnu9am", "  9:00 AM", "9am", "9:00 AM", "9:55 AM", "9:00:00 AM", "9:55:00 AM", "9:00 - 10:00 AM",
     "9:00 AM - 10:00 AM", "8:59:59 AM"},
    {"mnu10am", "10:00 AM", "10am", "10:00 AM", "10:55 AM", "10:00:00 AM", "10:55:00 AM", "10:00 - 11:00 AM",
     "10:00 AM - 11:00 AM", "9:59:59 AM"},
    {"mnu11am", "11:00 AM", "11am", "11:00 AM", "11:55 AM", "11:00:00 AM", "11:55:00 AM",
     "11:00 AM - 12:00 PM", "11:00 AM - 12:00 PM", "10:59:59 AM"},
    {"mnu12pm", "12:00 PM", "12pm", "12:00 PM", "12:55 PM", "12:00:00 PM", "12:55:00 PM",
     "12:00 PM - 1:00 PM", "12:00 PM - 1:00 PM", "11:59:59 AM"},
    {"mnu1pm", "  1:00 PM", "1pm", "1:00 PM", "1:55 PM", "1:00:00 PM", "1:55:00 PM", "1:00 PM - 2:00 PM",
     "1:00 PM - 2:00 PM", "12:59:59 PM"},
    {"mnu2pm", "  2:00 PM", "2pm", "2:00 PM", "2:55 PM", "2:00:00 PM", "2:55:00 PM", "2:00 PM - 3:00 PM",
     "2:00 PM - 3:00 PM", "1:59:59 PM"},
    {"mnu3pm", "  3:00 PM", "3pm", "3:00 PM", "3:55 PM", "3:00:00 PM", "3:55:00 PM", "3:00 PM - 4:00 PM",
     "3:00 PM - 4:00 PM", "2:59:59 PM"},
    {"mnu4pm", "  4:00 PM", "4pm", "4:00 PM", "4:55 PM", "4:00:00 PM", "4:55:00 PM", "4:00 PM - 5:00 PM",
     "4:00 PM - 5:00 PM", "3:59:59 PM"},
    {"mnu5pm", "  5:00 PM", "5pm", "5:00 PM", "5:55 PM", "5:00:00 PM", "5:55:00 PM", "5:00 PM - 6:00 PM",
     "5:00 PM - 6:00 PM", "4:59:59 PM"},
    {"mnu6pm", "  6:00 PM", "6pm", "6:00 PM", "6:55 PM", "6:00:00 PM", "6:55:00 PM", "6:00 PM - 7:00 PM",
     "6:00 PM - 7:00 PM", "5:59:59 PM"},
    {"mnu7pm", "  7:00 PM", "7pm", "7:00 PM", "7:55 PM", "7:00:00 PM", "7:55:00 PM", "7:00 PM - 8:00 PM",
     "7:00 PM - 8:00 PM", "6:59:59 PM"},
    {"mnu8pm", "  8:00 PM", "8pm", "8:00 PM", "8:55 PM", "8:00:00 PM", "8:55:00 PM", "8:00 PM - 9:00 PM",
     "8:00 PM - 9:00 PM", "7:59:59 PM"},
    {"mnu9pm", "  9:00 PM", "9pm", "9:00 PM", "9:55 PM", "9:00:00 PM", "9:55:00 PM", "9:00 PM - 10:00 PM",
     "9:00 PM - 10:00 PM", "8:59:59 PM"},
    {"mnu10pm", "10:00 PM", "10pm", "10:00 PM", "10:55 PM", "10:00:00 PM", "10:55:00 PM",
     "10:00 PM - 11:00 PM", "10:00 PM - 11:00 PM", "9:59:59 PM"},
    {"mnu11pm", "11:00 PM", "11pm", "11:00 PM", "11:55 PM", "11:00:00 PM", "11:55:00 PM",
     "11:00 PM - 12:00 AM", "11:00 PM - 12:00 AM", "10:59:59 PM"},
};

TEST(HourTable, EveryRowReadsAsTheBoardShowsIt) {
    const QVector<HourRow>& rows = hourRows();
    ASSERT_EQ(rows.size(), 24);
    for (int h = 0; h < 24; ++h) {
        const Expected& e = kHours[h];
        const HourRow& r = rows[h];
        SCOPED_TRACE(e.item);
        EXPECT_EQ(r.hour, h);
        EXPECT_EQ(r.menuItem, e.item);
        EXPECT_EQ(r.menuCaption, e.caption);
        EXPECT_EQ(r.table, e.table);
        ASSERT_EQ(r.slotLabels.size(), 12);
        ASSERT_EQ(r.slotKeys.size(), 12);
        EXPECT_EQ(r.slotLabels.front(), e.firstLabel);
        EXPECT_EQ(r.slotLabels.back(), e.lastLabel);
        EXPECT_EQ(r.slotKeys.front(), e.firstKey);
        EXPECT_EQ(r.slotKeys.back(), e.lastKey);
        EXPECT_EQ(r.menuHeader, e.menuHeader);
        EXPECT_EQ(r.clockHeader, e.clockHeader);
        EXPECT_EQ(r.rollCheck, e.rollCheck);
    }
}

TEST(HourTable, SlotsRunInFiveMinuteStepsEachOnItsOwnRow) {
    const HourRow& three = hourRows()[3];
    EXPECT_EQ(three.slotLabels[2], "3:10 AM");
    EXPECT_EQ(three.slotLabels[11], "3:55 AM");
    const QStringList noonKeys = {"12:00:00 PM", "12:05:00 PM", "12:10:00 PM", "12:15:00 PM",
                                  "12:20:00 PM", "12:25:00 PM", "12:30:00 PM", "12:35:00 PM",
                                  "12:40:00 PM", "12:45:00 PM", "12:50:00 PM", "12:55:00 PM"};
    EXPECT_EQ(hourRows()[12].slotKeys, noonKeys);
    const QStringList tenLabels = {"10:00 AM", "10:05 AM", "10:10 AM", "10:15 AM", "10:20 AM", "10:25 AM",
                                   "10:30 AM", "10:35 AM", "10:40 AM", "10:45 AM", "10:50 AM", "10:55 AM"};
    EXPECT_EQ(hourRows()[10].slotLabels, tenLabels);
}

TEST(HourTable, TablesAreTheDayFilesHourTablesAndStartHeaderIsItsOwnForm) {
    QStringList tables;
    for (const HourRow& r : hourRows())
        tables << r.table;
    EXPECT_EQ(tables, catalogue::hourTables());
    EXPECT_EQ(startHourHeader(), "12:00 - 1:00 AM");
    EXPECT_NE(startHourHeader(), hourRows()[0].menuHeader);
}

TEST(ReminderTimes, OneHundredFortyFourTenMinuteStepsFromFiveInTheMorning) {
    const QStringList& times = reminderTimes();
    ASSERT_EQ(times.size(), 144);
    EXPECT_EQ(times.front(), "5:00:00 AM");
    EXPECT_EQ(times[1], "5:10:00 AM");
    EXPECT_EQ(times.back(), "4:50:00 AM");
    // Round the clock through noon and midnight, in the clock's own form.
    const int noon = times.indexOf("12:00:00 PM");
    ASSERT_GT(noon, 0);
    EXPECT_EQ(times[noon - 1], "11:50:00 AM");
    const int midnight = times.indexOf("12:00:00 AM");
    ASSERT_GT(midnight, 0);
    EXPECT_EQ(times[midnight - 1], "11:50:00 PM");
    EXPECT_EQ(times.indexOf("4:50:00 AM"), 143);
    EXPECT_EQ(QSet<QString>(times.begin(), times.end()).size(), 144);
    EXPECT_EQ(times.indexOf("05:00:00 AM"), -1);
}

} // namespace
