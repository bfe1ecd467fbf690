#include "app/BoardBuilder.h"

#include "board/HourGrid.h"
#include "board/HourTable.h"
#include "board/ReminderTimes.h"
#include "data/catalogue/Catalogue.h"
#include "data/controls/DataControl.h"
#include "data/controls/FieldBinding.h"
#include "widgets/Accessible.h"
#include "widgets/Colors.h"
#include "widgets/ColourLabel.h"
#include "widgets/CoveringPanel.h"
#include "widgets/Lbl3D.h"
#include "widgets/TextBox.h"
#include "widgets/Timer.h"
#include "widgets/XButton.h"

#include <QAbstractItemView>
#include <QActionGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QVBoxLayout>

namespace {

// Colours the boxes and buttons carry until the load sequence repaints them.
constexpr quint32 kSlotBeforeLoad = 0x80FFFF;
constexpr quint32 kEventBeforeLoad = 0xC0FFFF;
constexpr quint32 kWeatherButtonBeforeLoad = 0x0000C0;
constexpr quint32 kPageButtonBeforeLoad = 0x80FFFF;
constexpr quint32 kCopyButton = 0xFF8080;
constexpr quint32 kReminder1Panel = 0x0080FF;
constexpr quint32 kReminder2Panel = 0x0000FF;
constexpr quint32 kPaleYellow = 0xC0FFFF;

// The reminder panels reach this far left over the hour grid (half an inch).
constexpr int kReminderOverlap = 48;

// Event lines read top to bottom as one message until the events file opens.
const QStringList& eventPlaceholders() {
    static const QStringList words = {QStringLiteral("NO"),
                                      QStringLiteral("Network"),
                                      QStringLiteral("Data"),
                                      QStringLiteral("To"),
                                      QStringLiteral("Load"),
                                      QStringLiteral("Please Check The Path"),
                                      QStringLiteral("Click Edit then Network Setup")};
    return words;
}

const QString kNetworkHelp = QStringLiteral(
    "For Network Setup you will first need to Share the folder on the machine where the data files are "
    "located. Then you will need to Map a Drive on this machine to that location. You will then copy and "
    "paste that path location into the box below. Once you close this window, the data should appear.  If "
    "not, please check your path first.  Also make sure you are able to access those files on the machine "
    "from this machine . Please consult your IT staff for assistance with Mapping and Sharing. Please "
    "contact us via email should you need further assistance.");
const QString kRestartHelp = QStringLiteral(
    "Once all of the above has been done. Restart the program. Your data should then appear. If not, please "
    "check the path.");

QString nth(const char* stem, int n) {
    return QLatin1String(stem) + QString::number(n);
}

template <class W> W* named(W* w, const QString& name) {
    w->setObjectName(name);
    return w;
}

// A reminder panel's own colour, with white as its text colour; its labels carry their own.
void paintReminderPanel(QWidget* w, quint32 back) {
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, colors::fromBgr(colors::kWhite));
    p.setColor(QPalette::Window, colors::fromBgr(back));
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

// What a screen reader says for a control whose caption does not say it.
template <class W> W* spoken(W* w, const QString& name) {
    w->setAccessibleName(name);
    return w;
}

QLabel* label(const QString& name, const QString& text, QWidget* parent) {
    return named(new QLabel(text, parent), name);
}

TextBox* lineBox(const QString& name, QWidget* parent, quint32 back, int max, bool locked,
                 const QString& start = QString()) {
    auto* box = named(new TextBox(parent), name);
    box->setBackColor(back);
    box->setTypedMaxLength(max);
    box->setLocked(locked);
    box->setText(start);
    return box;
}

MultiLineBox* multiBox(const QString& name, QWidget* parent, bool locked) {
    auto* box = named(new MultiLineBox(parent), name);
    box->setBackColor(colors::kLightGrey);
    box->setLocked(locked);
    return box;
}

// The back colour marks each box of a column; a frame would cost a row's worth of height, and the
// rows may shrink to the text's own height on a small screen.
void flatten(TextBox* box) {
    box->setFrame(false);
    box->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

// The bottom panels give their height to the text: narrow margins and gaps.
void tighten(QVBoxLayout* layout) {
    layout->setContentsMargins(6, 2, 6, 4);
    layout->setSpacing(3);
}

QComboBox* timeList(int n, int reminder, int time, QWidget* parent) {
    auto* list = named(new QComboBox(parent), nth("Combo", n));
    const QString name = QStringLiteral("Reminder %1 time %2").arg(reminder).arg(time);
    list->setAccessibleName(name);
    list->setEditable(true);
    list->lineEdit()->setAccessibleName(name);
    list->view()->setAccessibleName(name);
    // The 144 entries are fixed; a typed time is the box's text, not a new entry.
    list->setInsertPolicy(QComboBox::NoInsert);
    list->addItems(reminderTimes());
    // An editable list would otherwise show its first entry, which is a time that fires.
    list->setCurrentIndex(-1);
    list->setEditText(QString());
    return list;
}

QVBoxLayout* column(std::initializer_list<QWidget*> widgets) {
    auto* layout = new QVBoxLayout;
    for (QWidget* w : widgets)
        layout->addWidget(w);
    return layout;
}

} // namespace

BoardBuilder::BoardBuilder(QMainWindow& form, DatabaseProvider& provider, EditJournal& journal,
                           BoardControls& controls)
    : form_(form), provider_(provider), journal_(journal), c_(controls) {}

void BoardBuilder::build() {
    c_.form = &form_;
    // Data controls first: children die in creation order, so they apply the binding rule while
    // the bound boxes still exist.
    buildDataControls();
    buildTimers();
    buildMenus();

    auto* central = named(new QWidget(&form_), QStringLiteral("centralWidget"));
    form_.setCentralWidget(central);
    auto* page = new QVBoxLayout(central);
    // The screen belongs to the text: the gaps between panels stay narrow.
    page->setContentsMargins(6, 4, 6, 2);
    page->setSpacing(4);

    page->addWidget(buildCopyRow(central));
    page->addWidget(buildStation(central));

    // Middle band: the hour grid and the events side by side. The hidden panels share the cells
    // they cover, so showing one lays it over what it hides without moving anything else.
    auto* middle = new QGridLayout;
    middle->addWidget(buildHourGrid(central), 0, 0, 1, 2);
    middle->addWidget(buildEvents(central), 0, 2);
    middle->addWidget(buildNetworkSetup(central), 0, 0, 1, 2);
    middle->addWidget(buildReminderPanel(1, central), 0, 1, 1, 2);
    middle->addWidget(buildReminderPanel(2, central), 0, 1, 1, 2);
    middle->setColumnMinimumWidth(1, kReminderOverlap);
    // The widths the longest slot and event texts take at their sizes (see BoardFonts).
    middle->setColumnStretch(0, 63);
    middle->setColumnStretch(2, 37);
    // The hour grid is what the presenter reads most: the middle band takes most of the height.
    page->addLayout(middle, 5);
    for (QWidget* overlay : {static_cast<QWidget*>(c_.Frame3), static_cast<QWidget*>(c_.Frame8),
                             static_cast<QWidget*>(c_.Frame9)}) {
        overlay->raise();
        // What lies under a panel leaves the Tab order while it shows.
        new CoveringPanel(overlay, {c_.Frame1, c_.Frame2});
    }

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(buildWeather(central), 1);
    bottom->addWidget(buildSlogans(central), 1);
    page->addLayout(bottom, 2);

    c_.Label34 = label(QStringLiteral("Label34"), QString(), central);
    c_.Label34->hide();

    c_.statusBar = named(form_.statusBar(), QStringLiteral("StatusBar"));
    bindBoxes();
}

void BoardBuilder::buildDataControls() {
    const std::array<QString, 9> tables = {QString(),
                                           hourRows().front().table,
                                           catalogue::kEventsTable,
                                           catalogue::kWeatherTable,
                                           catalogue::kSloganTable,
                                           catalogue::kReminder2Table,
                                           catalogue::kReminder1Table,
                                           catalogue::kSetupTable,
                                           catalogue::kLocationTable};
    for (int n = 1; n <= 8; ++n) {
        auto* data = named(new DataControl(provider_, journal_, nth("Data", n), &form_), nth("Data", n));
        data->setRecordSource(tables[n]);
        c_.data[n] = data;
    }
}

void BoardBuilder::buildTimers() {
    for (int n = 1; n <= 4; ++n)
        c_.timer[n] = named(new Timer(&form_), nth("Timer", n));
}

void BoardBuilder::buildMenus() {
    QMenuBar* bar = form_.menuBar();
    auto menu = [bar](const char* name, const char* title) {
        QMenu* m = named(bar->addMenu(QString::fromUtf8(title)), QLatin1String(name));
        return m;
    };
    auto item = [](QMenu* m, const QString& name, const QString& caption) {
        return named(m->addAction(caption), name);
    };

    c_.mnuFile = menu("mnuFile", "&File");
    c_.mnuFileRefresh = item(c_.mnuFile, QStringLiteral("mnuFileRefresh"), QStringLiteral("Refresh Data"));
    named(c_.mnuFile->addSeparator(), QStringLiteral("mnuFileSeperator"));
    c_.mnuFileExit = item(c_.mnuFile, QStringLiteral("mnuFileExit"), QStringLiteral("E&xit"));

    c_.mnuEdit = menu("mnuEdit", "&Edit");
    c_.mnuNetworkSetup =
        item(c_.mnuEdit, QStringLiteral("mnuNetworkSetup"), QStringLiteral("&Network Setup"));
    c_.mnuEditEdit = item(c_.mnuEdit, QStringLiteral("mnuEditEdit"), QStringLiteral("Edit &Content"));
    c_.mnuSaveContent = item(c_.mnuEdit, QStringLiteral("mnuSaveContent"), QStringLiteral("&Save Content"));
    c_.mnuEditClearHour =
        item(c_.mnuEdit, QStringLiteral("mnuEditClearHour"), QStringLiteral("Clear All Data In This Hour"));
    c_.mnuEditClearEvents = item(c_.mnuEdit, QStringLiteral("mnuEditClearEvents"),
                                 QStringLiteral("Clear All Events In This Day"));
    // After the board's own items: what was changed in the content shown, and putting it back.
    c_.mnuEditHistory = item(c_.mnuEdit, QStringLiteral("mnuEditHistory"), QStringLiteral("&History..."));

    c_.mnuDays = menu("mnuDays", "&Days");
    // The mnemonic of each day; Thursday and Sunday take a later letter to stay unique.
    const std::array<const char*, 7> dayCaptions = {"&Monday", "&Tuesday",  "&Wednesday", "T&hursday",
                                                    "&Friday", "&Saturday", "Sun&day"};
    for (int d = 0; d < 7; ++d)
        c_.dayItem[d] = item(c_.mnuDays, QStringLiteral("mnu") + catalogue::weekdays()[d].name,
                             QString::fromUtf8(dayCaptions[d]));

    c_.mnuHours = menu("mnuHours", "H&ours");
    for (int h = 0; h < 24; ++h)
        c_.hourItem[h] = item(c_.mnuHours, hourRows()[h].menuItem, hourRows()[h].menuCaption);

    c_.mnuReminders = menu("mnuReminders", "&Reminders");
    c_.mnuEditPopup1 =
        item(c_.mnuReminders, QStringLiteral("mnuEditPopup1"), QStringLiteral("Pop-up Reminder #1"));
    c_.mnuEditPopup2 =
        item(c_.mnuReminders, QStringLiteral("mnuEditPopup2"), QStringLiteral("Pop-up Reminder #2"));

    c_.mnuPhoneList = menu("mnuPhoneList", "&Phone List");
    c_.mnuShowPhoneList =
        item(c_.mnuPhoneList, QStringLiteral("mnuShowPhoneList"), QStringLiteral("Show List"));

    // Text size and look: the presenter's own, kept between runs.
    c_.mnuView = menu("mnuView", "&View");
    c_.mnuViewLarger = item(c_.mnuView, QStringLiteral("mnuViewLarger"), QStringLiteral("&Larger Text"));
    c_.mnuViewLarger->setShortcuts({QKeySequence::ZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    c_.mnuViewSmaller = item(c_.mnuView, QStringLiteral("mnuViewSmaller"), QStringLiteral("&Smaller Text"));
    c_.mnuViewSmaller->setShortcut(QKeySequence::ZoomOut);
    c_.mnuViewNormal = item(c_.mnuView, QStringLiteral("mnuViewNormal"), QStringLiteral("&Normal Text Size"));
    c_.mnuViewNormal->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    named(c_.mnuView->addSeparator(), QStringLiteral("mnuViewSeparator"));
    auto* lookGroup = new QActionGroup(c_.mnuView);
    const std::array<std::pair<const char*, const char*>, 3> lookCaptions = {
        {{"mnuViewLight", "Li&ght"}, {"mnuViewDark", "&Dark"}, {"mnuViewHighContrast", "&High Contrast"}}};
    for (size_t i = 0; i < lookCaptions.size(); ++i) {
        QAction* look =
            item(c_.mnuView, QLatin1String(lookCaptions[i].first), QString::fromUtf8(lookCaptions[i].second));
        look->setCheckable(true);
        lookGroup->addAction(look);
        c_.lookItem[i] = look;
    }

    c_.mnuHelp = menu("mnuHelp", "&Help");
    c_.mnuHelpAbout = item(c_.mnuHelp, QStringLiteral("mnuHelpAbout"), QStringLiteral("&About"));
    c_.mnuHelpHelp = item(c_.mnuHelp, QStringLiteral("mnuHelpHelp"), QStringLiteral("&Help"));
}

QPushButton* BoardBuilder::command(int n, const QString& caption, QWidget* parent) {
    auto* button = named(new QPushButton(caption, parent), nth("Command", n));
    c_.command[n] = button;
    return button;
}

XButton* BoardBuilder::xbutton(int k, const QString& caption, quint32 back, quint32 fore, QWidget* parent) {
    auto* button = named(new XButton(caption, parent), nth("XButton", k));
    button->setBackColor(back);
    button->setForeColor(fore);
    c_.xbutton[k] = button;
    return button;
}

QWidget* BoardBuilder::buildCopyRow(QWidget* parent) {
    auto* strip = named(new QWidget(parent), QStringLiteral("copyButtons"));
    auto* layout = new QHBoxLayout(strip);
    layout->setContentsMargins(0, 0, 0, 0);
    struct CopyButton {
        int k;
        const char* caption;
    };
    // Left to right as they stand on the board.
    const std::array<CopyButton, 6> buttons = {{{14, "Prep Copy"},
                                                {5, "Promotions"},
                                                {6, "Live Copy"},
                                                {9, "Tag Lines"},
                                                {7, "PSA"},
                                                {8, "Notes / News"}}};
    for (const CopyButton& b : buttons)
        layout->addWidget(xbutton(b.k, QString::fromUtf8(b.caption), kCopyButton, colors::kWhite, strip));
    layout->addStretch(1);
    c_.Label30 = named(new ColourLabel(QStringLiteral("Please Save your changes."), colors::kRed, strip),
                       QStringLiteral("Label30"));
    c_.Label30->hide();
    layout->addWidget(c_.Label30);
    return strip;
}

QGroupBox* BoardBuilder::buildStation(QWidget* parent) {
    auto* frame = named(new QGroupBox(QStringLiteral("Displayed Station"), parent), QStringLiteral("Frame7"));
    c_.Frame7 = frame;
    c_.Lbl3D2 = named(new Lbl3D(frame), QStringLiteral("Lbl3D2"));
    accessible::describe(c_.Lbl3D2, QStringLiteral("Station"));
    c_.Label33 = label(QStringLiteral("Label33"), QStringLiteral("Today is"), frame);
    c_.lblDate = named(new Lbl3D(frame), QStringLiteral("lblDate"));
    accessible::describe(c_.lblDate, QStringLiteral("Date"));
    c_.Label40 = label(QStringLiteral("Label40"), QStringLiteral("System Time"), frame);
    c_.Lbl3D1 = named(new Lbl3D(frame), QStringLiteral("Lbl3D1"));
    // Heard as the time whenever asked; announced by itself once an hour.
    accessible::makeLive(c_.Lbl3D1, QStringLiteral("System Time"), [](const QString& clock) {
        static const QRegularExpression hour(QStringLiteral("^(\\d+):\\d+:\\d+ (AM|PM)$"));
        const QRegularExpressionMatch m = hour.match(clock);
        return m.hasMatch() ? m.captured(1) + QLatin1Char(' ') + m.captured(2) : clock;
    });
    // What is left of the hour and until the next reminder, under the clock.
    c_.lblCountdown = label(QStringLiteral("lblCountdown"), QString(), frame);
    c_.lblCountdown->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Announced by the minute, not by the second.
    accessible::makeLive(c_.lblCountdown, QStringLiteral("Countdown"), [](QString line) {
        static const QRegularExpression seconds(QStringLiteral(":\\d\\d(?=$|\\s)"));
        return line.remove(seconds);
    });
    // Alt+E belongs to the Edit menu.
    command(3, QStringLiteral("Edi&t Content"), frame);
    command(4, QStringLiteral("&Save Content"), frame)->setEnabled(false);

    auto* layout = new QHBoxLayout(frame);
    layout->setContentsMargins(6, 2, 6, 4);
    layout->addWidget(c_.Lbl3D2, 2);
    layout->addLayout(column({c_.Label33, c_.lblDate}), 2);
    // The countdown shares the caption's line, so the band stays as low as the clock allows.
    auto* clockCaption = new QHBoxLayout;
    clockCaption->addWidget(c_.Label40);
    clockCaption->addStretch(1);
    clockCaption->addWidget(c_.lblCountdown);
    auto* clockColumn = column({c_.Lbl3D1});
    clockColumn->insertLayout(0, clockCaption);
    layout->addLayout(clockColumn, 3);
    layout->addLayout(column({c_.command[3], c_.command[4]}), 1);
    return frame;
}

QGroupBox* BoardBuilder::buildHourGrid(QWidget* parent) {
    auto* frame = named(new QGroupBox(parent), QStringLiteral("Frame1"));
    c_.Frame1 = frame;
    auto* grid = new QGridLayout(frame);
    // Each box has an edge of its own: a gap of one pixel keeps them apart.
    grid->setVerticalSpacing(1);
    grid->setContentsMargins(6, 4, 6, 4);
    c_.Label31 = label(QStringLiteral("Label31"), QString(), frame);
    c_.Label32 = label(QStringLiteral("Label32"), QString(), frame);
    accessible::describe(c_.Label31, QStringLiteral("Day"));
    accessible::describe(c_.Label32, QStringLiteral("Hour"));
    grid->addWidget(c_.Label31, 0, 0);
    grid->addWidget(c_.Label32, 0, 1, Qt::AlignHCenter);

    const HourRow& midnight = hourRows().front();
    for (int k = 1; k <= 12; ++k) {
        c_.slotLabel[k] = label(nth("Label", k), midnight.slotLabels[k - 1], frame);
        c_.slotBox[k] = lineBox(nth("Text", k), frame, kSlotBeforeLoad, 55, true);
        c_.slotBox[k]->setAccessibleName(HourGrid::slotName(midnight.slotLabels[k - 1]));
        flatten(c_.slotBox[k]);
        // The slot keys are compared with the clock, never seen.
        c_.slotKey[k] = label(nth("Label", 13 + k), QString(), frame);
        c_.slotKey[k]->hide();
        grid->addWidget(c_.slotLabel[k], k, 0);
        grid->addWidget(c_.slotBox[k], k, 1);
    }
    grid->setColumnStretch(1, 1);
    return frame;
}

QGroupBox* BoardBuilder::buildEvents(QWidget* parent) {
    auto* frame =
        named(new QGroupBox(QStringLiteral("Today's Main Events"), parent), QStringLiteral("Frame2"));
    c_.Frame2 = frame;
    auto* grid = new QGridLayout(frame);
    grid->setVerticalSpacing(2);
    grid->setContentsMargins(6, 4, 6, 4);
    c_.Label27 =
        label(QStringLiteral("Label27"), QStringLiteral("Double-Click to show event copy notes."), frame);
    grid->addWidget(c_.Label27, 0, 0, 1, 2);
    for (int n = 1; n <= 7; ++n) {
        c_.option[n] = spoken(named(new QRadioButton(frame), nth("Option", n)), nth("Highlight event ", n));
        c_.eventBox[n] =
            lineBox(nth("Text", 12 + n), frame, kEventBeforeLoad, 49, true, eventPlaceholders()[n - 1]);
        c_.eventBox[n]->setAccessibleName(nth("Event ", n));
        flatten(c_.eventBox[n]);
        c_.eventBox[n]->setAccessibleDescription(QStringLiteral("Return or F2 shows the event's copy notes"));
        grid->addWidget(c_.option[n], n, 0);
        grid->addWidget(c_.eventBox[n], n, 1);
    }
    c_.option[8] = named(new QRadioButton(QStringLiteral("Default All"), frame), QStringLiteral("Option8"));
    c_.option[8]->setChecked(true);
    grid->addWidget(c_.option[8], 8, 0, 1, 2);
    // Beside the placeholder words, which send the presenter to the path: why there is no data.
    c_.lblNoData = label(QStringLiteral("lblNoData"), QString(), frame);
    c_.lblNoData->setWordWrap(true);
    c_.lblNoData->setTextFormat(Qt::PlainText);
    c_.lblNoData->setVisible(false);
    grid->addWidget(c_.lblNoData, 9, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(10, 1);
    return frame;
}

QGroupBox* BoardBuilder::buildWeather(QWidget* parent) {
    auto* frame = named(new QGroupBox(QStringLiteral("Weather Forcast"), parent), QStringLiteral("Frame5"));
    c_.Frame5 = frame;
    const std::array<const char*, 4> captions = {"Weather", "Contest", "Remote", "Show Promo"};
    auto* buttons = new QHBoxLayout;
    for (int k = 1; k <= 4; ++k)
        buttons->addWidget(
            xbutton(k, QString::fromUtf8(captions[k - 1]), kWeatherButtonBeforeLoad, colors::kWhite, frame));
    c_.Text20 = spoken(multiBox(QStringLiteral("Text20"), frame, true), QStringLiteral("Weather panel text"));
    auto* layout = new QVBoxLayout(frame);
    tighten(layout);
    layout->addLayout(buttons);
    layout->addWidget(c_.Text20, 1);
    return frame;
}

QGroupBox* BoardBuilder::buildSlogans(QWidget* parent) {
    auto* frame = named(new QGroupBox(QStringLiteral("Slogan Lines"), parent), QStringLiteral("Frame6"));
    c_.Frame6 = frame;
    const std::array<const char*, 4> captions = {"One", "Two", "Three", "Four"};
    auto* buttons = new QHBoxLayout;
    for (int p = 0; p < 4; ++p)
        buttons->addWidget(
            xbutton(10 + p, QString::fromUtf8(captions[p]), kPageButtonBeforeLoad, colors::kBlack, frame));
    auto* layout = new QVBoxLayout(frame);
    tighten(layout);
    layout->addLayout(buttons);
    for (int line = 1; line <= 3; ++line) {
        c_.sloganBox[line] = spoken(multiBox(nth("Text", 20 + line), frame, true), nth("Slogan ", line));
        layout->addWidget(c_.sloganBox[line], 1);
    }
    return frame;
}

QGroupBox* BoardBuilder::buildNetworkSetup(QWidget* parent) {
    auto* frame = named(new QGroupBox(QStringLiteral("Network Setup"), parent), QStringLiteral("Frame3"));
    c_.Frame3 = frame;
    // Covers the hour grid, so it needs a background of its own.
    frame->setAutoFillBackground(true);
    frame->hide();

    c_.Label36 = label(QStringLiteral("Label36"), kNetworkHelp, frame);
    c_.Label37 = label(QStringLiteral("Label37"), kRestartHelp, frame);
    for (QLabel* help : {c_.Label36, c_.Label37})
        help->setWordWrap(true);
    const std::array<const char*, 5> navigation = {"<<<<<", ">>>>>", "New", "Save", "Delete"};
    auto* navRow = new QHBoxLayout;
    const std::array<const char*, 5> navigationNames = {"Previous location", "Next location", "New location",
                                                        "Save location", "Delete location"};
    for (int i = 0; i < 5; ++i)
        navRow->addWidget(spoken(command(6 + i, QString::fromUtf8(navigation[i]), frame),
                                 QString::fromUtf8(navigationNames[i])));

    c_.Label39 = label(QStringLiteral("Label39"), QStringLiteral("Name/Studio"), frame);
    c_.Text28 = lineBox(QStringLiteral("Text28"), frame, colors::kWhite, 11, false);
    command(11, QStringLiteral("Use This Location"), frame);
    c_.Label35 = label(QStringLiteral("Label35"), QStringLiteral("Network Path"), frame);
    c_.Label42 =
        label(QStringLiteral("Label42"), QStringLiteral("Example: Z:/studio-a/Cuepilot/Data/"), frame);
    c_.Text27 = lineBox(QStringLiteral("Text27"), frame, colors::kWhite, 0, false);
    c_.Label41 = label(QStringLiteral("Label41"), QStringLiteral("Current Name/Studio"), frame);
    c_.Text29 = lineBox(QStringLiteral("Text29"), frame, colors::kWhite, 11, false);
    c_.Label38 = label(QStringLiteral("Label38"), QStringLiteral("Current Path"), frame);
    c_.Text26 = lineBox(QStringLiteral("Text26"), frame, colors::kWhite, 99, false);
    command(5, QStringLiteral("&Close and update all data files"), frame);
    // Each field says what it holds, as the label beside it does.
    for (auto [box, caption] : {std::pair{c_.Text28, c_.Label39}, std::pair{c_.Text27, c_.Label35},
                                std::pair{c_.Text29, c_.Label41}, std::pair{c_.Text26, c_.Label38}})
        box->setAccessibleName(caption->text());

    auto* fields = new QGridLayout;
    fields->addWidget(c_.Label39, 0, 0);
    fields->addWidget(c_.Text28, 0, 1);
    fields->addWidget(c_.command[11], 0, 2);
    fields->addWidget(c_.Label35, 1, 0);
    fields->addWidget(c_.Label42, 1, 1, 1, 2);
    fields->addWidget(c_.Text27, 2, 0, 1, 3);
    fields->addWidget(c_.Label41, 3, 0);
    fields->addWidget(c_.Text29, 3, 1);
    fields->addWidget(c_.Label38, 4, 0);
    fields->addWidget(c_.Text26, 4, 1, 1, 2);
    fields->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(frame);
    layout->addWidget(c_.Label36);
    layout->addWidget(c_.Label37);
    layout->addLayout(navRow);
    layout->addLayout(fields);
    layout->addWidget(c_.command[5]);
    layout->addStretch(1);
    return frame;
}

QGroupBox* BoardBuilder::buildReminderPanel(int which, QWidget* parent) {
    struct Panel {
        const char* frame;
        quint32 back;
        const char* heading;
        const char* headingText;
        quint32 headingFore;
        quint32 headingBack;
        const char* instruction;
        const char* instructionText;
        int firstCombo;
        const char* message;
        int clearButton;
        const char* clearCaption;
        int closeButton;
    };
    static const std::array<Panel, 2> panels = {{
        {"Frame8", kReminder1Panel, "Label26", "Auto Reminder #1", colors::kRed, colors::kYellow, "Label13",
         "Enter Times for Reminder #1", 1, "Text24", 13, "Clear All", 1},
        {"Frame9", kReminder2Panel, "Label28", "Auto Reminder #2", colors::kBlue, kPaleYellow, "Label29",
         "Enter Times for Reminder #2", 17, "Text25", 12, "Clear ALL", 2},
    }};
    const Panel& p = panels[which - 1];

    auto* frame = named(new QGroupBox(parent), QLatin1String(p.frame));
    paintReminderPanel(frame, p.back);
    frame->hide();
    auto* heading = named(new ColourLabel(QString::fromUtf8(p.headingText), p.headingFore, frame),
                          QLatin1String(p.heading));
    heading->setBackColor(p.headingBack);
    heading->setAlignment(Qt::AlignCenter);
    heading->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto* instruction = named(new ColourLabel(QString::fromUtf8(p.instructionText), colors::kWhite, frame),
                              QLatin1String(p.instruction));
    auto* message = spoken(multiBox(QLatin1String(p.message), frame, false),
                           QStringLiteral("Reminder %1 message").arg(which));
    QPushButton* clear = command(p.clearButton, QString::fromUtf8(p.clearCaption), frame);
    QPushButton* close = command(p.closeButton, QStringLiteral("Close Set-Up"), frame);

    // Heading across the top, the instruction under it, two columns of eight lists, the message
    // to their right with its clear button above it, the close button at the bottom right.
    auto* grid = new QGridLayout(frame);
    grid->addWidget(heading, 0, 0, 1, 3);
    grid->addWidget(instruction, 1, 0, 1, 2);
    for (int i = 0; i < 16; ++i) {
        QComboBox* list = timeList(p.firstCombo + i, which, i + 1, frame);
        c_.combo[p.firstCombo + i] = list;
        grid->addWidget(list, 2 + i % 8, i / 8);
    }
    grid->addWidget(clear, 1, 2);
    grid->addWidget(message, 2, 2, 8, 1);
    grid->addWidget(close, 10, 2);
    grid->setColumnStretch(2, 1);

    if (which == 1) {
        c_.Frame8 = frame;
        c_.Label26 = heading;
        c_.Label13 = instruction;
        c_.Text24 = message;
    } else {
        c_.Frame9 = frame;
        c_.Label28 = heading;
        c_.Label29 = instruction;
        c_.Text25 = message;
    }
    return frame;
}

void BoardBuilder::bindBoxes() {
    // Bound last, so the starting texts above are shown, not taken for typing.
    auto bind = [](auto* box, DataControl* source, const QString& field) {
        new FieldBinding(box, source, field);
    };
    const QStringList& events = catalogue::eventFields();
    const QStringList& reminder = catalogue::reminderFields();
    const QStringList& setup = catalogue::setupFields();
    const QStringList& location = catalogue::locationFields();

    for (int k = 1; k <= 12; ++k)
        bind(c_.slotBox[k], c_.data[1], catalogue::slotFields()[k - 1]);
    for (int n = 1; n <= 7; ++n)
        bind(c_.eventBox[n], c_.data[2], events[n - 1]);
    bind(c_.Text20, c_.data[3], catalogue::weatherFields().front());
    for (int line = 1; line <= 3; ++line)
        bind(c_.sloganBox[line], c_.data[4], catalogue::sloganFields()[line - 1]);
    for (int i = 1; i <= 16; ++i) {
        bind(c_.combo[i], c_.data[6], reminder[i - 1]);
        bind(c_.combo[16 + i], c_.data[5], reminder[i - 1]);
    }
    bind(c_.Text24, c_.data[6], reminder.back());
    bind(c_.Text25, c_.data[5], reminder.back());
    bind(c_.Text26, c_.data[7], setup[0]);
    bind(c_.Text29, c_.data[7], setup[1]);
    bind(c_.Text27, c_.data[8], location[0]);
    bind(c_.Text28, c_.data[8], location[1]);
}
