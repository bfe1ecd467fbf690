#include "tests/app/BoardHarness.h"

#include "board/frmStop.h"
#include "widgets/Lbl3D.h"
#include "widgets/TextBox.h"
#include "widgets/Windows.h"
#include "widgets/XButton.h"

#include <QAccessible>
#include <QApplication>
#include <QListWidget>
#include <functional>

// The board and every secondary window as a screen reader and a keyboard user meet them.
namespace {

QStringList openEverySecondaryWindow(BoardHarness& h) {
    h.c().xbutton[5]->click();  // a copy library
    h.c().xbutton[14]->click(); // prep copy
    h.c().mnuShowPhoneList->trigger();
    h.c().mnuHelpAbout->trigger();
    h.c().mnuEditHistory->trigger();
    emit h.c().eventBox[2]->doubleClicked();
    windows::find("frmNotes")->findChild<QAbstractButton*>("Command8")->click(); // its picker
    windows::find("frmPrepCopy")->findChild<QAbstractButton*>("Command8")->click();
    frmStop::open(h.c(), h.clock, QDate()); // the week-end pause
    QStringList names;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w != &h.board) names << w->objectName();
    names.sort();
    return names;
}

// Walks a window's accessible tree: every label is heard by its caption, every box, list and time
// field by a name of its own.
void walk(QAccessibleInterface* node, const std::string& window, int& labels, int& fields) {
    for (int i = 0; i < node->childCount(); ++i) {
        QAccessibleInterface* child = node->child(i);
        if (!child) continue; // a hidden panel's controls are named too
        auto* w = qobject_cast<QWidget*>(child->object());
        const std::string what = window + "/" + (w ? w->objectName().toStdString() : std::string("?"));
        const QString name = child->text(QAccessible::Name);
        if (auto* label = qobject_cast<QLabel*>(w); label && !label->text().isEmpty()) {
            EXPECT_EQ(name, QString(label->text()).remove('&')) << what;
            ++labels;
        }
        switch (child->role()) {
        case QAccessible::EditableText:
        case QAccessible::ComboBox:
        case QAccessible::List:
        case QAccessible::Tree:
        case QAccessible::Table:
            EXPECT_FALSE(name.trimmed().isEmpty()) << what << " role " << int(child->role());
            ++fields;
            break;
        default:
            break;
        }
        walk(child, window, labels, fields);
    }
}

TEST(ScreenReader, EveryWindowIsAWindowAndEveryLabelBoxAndListSaysWhatItShows) {
    BoardHarness h;
    h.board.Form_Load();
    h.board.show();
    const QStringList opened = openEverySecondaryWindow(h);
    EXPECT_EQ(opened, QStringList({"frmAbout", "frmEventsText", "frmHistory", "frmNotes", "frmPhone",
                                   "frmPrepCopy", "frmPrepCopySearch", "frmPromoList", "frmStop"}));
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible()) continue;
        QAccessibleInterface* window = QAccessible::queryAccessibleInterface(w);
        ASSERT_NE(window, nullptr);
        const std::string name = w->objectName().toStdString();
        EXPECT_TRUE(window->role() == QAccessible::Window || window->role() == QAccessible::Dialog)
            << name << " role " << int(window->role());
        EXPECT_FALSE(window->text(QAccessible::Name).isEmpty()) << name;
        int labels = 0, fields = 0;
        walk(window, name, labels, fields);
        EXPECT_GT(labels + fields, 0) << name;
        if (w == &h.board) {
            EXPECT_GE(fields, 32 + 12 + 7); // the time fields, the slots, the events
        }
    }

    // The header: heard as what it shows, with what it is as the description.
    h.board.Timer1_Timer();
    const std::pair<QLabel*, const char*> header[] = {
        {h.c().Lbl3D2, "Station"},         {h.c().lblDate, "Date"}, {h.c().Lbl3D1, "System Time"},
        {h.c().lblCountdown, "Countdown"}, {h.c().Label31, "Day"},  {h.c().Label32, "Hour"}};
    for (const auto& [label, role] : header) {
        QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(label);
        EXPECT_FALSE(label->text().isEmpty()) << role;
        EXPECT_EQ(spoken->text(QAccessible::Name), label->text()) << role;
        EXPECT_EQ(spoken->text(QAccessible::Description), role);
    }
    // The clock's name follows the clock, though it is announced only by the hour.
    h.clock.setTime(QTime(15, 21, 7));
    h.board.Timer1_Timer();
    EXPECT_EQ(QAccessible::queryAccessibleInterface(h.c().Lbl3D1)->text(QAccessible::Name), "3:21:07 PM");
    // Closing the board closes every window it opened: none outlives this board's storage.
    h.board.close();
    for (const QString& name : opened)
        EXPECT_EQ(windows::find(name), nullptr) << name.toStdString();
}

