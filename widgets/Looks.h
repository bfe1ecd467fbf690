#pragma once

#include <QColor>
#include <QString>

class QStyle;

// The program's built-in looks. Light is the desktop's own palette, as the board has always looked;
// dark and high contrast are ours. In every look text reads at 4.5:1 and the edge of every control
// stands out from what surrounds it by 3:1.
namespace looks {

enum class Look { Light, Dark, HighContrast };

// A coloured band the program raises over its own status line, in the colours of one look.
struct Band {
    QColor back;
    QColor text;
};

// What a look gives the program's own warnings: a failure, the copy kept on this computer, and a
// warning word on the window's background.
struct Warnings {
    Band failure;
    Band copy;
    QColor word;
};

const Warnings& warnings(Look look);

// The name the look is kept under, and back; an unknown name is the light look.
QString key(Look look);
Look fromKey(const QString& key);

// Palette and style of the whole application. The desktop's own palette, as first found, comes back
// with the light look.
void apply(Look look);

// The look the presenter chose last, kept per user; the light look until one is chosen.
Look remembered();
void remember(Look look);

// The style every look draws with: the desktop's, with an edge around each control that stands out
// from the control's surroundings.
QStyle* createStyle();

} // namespace looks
