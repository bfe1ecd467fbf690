#pragma once

#include <QString>
#include <QStringList>

// The 24 hours as the presenter sees them, written out here independently of the program's own table.
struct ExpectedHour {
    const char* item;
    const char* caption;
    const char* table;
    const char* menuHeader;
    const char* clockHeader;
};

inline constexpr ExpectedHour kHourRows[24] = {
    {"mnu12am", "12:00 AM", "12am", "12:00 AM - 1:00 AM", "12:00 AM - 1:00 AM"},
    {"mnu1am", "  1:00 AM", "1am", "1:00 - 2:00 AM", "1:00 AM - 2:00 AM"},
    {"mnu2am", "  2:00 AM", "2am", "2:00 - 3:00 AM", "2:00 AM - 3:00 AM"},
    {"mnu3am", "  3:00 AM", "3am", "3:00 - 4:00 AM", "3:00 AM - 4:00 AM"},
    {"mnu4am", "  4:00 AM", "4am", "4:00 - 5:00 AM", "4:00 AM - 5:00 AM"},
    {"mnu5am", "  5:00 AM", "5am", "5:00 - 6:00 AM", "5:00 AM - 6:00 AM"},
    {"mnu6am", "  6:00 AM", "6am", "6:00 - 7:00 AM", "6:00 AM - 7:00 AM"},
    {"mnu7am", "  7:00 AM", "7am", "7:00 - 8:00 AM", "7:00 AM - 8:00 AM"},
    {"mnu8am", "  8:00 AM", "8am", "8:00 - 9:00 AM", "8:00 AM - 9:00 AM"},
    {"mnu9am", "  9:00 AM", "9am", "9:00 - 10:00 AM", "9:00 AM - 10:00 AM"},
    {"mnu10am", "10:00 AM", "10am", "10:00 - 11:00 AM", "10:00 AM - 11:00 AM"},
    {"mnu11am", "11:00 AM", "11am", "11:00 AM - 12:00 PM", "11:00 AM - 12:00 PM"},
    {"mnu12pm", "12:00 PM", "12pm", "12:00 PM - 1:00 PM", "12:00 PM - 1:00 PM"},
    {"mnu1pm", "  1:00 PM", "1pm", "1:00 PM - 2:00 PM", "1:00 PM - 2:00 PM"},
    {"mnu2pm", "  2:00 PM", "2pm", "2:00 PM - 3:00 PM", "2:00 PM - 3:00 PM"},
    {"mnu3pm", "  3:00 PM", "3pm", "3:00 PM - 4:00 PM", "3:00 PM - 4:00 PM"},
    {"mnu4pm", "  4:00 PM", "4pm", "4:00 PM - 5:00 PM", "4:00 PM - 5:00 PM"},
    {"mnu5pm", "  5:00 PM", "5pm", "5:00 PM - 6:00 PM", "5:00 PM - 6:00 PM"},
    {"mnu6pm", "  6:00 PM", "6pm", "6:00 PM - 7:00 PM", "6:00 PM - 7:00 PM"},
    {"mnu7pm", "  7:00 PM", "7pm", "7:00 PM - 8:00 PM", "7:00 PM - 8:00 PM"},
    {"mnu8pm", "  8:00 PM", "8pm", "8:00 PM - 9:00 PM", "8:00 PM - 9:00 PM"},
    {"mnu9pm", "  9:00 PM", "9pm", "9:00 PM - 10:00 PM", "9:00 PM - 10:00 PM"},
    {"mnu10pm", "10:00 PM", "10pm", "10:00 PM - 11:00 PM", "10:00 PM - 11:00 PM"},
    {"mnu11pm", "11:00 PM", "11pm", "11:00 PM - 12:00 AM", "11:00 PM - 12:00 AM"},
};

// "3:10 AM" or, with seconds, "3:10:00 AM": the twelve slot starts of an hour (0 .. 23).
inline QStringList slotTimes(int hour, bool withSeconds) {
    const int h12 = hour % 12 == 0 ? 12 : hour % 12;
    const char* half = hour < 12 ? "AM" : "PM";
    QStringList out;
    for (int m = 0; m < 60; m += 5)
        out << QString::asprintf(withSeconds ? "%d:%02d:00 %s" : "%d:%02d %s", h12, m, half);
    return out;
}
