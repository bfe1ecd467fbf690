#pragma once

#include <QObject>
#include <QSettings>
#include <QString>

class QAbstractButton;
class QWidget;

// Desktop manners of the secondary windows.
namespace windows {

// The window opens where the presenter last left it (kept per user between runs), and on a screen
// that is still there.
void rememberPlace(QWidget* window);

// Escape does what the window's Close button does (so what the button's handler writes is still
// written); a window without one simply closes.
void closeOnEscape(QWidget* window, QAbstractButton* closeButton = nullptr);

// The settings key a window's place is kept under.
QString placeKey(const QString& windowName);

// What the program keeps per user between runs (window places, the presenter's look and text size).
QSettings userSettings();

} // namespace windows
