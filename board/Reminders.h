#pragma once

#include "base/Steps.h"
#include "board/BoardControls.h"

#include <QString>

// The two automatic reminder panels of the main board: Frame8 with Combo1 .. Combo16 and Text24
// (reminder #1), Frame9 with Combo17 .. Combo32 and Text25 (reminder #2). Reminders are numbered
// 1 and 2 as on the board.
class Reminders {
  public:
    Reminders(BoardControls& board, ErrorSink report);

    // The Reminders menu: shows that reminder's panel, then hides the other one.
    void popUp(int reminder);
    // "Close Set-Up".
    void closeSetUp(int reminder);
    // "Clear All" / "Clear ALL": empties the sixteen time lists and the message. Nothing is written
    // here; the emptied texts reach the file by the binding rule.
    void clearAll(int reminder);

  private:
    BoardControls& b_;
    ErrorSink report_;
};

// Run last in every tick of the board's clock timer with the clock text on show: a time list whose
// text equals it, exactly and as a whole, shows its panel. Reminder #2's lists are looked at first.
void checkReminders(BoardControls& board, const QString& clockText);
