#pragma once

#include "data/sharing/ReadAhead.h"

#include <QString>
#include <QVector>
#include <utility>

struct BoardControls;
class DataControl;
namespace catalogue {
struct Weekday;
}

// Points a data control at another file of the same kind and reads it; the connect string set at
// load stays in force. Throws StorageError.
void reopenOn(DataControl& source, const QString& path);

// The Days menu: switches the day, events, weather and reminder sources to a weekday's files,
// keeping the hour shown, and writes the day label.
class DaySelection {
  public:
    DaySelection(BoardControls& controls, QString programFolder);

    // Each source by itself: one that cannot be opened is skipped and the others still switch.
    void showDay(const catalogue::Weekday& day);
    // What choosing every other weekday would show, so that it can be read ahead.
    QVector<TableRef> tablesOfOtherDays() const;

  private:
    // Each switched source with the file it shows for the day.
    QVector<std::pair<DataControl*, QString>> switchesFor(const catalogue::Weekday& day) const;

    BoardControls& c_;
    QString programFolder_;
};
