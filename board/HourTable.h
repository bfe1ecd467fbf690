#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// The 24 hours of the board as data: what the Hours menu, the grid and the hour roll write for each.
struct HourRow {
    int hour = 0;           // 0..23
    QString menuItem;       // "mnu12am", "mnu1am" .. "mnu11pm"
    QString menuCaption;    // "12:00 AM", "  1:00 AM" (single-digit hours carry two leading blanks)
    QString table;          // "12am", "1am" .. "11pm"
    QStringList slotLabels; // "1:00 AM" .. "1:55 AM"
    QStringList slotKeys;   // "1:00:00 AM" .. "1:55:00 AM", in the clock text's own form
    QString menuHeader;     // written when the hour is chosen from the menu: "1:00 - 2:00 AM"
    QString clockHeader;    // written by the hour roll: "1:00 AM - 2:00 AM"
    QString rollCheck;      // the clock text whose second rolls into this hour ("12:59:59 AM" for 1am);
                            // empty for 12am, which only the day roll reaches
};

// Midnight first, in menu order.
const QVector<HourRow>& hourRows();

// The header the board starts with, a third form for the midnight hour.
const QString& startHourHeader();
