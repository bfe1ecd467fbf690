#pragma once

#include <array>

class DataControl;
class TextBox;
class MultiLineBox;
class XButton;
class Lbl3D;
class Timer;
class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QWidget;

// The main board's controls, by their names. The main window (app/frmMain) creates them and fills
// this in; the board's behaviours work on it. Families are arrays indexed by the control's number,
// so slotBox[1] is Text1 and the zero slot stays empty.
struct BoardControls {
    QWidget* form = nullptr;
    QStatusBar* statusBar = nullptr;

    std::array<DataControl*, 9> data{}; // Data1 .. Data8

    // Hour grid (Frame1)
    QGroupBox* Frame1 = nullptr;
    std::array<TextBox*, 13> slotBox{};  // Text1 .. Text12
    std::array<QLabel*, 13> slotLabel{}; // Label1 .. Label12
    std::array<QLabel*, 13> slotKey{};   // Label14 .. Label25 (hidden)
    QLabel* Label31 = nullptr;           // day label
    QLabel* Label32 = nullptr;           // hour header
    QLabel* Label34 = nullptr;           // day-time text (hidden)

    // Today's main events (Frame2)
    QGroupBox* Frame2 = nullptr;
    QLabel* Label27 = nullptr;
    std::array<TextBox*, 8> eventBox{};    // Text13 .. Text19 at [1..7]
    std::array<QRadioButton*, 9> option{}; // Option1 .. Option8
    QLabel* lblNoData = nullptr;           // why the load found no data; hidden while all reads

    // Weather panel (Frame5) and slogans (Frame6)
    QGroupBox* Frame5 = nullptr;
    MultiLineBox* Text20 = nullptr;
    QGroupBox* Frame6 = nullptr;
    std::array<MultiLineBox*, 4> sloganBox{}; // Text21 .. Text23 at [1..3]

    // Coloured buttons: XButton1 .. XButton14
    std::array<XButton*, 15> xbutton{};

    // Station band (Frame7)
    QGroupBox* Frame7 = nullptr;
    Lbl3D* Lbl3D2 = nullptr; // station name
    QLabel* Label33 = nullptr;
    Lbl3D* lblDate = nullptr;
    QLabel* Label40 = nullptr;
    Lbl3D* Lbl3D1 = nullptr;        // clock
    QLabel* lblCountdown = nullptr; // time to the top of the hour and the next reminder
    QLabel* Label30 = nullptr;      // "Please Save your changes."

    // Command1 .. Command13
    std::array<QPushButton*, 14> command{};

    // Network setup (Frame3)
    QGroupBox* Frame3 = nullptr;
    QLabel *Label35 = nullptr, *Label36 = nullptr, *Label37 = nullptr, *Label38 = nullptr, *Label39 = nullptr,
           *Label41 = nullptr, *Label42 = nullptr;
    TextBox *Text26 = nullptr, *Text27 = nullptr, *Text28 = nullptr, *Text29 = nullptr;

    // Reminder panels (Frame8: #1, Frame9: #2)
    QGroupBox* Frame8 = nullptr;
    QLabel *Label26 = nullptr, *Label13 = nullptr;
    QGroupBox* Frame9 = nullptr;
    QLabel *Label28 = nullptr, *Label29 = nullptr;
    std::array<QComboBox*, 33> combo{}; // Combo1 .. Combo32
    MultiLineBox* Text24 = nullptr;
    MultiLineBox* Text25 = nullptr;

    // Timer1 .. Timer4
    std::array<Timer*, 5> timer{};

    // Menus
    QMenu *mnuFile = nullptr, *mnuEdit = nullptr, *mnuDays = nullptr, *mnuHours = nullptr,
          *mnuReminders = nullptr, *mnuPhoneList = nullptr, *mnuView = nullptr, *mnuHelp = nullptr;
    QAction *mnuFileRefresh = nullptr, *mnuFileExit = nullptr;
    QAction *mnuNetworkSetup = nullptr, *mnuEditEdit = nullptr, *mnuSaveContent = nullptr,
            *mnuEditClearHour = nullptr, *mnuEditClearEvents = nullptr, *mnuEditHistory = nullptr;
    std::array<QAction*, 7> dayItem{};   // mnuMonday .. mnuSunday
    std::array<QAction*, 24> hourItem{}; // mnu12am, mnu1am .. mnu11pm
    QAction *mnuEditPopup1 = nullptr, *mnuEditPopup2 = nullptr;
    QAction* mnuShowPhoneList = nullptr;
    // The presenter's text size and look.
    QAction *mnuViewLarger = nullptr, *mnuViewSmaller = nullptr, *mnuViewNormal = nullptr;
    std::array<QAction*, 3> lookItem{}; // mnuViewLight, mnuViewDark, mnuViewHighContrast
    QAction *mnuHelpAbout = nullptr, *mnuHelpHelp = nullptr;
};
