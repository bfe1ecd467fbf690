#include "app/frmMain.h"

#include "about/Maker.h"
#include "about/frmAbout.h"
#include "app/BoardBuilder.h"
#include "board/Countdown.h"
#include "board/EditMode.h"
#include "board/HourTable.h"
#include "board/LiveUpdates.h"
#include "board/Reminders.h"
#include "board/StartFailures.h"
#include "board/StatusLine.h"
#include "board/ViewChoices.h"
#include "copy/CopyOpeners.h"
#include "data/catalogue/Catalogue.h"
#include "data/catalogue/Paths.h"
#include "data/controls/DataControl.h"
#include "data/rescue/KeptEdits.h"
#include "data/storage/StorageThread.h"
#include "history/frmHistory.h"
#include "phone/frmPhone.h"
#include "widgets/Colors.h"
#include "widgets/Lbl3D.h"
#include "widgets/TextBox.h"
#include "widgets/Timer.h"
#include "widgets/Windows.h"
#include "widgets/XButton.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <algorithm>

namespace {

// Connect type, then the password string that replaces it, the file, a refresh; where a table is
// named, set it and refresh again. A refresh that fails leaves the bound boxes as they were; the
// failure is noted, not shown, for the reason the board gives once the load is done.
void openDataControl(DataControl& data, StartFailures& noted, const QString& path,
                     const QString& table = QString()) {
    data.setConnect(catalogue::kConnectType);
    data.setConnect(catalogue::connectString());
    data.setDatabaseName(path);
    const ErrorSink note = [&](const Failure& failure) { noted.failed(failure); };
    bool opened = reportOnFailure(note, [&] { data.refresh(); });
    if (!table.isEmpty()) {
        data.setRecordSource(table);
        opened = reportOnFailure(note, [&] { data.refresh(); });
    }
    if (opened) noted.opened(path);
}

// One of the program folder's own files, which say where the data lies and the station's name. A
// start waits for them longer than for the data, long enough for a busy computer's first key
// derivation, or it would come up on the program folder in place of the data folder; a program
// folder on a hung share is still given up.
void openProgramFolderFile(DataControl& data, StartFailures& noted, const QString& path,
                           const QString& table) {
    constexpr int kProgramFolderWaitMs = 3000;
    const StoragePatience whereTheDataLies(kProgramFolderWaitMs);
    openDataControl(data, noted, path, table);
}

// One button of a group active, the others in the group's idle colour.
void paintGroup(BoardControls& c, int first, int last, int active, quint32 activeBack, quint32 idleBack,
                quint32 fore) {
    for (int k = first; k <= last; ++k) {
        c.xbutton[k]->setBackColor(k == active ? activeBack : idleBack);
        c.xbutton[k]->setForeColor(fore);
    }
}

// Closed, in this order, with the main board.
const QStringList& secondaryWindows() {
    static const QStringList names = {QStringLiteral("frmAbout"),          QStringLiteral("frmEventsText"),
                                      QStringLiteral("frmNameSearch"),     QStringLiteral("frmNotes"),
                                      QStringLiteral("frmPhone"),          QStringLiteral("frmPrepCopy"),
                                      QStringLiteral("frmPrepCopySearch"), QStringLiteral("frmStop"),
                                      QStringLiteral("frmPromoList"),      QStringLiteral("frmHistory")};
    return names;
}

} // namespace

