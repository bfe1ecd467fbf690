#include "widgets/Contrast.h"

#include <QPainter>
#include <QPainterPath>
#include <QWidget>
#include <QtMath>
#include <algorithm>

namespace contrast {

namespace {
double linear(int channel) {
    const double c = channel / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

// The colour moved towards end by the smallest of twenty steps that stands out from background by
// at least wanted; the end itself where no step does.
QColor towards(const QColor& from, const QColor& end, const QColor& background, double wanted) {
    for (int step = 1; step <= 20; ++step) {
        const double t = step / 20.0;
        const QColor mixed = QColor::fromRgbF(float(from.redF() + (end.redF() - from.redF()) * t),
                                              float(from.greenF() + (end.greenF() - from.greenF()) * t),
                                              float(from.blueF() + (end.blueF() - from.blueF()) * t));
        if (ratio(mixed, background) >= wanted) return mixed;
    }
    return end;
}
} // namespace

double luminance(const QColor& c) {
    const QColor rgb = c.toRgb();
    return 0.2126 * linear(rgb.red()) + 0.7152 * linear(rgb.green()) + 0.0722 * linear(rgb.blue());
}

double ratio(const QColor& a, const QColor& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor strongestAgainst(const QColor& c) {
    return ratio(c, Qt::black) >= ratio(c, Qt::white) ? QColor(Qt::black) : QColor(Qt::white);
}

QColor readableOn(const QColor& preferred, const QColor& background) {
    if (ratio(preferred, background) >= kReadable) return preferred;
    // Towards white on a dark background, towards black on a light one; the end itself always reads.
    return towards(preferred, strongestAgainst(background), background, kReadable);
}

QColor edgeOn(const QColor& background) {
    // A little past the bar, so rounding of the drawn colour never takes it under.
    return towards(background, strongestAgainst(background), background, kOutline + 0.2);
}

QColor backgroundBehind(const QWidget* w) {
    for (const QWidget* p = w; p; p = p->parentWidget())
        if (p->autoFillBackground() || p->isWindow()) return p->palette().color(QPalette::Window);
    return w->palette().color(QPalette::Window);
}

void drawText(QPainter& painter, const QRect& rect, int alignment, const QString& text, const QColor& fore,
              const QColor& back) {
    painter.save();
    painter.setPen(fore);
    if (ratio(fore, back) >= kReadable) {
        painter.drawText(rect, alignment, text);
        painter.restore();
        return;
    }
    const QFontMetricsF metrics(painter.font());
    const QSizeF size(metrics.horizontalAdvance(text), metrics.height());
    QPointF origin = rect.topLeft();
    if (alignment & Qt::AlignHCenter)
        origin.rx() += (rect.width() - size.width()) / 2;
    else if (alignment & Qt::AlignRight)
        origin.rx() += rect.width() - size.width();
    if (alignment & Qt::AlignVCenter)
        origin.ry() += (rect.height() - size.height()) / 2;
    else if (alignment & Qt::AlignBottom)
        origin.ry() += rect.height() - size.height();
    QPainterPath glyphs;
    glyphs.addText(origin + QPointF(0, metrics.ascent()), painter.font(), text);
    painter.setRenderHint(QPainter::Antialiasing);
    // A rim of a tenth of the letter height reads at arm's length without closing the counters.
    const qreal rim = std::max(2.0, metrics.height() / 10.0);
    painter.strokePath(glyphs, QPen(strongestAgainst(fore), rim, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.fillPath(glyphs, fore);
    painter.restore();
}

} // namespace contrast
