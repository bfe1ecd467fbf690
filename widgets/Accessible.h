#pragma once

#include <QAbstractButton>
#include <QString>
#include <functional>

class QLabel;
class QWidget;

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

// Lets every top-level window of ours report itself as a window (a plain widget would be a
// "filler" to assistive technology). Called by what makes windows; once is enough.
void install();

// A label is heard by its caption; what it is ("System Time") is its description.
void describe(QWidget* w, const QString& role);

// A label whose caption changes by itself (the clock, the countdown): it is heard by its caption
// whenever asked, but a change is announced only when the part announced of it changes (the clock's
// hour, not every second). With no part given every change is announced.
void makeLive(QLabel* label, const QString& role,
              std::function<QString(const QString& caption)> announced = {});

} // namespace accessible