// What the live labels announce by themselves: the clock by the hour, the countdown by the minute,
// never each second. A label announces by setting its widget's own name to the part announced, which
// the platform's bridge passes on as a name change; the test reads that name.
TEST(ScreenReader, TheClockIsAnnouncedByTheHourAndTheCountdownByTheMinute) {
    BoardHarness h;
    h.board.Form_Load();
    const struct {
        QTime at;
        bool clock;
        bool countdown;
    } steps[] = {{QTime(15, 21, 8), false, false}, {QTime(15, 21, 52), false, false},
                 {QTime(15, 22, 7), false, true},  {QTime(15, 59, 59), false, true},
                 {QTime(16, 0, 0), true, false},   {QTime(16, 0, 1), false, true},
                 {QTime(16, 0, 2), false, false}};
    h.clock.setTime(QTime(15, 21, 7));
    h.board.Timer1_Timer();
    QTest::qWait(1200);
    for (const auto& step : steps) {
        const QString clockBefore = h.c().Lbl3D1->accessibleName();
        const QString countdownBefore = h.c().lblCountdown->accessibleName();
        h.clock.setTime(step.at);
        h.board.Timer1_Timer();
        // The labels are looked at once a second.
        QTest::qWait(1200);
        const std::string at = step.at.toString().toStdString();
        EXPECT_EQ(h.c().Lbl3D1->accessibleName() != clockBefore, step.clock) << at;
        EXPECT_EQ(h.c().lblCountdown->accessibleName() != countdownBefore, step.countdown)
            << at << ": " << h.c().lblCountdown->text().toStdString();
        // Whatever was announced, the label is heard by what it shows.
        EXPECT_EQ(QAccessible::queryAccessibleInterface(h.c().Lbl3D1)->text(QAccessible::Name),
                  h.c().Lbl3D1->text());
    }
}

// Where Tab goes from the focus, step by step, until it comes round.
QVector<QWidget*> tabRound(int steps) {
    QVector<QWidget*> visited;
    for (int i = 0; i < steps; ++i) {
        QWidget* at = QApplication::focusWidget();
        if (!at) break;
        QTest::keyClick(at, Qt::Key_Tab);
        visited << QApplication::focusWidget();
    }
    return visited;
}

TEST(Keyboard, TabMovesOnFromEveryBoxAndNeverLandsUnderAPanel) {
    BoardHarness h;
    h.board.Form_Load();
    h.board.show();
    QApplication::setActiveWindow(&h.board);
    h.board.mnuEditEdit_Click();

    // Tab leaves a multi-line box as it leaves any other, and types nothing into it.
    const QList<QPlainTextEdit*> boxes = h.board.findChildren<QPlainTextEdit*>();
    ASSERT_FALSE(boxes.isEmpty());
    for (QPlainTextEdit* box : boxes) {
        if (!box->isVisible() || box->isReadOnly()) continue;
        box->setFocus();
        const QString before = box->toPlainText();
        QTest::keyClick(box, Qt::Key_Tab);
        EXPECT_NE(QApplication::focusWidget(), box) << box->objectName().toStdString();
        QTest::keyClick(box, Qt::Key_Tab, Qt::ControlModifier);
        EXPECT_EQ(box->toPlainText(), before) << box->objectName().toStdString();
    }

    struct Panel {
        const char* what;
        QGroupBox* frame;
        std::function<void()> open;
    };
    const Panel panels[] = {{"Network Setup", h.c().Frame3, [&] { h.board.mnuNetworkSetup_Click(); }},
                            {"Reminder 1", h.c().Frame8, [&] { h.board.mnuEditPopup1_Click(); }},
                            {"Reminder 2", h.c().Frame9, [&] { h.board.mnuEditPopup2_Click(); }}};
    for (const Panel& p : panels) {
        SCOPED_TRACE(p.what);
        QWidget* before = h.c().eventBox[3];
        before->setFocus();
        p.open();
        // The panel has the keys, and Tab goes round what can be seen only.
        QWidget* first = QApplication::focusWidget();
        ASSERT_TRUE(p.frame->isAncestorOf(first));
        const QRect panelArea(p.frame->mapToGlobal(QPoint(0, 0)), p.frame->size());
        int inPanel = 0;
        for (QWidget* w : tabRound(120)) {
            ASSERT_NE(w, nullptr);
            EXPECT_TRUE(w->isVisible()) << w->objectName().toStdString();
            if (p.frame->isAncestorOf(w)) {
                ++inPanel;
                continue;
            }
            EXPECT_FALSE(panelArea.intersects(QRect(w->mapToGlobal(QPoint(0, 0)), w->size())))
                << w->objectName().toStdString() << " lies under the panel";
        }
        EXPECT_GT(inPanel, 0);
        // Closed from inside, it gives the keys back where they were.
        first->setFocus();
        p.frame->hide();
        EXPECT_EQ(QApplication::focusWidget(), before)
            << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName().toStdString()
                                            : "none");
        EXPECT_NE(h.c().slotBox[1]->focusPolicy(), Qt::NoFocus); // back in the Tab order
    }
}

} // namespace
