#include "aired/CopyDate.h"

#include <gtest/gtest.h>

namespace {

// Texts as people type them into Start Date and End Date, and what each means.
TEST(CopyDate, TextsAreDatesAsStationsTypeThemOrNoLimit) {
    const QDate none;
    const struct {
        const char* text;
        QDate date; // invalid: no limit
    } cases[] = {
        {"3/6/04", {2004, 3, 6}},
        {"03/06/2004", {2004, 3, 6}},
        {"12/31/26", {2026, 12, 31}},
        {" 12-31-2026 ", {2026, 12, 31}},
        {"12.31.26", {2026, 12, 31}},
        {"2026-12-31", {2026, 12, 31}},
        {"Dec 31 2026", {2026, 12, 31}},
        {"December 31, 2026", {2026, 12, 31}},
        {"dec. 31st 26", {2026, 12, 31}},
        {"Sept 1 2026", {2026, 9, 1}},
        {"31 Dec 2026", {2026, 12, 31}},
        {"Monday, Dec 7 2026", {2026, 12, 7}}, // as the board shows its date
        // Dotted dates are day first; one that can only be month first is read so.
        {"5.12.2026", {2026, 12, 5}},
        {"11.12.2026", {2026, 12, 11}},
        {"13.12.2026", {2026, 12, 13}},
        {"31.12.26", {2026, 12, 31}},
        {"05.12.26", {2026, 12, 5}},
        {"29.2.2028", {2028, 2, 29}},
        {"2026.12.05", {2026, 12, 5}},
        // Slashed and dashed ones month first.
        {"12/5/2026", {2026, 12, 5}},
        {"12-05-2026", {2026, 12, 5}},
        {"5 December 2026", {2026, 12, 5}},
        {"December 5th, 2026", {2026, 12, 5}},
        {"DEC 5 26", {2026, 12, 5}},
        // The two-digit year window.
        {"1/1/69", {2069, 1, 1}},
        {"1/1/70", {1970, 1, 1}},
        {"1/1/00", {2000, 1, 1}},
        {"1/1/99", {1999, 1, 1}},
        // Dates no calendar has.
        {"2/30/26", none},
        {"13/1/26", none},
        {"2/29/25", none},
        {"Feb 30 2026", none},
        {"2026-02-30", none},
        // Not dates.
        {"", none},
        {"ongoing", none},
        {"TBA", none},
        {"12/31", none},
        {"1/2/3", none},
        {"12/31/026", none},
        {"12/31-26", none},
        {"Ma 3 2026", none},
        {"Dec 31 2026 or so", none},
        {"30.2.2026", none},
        {"32.12.2026", none},
        {"Dec 5", none}, // no year: said beside the field, not guessed
        {"12/5", none},
        {"5.12", none},
    };
    EXPECT_EQ(readCopyDate("2/29/28"), QDate(2028, 2, 29)); // a leap year has it
    for (const auto& c : cases) {
        const std::optional<QDate> read = readCopyDate(QString::fromUtf8(c.text));
        EXPECT_EQ(read.value_or(QDate()), c.date) << c.text;
        EXPECT_EQ(read.has_value(), c.date.isValid()) << c.text;
    }
}

// Today before, on and after the limits; the limits themselves are days of the run.
TEST(CopyDate, TheRunOnADay) {
    const struct {
        const char* start;
        const char* end;
        QDate today;
        RunState state;
        const char* reason;
    } cases[] = {
        {"12/1/26", "12/31/26", {2026, 11, 30}, RunState::NotYetStarted, "Starts Dec 1 2026"},
        {"12/1/26", "12/31/26", {2026, 12, 1}, RunState::Current, ""},
        {"12/1/26", "12/31/26", {2026, 12, 31}, RunState::Current, ""},
        {"12/1/26", "12/31/26", {2027, 1, 1}, RunState::Expired, "Ended Dec 31 2026"},
        {"ongoing", "TBA", {2027, 1, 1}, RunState::Current, ""},
        {"", "2/30/26", {2027, 1, 1}, RunState::Current, ""},
        // A start after its end: the end has passed, whatever the start says.
        {"1/5/27", "12/31/26", {2027, 1, 1}, RunState::Expired, "Ended Dec 31 2026"},
    };
    for (const auto& c : cases) {
        const RunCheck check = checkRun(c.start, c.end, c.today);
        EXPECT_EQ(check.state, c.state)
            << c.start << " - " << c.end << " on " << c.today.toString().toStdString();
        EXPECT_EQ(runReason(check), QString::fromUtf8(c.reason));
    }
}

// What is said beside the date boxes of the copy windows.
TEST(CopyDate, TextsThatAreNoDateAndReversedRangesAreSaid) {
    const struct {
        const char* start;
        const char* end;
        const char* startNote;
        bool reversed;
    } cases[] = {
        {"", "", "", false},
        {"5.12.2026", "31.12.2026", "", false},
        {"Dec 5", "12/31/26", "not a date: no limit", false},
        {"ongoing", "TBA", "not a date: no limit", false},
        {"12/31/26", "12/1/26", "", true},
        {"31.12.2026", "1.12.2026", "", true},
        {"12/1/26", "12/1/26", "", false}, // a run of one day
    };
    for (const auto& c : cases) {
        EXPECT_EQ(copyDateNote(c.start), QString::fromUtf8(c.startNote)) << c.start;
        EXPECT_EQ(reversedRange(c.start, c.end), c.reversed) << c.start << " - " << c.end;
    }
}

} // namespace
