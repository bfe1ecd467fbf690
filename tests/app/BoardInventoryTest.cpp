#include "tests/app/BoardHarness.h"

#include "board/HourTable.h"
#include "board/ReminderTimes.h"
#include "data/controls/DataControl.h"
#include "data/controls/FieldBinding.h"
#include "widgets/Colors.h"
#include "widgets/Lbl3D.h"
#include "widgets/TextBox.h"
#include "widgets/Timer.h"
#include "widgets/XButton.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QStatusBar>

namespace {

struct Caption {
    const char* name;
    const char* text;
};

const Caption kCaptions[] = {
    {"Frame7", "Displayed Station"},
    {"Frame1", ""},
    {"Frame2", "Today's Main Events"},
    {"Frame5", "Weather Forcast"},
    {"Frame6", "Slogan Lines"},
    {"Frame3", "Network Setup"},
    {"Frame8", ""},
    {"Frame9", ""},
    {"Label33", "Today is"},
    {"Label40", "System Time"},
    {"Label27", "Double-Click to show event copy notes."},
    {"Label30", "Please Save your changes."},
    {"Label26", "Auto Reminder #1"},
    {"Label13", "Enter Times for Reminder #1"},
    {"Label28", "Auto Reminder #2"},
    {"Label29", "Enter Times for Reminder #2"},
    {"Label37",
     "Once all of the above has been done. Restart the program. Your data should then appear. If not, "
     "please check the path."},
    {"Label39", "Name/Studio"},
    {"Label35", "Network Path"},
    {"Label42", "Example: Z:/studio-a/Cuepilot/Data/"},
    {"Label41", "Current Name/Studio"},
    {"Label38", "Current Path"},
    {"Label1", "12:00 AM"},
    {"Label2", "12:05 AM"},
    {"Label7", "12:30 AM"},
    {"Label12", "12:55 AM"},
    {"Option8", "Default All"},
    {"Option1", ""},
    {"Option7", ""},
    {"Command1", "Close Set-Up"},
    {"Command2", "Close Set-Up"},
    {"Command3", "Edi&t Content"},
    {"Command4", "&Save Content"},
    {"Command5", "&Close and update all data files"},
    {"Command6", "<<<<<"},
    {"Command7", ">>>>>"},
    {"Command8", "New"},
    {"Command9", "Save"},
    {"Command10", "Delete"},
    {"Command11", "Use This Location"},
    {"Command12", "Clear ALL"},
    {"Command13", "Clear All"},
    {"XButton1", "Weather"},
    {"XButton2", "Contest"},
    {"XButton3", "Remote"},
    {"XButton4", "Show Promo"},
    {"XButton5", "Promotions"},
    {"XButton6", "Live Copy"},
    {"XButton7", "PSA"},
    {"XButton8", "Notes / News"},
    {"XButton9", "Tag Lines"},
    {"XButton10", "One"},
    {"XButton11", "Two"},
    {"XButton12", "Three"},
    {"XButton13", "Four"},
    {"XButton14", "Prep Copy"},
};

TEST(BoardInventory, EveryControlCarriesItsCaption) {
    BoardHarness h;
    EXPECT_EQ(h.board.windowTitle(), "Cuepilot Version 3.1");
    EXPECT_EQ(h.board.objectName(), "frmMain");
    for (const Caption& c : kCaptions)
        EXPECT_EQ(shownText(h.find(c.name)), c.text) << c.name;
    EXPECT_TRUE(h.find<QLabel>("Label36")->text().startsWith(
        "For Network Setup you will first need to Share the folder on the machine where the data files are "
        "located."));
    EXPECT_TRUE(h.find<QLabel>("Label36")->text().endsWith(
        "Please contact us via email should you need further assistance."));
}

struct ButtonColours {
    int k;
    quint32 back;
    quint32 fore;
};

TEST(BoardInventory, ButtonsCarryTheirColoursBeforeLoad) {
    BoardHarness h;
    const ButtonColours expected[] = {
        {1, 0x0000C0, 0xFFFFFF},  {2, 0x0000C0, 0xFFFFFF},  {3, 0x0000C0, 0xFFFFFF},
        {4, 0x0000C0, 0xFFFFFF},  {10, 0x80FFFF, 0x000000}, {11, 0x80FFFF, 0x000000},
        {12, 0x80FFFF, 0x000000}, {13, 0x80FFFF, 0x000000}, {5, 0xFF8080, 0xFFFFFF},
        {6, 0xFF8080, 0xFFFFFF},  {7, 0xFF8080, 0xFFFFFF},  {8, 0xFF8080, 0xFFFFFF},
        {9, 0xFF8080, 0xFFFFFF},  {14, 0xFF8080, 0xFFFFFF},
    };
    for (const ButtonColours& e : expected) {
        auto* b = h.find<XButton>(nth("XButton", e.k));
        EXPECT_EQ(b->backColor(), e.back) << e.k;
        EXPECT_EQ(b->foreColor(), e.fore) << e.k;
        EXPECT_EQ(b, h.c().xbutton[e.k]);
    }
}

struct BoxSpec {
    QString name;
    quint32 back;
    int max; // -1: a multi-line box, which has no typing limit
    bool locked;
    QString start;
};

QVector<BoxSpec> boxSpecs() {
    const QStringList placeholders = {
        "NO", "Network", "Data", "To", "Load", "Please Check The Path", "Click Edit then Network Setup"};
    QVector<BoxSpec> layoutRows;
    for (int k = 1; k <= 12; ++k)
        layoutRows.push_back({nth("Text", k), 0x80FFFF, 55, true, ""});
    for (int n = 1; n <= 7; ++n)
        layoutRows.push_back({nth("Text", 12 + n), 0xC0FFFF, 49, true, placeholders[n - 1]});
    for (int n = 20; n <= 23; ++n)
        layoutRows.push_back({nth("Text", n), 0xE0E0E0, -1, true, ""});
    for (int n = 24; n <= 25; ++n)
        layoutRows.push_back({nth("Text", n), 0xE0E0E0, -1, false, ""});
    layoutRows.push_back({"Text26", 0xFFFFFF, 99, false, ""});
    layoutRows.push_back({"Text27", 0xFFFFFF, 0, false, ""});
    layoutRows.push_back({"Text28", 0xFFFFFF, 11, false, ""});
    layoutRows.push_back({"Text29", 0xFFFFFF, 11, false, ""});
    return layoutRows;
}

TEST(BoardInventory, BoxesCarryColourLimitLockAndStartingText) {
    BoardHarness h;
    for (const BoxSpec& s : boxSpecs()) {
        SCOPED_TRACE(s.name.toStdString());
        QObject* o = h.find(s.name);
        EXPECT_EQ(shownText(o), s.start);
        if (s.max < 0) {
            auto* box = qobject_cast<MultiLineBox*>(o);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->backColor(), s.back);
            EXPECT_EQ(box->locked(), s.locked);
        } else {
            auto* box = qobject_cast<TextBox*>(o);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->backColor(), s.back);
            EXPECT_EQ(box->typedMaxLength(), s.max);
            EXPECT_EQ(box->locked(), s.locked);
        }
    }
}

