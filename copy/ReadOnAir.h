#pragma once

#include "aired/AiredLog.h"

#include <QPushButton>
#include <QSet>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>

class DataControl;
class StudioContext;

// The library editor's "&Read on Air" button: a press records that the copy shown was read on air
// just now, here, with a fingerprint of its text; the button says when it was last read today,
// whichever studio pressed (another studio's press shows while the editor is the active window).
// "&Undo Read" takes this studio's last press back within a minute. A second press for the same copy
// within kSameReadSeconds is the same read, and the button says so; a press on copy whose run has
// ended or not begun asks first, once per copy.
class ReadOnAir : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kUndoSeconds = 60;
    static constexpr int kSameReadSeconds = 10;

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
    // Whether the copy is to be recorded although its run has ended or not begun: asked once.
    bool readOutsideRun(const QString& copy);

    StudioContext& context_;
    DataControl& data_;
    std::function<void(const QString&)> say_;
    QPushButton* read_;
    QPushButton* undo_;
    std::optional<AiredRead> lastPress_;
    QSet<QString> outsideRunAllowed_; // library, copy and reason already answered
    // A picker filling its list moves the editor through every record: the caption is read once
    // the moves are over, not once per record.
    QTimer reread_;
    QTimer undoWindow_;
    QTimer watch_;
    std::optional<quint64> seenStamp_;
    QDate seenDay_;
};
