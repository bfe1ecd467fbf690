#include "tests/app/BoardHarness.h"
#include "tests/support/Legibility.h"

#include "app/CommandLine.h"
#include "app/SingleInstance.h"
#include "board/BoardFonts.h"
#include "board/ClockTrust.h"
#include "board/Countdown.h"
#include "board/StatusLine.h"
#include "widgets/Colors.h"
#include "widgets/ColourLabel.h"
#include "widgets/Contrast.h"
#include "widgets/Lbl3D.h"
#include "widgets/TextBox.h"
#include "widgets/Windows.h"
#include "widgets/XButton.h"

#include <QAccessible>
#include <QApplication>
#include <QLayout>
#include <QMenuBar>
#include <QProcess>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStyleFactory>
#include <QUuid>
#include <future>

namespace {

void settle(QWidget& w) {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        if (w.layout()) w.layout()->activate();
    }
}

// The longest texts the boxes take, in words as a presenter writes them.
QString sampleOfLength(int length) {
    const QString words = QStringLiteral("Traffic and weather together on the nines, then news at the top ");
    return words.repeated(3).left(length);
}

// Every control a presenter reads or uses, shown: inside the window, clear of the status bar, and
// large enough for its text.
void expectEverythingFits(frmMain& board, const QString& where) {
    const QRect window = board.rect();
    for (QWidget* w : board.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&board) || w->objectName().isEmpty() ||
            w->objectName().startsWith(QLatin1String("qt_")))
            continue;
        const std::string at = (where + QStringLiteral(" ") + w->objectName()).toStdString();
        const QRect r(w->mapTo(&board, QPoint(0, 0)), w->size());
        EXPECT_TRUE(window.contains(r)) << at;
        const QFontMetrics fm(w->font());
        if (auto* label = qobject_cast<QLabel*>(w); label && !label->wordWrap() && !label->text().isEmpty()) {
            EXPECT_LE(fm.horizontalAdvance(label->text()), label->contentsRect().width()) << at;
            EXPECT_LE(fm.height(), label->contentsRect().height()) << at;
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            EXPECT_GE(button->width(), button->minimumSizeHint().width()) << at;
            EXPECT_GE(button->height(), std::min(button->sizeHint().height(), fm.height() + 4)) << at;
        } else if (auto* box = qobject_cast<TextBox*>(w)) {
            EXPECT_GE(box->height(), fm.height() + 2) << at;
            if (box->typedMaxLength() > 0 && box->typedMaxLength() < 60) {
                EXPECT_LE(fm.horizontalAdvance(sampleOfLength(box->typedMaxLength())), box->width() - 8)
                    << at;
            }
        } else if (auto* multi = qobject_cast<QPlainTextEdit*>(w)) {
            EXPECT_GE(multi->viewport()->height(), fm.height()) << at << ": not one whole line";
        } else if (auto* frame = qobject_cast<QGroupBox*>(w); frame && !frame->title().isEmpty()) {
            EXPECT_LE(fm.horizontalAdvance(frame->title()), frame->width()) << at;
        }
    }
}

struct Screen {
    const char* name;
    QSize logical; // the screen in device-independent pixels: 3840 x 2160 at scale 2 is 1920 x 1080
};

// Window decorations of a desktop take the rest.
constexpr int kTitleBar = 30;

class ScreenFitTest : public ::testing::TestWithParam<Screen> {};

