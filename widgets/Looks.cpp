#include "widgets/Looks.h"

#include "widgets/Contrast.h"
#include "widgets/WindowPlace.h"

#include <QApplication>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <array>
#include <optional>

namespace looks {

namespace {

const QString kSettingsKey = QStringLiteral("board/look");

struct Named {
    Look look;
    const char* key;
};
constexpr std::array<Named, 3> kNames = {
    {{Look::Light, "light"}, {Look::Dark, "dark"}, {Look::HighContrast, "highContrast"}}};

// Disabled text stays readable too: a presenter reads why a button cannot be pressed.
void setGroups(QPalette& p, QPalette::ColorRole role, const QColor& active, const QColor& disabled) {
    p.setColor(QPalette::Active, role, active);
    p.setColor(QPalette::Inactive, role, active);
    p.setColor(QPalette::Disabled, role, disabled);
}

QPalette darkPalette() {
    QPalette p;
    const QColor text(0xF0, 0xF0, 0xF0);
    const QColor dim(0x9E, 0x9E, 0x9E);
    setGroups(p, QPalette::Window, QColor(0x20, 0x21, 0x24), QColor(0x20, 0x21, 0x24));
    setGroups(p, QPalette::WindowText, text, dim);
    setGroups(p, QPalette::Base, QColor(0x12, 0x12, 0x12), QColor(0x20, 0x21, 0x24));
    setGroups(p, QPalette::AlternateBase, QColor(0x2A, 0x2A, 0x2E), QColor(0x2A, 0x2A, 0x2E));
    setGroups(p, QPalette::Text, text, dim);
    setGroups(p, QPalette::Button, QColor(0x36, 0x38, 0x3C), QColor(0x2A, 0x2B, 0x2E));
    setGroups(p, QPalette::ButtonText, text, dim);
    setGroups(p, QPalette::BrightText, Qt::white, dim);
    setGroups(p, QPalette::Highlight, QColor(0x1F, 0x5F, 0xAF), QColor(0x40, 0x40, 0x40));
    setGroups(p, QPalette::HighlightedText, Qt::white, dim);
    setGroups(p, QPalette::ToolTipBase, QColor(0x30, 0x30, 0x34), QColor(0x30, 0x30, 0x34));
    setGroups(p, QPalette::ToolTipText, text, dim);
    setGroups(p, QPalette::PlaceholderText, dim, dim);
    setGroups(p, QPalette::Link, QColor(0x8A, 0xB4, 0xF8), dim);
    setGroups(p, QPalette::Light, QColor(0x4A, 0x4C, 0x50), QColor(0x4A, 0x4C, 0x50));
    setGroups(p, QPalette::Midlight, QColor(0x3A, 0x3C, 0x40), QColor(0x3A, 0x3C, 0x40));
    setGroups(p, QPalette::Mid, QColor(0x2A, 0x2B, 0x2E), QColor(0x2A, 0x2B, 0x2E));
    setGroups(p, QPalette::Dark, QColor(0x10, 0x10, 0x12), QColor(0x10, 0x10, 0x12));
    setGroups(p, QPalette::Shadow, Qt::black, Qt::black);
    return p;
}

QPalette highContrastPalette() {
    QPalette p;
    const QColor dim(0xB0, 0xB0, 0xB0);
    for (QPalette::ColorRole back :
         {QPalette::Window, QPalette::Base, QPalette::AlternateBase, QPalette::Button, QPalette::ToolTipBase,
          QPalette::Mid, QPalette::Dark, QPalette::Shadow})
        setGroups(p, back, Qt::black, Qt::black);
    for (QPalette::ColorRole fore :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::BrightText,
          QPalette::ToolTipText, QPalette::Light, QPalette::Midlight})
        setGroups(p, fore, Qt::white, dim);
    setGroups(p, QPalette::Highlight, Qt::yellow, dim);
    setGroups(p, QPalette::HighlightedText, Qt::black, Qt::black);
    setGroups(p, QPalette::PlaceholderText, dim, dim);
    setGroups(p, QPalette::Link, Qt::cyan, dim);
    return p;
}

// The edge a control is drawn with, against the background it stands on.
void drawEdge(QPainter* painter, const QStyleOption* option, const QRectF& rect, bool round) {
    if (!(option->state & QStyle::State_Enabled)) return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setBrush(Qt::NoBrush);
    painter->setPen(QPen(contrast::edgeOn(option->palette.color(QPalette::Window)), 1.5));
    const QRectF inside = rect.adjusted(0.75, 0.75, -0.75, -0.75);
    if (round)
        painter->drawEllipse(inside);
    else
        painter->drawRoundedRect(inside, 2, 2);
    painter->restore();
}

// Fusion, which follows the palette in every look, with an edge around each control that stands out
// from its surroundings whatever the palette (Fusion's own edges are the window colour a shade darker:
// 1.2:1 on a dark palette).
class LookStyle : public QProxyStyle {
  public:
    LookStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        switch (element) {
        case PE_IndicatorRadioButton:
            drawEdge(painter, option, option->rect, true);
            break;
        case PE_IndicatorCheckBox:
        case PE_PanelButtonCommand:
        case PE_FrameLineEdit:
            drawEdge(painter, option, option->rect, false);
            break;
        case PE_Frame:
            // A frame around text to read or type; plain frames of panels keep the style's own.
            if (const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option);
                frame && frame->lineWidth > 0 && (frame->state & State_Sunken))
                drawEdge(painter, option, option->rect, false);
            break;
        default:
            break;
        }
    }

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget) const override {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        if (control == CC_ComboBox) drawEdge(painter, option, option->rect, false);
    }
};

