#pragma once

#include <QSize>

struct BoardControls;
class QWidget;

// The board is read from the presenter's chair, a couple of metres away, on whatever screen the
// studio has: every text grows and shrinks with the window. Sizes are fractions of one length, the
// window's height less the menu and status bars (which keep the desktop's size), or its width where
// the window is narrower than a 16:9 screen (so nothing runs out of room sideways on a 4:3 or 5:4
// monitor).
class BoardFonts {
  public:
    // The smallest window every panel of the board fits into (the board's own span).
    static constexpr QSize kMinimumWindow{990, 680};
    // What the menu bar and the status bar take of the height, about.
    static constexpr int kBarsHeight = 40;

    // Heights of the text, as fractions of the unit.
    static constexpr double kClock = 0.068;
    static constexpr double kStation = 0.036;
    static constexpr double kSlot = 0.028;
    static constexpr double kDate = 0.026;
    static constexpr double kEvent = 0.023;
    static constexpr double kHeading = 0.024;
    static constexpr double kSlotTime = 0.022;
    static constexpr double kPanelText = 0.021;
    static constexpr double kButton = 0.019;
    static constexpr double kCountdown = 0.019;
    static constexpr double kPlain = 0.016;
    // Below this nothing reads at arm's length, whatever the window.
    static constexpr int kSmallestPixels = 12;

    static int unit(QSize window);
    static int pixels(double fraction, QSize window);

    explicit BoardFonts(BoardControls& controls) : c_(controls) {}

    // Sizes every text of the board for a window of this size; cheap when the size is unchanged.
    void fit(QSize window);
    // Extra labels of the board that read like the small print (the countdown, the clock notice).
    void addSmallPrint(QWidget* label) { extra_ = label; }

  private:
    BoardControls& c_;
    QWidget* extra_ = nullptr;
    int fittedUnit_ = 0;
};
