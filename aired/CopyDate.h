#pragma once

#include <QDate>
#include <QString>
#include <optional>

// The Start Date and End Date of a library record are free text, typed by people. Where that text
// is a date it is read as one: month first where slashed or dashed ("3/6/04", "03/06/2004",
// "12/31/26"), day first where dotted ("5.12.2026", "31.12.26"; a dotted date that can only be month
// first, "12.31.26", is read so), year first in "2026-12-31", and with English month names ("Dec 31
// 2026", "31 December 2026"); a two-digit year falls in 1970..2069. Anything else ("ongoing", "TBA",
// empty, a date without its year, or one no calendar has, "2/30/26") is no limit: nothing. The
// stored text itself is never touched. The copy windows and every tool read dates through here.
std::optional<QDate> readCopyDate(const QString& text);

// What a limit's text says, for beside its field: empty for a date or for no text at all,
// otherwise "not a date: no limit".
QString copyDateNote(const QString& text);

// Whether both texts are dates and the end comes before the start.
bool reversedRange(const QString& startText, const QString& endText);

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
