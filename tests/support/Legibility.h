#pragma once

#include "widgets/Colors.h"
#include "widgets/ColourLabel.h"
#include "widgets/Contrast.h"
#include "widgets/XButton.h"

#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>

// How well what a window shows stands out, measured as a presenter sees it.
namespace legibility {

// Contrast of what a control's text is read against: its own rim where it has one.
inline double readContrast(QWidget* w) {
    if (auto* x = qobject_cast<XButton*>(w)) {
        const QColor fore = colors::fromBgr(x->foreColor()), back = colors::fromBgr(x->backColor());
        return std::max(contrast::ratio(fore, back), contrast::ratio(fore, contrast::strongestAgainst(fore)));
    }
    if (auto* l = qobject_cast<ColourLabel*>(w))
        return std::max(contrast::ratio(l->foreground(), l->background()),
                        contrast::ratio(l->foreground(), contrast::strongestAgainst(l->foreground())));
    if (qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QComboBox*>(w))
        return contrast::ratio(w->palette().color(QPalette::Text), w->palette().color(QPalette::Base));
    QColor back = contrast::backgroundBehind(w);
    const QPalette::ColorRole role = qobject_cast<QAbstractButton*>(w) && !qobject_cast<QRadioButton*>(w)
                                         ? QPalette::ButtonText
                                         : QPalette::WindowText;
    if (role == QPalette::ButtonText) back = w->palette().color(QPalette::Button);
    return contrast::ratio(w->palette().color(role), back);
}

// What a presenter uses, as opposed to what they only read.
inline bool isControl(QWidget* w) {
    return qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
           qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QComboBox*>(w);
}

// The strongest contrast, against what surrounds the control, found in the pixels of its edge as
// drawn (the outer two pixels of the control, or of a radio button's circle).
inline double edgeContrast(QWidget* w) {
    const QColor around = contrast::backgroundBehind(w->parentWidget());
    const QImage drawn = w->grab().toImage();
    QRect edge = drawn.rect();
    if (auto* radio = qobject_cast<QRadioButton*>(w)) {
        QStyleOptionButton option;
        option.initFrom(radio);
        edge = radio->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &option, radio);
    }
    double strongest = 1;
    for (int y = edge.top(); y <= edge.bottom(); ++y)
        for (int x = edge.left(); x <= edge.right(); ++x) {
            const bool onEdge =
                x - edge.left() < 2 || edge.right() - x < 2 || y - edge.top() < 2 || edge.bottom() - y < 2;
            if (onEdge && drawn.valid(x, y))
                strongest = std::max(strongest, contrast::ratio(drawn.pixelColor(x, y), around));
        }
    return strongest;
}

} // namespace legibility