frmMain::frmMain(Clock& clock, DatabaseProvider& provider, KeptEdits* kept, const QString& programFolder,
                 QWidget* parent)
    : QMainWindow(parent), clock_(clock), provider_(provider), kept_(kept), programFolder_(programFolder),
      endProgram_([] { QCoreApplication::exit(0); }) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Cuepilot Version 3.1"));
    BoardBuilder(*this, provider_, journal(), c_).build();
    status_ = std::make_unique<StatusLine>(c_.statusBar, [this] { return provider_.unanswered().forMs; });
    // A pending write that fails while a data control closes cannot be thrown: show it.
    for (int n = 1; n <= 8; ++n)
        c_.data[n]->setLostWriteSink(errorSink());
    if (kept_)
        connect(kept_, &KeptEdits::changed, this,
                [this](const QString& notice) { status_->setNotice(notice); });
    liveUpdates_ = std::make_unique<LiveUpdates>(QVector<DataControl*>(c_.data.begin() + 1, c_.data.end()),
                                                 provider_, kept_, catalogue::connectString(), *status_);
    liveUpdates_->openAhead([this] { return filesToOpenAhead(); });
    // The reason the load gave goes once every file reads: after a Days choice or a roll at once,
    // not a round later.
    for (int n = 1; n <= 8; ++n)
        connect(c_.data[n], &DataControl::repositioned, this, [this] {
            if (!std::all_of(c_.data.begin() + 1, c_.data.end(),
                             [](const DataControl* d) { return d->isOpen(); }))
                return;
            c_.lblNoData->setVisible(false);
            if (!startReason_.isEmpty() && status_->failure() == startReason_) status_->healthy();
            startReason_.clear();
        });
    networkSetup_ = std::make_unique<NetworkSetup>(
        c_, [this] { close(); }, [this] { repaint(); });
    editMode_ = std::make_unique<EditMode>(c_, errorSink());
    reminders_ = std::make_unique<Reminders>(c_, errorSink());
    clockTrust_ = std::make_unique<ClockTrust>(c_, clock_);
    clockDisplay_.setReminderCheck([this](const QString& shown) { checkReminders(c_, shown); });
    connectHandlers();
    addKeys();
    fonts_.addSmallPrint(clockTrust_->notice());
    view_ = std::make_unique<ViewChoices>(c_, fonts_, *status_, *clockTrust_);
    view_->restore();
    setMinimumSize(BoardFonts::kMinimumWindow);
    fonts_.fit(size());
}

frmMain::~frmMain() {
    // The data controls are children of the window and outlive its members: they are closed while
    // the status line that says what they could not store is still there.
    for (int n = 1; n <= 8; ++n)
        c_.data[n]->close();
}

ErrorSink frmMain::errorSink() const {
    return [this](const Failure& failure) {
        // A server address may carry its password: never on the screen.
        if (!status_) return;
        Failure shown = failure;
        shown.words = paths::withoutPassword(failure.words);
        status_->showFailure(shown);
    };
}

void frmMain::pollForChanges() {
    // Setup.mdb did not answer when the board started, so the day's files were looked for beside
    // the program: once it answers, what the board shows is opened where the data lies.
    const bool setupAway = !c_.data[7]->isOpen();
    liveUpdates_->poll();
    if (setupAway && c_.data[7]->isOpen()) openWhereTheDataLies();
}

void frmMain::openWhereTheDataLies() {
    if (const catalogue::Weekday* day = catalogue::weekdayNamed(c_.Label31->text()))
        daySelection_.showDay(*day);
    skipOnFailure([this] { reopenOn(*c_.data[4], dataFile(catalogue::kSloganFile)); });
    c_.Lbl3D2->setCaption(c_.Text29->text());
}

void frmMain::watchChangesFromThread(ChangeWatcher::ProviderFactory factory) {
    liveUpdates_->watchFromThread(std::move(factory));
}

void frmMain::readAheadFromThread(ChangeWatcher::ProviderFactory factory) {
    liveUpdates_->readAheadFromThread(std::move(factory), [this] { return tablesToReadAhead(); });
}

void frmMain::keepLocalCopy(ChangeWatcher::ProviderFactory factory, const QString& root) {
    liveUpdates_->keepLocalCopy(
        std::move(factory), root, [this] { return clock_.now(); },
        [this] { return paths::withFallback(dataFolderText(), programFolder_, QString()); });
}

bool frmMain::waitForLocalCopy(int ms) {
    return liveUpdates_->waitForLocalCopy(ms);
}

void frmMain::waitForOpenAhead() {
    liveUpdates_->waitForOpenAhead();
    liveUpdates_->waitForReadAhead();
}

