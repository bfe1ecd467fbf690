#pragma once

#include <QColor>
#include <QtGlobal>

// Colours are given as 0x00BBGGRR: blue is 0xFF0000. This is the one place that knows the byte order.
namespace colors {

inline QColor fromBgr(quint32 bgr) {
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}
inline quint32 toBgr(const QColor& c) {
    return quint32(c.red()) | (quint32(c.green()) << 8) | (quint32(c.blue()) << 16);
}

inline constexpr quint32 kYellow = 0x00FFFF;
inline constexpr quint32 kGreen = 0x00FF00;
inline constexpr quint32 kBlue = 0xFF0000;
inline constexpr quint32 kRed = 0x0000FF;
inline constexpr quint32 kWhite = 0xFFFFFF;
inline constexpr quint32 kBlack = 0x000000;
inline constexpr quint32 kLightGrey = 0xE0E0E0;

} // namespace colors
