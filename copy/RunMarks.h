#pragma once

#include "aired/CopyDate.h"

#include <QLabel>
#include <QObject>
#include <QTimer>
#include <functional>

class DataControl;
class MultiLineBox;
class QAction;
class QListWidget;
class TextBox;

// Marks a library record whose run has ended or not begun (its End Date or Start Date, read as
// dates where they are dates, against the board's day): a mark beside the name, the copy box framed
// in a warning colour, and the reason in words. Nothing is hidden, nothing stored is changed.
class RunMarks : public QObject {
    Q_OBJECT
  public:
    // The marks follow the editor's current record and what is typed into its two date boxes.
    RunMarks(DataControl& data, TextBox* name, TextBox* start, TextBox* end, MultiLineBox* copy,
             std::function<QDate()> today, QObject* parent);

    // The reason in words, for the window to place.
    QLabel* reason() const { return reason_; }
    // Labels beside the two date boxes, for what their texts are when not dates ("not a date: no
    // limit") or when the end comes before the start.
    void setDateNotes(QLabel* startNote, QLabel* endNote);
    void update();

    // The picker's names marked alike and listed current first, then not yet started, then expired,
    // each in record order. Reads the dates beside the names without moving the editor.
    static void markPicker(QListWidget* list, const DataControl& editorData, const QDate& today);

  private:
    DataControl& data_;
    MultiLineBox* copy_;
    QAction* mark_;
    QLabel* reason_;
    TextBox* start_;
    TextBox* end_;
    QLabel* startNote_ = nullptr;
    QLabel* endNote_ = nullptr;
    std::function<QDate()> today_;
    QTimer midnight_; // the day turns while the window stays open
};
