#pragma once

#include "copy/CopyWindow.h"

// The prep service copy: one item of Prep.mdb at a time, with browse, add, edit, save and delete.
// Unlike the library editor it opens its own file when it loads.
class frmPrepCopy : public CopyWindow {
    Q_OBJECT
  public:
    explicit frmPrepCopy(StudioContext& context);

    void Form_Load();

  private:
    void Command1_Click(); // &Add New
    void Command2_Click(); // &Save
    void Command3_Click(); // &Edit
    void Command4_Click(); // &Delete
    void Command6_Click(); // <<<<<<<
    void Command7_Click(); // >>>>>>
    void Command5_Click(); // &Close
    void Command8_Click(); // Search

    void buildLayout();
    // Buttons and boxes as they are while browsing.
    void browse();

    QPushButton* addNew_;
    QPushButton* save_;
    QPushButton* edit_;
    QPushButton* delete_;
};
