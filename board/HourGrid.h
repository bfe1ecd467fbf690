#pragma once

#include <QString>

struct BoardControls;

// The hour grid: which hour table Data1 reads and the captions that name the hour. Hours are
// numbered 0 (the midnight hour, "12am") to 23 ("11pm").
class HourGrid {
  public:
    // The Hours menu writes the short header for 1 AM to 10 AM ("1:00 - 2:00 AM"), the clock the
    // long one ("1:00 AM - 2:00 AM").
    enum class Header { Menu, Clock };

    explicit HourGrid(BoardControls& controls);

    // What a screen reader calls the slot box beside a slot time caption ("12:05 AM slot").
    static QString slotName(const QString& timeCaption);

    // Table, refresh, slot labels, slot keys, hour header. When the refresh throws, the table name
    // has changed but the captions still name the previous hour.
    void showHour(int hour, Header form);
    // Slot labels, slot keys and hour header of an hour, without touching Data1.
    void writeCaptions(int hour, Header form);
    // All twelve slot boxes back to yellow: no slot is marked current.
    void clearSlotMark();
    // Whether Data1 reads the hour's table and the header names it in this form.
    bool shows(int hour, Header form) const;

  private:
    BoardControls& c_;
};
