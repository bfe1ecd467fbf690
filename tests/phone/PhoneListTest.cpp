#include "data/catalogue/Catalogue.h"
#include "data/storage/SqlCipherProvider.h"
#include "phone/frmPhone.h"
#include "studio/StudioContext.h"
#include "tests/support/Fixture.h"
#include "widgets/Colors.h"
#include "widgets/TextBox.h"
#include "widgets/Windows.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class TestStudio : public StudioContext {
  public:
    QString folderText;
    QString program;
    SqlCipherProvider engine;

    QString dataFolderText() const override { return folderText; }
    QString dayLabel() const override { return QStringLiteral("Monday"); }
    QString programFolder() const override { return program; }
    DatabaseProvider& provider() override { return engine; }
};

const char* const kContacts[] = {"Baker, Ann", "Cruz, Marco", "Diaz, Eva"};

class PhoneList : public ::testing::Test {
  protected:
    Fixture fx{false};
    TestStudio studio;
    QPointer<frmPhone> window;
    QString phoneFile = fx.dataFile(catalogue::kPhoneFile);

    void SetUp() override {
        studio.folderText = fx.dataFolder();
        studio.program = fx.programFolder();
        for (const char* name : kContacts)
            fx.append(phoneFile, "List", {{"Name", name}, {"Home", "555 01"}, {"String", name}});
    }
    void TearDown() override {
        delete window.data();
        delete windows::find<QWidget>(QStringLiteral("frmNameSearch"));
    }

    frmPhone* open() {
        window = showPhoneList(studio);
        return window;
    }
    TextBox* box(int n) const { return window->findChild<TextBox*>(QStringLiteral("Text%1").arg(n)); }
    QPushButton* button(int n) const {
        return window->findChild<QPushButton*>(QStringLiteral("Command%1").arg(n));
    }
    void click(int n) const { button(n)->click(); }
    void type(int n, const QString& text) const { QTest::keyClicks(box(n), text); }
    QString stored(const QString& field, int row) const { return fx.read(phoneFile, "List", field, row); }
    int contacts() const { return fx.count(phoneFile, "List"); }
    QString shownName() const { return box(1)->text(); }
};

// ---- Appearance -------------------------------------------------------------------------------

TEST_F(PhoneList, CaptionButtonsLabelsAndFrames) {
    open();
    EXPECT_EQ(window->windowTitle(), "Cuepilot Phone List");
    EXPECT_EQ(window->objectName(), "frmPhone");
    const std::pair<int, const char*> captions[] = {
        {1, "&Add New"},   {2, "&Save"}, {3, "&Delete"}, {4, "&Close Phone List"},
        {5, "Show &List"}, {6, "<<<"},   {7, ">>>"}};
    for (const auto& [n, caption] : captions)
        EXPECT_EQ(button(n)->text(), caption) << n;

    QStringList labels;
    for (QLabel* l : window->findChildren<QLabel*>()) {
        labels << l->text();
        if (l->text() == "(Last, First)") continue;
        EXPECT_TRUE(l->font().bold()) << l->text().toStdString();
        EXPECT_TRUE(l->alignment() & Qt::AlignRight) << l->text().toStdString();
    }
    for (const char* text : {"Name", "(Last, First)", "Title", "Home Phone", "Work Phone", "Ext.",
                             "Cell Phone", "Pager", "Pin/Nextel #"})
        EXPECT_TRUE(labels.contains(text)) << text;

    QStringList frames;
    for (QGroupBox* g : window->findChildren<QGroupBox*>())
        frames << g->title();
    EXPECT_TRUE(frames.contains("Add New"));
    EXPECT_TRUE(frames.contains("Cuepilot Version 2.1"));
}

