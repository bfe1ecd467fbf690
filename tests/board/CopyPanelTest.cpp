#include "tests/board/EditingBoard.h"

#include "copy/frmNotes.h"
#include "data/controls/DataControl.h"
#include "widgets/Colors.h"
#include "widgets/Windows.h"
#include "widgets/XButton.h"

#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QTimer>

namespace {

class CopyPanelTest : public EditingBoard {
  protected:
    void press(int k) { c().xbutton[k]->click(); }
    void TearDown() override {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w != board.get() && w->testAttribute(Qt::WA_DeleteOnClose)) w->close();
    }
};

TEST_F(CopyPanelTest, WeatherButtonsSwitchFieldCaptionAndColours) {
    fx.write(weatherFile(), "MonWx", "Contest", "contest text");
    fx.write(weatherFile(), "MonWx", "Remote", "remote text");
    fx.write(weatherFile(), "MonWx", "Show", "show text");
    load();
    struct Row {
        int k;
        const char* caption;
        const char* field;
    };
    const Row rows[] = {{2, "Contest Information", "Contest"},
                        {3, "Remote Information", "Remote"},
                        {4, "Show Promo", "Show"},
                        {1, "Weather Forcast", "Wx"},
                        {2, "Contest Information", "Contest"}};
    for (const Row& r : rows) {
        press(r.k);
        EXPECT_EQ(c().Frame5->title(), r.caption);
        EXPECT_EQ(c().Text20->text(), fx.read(weatherFile(), "MonWx", r.field));
        for (int k = 1; k <= 4; ++k) {
            EXPECT_EQ(c().xbutton[k]->backColor(), k == r.k ? colors::kBlue : colors::kRed)
                << r.k << " " << k;
            EXPECT_EQ(c().xbutton[k]->foreColor(), colors::kWhite);
        }
    }
}

TEST_F(CopyPanelTest, SloganPagesShowThreeSlogansEach) {
    load();
    for (int page : {3, 1, 4, 2}) {
        press(9 + page);
        for (int line = 1; line <= 3; ++line)
            EXPECT_EQ(c().sloganBox[line]->text(),
                      fx.read(sloganFile(), "Slogan", QString("Slogan%1").arg(3 * (page - 1) + line)));
        for (int k = 10; k <= 13; ++k)
            EXPECT_EQ(c().xbutton[k]->backColor(), k == 9 + page ? colors::kGreen : colors::kYellow);
    }
}

TEST_F(CopyPanelTest, TextTypedBeforeAPageChangeIsSavedWithItsField) {
    load();
    c().mnuEditEdit->trigger();
    type(c().sloganBox[1], "typed slogan one");
    press(11);
    EXPECT_EQ(c().sloganBox[1]->text(), fx.read(sloganFile(), "Slogan", "Slogan4"));
    c().mnuSaveContent->trigger();
    EXPECT_EQ(fx.read(sloganFile(), "Slogan", "Slogan1"), "typed slogan one");
}

TEST_F(CopyPanelTest, LibraryButtonsOpenOneEditorOnTheirFile) {
    load();
    struct Row {
        int k;
        const char* caption;
        const char* heading;
    };
    const Row rows[] = {{5, "Promo", "Promo Copy"},
                        {6, "Live Copy", "Live Copy"},
                        {7, "PSA", "PSA Copy"},
                        {8, "Notes/News", "Notes/News Copy"},
                        {9, "Tag Lines", "Tag Copy"}};
    for (const Row& r : rows) {
        press(r.k);
        auto* notes = windows::find<QWidget>("frmNotes");
        ASSERT_NE(notes, nullptr);
        EXPECT_EQ(notes->windowTitle(), r.caption);
        EXPECT_EQ(notes->findChild<QLabel*>("Label5")->text(), r.heading);
    }
    int editors = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        editors += w->objectName() == "frmNotes" && w->isVisible();
    EXPECT_EQ(editors, 1);
}

TEST_F(CopyPanelTest, PrepCopyEventDetailPhoneAndAboutOpen) {
    load();
    press(14);
    EXPECT_NE(windows::find<QWidget>("frmPrepCopy"), nullptr);
    c().eventBox[3]->doubleClicked();
    EXPECT_NE(windows::find<QWidget>("frmEventsText"), nullptr);
    c().mnuShowPhoneList->trigger();
    EXPECT_NE(windows::find<QWidget>("frmPhone"), nullptr);
    c().mnuHelpAbout->trigger();
    EXPECT_NE(windows::find<QWidget>("frmAbout"), nullptr);
}

