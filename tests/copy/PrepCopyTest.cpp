#include "copy/CopyOpeners.h"
#include "copy/frmPrepCopy.h"
#include "tests/copy/CopyTestSupport.h"
#include "widgets/Colors.h"
#include "widgets/TextBox.h"
#include "widgets/Windows.h"

#include <QFile>
#include <QLabel>
#include <functional>

namespace {

using PrepCopy = CopyTest;

constexpr quint32 kLightYellow = 0x80FFFF;

TEST_F(PrepCopy, OpensItsOwnFileAtTheFirstItemInBrowse) {
    fillPrep({"Morning", "Noon"});
    frmPrepCopy* w = showPrepCopy(studio);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->windowTitle(), "Prep Copy");
    EXPECT_EQ(text(w, "Text2"), "Morning");
    EXPECT_EQ(text(w, "Text1"), "Morning copy");
    EXPECT_EQ(child<QLabel>(w, "Label3")->text(), "Prep Service Copy");
    for (const char* box : {"Text1", "Text2", "Text3"})
        EXPECT_TRUE(locked(w, box)) << box;
    EXPECT_EQ(child<TextBox>(w, "Text2")->backColor(), kLightYellow);
    EXPECT_EQ(child<TextBox>(w, "Text3")->backColor(), kLightYellow);
    EXPECT_EQ(child<MultiLineBox>(w, "Text1")->backColor(), kLightYellow);
    EXPECT_TRUE(child<TextBox>(w, "Text2")->font().bold());
    EXPECT_DOUBLE_EQ(child<MultiLineBox>(w, "Text1")->font().pointSizeF(), 12);
    const std::pair<const char*, const char*> captions[] = {
        {"Command8", "Search"}, {"Command6", "<<<<<<<"}, {"Command7", ">>>>>>"},  {"Command1", "&Add New"},
        {"Command2", "&Save"},  {"Command3", "&Edit"},   {"Command4", "&Delete"}, {"Command5", "&Close"}};
    for (const auto& [name, caption] : captions)
        EXPECT_EQ(child<QPushButton>(w, name)->text(), caption);
    // Showing it again only brings it to the front.
    click(w, "Command7");
    EXPECT_EQ(showPrepCopy(studio), w);
    EXPECT_EQ(text(w, "Text2"), "Noon");
}

TEST_F(PrepCopy, EmptyDataFolderTextOpensPrepInTheProgramFolder) {
    studio.folder.clear();
    studio.program = fx.dataFolder();
    fillPrep({"Program folder item"});
    EXPECT_EQ(text(showPrepCopy(studio), "Text2"), "Program folder item");
}

TEST_F(PrepCopy, AfterAddAndSaveThePreviousItemIsInViewAndTheNewOneCanBeFound) {
    fillPrep({"X", "Y"});
    frmPrepCopy* w = showPrepCopy(studio);
    click(w, "Command7");
    click(w, "Command1");
    type(w, "Text2", "Z");
    type(w, "Text1", "the new one");
    click(w, "Command2");
    EXPECT_EQ(text(w, "Text2"), "Y");
    EXPECT_EQ(column(prepFile(), "Prep", "Title"), QStringList({"X", "Y", "Z"}));
    EXPECT_EQ(fx.read(prepFile(), "Prep", "Text", 2), "the new one");
    click(w, "Command8");
    QWidget* picker = windows::find<QWidget>("frmPrepCopySearch");
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(lines(picker), QStringList({"X", "Y", "Z"}));
    clickLine(picker, 2);
    EXPECT_EQ(text(w, "Text2"), "Z");
    EXPECT_EQ(text(w, "Text1"), "the new one");
}

TEST_F(PrepCopy, DeleteWhileAddingCancelsOnlyTheNewItem) {
    fillPrep({"X", "Y", "Z"});
    frmPrepCopy* w = showPrepCopy(studio);
    click(w, "Command7");
    click(w, "Command1");
    type(w, "Text2", "Dropped");
    type(w, "Text1", "typed then dropped");
    click(w, "Command4");
    EXPECT_EQ(text(w, "Text2"), "Y");
    EXPECT_EQ(text(w, "Text1"), "Y copy");
    EXPECT_EQ(column(prepFile(), "Prep", "Title"), QStringList({"X", "Y", "Z"}));
    // Back in browse: nothing can be typed or saved until "&Edit".
    for (const char* box : {"Text1", "Text2", "Text3"})
        EXPECT_TRUE(locked(w, box)) << box;
    EXPECT_FALSE(child<QPushButton>(w, "Command2")->isEnabled());
    EXPECT_TRUE(child<QPushButton>(w, "Command1")->isEnabled());
    type(w, "Text2", "ignored");
    click(w, "Command2");
    // The next save writes the item in view, and only it.
    click(w, "Command3");
    type(w, "Text3", "Tuesday");
    click(w, "Command2");
    EXPECT_EQ(column(prepFile(), "Prep", "Title"), QStringList({"X", "Y", "Z"}));
    EXPECT_EQ(column(prepFile(), "Prep", "Date"), QStringList({"", "Tuesday", ""}));
    EXPECT_EQ(column(prepFile(), "Prep", "Text"), QStringList({"X copy", "Y copy", "Z copy"}));
    click(w, "Command5");
    EXPECT_EQ(fx.count(prepFile(), "Prep"), 3);
}

TEST_F(PrepCopy, SavingAnEditedItemKeepsItInView) {
    fillPrep({"X", "Y", "Z"});
    frmPrepCopy* w = showPrepCopy(studio);
    click(w, "Command7");
    click(w, "Command3");
    type(w, "Text3", "Tuesday");
    click(w, "Command2");
    EXPECT_EQ(text(w, "Text2"), "Y");
    EXPECT_EQ(fx.read(prepFile(), "Prep", "Date", 1), "Tuesday");
}

TEST_F(PrepCopy, TheTitleBoxRefusesAFiftyFirstTypedCharacter) {
    fillPrep({"Short"});
    frmPrepCopy* w = showPrepCopy(studio);
    click(w, "Command3");
    const QString fifty(50, QLatin1Char('t'));
    type(w, "Text2", fifty);
    QTest::keyClicks(child<TextBox>(w, "Text2"), "u");
    EXPECT_EQ(text(w, "Text2"), fifty);
    click(w, "Command2");
    EXPECT_EQ(fx.read(prepFile(), "Prep", "Title"), fifty);
}

// A file that cannot be read, damaged or missing, is named with its folder in a sentence; the
// engine's words are in it, never alone.
TEST_F(PrepCopy, AMissingFileLeavesEmptyBoxesAndIsNamedInTheStatusLine) {
    const struct {
        const char* name;
        std::function<void()> harm;
        QString said;
    } cases[] = {
        {"damaged",
         [&] {
             QFile file(prepFile());
             ASSERT_TRUE(file.open(QIODevice::ReadWrite));
             file.seek(200);
             file.write(QByteArray(300, '\x5a'));
         },
         "Prep.mdb in " + fx.dataFolder() + " cannot be read: file is encrypted or is not a database."},
        {"missing", [&] { fx.remove(prepFile()); }, "There is no Prep.mdb in " + fx.dataFolder() + "."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.harm();
        frmPrepCopy* w = showPrepCopy(studio);
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(w->windowTitle(), "Prep Copy");
        EXPECT_EQ(text(w, "Text2"), "");
        EXPECT_EQ(status(w), c.said);
        closeAllWindows();
    }
}

} // namespace