TEST_F(PhoneList, BoxesAreYellowAndTheSummaryBoxIsNeverShown) {
    open();
    for (int n = 1; n <= 8; ++n) {
        EXPECT_EQ(box(n)->backColor(), colors::kYellow) << n;
        EXPECT_EQ(box(n)->palette().color(QPalette::Base), QColor(255, 255, 0)) << n;
        EXPECT_TRUE(box(n)->isVisible()) << n;
    }
    EXPECT_FALSE(box(9)->isVisible());
    click(1);
    EXPECT_FALSE(box(9)->isVisible());
}

TEST_F(PhoneList, OpensOnTheFirstContact) {
    open();
    EXPECT_EQ(shownName(), "Baker, Ann");
    EXPECT_EQ(box(2)->text(), "555 01");
}

TEST_F(PhoneList, ShowingItAgainKeepsOneWindow) {
    frmPhone* first = open();
    EXPECT_EQ(showPhoneList(studio), first);
    int open = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<frmPhone*>(w) && w->isVisible()) ++open;
    EXPECT_EQ(open, 1);
}

// ---- Browse and adding -------------------------------------------------------------------------

TEST_F(PhoneList, BrowseAndAddingStates) {
    struct Step {
        const char* action;
        int button; // 0: the window as it opens
        bool adding;
    };
    const Step steps[] = {{"open", 0, false}, {"Add New", 1, true}, {">>>", 7, true}, {"Save", 2, false}};
    open();
    for (const Step& step : steps) {
        SCOPED_TRACE(step.action);
        if (step.button) click(step.button);
        EXPECT_EQ(button(1)->isEnabled(), !step.adding);
        EXPECT_EQ(button(2)->isEnabled(), step.adding);
        EXPECT_EQ(button(3)->isEnabled(), !step.adding);
        EXPECT_EQ(button(5)->isEnabled(), !step.adding);
        for (int n : {4, 6, 7})
            EXPECT_TRUE(button(n)->isEnabled()) << n;
        for (int n = 1; n <= 8; ++n)
            EXPECT_EQ(box(n)->isReadOnly(), !step.adding) << "Text" << n;
    }
}

TEST_F(PhoneList, ReadOnlyBoxesTakeNoTyping) {
    open();
    type(1, "xyz");
    EXPECT_EQ(shownName(), "Baker, Ann");
    click(7);
    EXPECT_EQ(stored("Name", 0), "Baker, Ann");
}

TEST_F(PhoneList, WhileAddingDeleteShowListAndAddNewDoNothing) {
    open();
    click(1);
    type(1, "Evans, Lou");
    click(3);
    click(5);
    click(1);
    EXPECT_EQ(contacts(), 3);
    EXPECT_EQ(shownName(), "Evans, Lou");
}

// ---- Display text -------------------------------------------------------------------------------

struct SummaryRow {
    const char *name, *home, *title, *expected;
};

TEST_F(PhoneList, SaveStoresTheContactWithItsDisplayText) {
    const SummaryRow rows[] = {
        {"Smith, John", "555 0100", "Producer", "Smith, John,    Hm. 555 0100   Title - Producer"},
        {"Lee, Kim", "555 0111", "", "Lee, Kim,    Hm. 555 0111   Title - "},
        {"Ng, Sam", "", "Engineer", "Ng, Sam,    Hm.    Title - Engineer"},
    };
    open();
    int row = 3;
    for (const SummaryRow& r : rows) {
        SCOPED_TRACE(r.name);
        click(1);
        type(1, r.name);
        type(2, r.home);
        type(5, r.title);
        type(6, "555 0999");
        click(2);
        EXPECT_EQ(stored("Name", row), r.name);
        EXPECT_EQ(stored("Home", row), r.home);
        EXPECT_EQ(stored("Title", row), r.title);
        EXPECT_EQ(stored("Work", row), "555 0999");
        EXPECT_EQ(stored("String", row), r.expected);
        ++row;
    }
    EXPECT_EQ(contacts(), 6);
}

