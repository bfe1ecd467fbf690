#pragma once

#include "widgets/Looks.h"

class BoardFonts;
class ClockTrust;
class StatusLine;
struct BoardControls;

// The presenter's text size and look: chosen from the View menu (the text size also with Ctrl++,
// Ctrl+- and Ctrl+0), kept per user and put back when the board starts.
class ViewChoices {
  public:
    ViewChoices(BoardControls& controls, BoardFonts& fonts, StatusLine& status, ClockTrust& clockTrust);

    // What was chosen last time.
    void restore();

    void larger();
    void smaller();
    void normalSize();
    void choose(looks::Look look);

    looks::Look look() const { return look_; }

    // The settings key the text size is kept under, in percent.
    static const char* scaleKey();

  private:
    void setScale(int percent);
    void showLook(looks::Look look);

    BoardControls& c_;
    BoardFonts& fonts_;
    StatusLine& status_;
    ClockTrust& clockTrust_;
    looks::Look look_ = looks::Look::Light;
};