TEST_P(ScreenFitTest, EveryPanelFitsAndReads) {
    const Screen screen = GetParam();
    BoardHarness h;
    h.board.Form_Load();
    h.board.show();
    const QSize window(screen.logical.width(), screen.logical.height() - kTitleBar);
    h.board.resize(window);
    settle(h.board);
    ASSERT_EQ(h.board.size(), window) << "the board asks for more than the screen";
    EXPECT_LE(h.board.minimumWidth(), 990);
    EXPECT_LE(h.board.minimumHeight(), 680);
    EXPECT_LE(h.board.layout()->minimumSize().height(), window.height());
    EXPECT_LE(h.board.layout()->minimumSize().width(), window.width());
    EXPECT_TRUE(h.c().statusBar->isVisible());
    h.c().statusBar->showMessage(QStringLiteral("Z:/studio-a/Cuepilot/Data/Monday.mdb: database is locked"));
    expectEverythingFits(h.board, QString::fromLatin1(screen.name));

    // The panels that open over the middle, and edit mode's notice.
    h.c().mnuEditEdit->trigger();
    for (QAction* panel : {h.c().mnuNetworkSetup, h.c().mnuEditPopup1, h.c().mnuEditPopup2}) {
        panel->trigger();
        settle(h.board);
        expectEverythingFits(h.board, QString::fromLatin1(screen.name) + QStringLiteral(" ") + panel->text());
    }

    // Read from the chair: measured against the screen, as presenters see it.
    if (screen.logical.height() >= 1080) {
        EXPECT_GE(QFontInfo(h.c().Lbl3D1->font()).pixelSize(), 0.06 * screen.logical.height());
        EXPECT_GE(QFontInfo(h.c().slotBox[1]->font()).pixelSize(), 0.025 * screen.logical.height());
    }
    EXPECT_GE(QFontInfo(h.c().slotBox[1]->font()).pixelSize(), BoardFonts::kSmallestPixels + 2);
}

INSTANTIATE_TEST_SUITE_P(
    Screens, ScreenFitTest,
    ::testing::Values(Screen{"minimum", {990, 680 + kTitleBar}}, Screen{"1366x768", {1366, 768}},
                      Screen{"1600x900", {1600, 900}}, Screen{"1920x1080", {1920, 1080}},
                      Screen{"2560x1440", {2560, 1440}}, Screen{"1280x1024", {1280, 1024}},
                      Screen{"3840x2160_scale2", {1920, 1080}}, Screen{"3840x2160_scale1_5", {2560, 1440}}),
    [](const auto& info) { return std::string(info.param.name); });

QPalette darkPalette() {
    QPalette p;
    p.setColor(QPalette::Window, QColor(0x35, 0x35, 0x35));
    p.setColor(QPalette::WindowText, QColor(0xEE, 0xEE, 0xEE));
    p.setColor(QPalette::Base, QColor(0x23, 0x23, 0x23));
    p.setColor(QPalette::Text, QColor(0xEE, 0xEE, 0xEE));
    p.setColor(QPalette::Button, QColor(0x45, 0x45, 0x45));
    p.setColor(QPalette::ButtonText, QColor(0xEE, 0xEE, 0xEE));
    return p;
}

QPalette highContrastPalette() {
    QPalette p;
    p.setColor(QPalette::Window, Qt::black);
    p.setColor(QPalette::WindowText, Qt::white);
    p.setColor(QPalette::Base, Qt::black);
    p.setColor(QPalette::Text, Qt::white);
    p.setColor(QPalette::Button, Qt::black);
    p.setColor(QPalette::ButtonText, Qt::yellow);
    return p;
}

TEST(ScreenContrast, EveryTextReadsInEachPalette) {
    const QPalette standard = QApplication::palette();
    const std::pair<const char*, QPalette> palettes[] = {
        {"default", standard}, {"dark", darkPalette()}, {"high contrast", highContrastPalette()}};
    for (const auto& [name, palette] : palettes) {
        QApplication::setPalette(palette);
        BoardHarness h;
        h.clock.setSync(ClockSync::Unsynchronised);
        h.board.Form_Load();
        h.board.errorSink()(QStringLiteral("disk full"));
        h.c().mnuEditEdit->trigger();
        for (QAction* panel : {h.c().mnuNetworkSetup, h.c().mnuEditPopup1, h.c().mnuEditPopup2}) {
            panel->trigger();
            for (QWidget* w : h.board.findChildren<QWidget*>()) {
                // Controls that cannot be used now are not read (and the guidelines leave them out).
                if (!w->isVisibleTo(&h.board) || !w->isEnabled() || w->objectName().isEmpty() ||
                    w->objectName().startsWith("qt_"))
                    continue;
                if (!qobject_cast<QLabel*>(w) && !qobject_cast<QAbstractButton*>(w) &&
                    !qobject_cast<QLineEdit*>(w) && !qobject_cast<QPlainTextEdit*>(w))
                    continue;
                EXPECT_GE(legibility::readContrast(w), contrast::kReadable)
                    << name << " " << w->objectName().toStdString();
            }
        }
        // A failure turns the status bar into a coloured band that reads.
        QStatusBar* bar = h.c().statusBar;
        EXPECT_TRUE(bar->autoFillBackground()) << name;
        EXPECT_EQ(bar->palette().color(QPalette::Window), StatusLine::kFailureBack) << name;
        EXPECT_GE(contrast::ratio(bar->palette().color(QPalette::WindowText),
                                  bar->palette().color(QPalette::Window)),
                  contrast::kReadable);
        auto* sync = h.board.findChild<QLabel*>("lblClockSync");
        ASSERT_NE(sync, nullptr);
        EXPECT_GE(
            contrast::ratio(sync->palette().color(QPalette::WindowText), palette.color(QPalette::Window)),
            contrast::kReadable)
            << name;
    }
    QApplication::setPalette(standard);
}

