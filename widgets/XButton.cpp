#include "widgets/XButton.h"

#include "widgets/Colors.h"
#include "widgets/Contrast.h"

#include <QApplication>
#include <QEvent>
#include <QStyleOptionButton>
#include <QStylePainter>

XButton::XButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    setFocusPolicy(Qt::TabFocus);
    repaintColors();
}

void XButton::setBackColor(quint32 bgr) {
    back_ = bgr;
    repaintColors();
}

void XButton::setForeColor(quint32 bgr) {
    fore_ = bgr;
    repaintColors();
}

void XButton::repaintColors() {
    // A style sheet, because the platform styles ignore the palette's button colour. The edge is not
    // the face's colour: a yellow or green face hardly differs from a light window, so the edge is
    // what tells the button from its surroundings.
    // Never the button's own palette, which the sheet itself sets.
    const QColor edge = contrast::edgeOn(parentWidget() ? contrast::backgroundBehind(parentWidget())
                                                        : QApplication::palette().color(QPalette::Window));
    const QString sheet =
        QStringLiteral("QPushButton { background-color: %1; color: %2; border: 2px solid %3;"
                       " border-radius: 4px; padding: 2px 10px; font-weight: bold; }"
                       "QPushButton:pressed { border-style: inset; }")
            .arg(colors::fromBgr(back_).name(), colors::fromBgr(fore_).name(), edge.name());
    // Setting a sheet changes the palette, which would ask for the sheet again.
    if (sheet != styleSheet()) setStyleSheet(sheet);
}

void XButton::changeEvent(QEvent* event) {
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ParentChange) repaintColors();
}

void XButton::paintEvent(QPaintEvent*) {
    // The face from the style, the caption on top of it in colours that read (see contrast::drawText).
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);
    painter.setFont(font());
    const QRect face = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    contrast::drawText(painter, face, Qt::AlignCenter, text(), colors::fromBgr(fore_),
                       colors::fromBgr(back_));
}