struct Panel {
    const char* name;
    quint32 fore;
    bool filled;
    quint32 back;
};

quint32 paletteColour(QWidget* w, QPalette::ColorRole role) {
    return colors::toBgr(w->palette().color(role));
}

TEST(BoardInventory, ReminderPanelsAndTheSaveNoticeCarryTheirColours) {
    BoardHarness h;
    const Panel panels[] = {
        {"Frame8", 0xFFFFFF, true, 0x0080FF},  {"Frame9", 0xFFFFFF, true, 0x0000FF},
        {"Label26", 0x0000FF, true, 0x00FFFF}, {"Label28", 0xFF0000, true, 0xC0FFFF},
        {"Label13", 0xFFFFFF, false, 0},       {"Label29", 0xFFFFFF, false, 0},
        {"Label30", 0x0000FF, false, 0},
    };
    for (const Panel& p : panels) {
        auto* w = h.find<QWidget>(p.name);
        EXPECT_EQ(paletteColour(w, QPalette::WindowText), p.fore) << p.name;
        if (!p.filled) continue;
        EXPECT_TRUE(w->autoFillBackground()) << p.name;
        EXPECT_EQ(paletteColour(w, QPalette::Window), p.back) << p.name;
    }
}

TEST(BoardInventory, HiddenAtStartAreThePanelsTheKeysAndTheSaveNotice) {
    BoardHarness h;
    QStringList hidden = {"Frame3", "Frame8", "Frame9", "Label34", "Label30"};
    for (int k = 14; k <= 25; ++k)
        hidden << nth("Label", k);
    for (const QString& name : hidden)
        EXPECT_TRUE(h.find<QWidget>(name)->isHidden()) << name.toStdString();
    QStringList shown = {"Frame1",  "Frame2", "Frame5", "Frame6",  "Frame7",  "Label31",
                         "Label32", "Lbl3D1", "Lbl3D2", "lblDate", "Label27", "Option8"};
    for (int k = 1; k <= 14; ++k)
        shown << nth("XButton", k);
    for (const QString& name : shown)
        EXPECT_FALSE(h.find<QWidget>(name)->isHidden()) << name.toStdString();
    EXPECT_TRUE(h.c().command[3]->isEnabled());
    EXPECT_FALSE(h.c().command[4]->isEnabled());
}