// The station's own pairs: shown as they are, and where a pair does not read by itself, its text
// gets a rim that does.
TEST(ScreenContrast, StationColoursKeepTheirValuesAndGetARimOnlyWhereNeeded) {
    struct Pair {
        const char* what;
        quint32 fore, back;
        bool rim;
    };
    const Pair pairs[] = {
        {"copy button", colors::kWhite, 0xFF8080, true},             // 3.3:1
        {"weather button idle", colors::kWhite, colors::kRed, true}, // 4.0:1
        {"weather button shown", colors::kWhite, colors::kBlue, false},
        {"weather button before load", colors::kWhite, 0x0000C0, false},
        {"slogan page shown", colors::kBlack, colors::kGreen, false},
        {"slogan page idle", colors::kBlack, colors::kYellow, false},
        {"reminder #1 heading", colors::kRed, colors::kYellow, true}, // 3.7:1
        {"reminder #2 heading", colors::kBlue, 0xC0FFFF, false},
        {"reminder #1 instruction", colors::kWhite, 0x0080FF, true}, // 2.4:1
        {"reminder #2 instruction", colors::kWhite, colors::kRed, true},
    };
    for (const Pair& p : pairs) {
        const QColor fore = colors::fromBgr(p.fore), back = colors::fromBgr(p.back);
        EXPECT_EQ(contrast::ratio(fore, back) < contrast::kReadable, p.rim) << p.what;
        XButton button(QStringLiteral("Caption"));
        button.setBackColor(p.back);
        button.setForeColor(p.fore);
        button.resize(160, 48);
        const QImage face = button.grab().toImage();
        const QColor rim = contrast::strongestAgainst(fore);
        int rimPixels = 0, forePixels = 0;
        // Inside the bevel, which has light and dark edges of its own.
        for (int y = 8; y < face.height() - 8; ++y)
            for (int x = 8; x < face.width() - 8; ++x) {
                rimPixels += face.pixelColor(x, y) == rim;
                forePixels += face.pixelColor(x, y) == fore;
            }
        EXPECT_GT(forePixels, 20) << p.what;
        EXPECT_EQ(rimPixels > 20, p.rim) << p.what << " " << rimPixels;
    }
}

TEST(ScreenAccessibility, EveryBoxListAndButtonSaysWhatItIs) {
    BoardHarness h;
    h.board.Form_Load();
    const auto name = [&](const QString& object) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(h.find<QWidget>(object));
        return a ? a->text(QAccessible::Name) : QString();
    };
    const std::pair<const char*, const char*> expected[] = {
        {"Text2", "12:05 AM slot"},        {"Text12", "12:55 AM slot"},      {"Text15", "Event 3"},
        {"Option3", "Highlight event 3"},  {"Text22", "Slogan 2"},           {"Text20", "Weather panel text"},
        {"Combo4", "Reminder 1 time 4"},   {"Combo20", "Reminder 2 time 4"}, {"Text25", "Reminder 2 message"},
        {"Command6", "Previous location"}, {"Command7", "Next location"},    {"Text27", "Network Path"},
        {"Text26", "Current Path"},        {"XButton5", "Promotions"},
    };
    for (const auto& [object, spoken] : expected)
        EXPECT_EQ(name(object), spoken) << object;
    // The names follow the hour on show.
    h.c().hourItem[16]->trigger();
    EXPECT_EQ(name("Text2"), "4:05 PM slot");

    // Every box has a name of its own.
    QStringList names;
    for (QWidget* w : h.board.findChildren<QWidget*>()) {
        if (!qobject_cast<QLineEdit*>(w) && !qobject_cast<QPlainTextEdit*>(w) &&
            !qobject_cast<QComboBox*>(w) && !qobject_cast<QAbstractButton*>(w))
            continue;
        if (w->objectName().isEmpty() || w->objectName().startsWith("qt_")) continue;
        const QString spoken = QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
        EXPECT_FALSE(spoken.isEmpty()) << w->objectName().toStdString();
        if (!qobject_cast<QAbstractButton*>(w)) names << spoken;
    }
    EXPECT_EQ(names.size(), QSet<QString>(names.begin(), names.end()).size())
        << names.join(", ").toStdString();
}