void frmMain::readAheadForLoad() {
    const catalogue::Weekday& monday = catalogue::weekdays().front();
    const QString files[] = {dataFile(monday.dayFile),      dataFile(monday.eventsFile),
                             dataFile(monday.weatherFile),  dataFile(catalogue::kSloganFile),
                             dataFile(monday.reminderFile), dataFile(monday.reminderFile)};
    QVector<TableRef> tables;
    for (int n = 1; n <= 6; ++n)
        tables << TableRef{files[n - 1], c_.data[n]->recordSource()};
    liveUpdates_->readForLoad(tables);
}

QVector<TableRef> frmMain::tablesToReadAhead() const {
    QVector<TableRef> tables;
    for (int n = 1; n <= 6; ++n)
        tables << TableRef{c_.data[n]->databaseName(), c_.data[n]->recordSource()};
    // The other weekdays' too: a Days menu choice then costs a look at each file, not a read.
    return tables + clockAdvance_.upcomingTables() + daySelection_.tablesOfOtherDays();
}

QStringList frmMain::filesToOpenAhead() const {
    const QVector<catalogue::Weekday>& days = catalogue::weekdays();
    int today = 0;
    while (today < days.size() && days[today].name != c_.Label31->text())
        ++today;
    if (today == days.size()) return {};
    const catalogue::Weekday& next = days[(today + 1) % days.size()];
    QStringList files;
    // The Days menu opens the weekday's reminder file, the day roll the shared one.
    for (const QString& constant :
         {next.dayFile, next.eventsFile, next.weatherFile, next.reminderFile, catalogue::kSharedReminderFile})
        files << paths::withFallback(c_.Text26->text(), programFolder_, constant);
    // And the files a Days menu choice would show, so that the board's connections to them are open.
    for (const TableRef& table : daySelection_.tablesOfOtherDays())
        if (!files.contains(table.file)) files << table.file;
    return files;
}

QString frmMain::dataFolderText() const {
    return c_.Text26->text();
}
QString frmMain::dayLabel() const {
    return c_.Label31->text();
}

QString frmMain::dataFile(const QString& constant) const {
    return paths::withFallback(dataFolderText(), programFolder_, constant);
}

void frmMain::endProgram() {
    if (endProgram_) endProgram_();
}

void frmMain::connectHandlers() {
    connectMenus();
    connectControls();
    connect(c_.timer[1], &Timer::tick, this, &frmMain::Timer1_Timer);
    connect(c_.timer[3], &Timer::tick, this, &frmMain::Timer3_Timer);
    connect(c_.timer[4], &Timer::tick, this, &frmMain::Timer4_Timer);
}

void frmMain::connectMenus() {
    struct Item {
        QAction* BoardControls::*action;
        void (frmMain::*handler)();
    };
    static const std::array<Item, 16> items = {{
        {&BoardControls::mnuFileRefresh, &frmMain::mnuFileRefresh_Click},
        {&BoardControls::mnuFileExit, &frmMain::mnuFileExit_Click},
        {&BoardControls::mnuNetworkSetup, &frmMain::mnuNetworkSetup_Click},
        {&BoardControls::mnuEditEdit, &frmMain::mnuEditEdit_Click},
        {&BoardControls::mnuSaveContent, &frmMain::mnuSaveContent_Click},
        {&BoardControls::mnuEditClearHour, &frmMain::mnuEditClearHour_Click},
        {&BoardControls::mnuEditClearEvents, &frmMain::mnuEditClearEvents_Click},
        {&BoardControls::mnuEditHistory, &frmMain::mnuEditHistory_Click},
        {&BoardControls::mnuEditPopup1, &frmMain::mnuEditPopup1_Click},
        {&BoardControls::mnuEditPopup2, &frmMain::mnuEditPopup2_Click},
        {&BoardControls::mnuShowPhoneList, &frmMain::mnuShowPhoneList_Click},
        {&BoardControls::mnuViewLarger, &frmMain::mnuViewLarger_Click},
        {&BoardControls::mnuViewSmaller, &frmMain::mnuViewSmaller_Click},
        {&BoardControls::mnuViewNormal, &frmMain::mnuViewNormal_Click},
        {&BoardControls::mnuHelpAbout, &frmMain::mnuHelpAbout_Click},
        {&BoardControls::mnuHelpHelp, &frmMain::mnuHelpHelp_Click},
    }};
    for (const Item& item : items)
        connect(c_.*item.action, &QAction::triggered, this, item.handler);
    for (int day = 0; day < 7; ++day)
        connect(c_.dayItem[day], &QAction::triggered, this, [this, day] { mnuDay_Click(day); });
    for (int row = 0; row < 24; ++row)
        connect(c_.hourItem[row], &QAction::triggered, this, [this, row] { mnuHour_Click(row); });
    for (int look = 0; look < int(c_.lookItem.size()); ++look)
        connect(c_.lookItem[look], &QAction::triggered, this, [this, look] { mnuViewLook_Click(look); });
}

