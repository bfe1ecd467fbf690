#pragma once

#include "data/controls/DataControl.h"

#include <QPointer>
#include <QWidget>
#include <functional>

class QListWidget;

enum class PickerKind { Promo, PrepCopy, Name };

// Shows the picker (once) over the editor's data control; runs its load step on first showing.
// beforeMove: what the editor window does itself before its data control moves (the phone list
// composes a typed contact's display text).
QWidget* showPicker(PickerKind kind, DataControl& editorData, std::function<void()> beforeMove = {});

// A list of one field of every record of an editor's data control; a click moves the editor to
// the first record with that value and closes the list. The three pickers differ only in the
// parameters of their kind.
class Picker : public QWidget {
    Q_OBJECT
  public:
    Picker(PickerKind kind, DataControl& editorData, std::function<void()> beforeMove);

    PickerKind kind() const { return kind_; }
    DataControl* editor() const { return editor_; }
    void Form_Load();

  private:
    void List1_Click();
    void Command1_Click();
    void editorAboutToMove() const;

    PickerKind kind_;
    // The editor may close while its picker stays open.
    QPointer<DataControl> editor_;
    std::function<void()> beforeMove_;
    QListWidget* list1_;
};