std::optional<QPalette>& desktopPalette() {
    static std::optional<QPalette> palette;
    return palette;
}

} // namespace

const Warnings& warnings(Look look) {
    // Light: the program's red and deep blue bands with white text. On a dark window those bands
    // would not stand out from it, so the dark looks carry light bands with black text.
    static const std::array<Warnings, 3> table = {{
        {{QColor(0xB0, 0x00, 0x00), Qt::white},
         {QColor(0x00, 0x3A, 0x8C), Qt::white},
         QColor(0xB0, 0x00, 0x00)},
        {{QColor(0xFF, 0x8A, 0x80), Qt::black},
         {QColor(0x8A, 0xB4, 0xF8), Qt::black},
         QColor(0xFF, 0x8A, 0x80)},
        {{QColor(0xFF, 0x9E, 0x9E), Qt::black},
         {QColor(0x9E, 0xD0, 0xFF), Qt::black},
         QColor(0xFF, 0xB0, 0xB0)},
    }};
    return table[size_t(look)];
}

QString key(Look look) {
    return QLatin1String(kNames[size_t(look)].key);
}

Look fromKey(const QString& key) {
    for (const Named& n : kNames)
        if (key == QLatin1String(n.key)) return n.look;
    return Look::Light;
}

QStyle* createStyle() {
    return new LookStyle;
}

void apply(Look look) {
    if (!dynamic_cast<LookStyle*>(QApplication::style())) QApplication::setStyle(createStyle());
    std::optional<QPalette>& desktop = desktopPalette();
    if (look == Look::Light) {
        // Only a palette of ours is taken back: one the desktop set since stays.
        if (desktop) QApplication::setPalette(*desktop);
        desktop.reset();
    } else {
        if (!desktop) desktop = QApplication::palette();
        QApplication::setPalette(look == Look::Dark ? darkPalette() : highContrastPalette());
    }
    // The windows take the new palette at once, so colours worked out against it next are right.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::ApplicationPaletteChange);
}

Look remembered() {
    return fromKey(windows::userSettings().value(kSettingsKey).toString());
}

void remember(Look look) {
    QSettings settings = windows::userSettings();
    settings.setValue(kSettingsKey, key(look));
}

} // namespace looks
