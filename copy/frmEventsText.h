#pragma once

#include "copy/CopyWindow.h"

// Fields of event line 1..7 of the "Events" record: "me3" and "me3txt" for line 3.
QString eventTitleField(int line);
QString eventNotesField(int line);

// One of the day's main events: its title and its copy notes, both editable and stored when the
// window closes. The weekday's file is chosen once, when the window loads.
class frmEventsText : public CopyWindow {
    Q_OBJECT
  public:
    explicit frmEventsText(StudioContext& context);

    TextBox* Text2() const { return text2_; }
    MultiLineBox* Text1() const { return text1_; }
    void Form_Load();

  private:
    TextBox* text2_;
    MultiLineBox* text1_;
};