TEST_F(PhoneList, SavingReturnsToTheContactCurrentBeforeAddNew) {
    open();
    click(7);
    ASSERT_EQ(shownName(), "Cruz, Marco");
    click(1);
    EXPECT_EQ(shownName(), "");
    type(1, "Evans, Lou");
    click(2);
    EXPECT_EQ(shownName(), "Cruz, Marco");
    click(7);
    click(7);
    EXPECT_EQ(shownName(), "Evans, Lou");
}

TEST_F(PhoneList, ExtensionIsStored) {
    open();
    click(1);
    type(1, "Evans, Lou");
    type(6, "555 0200");
    type(8, "214");
    click(2);
    EXPECT_EQ(stored("Ext", 3), "214");
    click(7);
    click(7);
    click(7);
    EXPECT_EQ(box(8)->text(), "214");
}

// ---- Storing without Save -----------------------------------------------------------------------

TEST_F(PhoneList, MovingWhileAddingStoresTheContactWithItsDisplayText) {
    struct Way {
        const char* what;
        int arrow; // 0: a line of the name picker, opened before "&Add New" and left open
        const char* shownAfter;
    };
    const Way ways[] = {{"<<<", 6, "Baker, Ann"}, {">>>", 7, "Cruz, Marco"}, {"picker", 0, "Cruz, Marco"}};
    for (const Way& way : ways) {
        SCOPED_TRACE(way.what);
        open();
        QListWidget* list = nullptr;
        if (!way.arrow) {
            click(5);
            auto* picker = windows::find<QWidget>(QStringLiteral("frmNameSearch"));
            ASSERT_NE(picker, nullptr);
            list = picker->findChild<QListWidget*>(QStringLiteral("List1"));
        }
        click(1);
        type(1, "Evans, Lou");
        type(2, "555 0104");
        type(5, "Traffic");
        if (way.arrow) {
            click(way.arrow);
        } else {
            list->setCurrentRow(1);
            emit list->itemClicked(list->item(1));
        }
        EXPECT_TRUE(button(2)->isEnabled());
        EXPECT_EQ(shownName(), way.shownAfter);
        EXPECT_EQ(contacts(), 4);
        EXPECT_EQ(stored("Name", 3), "Evans, Lou");
        EXPECT_EQ(stored("String", 3), "Evans, Lou,    Hm. 555 0104   Title - Traffic");
        delete window.data();
        fx.removeAll(phoneFile, "List");
        for (const char* name : kContacts)
            fx.append(phoneFile, "List", {{"Name", name}, {"String", name}});
    }
}

TEST_F(PhoneList, ClosingWhileAddingStoresTheContactWithItsDisplayText) {
    open();
    click(1);
    type(1, "Evans, Lou");
    type(5, "Traffic");
    click(4);
    EXPECT_TRUE(window.isNull() || !window->isVisible());
    EXPECT_EQ(contacts(), 4);
    EXPECT_EQ(stored("String", 3), "Evans, Lou,    Hm.    Title - Traffic");
}

TEST_F(PhoneList, AddNewWithNothingTypedStoresNothing) {
    open();
    click(1);
    click(7);
    click(4);
    EXPECT_EQ(contacts(), 3);
}

// ---- Moving and deleting ------------------------------------------------------------------------

TEST_F(PhoneList, ArrowsStopAtTheEnds) {
    open();
    click(6);
    EXPECT_EQ(shownName(), "Baker, Ann");
    for (int i = 0; i < 4; ++i)
        click(7);
    EXPECT_EQ(shownName(), "Diaz, Eva");
    click(6);
    EXPECT_EQ(shownName(), "Cruz, Marco");
}