void frmMain::connectControls() {
    static const std::array<void (frmMain::*)(), 14> commands = {nullptr,
                                                                 &frmMain::Command1_Click,
                                                                 &frmMain::Command2_Click,
                                                                 &frmMain::Command3_Click,
                                                                 &frmMain::Command4_Click,
                                                                 &frmMain::Command5_Click,
                                                                 &frmMain::Command6_Click,
                                                                 &frmMain::Command7_Click,
                                                                 &frmMain::Command8_Click,
                                                                 &frmMain::Command9_Click,
                                                                 &frmMain::Command10_Click,
                                                                 &frmMain::Command11_Click,
                                                                 &frmMain::Command12_Click,
                                                                 &frmMain::Command13_Click};
    for (int n = 1; n <= 13; ++n)
        connect(c_.command[n], &QPushButton::clicked, this, commands[n]);
    for (int n = 1; n <= 8; ++n)
        connect(c_.option[n], &QRadioButton::clicked, this, [this, n] { Option_Click(n); });
    for (int n = 1; n <= 7; ++n) {
        connect(c_.eventBox[n], &TextBox::doubleClicked, this, [this, n] { EventLine_DblClick(n); });
        connect(c_.eventBox[n], &TextBox::openAsked, this, [this, n] { EventLine_DblClick(n); });
    }
    // Only the slots at minutes 15 to 40 write their row on focus changes.
    for (int k = 4; k <= 9; ++k) {
        connect(c_.slotBox[k], &TextBox::gotFocus, this, [this, k] { SlotBox_GotFocus(k); });
        connect(c_.slotBox[k], &TextBox::lostFocus, this, [this, k] { SlotBox_LostFocus(k); });
    }
    for (int k = 1; k <= 14; ++k)
        connect(c_.xbutton[k], &XButton::clicked, this, [this, k] { XButton_Press(k); });
}

void frmMain::addKeys() {
    // One key per hour, as the hour names go: Ctrl+F1 .. Ctrl+F12 for 1 AM .. 12 AM (midnight), with
    // Shift for the PM hours.
    for (int row = 0; row < 24; ++row) {
        const int hour12 = row % 12 == 0 ? 12 : row % 12;
        const QKeyCombination key(row < 12 ? Qt::ControlModifier : Qt::ControlModifier | Qt::ShiftModifier,
                                  Qt::Key(Qt::Key_F1 + hour12 - 1));
        c_.hourItem[row]->setShortcut(QKeySequence(key));
    }
    auto* fullScreen = new QAction(QStringLiteral("Full Screen"), this);
    fullScreen->setObjectName(QStringLiteral("actFullScreen"));
    fullScreen->setShortcut(QKeySequence(Qt::Key_F11));
    connect(fullScreen, &QAction::triggered, this, &frmMain::toggleFullScreen);
    addAction(fullScreen);
}

void frmMain::toggleFullScreen() {
    if (isFullScreen())
        showMaximized();
    else
        showFullScreen();
}

void frmMain::resizeEvent(QResizeEvent* event) {
    fonts_.fit(size());
    QMainWindow::resizeEvent(event);
}

