#pragma once

#include "aired/AiredLog.h"

#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>

class DataControl;
class StudioContext;

// The library editor's "&Read on Air" button: a press records that the copy shown was read on air
// just now, here, with a fingerprint of its text; the button says when it was last read today,
// whichever studio pressed (another studio's press shows while the editor is the active window).
// "&Undo Read" takes this studio's last press back within a minute.
class ReadOnAir : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kUndoSeconds = 60;

    // say: where a failure is told (the window's status line).
    ReadOnAir(StudioContext& context, DataControl& data, std::function<void(const QString&)> say,
              QWidget* parent);

    QPushButton* readButton() const { return read_; }
    QPushButton* undoButton() const { return undo_; }
    // Reads the caption again: the record moved, or another studio pressed.
    void showLastRead();

  private:
    void press();
    void undo();
    void lookForOtherPresses();
    AiredLog log() const;
    QString library() const;
    void closeUndo();

    StudioContext& context_;
    DataControl& data_;
    std::function<void(const QString&)> say_;
    QPushButton* read_;
    QPushButton* undo_;
    std::optional<AiredRead> lastPress_;
    // A picker filling its list moves the editor through every record: the caption is read once
    // the moves are over, not once per record.
    QTimer reread_;
    QTimer undoWindow_;
    QTimer watch_;
    std::optional<quint64> seenStamp_;
    QDate seenDay_;
};
