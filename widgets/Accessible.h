#pragma once

#include <QAbstractButton>
#include <QString>

namespace accessible {

// A screen reader would read an arrow caption ("<<<", ">>>>>>") as a row of symbols: the button
// gets a name that says where it goes.
inline void nameArrowButton(QAbstractButton* button) {
    const QString caption = button->text();
    if (caption.isEmpty()) return;
    if (caption.count(QLatin1Char('<')) == caption.size())
        button->setAccessibleName(QStringLiteral("Previous record"));
    if (caption.count(QLatin1Char('>')) == caption.size())
        button->setAccessibleName(QStringLiteral("Next record"));
}

} // namespace accessible
