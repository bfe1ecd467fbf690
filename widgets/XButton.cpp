#include "widgets/XButton.h"

#include "widgets/Colors.h"

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
    // A style sheet, because the platform styles ignore the palette's button colour.
    setStyleSheet(QStringLiteral("QPushButton { background-color: %1; color: %2; border: 2px outset %1;"
                                 " border-radius: 4px; padding: 4px 10px; font-weight: bold; }"
                                 "QPushButton:pressed { border-style: inset; }")
                      .arg(colors::fromBgr(back_).name(), colors::fromBgr(fore_).name()));
}
