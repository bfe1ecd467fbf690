#pragma once

#include "copy/CopyWindow.h"

class QLabel;
class ReadOnAir;
class RunMarks;

// The copy library editor: one entry of the library its opener chose, with browse, add, edit,
// save and delete. Which library it shows is set from outside (caption, heading, file).
class frmNotes : public CopyWindow {
    Q_OBJECT
  public:
    explicit frmNotes(StudioContext& context);

    QLabel* Label5() const { return label5_; }
    void Form_Load();

  private:
    void Command1_Click(); // &Add New
    void Command2_Click(); // &Save
    void Command6_Click(); // &Edit
    void Command5_Click(); // &Delete
    void Command3_Click(); // <<<
    void Command4_Click(); // >>>
    void Command7_Click(); // &Close
    void Command8_Click(); // Select From List

    void buildLayout();
    // The marks of a run ended or not begun, and the read-on-air button, in the bottom frame.
    void addAiredControls();

    QLabel* label5_;
    QPushButton* save_;
    QPushButton* edit_;
    QPushButton* delete_;
    RunMarks* runMarks_ = nullptr;
    ReadOnAir* readOnAir_ = nullptr;
};
