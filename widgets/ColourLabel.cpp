#include "widgets/ColourLabel.h"

#include "widgets/Colors.h"
#include "widgets/Contrast.h"

#include <QPainter>

ColourLabel::ColourLabel(const QString& text, quint32 fore, QWidget* parent) : QLabel(text, parent) {
    QPalette p = palette();
    p.setColor(QPalette::WindowText, colors::fromBgr(fore));
    setPalette(p);
}

void ColourLabel::setBackColor(quint32 bgr) {
    QPalette p = palette();
    p.setColor(QPalette::Window, colors::fromBgr(bgr));
    setPalette(p);
    setAutoFillBackground(true);
    filled_ = true;
}

QColor ColourLabel::foreground() const {
    return palette().color(QPalette::WindowText);
}

QColor ColourLabel::background() const {
    if (filled_) return palette().color(QPalette::Window);
    // Transparent: what shows through is the nearest parent that paints.
    return parentWidget() ? contrast::backgroundBehind(parentWidget()) : palette().color(QPalette::Window);
}

void ColourLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(font());
    contrast::drawText(painter, contentsRect(), int(alignment()), text(), foreground(), background());
}
