#pragma once

#include "board/BoardControls.h"

// The weather panel buttons (XButton1..XButton4) and the slogan page buttons (XButton10..XButton13):
// they recolour their group and rebind the panel's boxes to other fields of the same record.
// Neither writes nor refreshes; typed text stays in the edit buffer of its field.
class CopyPanel {
  public:
    explicit CopyPanel(BoardControls& board) : b_(board) {}

    void weatherButton(int k); // 1..4
    void sloganPage(int page); // 1..4

  private:
    BoardControls& b_;
};
