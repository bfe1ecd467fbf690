#pragma once

#include <QColor>

class QPainter;
class QPainterPath;
class QRect;
class QString;
class QWidget;

// Legibility of text against its background, as the accessibility guidelines measure it (relative
// luminance, ratios from 1:1 to 21:1). Text read from the presenter's chair needs at least 4.5:1.
namespace contrast {

inline constexpr double kReadable = 4.5;
// What the edge of a control needs against what surrounds it to be seen as a control.
inline constexpr double kOutline = 3.0;

double luminance(const QColor& c);
double ratio(const QColor& a, const QColor& b);

// Black or white, whichever stands out more against the colour (always at least 4.58:1).
QColor strongestAgainst(const QColor& c);

// The preferred colour where it reads on the background; otherwise the same hue made lighter or
// darker, as little as it takes to read. For warnings whose colour is ours, not the station's.
QColor readableOn(const QColor& preferred, const QColor& background);

// The colour a control's edge is drawn in: the background itself made lighter or darker, as little as
// it takes to stand out by kOutline, so edges stay quiet on every background.
QColor edgeOn(const QColor& background);

// What shows behind a widget that does not paint its own background: the nearest parent that does.
QColor backgroundBehind(const QWidget* w);

// Draws text in its own colour. Where that colour does not read on the background behind it (a
// pair of colours the station chose), each glyph gets a thin rim of black or white, so the text's
// edge, the background it is read against, contrasts with it.
void drawText(QPainter& painter, const QRect& rect, int alignment, const QString& text, const QColor& fore,
              const QColor& back);

} // namespace contrast