TEST(BoardInventory, OptionEightIsTheSelectedOneOfTheEventGroup) {
    BoardHarness h;
    EXPECT_TRUE(h.c().option[8]->isChecked());
    for (int n = 1; n <= 7; ++n)
        EXPECT_FALSE(h.c().option[n]->isChecked()) << n;
    h.c().option[3]->click();
    EXPECT_TRUE(h.c().option[3]->isChecked());
    EXPECT_FALSE(h.c().option[8]->isChecked());
}

TEST(BoardInventory, TimeListsAreEditableDropDownsOfTheHundredFortyFourTimesStartingEmpty) {
    BoardHarness h;
    for (int n = 1; n <= 32; ++n) {
        auto* list = h.find<QComboBox>(nth("Combo", n));
        EXPECT_EQ(list, h.c().combo[n]);
        EXPECT_TRUE(list->isEditable()) << n;
        ASSERT_EQ(list->count(), 144) << n;
        EXPECT_EQ(list->itemText(0), "5:00:00 AM");
        EXPECT_EQ(list->itemText(143), "4:50:00 AM");
        EXPECT_EQ(list->currentText(), "") << n;
        // Each panel holds its own sixteen lists.
        EXPECT_EQ(list->parentWidget(), n <= 16 ? h.c().Frame8 : h.c().Frame9) << n;
    }
}

struct Binding {
    QString box;
    int data;
    QString field;
};

QVector<Binding> bindings() {
    QVector<Binding> out;
    const QStringList slotNames = {"00am", "05am", "10am", "15am", "20am", "25am",
                                   "30am", "35am", "40am", "45am", "50am", "55am"};
    for (int k = 1; k <= 12; ++k)
        out.push_back({nth("Text", k), 1, slotNames[k - 1]});
    for (int n = 1; n <= 7; ++n)
        out.push_back({nth("Text", 12 + n), 2, nth("me", n)});
    out.push_back({"Text20", 3, "Wx"});
    for (int n = 1; n <= 3; ++n)
        out.push_back({nth("Text", 20 + n), 4, nth("Slogan", n)});
    for (int n = 1; n <= 16; ++n) {
        out.push_back({nth("Combo", n), 6, nth("Time", n)});
        out.push_back({nth("Combo", 16 + n), 5, nth("Time", n)});
    }
    out.push_back({"Text24", 6, "Text"});
    out.push_back({"Text25", 5, "Text"});
    out.push_back({"Text26", 7, "Setup"});
    out.push_back({"Text29", 7, "SetupName"});
    out.push_back({"Text27", 8, "Location"});
    out.push_back({"Text28", 8, "LocationName"});
    return out;
}

TEST(BoardInventory, EveryBoxIsBoundToItsField) {
    BoardHarness h;
    for (const Binding& b : bindings()) {
        FieldBinding* binding = FieldBinding::of(h.find<QWidget>(b.box));
        ASSERT_NE(binding, nullptr) << b.box.toStdString();
        EXPECT_EQ(binding->dataSource(), h.find<DataControl>(nth("Data", b.data))) << b.box.toStdString();
        EXPECT_EQ(binding->dataField(), b.field) << b.box.toStdString();
    }
}

TEST(BoardInventory, DataControlsAndTimersStartWithTheirDesignSettings) {
    BoardHarness h;
    const QStringList tables = {"12am",      "Events",    "MonWx", "Slogan",
                                "Reminder2", "Reminder1", "Setup", "Location"};
    for (int n = 1; n <= 8; ++n) {
        auto* data = h.find<DataControl>(nth("Data", n));
        EXPECT_EQ(data, h.c().data[n]);
        EXPECT_EQ(data->recordSource(), tables[n - 1]) << n;
        EXPECT_FALSE(data->isOpen()) << n;
    }
    for (int n = 1; n <= 4; ++n) {
        auto* timer = h.find<Timer>(nth("Timer", n));
        EXPECT_EQ(timer, h.c().timer[n]);
        EXPECT_FALSE(timer->isEnabled()) << n;
        EXPECT_EQ(timer->interval(), 0) << n;
    }
}

