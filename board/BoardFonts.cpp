#include "board/BoardFonts.h"

#include "board/BoardControls.h"
#include "widgets/Lbl3D.h"
#include "widgets/TextBox.h"
#include "widgets/XButton.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTextDocument>
#include <algorithm>
#include <cmath>

namespace {

void setPixels(QWidget* w, int px, bool bold = false) {
    if (!w) return;
    QFont f = w->font();
    f.setPixelSize(px);
    f.setBold(bold);
    w->setFont(f);
}

// A multi-line box may be squeezed to a single line of text, never below (its own minimum is
// a scroll area's, taller than a line).
void showOneLineAtLeast(QWidget* box) {
    auto* text = qobject_cast<QPlainTextEdit*>(box);
    if (!text) return;
    text->document()->setDocumentMargin(2);
    const int margins = 2 * (text->frameWidth() + 2) + 2;
    text->setMinimumHeight(text->fontMetrics().lineSpacing() + margins);
}

} // namespace

int BoardFonts::unit(QSize window) {
    return std::min(window.height(), window.width() * 9 / 16) - kFixedHeight;
}

int BoardFonts::pixels(double fraction, QSize window, int scale) {
    return std::max(kSmallestPixels, int(std::lround(fraction * unit(window) * scale / 100.0)));
}

int BoardFonts::pixels(double fraction, WidthShare share, QSize window, int scale) {
    const double byWidth = std::floor(share.perPixel * (window.width() - share.fixed));
    const double normal = std::min(fraction * unit(window), byWidth);
    return std::max(kSmallestPixels, int(std::lround(normal * scale / 100.0)));
}

int BoardFonts::clampScale(int percent) {
    return std::clamp(percent, kSmallestScale, kLargestScale);
}

void BoardFonts::setScale(int percent) {
    scale_ = clampScale(percent);
    if (window_.isValid()) fit(window_);
}

void BoardFonts::fit(QSize window) {
    window_ = window;
    if (window == fittedWindow_ && scale_ == fittedScale_) return;
    fittedWindow_ = window;
    fittedScale_ = scale_;
    // Text larger than the normal size is only as large as the window holds: a row of the hour grid
    // cut in half reads worse than a smaller one.
    shown_ = scale_;
    apply(window, shown_);
    if (shown_ <= kNormalScale || fitsIn(window)) return;
    // The largest size between the normal (shown whatever the window) and the chosen that fits,
    // halving the range each time: a resize stays cheap.
    int fits = kNormalScale;
    int fails = shown_;
    while (fails - fits > kFitStep) {
        const int mid = fits + std::max(kFitStep, (fails - fits) / 2 / kFitStep * kFitStep);
        apply(window, mid);
        (fitsIn(window) ? fits : fails) = mid;
    }
    shown_ = fits;
    apply(window, shown_);
    refreshSizes();
}

void BoardFonts::refreshSizes() const {
    if (!c_.form) return;
    // Every size the layouts keep is asked anew: the text's new size changes the frames around it,
    // which otherwise learn of it only once the window is laid out again.
    for (QWidget* w : c_.form->findChildren<QWidget*>())
        w->updateGeometry();
    for (QLayout* l : c_.form->findChildren<QLayout*>())
        l->invalidate();
}

bool BoardFonts::fitsIn(QSize window) const {
    auto* main = qobject_cast<QMainWindow*>(c_.form);
    QWidget* central = main ? main->centralWidget() : nullptr;
    if (!central) return true;
    refreshSizes();
    // The window's own layout keeps an old answer longer than its parts: its parts are asked.
    int bars = c_.statusBar ? c_.statusBar->sizeHint().height() : 0;
    if (main->menuWidget()) bars += main->menuWidget()->sizeHint().height();
    const QSize least = central->minimumSizeHint();
    return least.height() + bars <= window.height() && least.width() <= window.width();
}

void BoardFonts::apply(QSize window, int scale) {
    const auto px = [window, scale](double fraction) { return pixels(fraction, window, scale); };

    // The small print first: the central widget hands it to every control not sized below.
    if (QWidget* central = c_.Frame7 ? c_.Frame7->parentWidget() : nullptr) setPixels(central, px(kPlain));
    setPixels(c_.statusBar, px(kPlain));

    setPixels(c_.Lbl3D1, px(kClock), true);
    setPixels(c_.Lbl3D2, px(kStation), true);
    setPixels(c_.lblDate, px(kDate), true);
    setPixels(c_.lblCountdown, px(kCountdown), true);
    setPixels(extra_, px(kCountdown), true);
    setPixels(c_.Label30, px(kHeading), true);
    for (QLabel* heading : {c_.Label31, c_.Label32, c_.Label26, c_.Label28})
        setPixels(heading, px(kHeading), true);
    for (int k = 1; k <= 12; ++k) {
        setPixels(c_.slotBox[k], pixels(kSlot, kSlotWidth, window, scale));
        setPixels(c_.slotLabel[k], px(kSlotTime), true);
    }
    for (int n = 1; n <= 7; ++n)
        setPixels(c_.eventBox[n], pixels(kEvent, kEventWidth, window, scale));
    for (QWidget* panel : {static_cast<QWidget*>(c_.Text20), static_cast<QWidget*>(c_.sloganBox[1]),
                           static_cast<QWidget*>(c_.sloganBox[2]), static_cast<QWidget*>(c_.sloganBox[3]),
                           static_cast<QWidget*>(c_.Text24), static_cast<QWidget*>(c_.Text25)}) {
        setPixels(panel, px(kPanelText));
        showOneLineAtLeast(panel);
    }
    for (int k = 1; k <= 14; ++k)
        setPixels(c_.xbutton[k], px(kButton), true);
}