void frmMain::Form_Load() {
    const catalogue::Weekday& monday = catalogue::weekdays().front();
    const HourRow& midnight = hourRows().front();
    // Every step on its own: a step that fails is skipped and the next one runs.
    const OneSwitch oneSwitch(provider_);
    StartFailures noted;
    const std::array<std::function<void()>, 17> steps = {
        [&] {
            openProgramFolderFile(*c_.data[7], noted, programFolder_ + catalogue::kSetupFile,
                                  catalogue::kSetupTable);
        },
        [&] {
            openProgramFolderFile(*c_.data[8], noted, programFolder_ + catalogue::kLocationFile,
                                  catalogue::kLocationTable);
        },
        [&] {
            for (int k = 1; k <= 12; ++k)
                c_.slotBox[k]->setBackColor(colors::kYellow);
        },
        [&] { readAheadForLoad(); },
        // The data folder is read again at each opening.
        [&] { openDataControl(*c_.data[1], noted, dataFile(monday.dayFile)); },
        [&] { openDataControl(*c_.data[2], noted, dataFile(monday.eventsFile)); },
        [&] { openDataControl(*c_.data[3], noted, dataFile(monday.weatherFile)); },
        [&] { openDataControl(*c_.data[4], noted, dataFile(catalogue::kSloganFile)); },
        [&] { openDataControl(*c_.data[5], noted, dataFile(monday.reminderFile)); },
        [&] { openDataControl(*c_.data[6], noted, dataFile(monday.reminderFile)); },
        [&] { c_.Lbl3D2->setCaption(c_.Text29->text()); },
        [&] {
            const std::array<std::pair<int, int>, 3> intervals = {{{1, 90}, {3, 90}, {4, 501}}};
            for (const auto& [n, ms] : intervals) {
                c_.timer[n]->setEnabled(true);
                c_.timer[n]->setInterval(ms);
            }
        },
        // The clock label shows the date until the clock timer's first tick.
        [&] {
            const QString today = dateText(clock_.now().date());
            c_.lblDate->setCaption(today);
            c_.Lbl3D1->setCaption(today);
        },
        [&] {
            for (int k = 1; k <= 12; ++k)
                c_.slotKey[k]->setText(midnight.slotKeys[k - 1]);
        },
        [&] {
            for (int n = 1; n <= 7; ++n)
                c_.eventBox[n]->setBackColor(colors::kYellow);
        },
        [&] {
            paintGroup(c_, 1, 4, 1, colors::kBlue, colors::kRed, colors::kWhite);
            paintGroup(c_, 10, 13, 10, colors::kGreen, colors::kYellow, colors::kBlack);
        },
        [&] {
            c_.Label31->setText(monday.name);
            c_.Label32->setText(startHourHeader());
        },
    };
    for (const auto& step : steps)
        skipOnFailure(step);
    sayWhyNoData(noted);
    // Text kept on this computer by an earlier run is offered again, and tried by the polling.
    if (kept_) status_->setNotice(kept_->notice());
    liveUpdates_->start();
}

void frmMain::sayWhyNoData(const StartFailures& noted) {
    const QString reason = noted.reason();
    if (reason.isEmpty()) return;
    // Red in the status bar until every file reads, as any failure; a server's password never shows.
    startReason_ = paths::withoutPassword(reason);
    status_->showFailure(Failure(startReason_));
    c_.lblNoData->setText(paths::withoutPassword(noted.headline()));
    c_.lblNoData->setVisible(true);
}

void frmMain::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

void frmMain::Form_Unload() {
    liveUpdates_->stop();
    for (const QString& name : secondaryWindows())
        skipOnFailure([&] {
            if (QWidget* w = windows::find<QWidget>(name)) w->close();
        });
    // The board's own data controls close with it: what was typed is written now.
    for (int n = 1; n <= 8; ++n)
        skipOnFailure([&] { c_.data[n]->close(); });
    endProgram();
}

void frmMain::mnuFileRefresh_Click() {
    // Not step-skipping: the first refresh that fails stops the command and is shown.
    reportOnFailure(errorSink(), [this] {
        const OneSwitch oneSwitch(provider_);
        for (int n = 1; n <= 6; ++n)
            c_.data[n]->refresh();
    });
}

void frmMain::mnuFileExit_Click() {
    endProgram();
}