TEST(BoardInventory, FamiliesInTheControlTableAreIndexedByTheirNumber) {
    BoardHarness h;
    BoardControls& c = h.c();
    for (int k = 1; k <= 12; ++k) {
        EXPECT_EQ(c.slotBox[k]->objectName(), nth("Text", k));
        EXPECT_EQ(c.slotLabel[k]->objectName(), nth("Label", k));
        EXPECT_EQ(c.slotKey[k]->objectName(), nth("Label", 13 + k));
        // Sized by the window; even the smallest board keeps the slots readable from the chair.
        EXPECT_GE(QFontInfo(c.slotBox[k]->font()).pixelSize(), 16);
    }
    for (int n = 1; n <= 7; ++n)
        EXPECT_EQ(c.eventBox[n]->objectName(), nth("Text", 12 + n));
    for (int n = 1; n <= 8; ++n)
        EXPECT_EQ(c.option[n]->objectName(), nth("Option", n));
    for (int n = 1; n <= 13; ++n)
        EXPECT_EQ(c.command[n]->objectName(), nth("Command", n));
    for (int n = 1; n <= 3; ++n)
        EXPECT_EQ(c.sloganBox[n]->objectName(), nth("Text", 20 + n));
    const std::pair<QObject*, const char*> single[] = {
        {c.Frame1, "Frame1"},   {c.Frame2, "Frame2"},   {c.Frame3, "Frame3"},   {c.Frame5, "Frame5"},
        {c.Frame6, "Frame6"},   {c.Frame7, "Frame7"},   {c.Frame8, "Frame8"},   {c.Frame9, "Frame9"},
        {c.Label31, "Label31"}, {c.Label32, "Label32"}, {c.Label34, "Label34"}, {c.Label27, "Label27"},
        {c.Text20, "Text20"},   {c.Lbl3D1, "Lbl3D1"},   {c.Lbl3D2, "Lbl3D2"},   {c.lblDate, "lblDate"},
        {c.Label33, "Label33"}, {c.Label40, "Label40"}, {c.Label30, "Label30"}, {c.Label35, "Label35"},
        {c.Label36, "Label36"}, {c.Label37, "Label37"}, {c.Label38, "Label38"}, {c.Label39, "Label39"},
        {c.Label41, "Label41"}, {c.Label42, "Label42"}, {c.Text26, "Text26"},   {c.Text27, "Text27"},
        {c.Text28, "Text28"},   {c.Text29, "Text29"},   {c.Label26, "Label26"}, {c.Label13, "Label13"},
        {c.Label28, "Label28"}, {c.Label29, "Label29"}, {c.Text24, "Text24"},   {c.Text25, "Text25"},
    };
    for (const auto& [object, name] : single) {
        ASSERT_NE(object, nullptr) << name;
        EXPECT_EQ(object->objectName(), name);
    }
    EXPECT_EQ(c.form, &h.board);
    EXPECT_EQ(c.statusBar, h.board.statusBar());
    EXPECT_GE(QFontInfo(c.Lbl3D1->font()).pixelSize(), 32);
}

struct MenuItem {
    QString name;
    QString caption; // "-" for a separator line
};

struct Menu {
    QString name;
    QString title;
    QVector<MenuItem> items;
};

QVector<Menu> expectedMenus() {
    QVector<MenuItem> hours;
    const char* halves[] = {"am", "pm"};
    for (const char* half : halves)
        for (int h = 0; h < 12; ++h) {
            const int twelve = h == 0 ? 12 : h;
            const QString suffix = QString::fromLatin1(half).toUpper();
            hours.push_back(
                {QStringLiteral("mnu%1%2").arg(twelve).arg(QLatin1String(half)),
                 QStringLiteral("%1%2:00 %3").arg(twelve < 10 ? "  " : "").arg(twelve).arg(suffix)});
        }
    return {
        {"mnuFile",
         "&File",
         {{"mnuFileRefresh", "Refresh Data"}, {"mnuFileSeperator", "-"}, {"mnuFileExit", "E&xit"}}},
        {"mnuEdit",
         "&Edit",
         {{"mnuNetworkSetup", "&Network Setup"},
          {"mnuEditEdit", "Edit &Content"},
          {"mnuSaveContent", "&Save Content"},
          {"mnuEditClearHour", "Clear All Data In This Hour"},
          {"mnuEditClearEvents", "Clear All Events In This Day"},
          {"mnuEditHistory", "&History..."}}},
        {"mnuDays",
         "&Days",
         {{"mnuMonday", "&Monday"},
          {"mnuTuesday", "&Tuesday"},
          {"mnuWednesday", "&Wednesday"},
          {"mnuThursday", "T&hursday"},
          {"mnuFriday", "&Friday"},
          {"mnuSaturday", "&Saturday"},
          {"mnuSunday", "Sun&day"}}},
        {"mnuHours", "H&ours", hours},
        {"mnuReminders",
         "&Reminders",
         {{"mnuEditPopup1", "Pop-up Reminder #1"}, {"mnuEditPopup2", "Pop-up Reminder #2"}}},
        {"mnuPhoneList", "&Phone List", {{"mnuShowPhoneList", "Show List"}}},
        {"mnuView",
         "&View",
         {{"mnuViewLarger", "&Larger Text"},
          {"mnuViewSmaller", "&Smaller Text"},
          {"mnuViewNormal", "&Normal Text Size"},
          {"mnuViewSeparator", "-"},
          {"mnuViewLight", "Li&ght"},
          {"mnuViewDark", "&Dark"},
          {"mnuViewHighContrast", "&High Contrast"}}},
        {"mnuHelp", "&Help", {{"mnuHelpAbout", "&About"}, {"mnuHelpHelp", "&Help"}}},
    };
}

