#pragma once

#include <QSize>

struct BoardControls;
class QWidget;

// The board is read from the presenter's chair, a couple of metres away, on whatever screen the
// studio has: every text grows and shrinks with the window. Sizes are fractions of one length: the
// window's height, or its width where the window is narrower than a 16:9 screen (so nothing runs out
// of room sideways on a 4:3 or 5:4 monitor), less what the menu and status bars, the frames' titles
// and the margins take, which keep their size whatever the window's.
class BoardFonts {
  public:
    // The smallest window every panel of the board fits into (the board's own span).
    static constexpr QSize kMinimumWindow{990, 680};
    // What the bars, titles and margins take of the height, about.
    static constexpr int kFixedHeight = 130;

    // Heights of the text, as fractions of the unit. On a 24-inch 1920 x 1080 panel the slot text's
    // capitals stand 7 mm and the clock's 14 mm: 16 minutes of arc from a chair 1.5 m away.
    static constexpr double kClock = 0.082;
    static constexpr double kStation = 0.039;
    static constexpr double kSlot = 0.0394;
    static constexpr double kDate = 0.0286;
    static constexpr double kEvent = 0.0296;
    static constexpr double kHeading = 0.0266;
    static constexpr double kSlotTime = 0.0276;
    static constexpr double kPanelText = 0.023;
    static constexpr double kButton = 0.0204;
    static constexpr double kCountdown = 0.0204;
    static constexpr double kPlain = 0.0174;
    // Below this nothing reads at arm's length, whatever the window.
    static constexpr int kSmallestPixels = 12;

    // A slot box takes 55 characters and an event line 49; at the normal text size the longest stays
    // whole, so these two sizes are also held under a share of the window's width, less what does not
    // grow with the window (frames, margins, the event buttons).
    struct WidthShare {
        double perPixel;
        int fixed;
    };
    static constexpr WidthShare kSlotWidth{0.0200, 90};
    static constexpr WidthShare kEventWidth{0.0145, 175};

    // The presenter's own text size on top of the window's, in percent, in steps of kScaleStep.
    static constexpr int kNormalScale = 100;
    static constexpr int kSmallestScale = 70;
    static constexpr int kLargestScale = 150;
    static constexpr int kScaleStep = 10;
    // Where the window does not hold the larger size chosen, the size shown comes down by this much
    // at a time until it does.
    static constexpr int kFitStep = 2;

    static int unit(QSize window);
    static int pixels(double fraction, QSize window, int scale = kNormalScale);
    static int pixels(double fraction, WidthShare share, QSize window, int scale = kNormalScale);

    explicit BoardFonts(BoardControls& controls) : c_(controls) {}

    // Sizes every text of the board for a window of this size; cheap when the size is unchanged.
    void fit(QSize window);
    // Extra labels of the board that read like the small print (the countdown, the clock notice).
    void addSmallPrint(QWidget* label) { extra_ = label; }

    // Every text of the board grows or shrinks by this much; the window's own size still counts.
    void setScale(int percent);
    // The size chosen, and the size shown (no larger than the window holds).
    int scale() const { return scale_; }
    int shownScale() const { return shown_; }
    static int clampScale(int percent);

  private:
    void apply(QSize window, int scale);
    bool fitsIn(QSize window) const;
    void refreshSizes() const;

    BoardControls& c_;
    QWidget* extra_ = nullptr;
    QSize fittedWindow_;
    int fittedScale_ = 0;
    int scale_ = kNormalScale;
    int shown_ = kNormalScale;
    QSize window_;
};
