#pragma once

#include "base/Steps.h"
#include "board/BoardControls.h"
#include "board/BoardFonts.h"
#include "board/Clock.h"
#include "board/ClockAdvance.h"
#include "board/ClockDisplay.h"
#include "board/ClockTrust.h"
#include "board/CopyPanel.h"
#include "board/DaySelection.h"
#include "board/HourGrid.h"
#include "board/NetworkSetup.h"
#include "data/sharing/ChangeWatcher.h"
#include "studio/StudioContext.h"

#include <QMainWindow>
#include <functional>
#include <memory>

class EditMode;
class LiveUpdates;
class Reminders;
class StartFailures;
class StatusLine;
class ViewChoices;

// The main board. It owns every control of the board (see BoardControls), the eight data controls
// and the timers, runs the load sequence and the whole-board commands, and hands every other event
// to its handler below.
//
// Families of identical handlers are one function with the row as argument:
//   mnu12am_Click .. mnu11pm_Click        -> mnuHour_Click(row)      row into hourRows(), 12 AM = 0
//   mnuMonday_Click .. mnuSunday_Click    -> mnuDay_Click(day)       day into catalogue::weekdays(), Monday =
//   0 Option1_Click .. Option8_Click        -> Option_Click(n)         n = 1 .. 8 Text13_DblClick ..
//   Text19_DblClick    -> EventLine_DblClick(n)   n = 1 (Text13) .. 7 (Text19) Text4_GotFocus ..
//   Text9_GotFocus      -> SlotBox_GotFocus(k)     k = 4 .. 9, the box Text<k> Text4_LostFocus ..
//   Text9_LostFocus    -> SlotBox_LostFocus(k)    k = 4 .. 9 XButton1 .. XButton14 press           ->
//   XButton_Press(k)        k = 1 .. 14
class frmMain : public QMainWindow, public StudioContext {
    Q_OBJECT
  public:
    // kept is the rescue store the board keeps text in that it could not store (none in a trial
    // without one); it outlives the board.
    frmMain(Clock& clock, DatabaseProvider& provider, KeptEdits* kept, const QString& programFolder,
            QWidget* parent = nullptr);
    ~frmMain() override;

    BoardControls& controls() { return c_; }
    Clock& clock() { return clock_; }
    // The default error path's display: the engine's message in the status bar.
    ErrorSink errorSink() const;
    // How the program ends; the default leaves the event loop. Tests put a recorder here.
    void setEndProgram(std::function<void()> end) { endProgram_ = std::move(end); }

    QString dataFolderText() const override;
    QString dayLabel() const override;
    QString programFolder() const override { return programFolder_; }
    DatabaseProvider& provider() override { return provider_; }
    KeptEdits* rescueStore() override { return kept_; }
    QDateTime now() const override { return clock_.now(); }

  public slots:
    void Form_Load();
    void Form_Unload();

    void mnuFileRefresh_Click();
    void mnuFileExit_Click();

    void mnuNetworkSetup_Click();
    void mnuEditEdit_Click();
    void mnuSaveContent_Click();
    void mnuEditClearHour_Click();
    void mnuEditClearEvents_Click();
    void mnuEditHistory_Click();
    void mnuDay_Click(int day);
    void mnuHour_Click(int row);
    void mnuEditPopup1_Click();
    void mnuEditPopup2_Click();
    void mnuShowPhoneList_Click();
    void mnuViewLarger_Click();
    void mnuViewSmaller_Click();
    void mnuViewNormal_Click();
    // mnuViewLight_Click .. mnuViewHighContrast_Click -> mnuViewLook_Click(look)
    void mnuViewLook_Click(int look);
    void mnuHelpAbout_Click();
    void mnuHelpHelp_Click();

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void Command8_Click();
    void Command9_Click();
    void Command10_Click();
    void Command11_Click();
    void Command12_Click();
    void Command13_Click();

    void Option_Click(int n);
    void EventLine_DblClick(int n);
    void SlotBox_GotFocus(int k);
    void SlotBox_LostFocus(int k);
    void XButton_Press(int k);

    void Timer1_Timer();
    void Timer3_Timer();
    void Timer4_Timer();
    // F11: the whole screen for the board alone, and back.
    void toggleFullScreen();
    // Other studios' changes and files come back: one round of checks of every file, from here.
    void pollForChanges();
    // Before Form_Load: the files are asked for changes from a thread of their own, over
    // connections the factory makes, so a slow share never holds up the clock.
    void watchChangesFromThread(ChangeWatcher::ProviderFactory factory);
    // Before Form_Load: the tables shown and those the next hour and day rolls switch to are read
    // ahead from a thread of their own, over connections the factory makes.
    void readAheadFromThread(ChangeWatcher::ProviderFactory factory);
    // Before Form_Load: a copy of the data folder's (or server's) content is kept in root, from a
    // thread of its own over connections the factory makes, and shown while the place does not answer.
    void keepLocalCopy(ChangeWatcher::ProviderFactory factory, const QString& root);
    // For the benchmark and tests: whether the copy is whole and up to date within ms.
    bool waitForLocalCopy(int ms);
    // For the benchmark: the next day's files, opened ahead since the last day change, are open, and
    // the tables read ahead are read.
    void waitForOpenAhead();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void openWhereTheDataLies();
    // What the load could not open, said in the status bar and under the event lines.
    void sayWhyNoData(const StartFailures& noted);
    // The tables Refresh Data reads and the rolls switch to.
    QVector<TableRef> tablesToReadAhead() const;
    // Start-up's tables, read all at once on the board's own connections before the load reads them.
    void readAheadForLoad();
    // What the day roll would switch to (the files of the day after the day label's) and what a
    // Days menu choice would.
    QStringList filesToOpenAhead() const;
    void connectHandlers();
    void connectMenus();
    void connectControls();
    void addKeys();
    // Folder text + file constant, the program folder standing in for an empty folder text.
    QString dataFile(const QString& constant) const;
    void endProgram();

    Clock& clock_;
    DatabaseProvider& provider_;
    KeptEdits* kept_;
    QString programFolder_;
    // Why the load found no data, while the status bar says so.
    QString startReason_;
    BoardControls c_;
    std::function<void()> endProgram_;

    // Hours, days, the live clock and the clock-driven advance. The status bar exists only once the
    // board is built, so the advance asks for the error display when it needs it.
    HourGrid hourGrid_{c_};
    DaySelection daySelection_{c_, programFolder_};
    ClockDisplay clockDisplay_{c_, clock_};
    ClockAdvance clockAdvance_{
        c_,     hourGrid_,      clockDisplay_,
        clock_, programFolder_, [this](const QString& message) { errorSink()(message); }};
    CopyPanel copyPanel_{c_};
    BoardFonts fonts_{c_};
    std::unique_ptr<NetworkSetup> networkSetup_;
    std::unique_ptr<EditMode> editMode_;
    std::unique_ptr<Reminders> reminders_;
    std::unique_ptr<ClockTrust> clockTrust_;
    std::unique_ptr<StatusLine> status_;
    std::unique_ptr<ViewChoices> view_;
    std::unique_ptr<LiveUpdates> liveUpdates_;
};