TEST(BoardInventory, MenusAndItemsStandInOrderWithTheirCaptions) {
    BoardHarness h;
    const QList<QAction*> bar = h.board.menuBar()->actions();
    const QVector<Menu> menus = expectedMenus();
    ASSERT_EQ(bar.size(), menus.size());
    for (int m = 0; m < menus.size(); ++m) {
        QMenu* menu = bar[m]->menu();
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(menu->objectName(), menus[m].name);
        EXPECT_EQ(menu->title(), menus[m].title);
        EXPECT_TRUE(menu->isEnabled());
        const QList<QAction*> items = menu->actions();
        ASSERT_EQ(items.size(), menus[m].items.size()) << menus[m].name.toStdString();
        for (int i = 0; i < items.size(); ++i) {
            const MenuItem& e = menus[m].items[i];
            EXPECT_EQ(items[i]->objectName(), e.name);
            if (e.caption == "-")
                EXPECT_TRUE(items[i]->isSeparator()) << e.name.toStdString();
            else
                EXPECT_EQ(items[i]->text(), e.caption) << e.name.toStdString();
        }
    }
    // The control table points at the same items.
    for (int row = 0; row < 24; ++row)
        EXPECT_EQ(h.c().hourItem[row]->objectName(), hourRows()[row].menuItem);
    EXPECT_EQ(h.c().dayItem[3]->objectName(), "mnuThursday");
    EXPECT_EQ(h.c().mnuHours, bar[3]->menu());
}

TEST(BoardLayout, HiddenPanelsOpenOverTheGridAndTheEventsWithoutMovingThem) {
    BoardHarness h;
    BoardControls& c = h.c();
    h.board.resize(1400, 950);
    h.board.show();
    QApplication::processEvents();
    const QRect grid = c.Frame1->geometry();
    const QRect events = c.Frame2->geometry();
    // Copy buttons above the station band, the grid left of the events, weather left of slogans.
    EXPECT_LT(c.xbutton[14]->mapTo(&h.board, QPoint()).y(), c.Frame7->mapTo(&h.board, QPoint()).y());
    EXPECT_LT(c.xbutton[14]->x(), c.xbutton[5]->x());
    EXPECT_LT(c.xbutton[9]->x(), c.xbutton[7]->x());
    EXPECT_LT(c.Frame7->geometry().bottom(), grid.top());
    EXPECT_LT(grid.right(), events.left());
    EXPECT_LT(grid.bottom(), c.Frame5->geometry().top());
    EXPECT_LT(c.Frame5->geometry().right(), c.Frame6->geometry().left());

    c.Frame3->show();
    c.Frame8->show();
    QApplication::processEvents();
    EXPECT_EQ(c.Frame1->geometry(), grid);
    EXPECT_EQ(c.Frame2->geometry(), events);
    EXPECT_EQ(c.Frame3->geometry(), grid);
    const QRect reminder = c.Frame8->geometry();
    EXPECT_EQ(reminder.top(), events.top());
    EXPECT_EQ(reminder.bottom(), events.bottom());
    EXPECT_EQ(reminder.right(), events.right());
    EXPECT_LT(reminder.left(), events.left() - 40);
    // The panels lie on top: what the user sees at the events' centre is the reminder panel.
    QWidget* seen = h.board.centralWidget()->childAt(events.center());
    ASSERT_NE(seen, nullptr);
    EXPECT_TRUE(seen == c.Frame8 || c.Frame8->isAncestorOf(seen));
    seen = h.board.centralWidget()->childAt(QPoint(grid.left() + 10, grid.center().y()));
    ASSERT_NE(seen, nullptr);
    EXPECT_TRUE(seen == c.Frame3 || c.Frame3->isAncestorOf(seen));
}

} // namespace
