#pragma once

#include "widgets/Accessible.h"

#include <QApplication>
#include <QString>
#include <QWidget>

// Secondary windows are top-level widgets named after their form (objectName "frmNotes") and
// deleted when closed, so each exists at most once and closing discards it.
namespace windows {

template <class W = QWidget> W* find(const QString& name) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        // A closed window waits hidden for its deferred delete: it no longer counts.
        if (w->objectName() == name && w->testAttribute(Qt::WA_DeleteOnClose) && w->isVisible())
            if (auto* typed = qobject_cast<W*>(w)) return typed;
    }
    return nullptr;
}

// Marks a new top-level window as one of ours.
inline void adopt(QWidget* w, const QString& name) {
    w->setObjectName(name);
    w->setAttribute(Qt::WA_DeleteOnClose);
    accessible::install();
}

// Shows a window modeless and brings it to the front.
inline void bringToFront(QWidget* w) {
    w->show();
    w->raise();
    w->activateWindow();
}

} // namespace windows