// The Alt+letter keys of one window: which controls claim each.
QMap<QKeySequence, QStringList> mnemonics(QWidget* window) {
    QMap<QKeySequence, QStringList> keys;
    const auto claim = [&](const QString& text, const QString& owner) {
        const QKeySequence key = QKeySequence::mnemonic(text);
        if (!key.isEmpty()) keys[key] << owner;
    };
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (auto* b = qobject_cast<QAbstractButton*>(w)) claim(b->text(), b->objectName());
        if (auto* g = qobject_cast<QGroupBox*>(w)) claim(g->title(), g->objectName());
        if (auto* l = qobject_cast<QLabel*>(w); l && l->buddy()) claim(l->text(), l->text());
        if (auto* bar = qobject_cast<QMenuBar*>(w))
            for (QAction* menu : bar->actions())
                claim(menu->text(), menu->text());
    }
    return keys;
}

TEST_F(CopyPanelTest, EveryAltLetterDoesOneThingInEachWindow) {
    load();
    press(14);
    press(5);
    c().eventBox[1]->doubleClicked();
    c().mnuShowPhoneList->trigger();
    c().mnuHelpAbout->trigger();
    c().mnuEditHistory->trigger();
    for (const char* window : {"frmNotes", "frmPrepCopy"})
        windows::find<QWidget>(window)->findChild<QAbstractButton*>("Command8")->click();
    windows::find<QWidget>("frmPhone")->findChild<QAbstractButton*>("Command5")->click();

    int checked = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible()) continue;
        ++checked;
        const auto keys = mnemonics(w);
        for (auto it = keys.cbegin(); it != keys.cend(); ++it)
            EXPECT_EQ(it.value().size(), 1)
                << w->objectName().toStdString() << " " << it.key().toString().toStdString() << ": "
                << it.value().join(", ").toStdString();
    }
    EXPECT_GE(checked, 10); // the board, six windows and three pickers
}

TEST_F(CopyPanelTest, AltEOpensTheEditMenuAndAltTEntersEditMode) {
    load();
    QTest::keyClick(board.get(), Qt::Key_E, Qt::AltModifier);
    EXPECT_TRUE(c().mnuEdit->isVisible());
    EXPECT_TRUE(c().command[3]->isEnabled());
    c().mnuEdit->close();
    QTest::keyClick(board.get(), Qt::Key_T, Qt::AltModifier);
    // A button's mnemonic presses it at once and clicks it when the press has been shown.
    EXPECT_TRUE(c().command[3]->isDown());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !c().command[3]->isEnabled(); }));
    EXPECT_TRUE(c().command[4]->isEnabled());
}

TEST_F(CopyPanelTest, TheHelpMessageIsCaptionedWithTheProgramsTitle) {
    load();
    QString caption, text;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            caption = box->windowTitle();
            text = box->text();
            box->accept();
        }
    });
    c().mnuHelpHelp->trigger();
    EXPECT_EQ(caption, "Cuepilot");
    EXPECT_EQ(text, "Please visit our web site for any help you may need. https://www.cuepilot.example");
    EXPECT_NE(board->windowTitle(), caption);
}

TEST_F(CopyPanelTest, UseThisLocationThenCloseStoresTheSetupAndEndsTheProgram) {
    load();
    int ended = 0;
    board->setEndProgram([&] { ++ended; });
    c().mnuNetworkSetup->trigger();
    EXPECT_TRUE(c().Frame3->isVisible());
    while (c().Text28->text() != "Studio B")
        c().command[7]->click();
    c().command[11]->click();
    EXPECT_EQ(c().Text26->text(), "Z:/studio-b/Cuepilot/Data/");
    c().command[5]->click();
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(fx.read(fx.programFile("\\Setup.mdb"), "Setup", "Setup"), "Z:/studio-b/Cuepilot/Data/");
    EXPECT_EQ(fx.read(fx.programFile("\\Setup.mdb"), "Setup", "SetupName"), "Studio B");
}

TEST_F(CopyPanelTest, ChosenLocationIsUsedByTheDaysMenuAtOnce) {
    load();
    c().Text26->setText(fx.root() + "/elsewhere");
    c().dayItem[2]->trigger(); // Wednesday, from a folder with no files
    EXPECT_EQ(c().Label31->text(), "Wednesday");
    EXPECT_EQ(c().data[1]->isOpen(), false);
}

} // namespace