// Handlers whose behaviour lives with the board's other parts.
void frmMain::mnuNetworkSetup_Click() {
    networkSetup_->mnuNetworkSetup_Click();
}
void frmMain::mnuEditEdit_Click() {
    editMode_->enter();
}
void frmMain::mnuSaveContent_Click() {
    editMode_->save();
}
void frmMain::mnuEditClearHour_Click() {
    editMode_->clearHour();
}
void frmMain::mnuEditClearEvents_Click() {
    editMode_->clearEvents();
}
void frmMain::mnuEditPopup1_Click() {
    reminders_->popUp(1);
}
void frmMain::mnuEditPopup2_Click() {
    reminders_->popUp(2);
}
void frmMain::mnuShowPhoneList_Click() {
    showPhoneList(*this, errorSink());
}
void frmMain::mnuViewLarger_Click() {
    view_->larger();
}
void frmMain::mnuViewSmaller_Click() {
    view_->smaller();
}
void frmMain::mnuViewNormal_Click() {
    view_->normalSize();
}
void frmMain::mnuViewLook_Click(int look) {
    view_->choose(looks::Look(look));
}
void frmMain::mnuEditHistory_Click() {
    // The content the board shows: the hour, the day's events, the weather and the slogans.
    const std::array<std::pair<int, const char*>, 4> shown = {
        {{1, "This hour"}, {2, "Today's events"}, {3, "The weather panel"}, {4, "The slogans"}}};
    QVector<HistoryTopic> topics;
    for (const auto& [n, caption] : shown)
        topics << topicOf(*c_.data[n], QString::fromUtf8(caption), false);
    showHistory(provider_, kept_, topics);
}

void frmMain::mnuHelpAbout_Click() {
    showAbout();
}
void frmMain::mnuHelpHelp_Click() {
    QMessageBox::information(this, maker::kProductName, maker::helpMessage());
}

void frmMain::Command1_Click() {
    reminders_->closeSetUp(1);
}
void frmMain::Command2_Click() {
    reminders_->closeSetUp(2);
}
void frmMain::Command3_Click() {
    editMode_->enter();
}
void frmMain::Command4_Click() {
    editMode_->save();
}
void frmMain::Command5_Click() {
    networkSetup_->Command5_Click();
}
void frmMain::Command6_Click() {
    networkSetup_->Command6_Click();
}
void frmMain::Command7_Click() {
    networkSetup_->Command7_Click();
}
void frmMain::Command8_Click() {
    networkSetup_->Command8_Click();
}
void frmMain::Command9_Click() {
    networkSetup_->Command9_Click();
}
void frmMain::Command10_Click() {
    networkSetup_->Command10_Click();
}
void frmMain::Command11_Click() {
    networkSetup_->Command11_Click();
}
void frmMain::Command12_Click() {
    reminders_->clearAll(2);
}
void frmMain::Command13_Click() {
    reminders_->clearAll(1);
}

void frmMain::Option_Click(int n) {
    editMode_->highlightEvent(n);
}
void frmMain::EventLine_DblClick(int n) {
    openEventDetail(*this, n);
}
void frmMain::SlotBox_GotFocus(int k) {
    editMode_->slotGotFocus(k);
}
void frmMain::SlotBox_LostFocus(int k) {
    editMode_->slotLostFocus(k);
}
void frmMain::XButton_Press(int k) {
    if (k >= 1 && k <= 4)
        copyPanel_.weatherButton(k);
    else if (k >= 10 && k <= 13)
        copyPanel_.sloganPage(k - 9);
    else if (k >= 5 && k <= 9)
        openLibrary(*this, libraryButtons()[k - 5]); // Promotions .. Tag Lines
    else if (k == 14)
        showPrepCopy(*this);
}

void frmMain::mnuDay_Click(int day) {
    daySelection_.showDay(catalogue::weekdays()[day]);
}
void frmMain::mnuHour_Click(int row) {
    reportOnFailure(errorSink(), [&] { hourGrid_.showHour(row, HourGrid::Header::Menu); });
}

void frmMain::Timer1_Timer() {
    clockDisplay_.timer1Tick();
    countdown::show(c_, clock_.now().time());
}
void frmMain::Timer3_Timer() {
    clockAdvance_.timer3Tick();
}
void frmMain::Timer4_Timer() {
    clockDisplay_.timer4Tick();
}
