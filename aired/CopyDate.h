#pragma once

#include <QDate>
#include <QString>
#include <optional>

// The Start Date and End Date of a library record are free text, typed by people. Where that text
// is a date it is read as one, month first as the stations write them ("3/6/04", "03/06/2004",
// "12/31/26", "Dec 31 2026", "2026-12-31"); a two-digit year falls in 1970..2069. Anything else
// ("ongoing", "TBA", empty, or a date no calendar has, "2/30/26") is no limit: nothing. The stored
// text itself is never touched.
std::optional<QDate> readCopyDate(const QString& text);

// Where a record's run stands on a given day, in the order a picker lists them.
enum class RunState { Current, NotYetStarted, Expired };

struct RunCheck {
    RunState state = RunState::Current;
    QDate limit; // the date passed (the end) or not reached yet (the start); none while current
};

// An end before today means expired; otherwise a start after today means not yet started. The
// limits themselves are days of the run.
RunCheck checkRun(const QString& startText, const QString& endText, const QDate& today);

// The reason in words: "Ended Dec 31 2026", "Starts Jan 5 2027"; empty while current.
QString runReason(const RunCheck& check);
