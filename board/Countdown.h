#pragma once

#include <QString>
#include <QStringList>
#include <QTime>

struct BoardControls;

// The line under the clock: how long until the top of the hour and until the next reminder due
// today, as a presenter counts down to a news break ("Top of hour in 12:34").
namespace countdown {

// Reminder times are the texts of the two reminders' time lists; only a text in the clock's own form
// ever fires (see checkReminders), so only those count. Reminder #2 wins a tie, as it is looked at first.
QString text(const QTime& now, const QStringList& reminder1Times, const QStringList& reminder2Times);

// Writes the line for the board's clock reading.
void show(BoardControls& board, const QTime& now);

} // namespace countdown
