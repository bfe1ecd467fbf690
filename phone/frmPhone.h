#pragma once

#include "base/Steps.h"

#include <QWidget>
#include <array>

class DataControl;
class QPushButton;
class ReadUntilAnswered;
class StudioContext;
class TextBox;

// The phone list: one contact of Phone.mdb's "List" at a time, stepping, adding, deleting, and the
// name picker to jump to a contact. Contacts are never changed in place: a wrong one is deleted and
// added again.
class frmPhone : public QWidget {
    Q_OBJECT
  public:
    explicit frmPhone(StudioContext& context, QWidget* parent = nullptr);
    ~frmPhone() override;

    // The window's own data source; the name picker positions it.
    DataControl& data1() { return *Data1; }

    // Where failures of "Show &List" and writes lost on closing are shown (the main board's status bar).
    void setErrorSink(ErrorSink sink) { errorSink_ = std::move(sink); }

    // The one-line summary the name picker lists: name, home phone and title.
    static QString displayText(const QString& name, const QString& home, const QString& title);

    void Form_Load();
    void Form_Unload();
    void Command1_Click(); // "&Add New"
    void Command2_Click(); // "&Save"
    void Command3_Click(); // "&Delete"
    void Command4_Click(); // "&Close Phone List"
    void Command5_Click(); // "Show &List"
    void Command6_Click(); // "<<<"
    void Command7_Click(); // ">>>"

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildControls();
    void connectButtons();
    void bindExtension();
    // Browse or adding, as the buttons' enabled flags and the boxes' locks show it.
    void showState(bool adding);
    bool adding() const;
    void composeDisplayText();
    // A contact typed while adding is stored by the next move or the close: it gets its summary first.
    void summariseTypedContact();
    void report(const Failure& failure) const;

    StudioContext& context_;
    DataControl* Data1 = nullptr;
    std::array<TextBox*, 10> text_{};       // Text1 .. Text9
    std::array<QPushButton*, 8> command_{}; // Command1 .. Command7
    ErrorSink errorSink_;
    ReadUntilAnswered* reading_ = nullptr;
    bool unloaded_ = false;
};

// Shows the phone list, creating it on first use; a list already open is only brought to the front.
frmPhone* showPhoneList(StudioContext& context, const ErrorSink& errorSink = {});
