#pragma once

#include <QStatusBar>
#include <QString>

// What the status bar says in full: its message, or where that was cut to fit the bar, its tooltip.
inline QString wholeStatus(const QStatusBar* bar) {
    const QString shown = bar->currentMessage();
    if (!shown.endsWith(QChar(0x2026))) return shown;
    const QString whole = bar->toolTip();
    return whole.startsWith(shown.chopped(1)) ? whole : shown;
}
