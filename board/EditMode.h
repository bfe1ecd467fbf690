#pragma once

#include "base/Steps.h"
#include "board/BoardControls.h"

class DataControl;

// Edit and save mode of the main board. The mode has no flag of its own: it is what the controls
// show (the save notice, the two buttons, the copy buttons, the top-level menus, the content boxes'
// locks), so entering twice or saving outside edit mode simply repeats the same settings.
//
// Writes that cannot be stored while something was typed are shown through the sink and the typed
// text stays in its box and in its data control's buffer, so the next write tries again.
class EditMode {
  public:
    EditMode(BoardControls& board, ErrorSink report);

    // Edit Content (menu and button).
    void enter();
    // Save Content (menu and button): back to browsing, then each content row written and re-read.
    void save();

    // Only Text4 .. Text9 carry focus writes; other boxes are ignored.
    static bool hasFocusWrites(int slot) { return slot >= 4 && slot <= 9; }
    void slotGotFocus(int slot);
    void slotLostFocus(int slot);

    // The two clear commands: they only empty the boxes; the row is written by the next write.
    void clearHour();
    void clearEvents();

    // Option1 .. Option7 highlight event line n; Option8 ("Default All") highlights none.
    void highlightEvent(int option);

  private:
    void showMode(bool editing);
    // The hour grid, events, weather and slogan bindings, in the order their rows are handled.
    std::array<DataControl*, 4> contentRows() const;
    void writeRow(DataControl* row);

    BoardControls& b_;
    ErrorSink report_;
};