TEST(ScreenKeys, EachSecondaryWindowFitsAndEscapeClosesItThroughItsCloseButton) {
    BoardHarness h;
    h.board.Form_Load();
    h.board.show();
    struct Window {
        const char* name;
        const char* closeButton; // empty: the window has none
        std::function<void()> open;
    };
    const Window windows[] = {
        {"frmNotes", "Command7", [&] { h.c().xbutton[5]->click(); }},
        {"frmPrepCopy", "Command5", [&] { h.c().xbutton[14]->click(); }},
        {"frmPhone", "Command4", [&] { h.c().mnuShowPhoneList->trigger(); }},
        {"frmAbout", "Command1", [&] { h.c().mnuHelpAbout->trigger(); }},
        {"frmEventsText", "", [&] { h.c().eventBox[2]->doubleClicked(); }},
    };
    for (const Window& w : windows) {
        w.open();
        QWidget* window = windows::find<QWidget>(QString::fromLatin1(w.name));
        ASSERT_NE(window, nullptr) << w.name;
        // Each fits the smallest studio screen, with its title bar.
        EXPECT_LE(window->width(), 1366) << w.name;
        EXPECT_LE(window->height(), 768 - kTitleBar) << w.name;
        EXPECT_LE(window->minimumSizeHint().height(), 768 - kTitleBar) << w.name;
        std::unique_ptr<QSignalSpy> clicked;
        if (*w.closeButton)
            clicked = std::make_unique<QSignalSpy>(window->findChild<QAbstractButton*>(w.closeButton),
                                                   &QAbstractButton::clicked);
        QApplication::setActiveWindow(window);
        QTest::keyClick(window, Qt::Key_Escape);
        EXPECT_EQ(windows::find<QWidget>(QString::fromLatin1(w.name)), nullptr) << w.name;
        if (clicked) {
            EXPECT_EQ(clicked->count(), 1) << w.name;
        }
    }
}

TEST(ScreenKeys, ReturnAndF2OpenTheEventAndEachHourHasItsKey) {
    BoardHarness h;
    h.board.Form_Load();
    h.board.show();
    QApplication::setActiveWindow(&h.board);
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_F2}) {
        QTest::keyClick(h.c().eventBox[4], key);
        QWidget* detail = windows::find<QWidget>("frmEventsText");
        ASSERT_NE(detail, nullptr) << key;
        EXPECT_EQ(detail->findChild<QLineEdit*>("Text2")->text(), h.c().eventBox[4]->text());
        detail->close();
    }
    QApplication::setActiveWindow(&h.board);
    QSet<QKeySequence> keys;
    for (QAction* hour : h.c().hourItem)
        keys.insert(hour->shortcut());
    EXPECT_EQ(keys.size(), 24);
    EXPECT_FALSE(keys.contains(QKeySequence()));
    QTest::keyClick(&h.board, Qt::Key_F4, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(h.c().slotLabel[1]->text(), "4:00 PM");
    QTest::keyClick(&h.board, Qt::Key_F12, Qt::ControlModifier);
    EXPECT_EQ(h.c().slotLabel[1]->text(), "12:00 AM");
    QTest::keyClick(&h.board, Qt::Key_F11);
    EXPECT_TRUE(h.board.isFullScreen());
    QTest::keyClick(&h.board, Qt::Key_F11);
    EXPECT_FALSE(h.board.isFullScreen());
}