TEST_F(PhoneList, DeleteNeverAsksAndShowsTheFirstContact) {
    open();
    click(7);
    click(7);
    ASSERT_EQ(shownName(), "Diaz, Eva");
    click(3);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(window->findChildren<QMessageBox*>().isEmpty());
    EXPECT_EQ(shownName(), "Baker, Ann");
    EXPECT_EQ(contacts(), 2);
    EXPECT_EQ(stored("Name", 1), "Cruz, Marco");

    click(3);
    EXPECT_EQ(shownName(), "Cruz, Marco");
    EXPECT_EQ(contacts(), 1);
}

// ---- Name picker -------------------------------------------------------------------------------

TEST_F(PhoneList, ShowListListsTheDisplayTextsAndJumpsToTheChosenContact) {
    open();
    click(1);
    type(1, "Evans, Lou");
    type(2, "555 0104");
    click(2);
    click(5);
    auto* picker = windows::find<QWidget>(QStringLiteral("frmNameSearch"));
    ASSERT_NE(picker, nullptr);
    auto* list = picker->findChild<QListWidget*>(QStringLiteral("List1"));
    ASSERT_EQ(list->count(), 4);
    EXPECT_EQ(list->item(1)->text(), "Cruz, Marco");
    EXPECT_EQ(list->item(3)->text(), "Evans, Lou,    Hm. 555 0104   Title - ");
    EXPECT_EQ(shownName(), "Baker, Ann");

    list->setCurrentRow(3);
    emit list->itemClicked(list->item(3));
    EXPECT_EQ(shownName(), "Evans, Lou");
    EXPECT_EQ(box(2)->text(), "555 0104");
}

// ---- Which file -----------------------------------------------------------------------------------

TEST_F(PhoneList, EmptyDataFolderTextOpensThePhoneFileOfTheProgramFolder) {
    const QString programCopy = fx.programFolder() + "/Phone.mdb";
    ASSERT_TRUE(QFile::copy(phoneFile, programCopy));
    fx.removeAll(programCopy, "List");
    fx.append(programCopy, "List", {{"Name", "Program, Folder"}});
    studio.folderText.clear();
    open();
    EXPECT_EQ(shownName(), "Program, Folder");
}

TEST_F(PhoneList, MissingPhoneFileLeavesEmptyBoxesAndWorkingButtons) {
    fx.remove(phoneFile);
    open();
    EXPECT_EQ(shownName(), "");
    for (int n : {6, 7, 3, 1})
        click(n);
    EXPECT_TRUE(button(2)->isEnabled());
    // Ext has no field to go to without a file, so it cannot be typed into.
    EXPECT_TRUE(box(8)->isReadOnly());
    type(1, "Evans, Lou");
    click(2);
    EXPECT_TRUE(button(1)->isEnabled());
    EXPECT_FALSE(button(2)->isEnabled());
    EXPECT_FALSE(QFile::exists(phoneFile));
}

TEST_F(PhoneList, PhoneFileWithoutExtFieldKeepsTheExtBoxReadOnly) {
    const QString folder = fx.root() + "/old";
    QDir().mkpath(folder);
    const QString oldFile = folder + "/Phone.mdb";
    QStringList fields = catalogue::phoneFields();
    fields.removeAll("Ext");
    const QByteArray salt(16, 'k');
    auto file = SqlCipherProvider::createFile(oldFile,
                                              SqlCipherProvider::deriveKey(catalogue::kPassword, salt), salt);
    file->createTable("List", fields);
    file->insert("List", {{"Name", "Old, Entry"}});
    file->commit();
    file.reset();
    studio.folderText = folder;

    open();
    EXPECT_EQ(shownName(), "Old, Entry");
    click(1);
    EXPECT_TRUE(box(8)->isReadOnly());
    EXPECT_FALSE(box(6)->isReadOnly());
    type(8, "214");
    EXPECT_EQ(box(8)->text(), "");
    type(1, "Evans, Lou");
    click(2);
    EXPECT_EQ(fx.count(oldFile, "List"), 2);
    EXPECT_EQ(fx.read(oldFile, "List", "String", 1), "Evans, Lou,    Hm.    Title - ");
}

} // namespace