TEST(ScreenCountdown, CountsToTheTopOfTheHourAndTheNextReminderToday) {
    struct Row {
        QTime now;
        QStringList first, second;
        const char* line;
    };
    const Row rows[] = {
        {QTime(15, 47, 26), {}, {}, "Top of hour in 12:34"},
        {QTime(15, 0, 0), {}, {}, "Top of hour in 0:00"},
        {QTime(15, 59, 59), {"4:00:00 PM"}, {}, "Top of hour in 0:01  ·  Reminder #1 in 0:01"},
        // Past ones, tomorrow's first hours and texts the clock never shows do not count.
        {QTime(15, 20, 0),
         {"3:10:00 PM", "4:50:00 AM", "5:30 PM", ""},
         {"5:20:00 PM"},
         "Top of hour in 40:00  ·  Reminder #2 in 2:00:00"},
        {QTime(23, 50, 0), {"12:00:00 AM"}, {"11:55:00 PM"}, "Top of hour in 10:00  ·  Reminder #2 in 5:00"},
        {QTime(9, 0, 30), {"10:00:00 AM"}, {"10:00:00 AM"}, "Top of hour in 59:30  ·  Reminder #2 in 59:30"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(countdown::text(r.now, r.first, r.second), r.line) << r.line;

    // On the board it follows the board's clock, tick by tick.
    BoardHarness h;
    h.board.Form_Load();
    h.c().combo[3]->setEditText(QStringLiteral("3:30:00 PM"));
    h.board.Timer1_Timer();
    EXPECT_EQ(h.c().lblCountdown->text(), "Top of hour in 40:00  ·  Reminder #1 in 10:00");
    h.clock.advance(61);
    h.board.Timer1_Timer();
    EXPECT_EQ(h.c().lblCountdown->text(), "Top of hour in 38:59  ·  Reminder #1 in 8:59");
}

TEST(ScreenDesktop, CommandLineAnswersAndASecondStartRaisesTheFirst) {
    struct Args {
        QStringList args;
        bool early;
        bool newInstance, fullScreen, error;
    };
    const Args rows[] = {
        {{"cuepilot", "--help"}, true, false, false, false},
        {{"cuepilot", "-v"}, true, false, false, false},
        {{"cuepilot", "--fullscreen", "--new-instance"}, false, true, true, false},
        {{"cuepilot", "--fullscren"}, false, false, false, true},
    };
    for (const Args& r : rows) {
        EXPECT_EQ(commandLine::earlyAnswer(r.args).has_value(), r.early) << r.args.join(' ').toStdString();
        if (r.early) continue;
        const commandLine::Parsed parsed = commandLine::parse(r.args);
        EXPECT_EQ(parsed.options.newInstance, r.newInstance);
        EXPECT_EQ(parsed.options.fullScreen, r.fullScreen);
        EXPECT_EQ(!parsed.error.isEmpty(), r.error);
    }
    // Answered on standard output without a window system.
    const std::pair<const char*, const char*> answers[] = {{"--help", "Usage: cuepilot"},
                                                           {"--version", "Cuepilot 3.1"}};
    for (const auto& [option, answer] : answers) {
        QProcess board;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.remove(QStringLiteral("DISPLAY"));
        board.setProcessEnvironment(env);
        board.start(QStringLiteral(CUEPILOT_BOARD_PROGRAM), {QString::fromLatin1(option)});
        ASSERT_TRUE(board.waitForFinished(20000)) << option;
        EXPECT_EQ(board.exitStatus(), QProcess::NormalExit) << option;
        EXPECT_EQ(board.exitCode(), 0) << option;
        EXPECT_TRUE(board.readAllStandardOutput().startsWith(answer)) << option;
    }

    const QString name =
        QStringLiteral("cuepilot-test-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    const auto secondStart = [&] {
        auto answered = std::async(std::launch::async, [&] { return SingleInstance(name).handOver(); });
        while (answered.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
            QCoreApplication::processEvents();
        return answered.get();
    };
    EXPECT_FALSE(secondStart()) << "nobody runs yet";
    QWidget board;
    board.showMinimized();
    SingleInstance first(name);
    QSignalSpy asked(&first, &SingleInstance::asked);
    first.serve(&board);
    EXPECT_TRUE(secondStart());
    EXPECT_EQ(asked.count(), 1);
    EXPECT_FALSE(board.windowState() & Qt::WindowMinimized);
}

} // namespace
