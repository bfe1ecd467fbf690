#include "copy/CopyOpeners.h"
#include "copy/frmNotes.h"
#include "tests/copy/CopyTestSupport.h"
#include "widgets/Colors.h"
#include "widgets/TextBox.h"
#include "widgets/Windows.h"

#include <QLabel>

namespace {

using LibraryEditor = CopyTest;

const LibraryButton& button(const char* caption) {
    for (const LibraryButton& b : libraryButtons())
        if (b.windowCaption == QLatin1String(caption)) return b;
    throw std::logic_error(caption);
}

TEST_F(LibraryEditor, EachButtonOpensItsLibraryInTheOneWindow) {
    struct Row {
        const char* caption;
        const char* heading;
        const char* file;
    };
    const Row rows[] = {{"Promo", "Promo Copy", "Promo.mdb"},
                        {"Live Copy", "Live Copy", "Live.mdb"},
                        {"PSA", "PSA Copy", "Psa.mdb"},
                        {"Notes/News", "Notes/News Copy", "Notes.mdb"},
                        {"Tag Lines", "Tag Copy", "Tag.mdb"}};
    ASSERT_EQ(libraryButtons().size(), 5);
    for (int i = 0; i < 5; ++i)
        fillLibrary(library(i), {QString("first of ") + rows[i].file});
    frmNotes* first = nullptr;
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(rows[i].caption);
        frmNotes* w = openLibrary(studio, libraryButtons().at(i));
        if (!first) first = w;
        EXPECT_EQ(w, first);
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(w->windowTitle(), rows[i].caption);
        EXPECT_EQ(w->Label5()->text(), rows[i].heading);
        EXPECT_EQ(text(w, "Text2"), QString("first of ") + rows[i].file);
        EXPECT_EQ(text(w, "Text1"), QString("first of ") + rows[i].file + " copy");
    }
}

TEST_F(LibraryEditor, LooksAsDocumentedBeforeAnyLibraryIsChosen) {
    frmNotes w(studio);
    EXPECT_EQ(w.windowTitle(), "Notes");
    EXPECT_EQ(w.objectName(), "frmNotes");
    EXPECT_EQ(child<QObject>(&w, "Data1")->parent(), &w);
    EXPECT_EQ(colors::toBgr(w.palette().color(QPalette::Window)), 0x0000C0u);
    for (const char* box : {"Text2", "Text3", "Text4", "Text5"}) {
        SCOPED_TRACE(box);
        auto* b = child<TextBox>(&w, box);
        EXPECT_TRUE(b->isReadOnly());
        EXPECT_EQ(b->backColor(), colors::kLightGrey);
        EXPECT_TRUE(b->font().bold());
        EXPECT_DOUBLE_EQ(b->font().pointSizeF(), 8.25);
    }
    EXPECT_EQ(colors::toBgr(child<TextBox>(&w, "Text4")->palette().color(QPalette::Text)), colors::kRed);
    auto* copy = child<MultiLineBox>(&w, "Text1");
    EXPECT_TRUE(copy->isReadOnly());
    EXPECT_TRUE(copy->font().bold());
    EXPECT_DOUBLE_EQ(copy->font().pointSizeF(), 12);
    auto* heading = child<QLabel>(&w, "Label5");
    EXPECT_EQ(colors::toBgr(heading->palette().color(QPalette::WindowText)), 0x00FFFFu);
    EXPECT_DOUBLE_EQ(heading->font().pointSizeF(), 9.75);
    const std::pair<const char*, const char*> captions[] = {
        {"Command8", "Select From List"}, {"Command3", "<<<"},   {"Command4", ">>>"},
        {"Command1", "&Add New"},         {"Command2", "&Save"}, {"Command6", "&Edit"},
        {"Command5", "&Delete"},          {"Command7", "&Close"}};
    for (const auto& [name, caption] : captions)
        EXPECT_EQ(child<QPushButton>(&w, name)->text(), caption);
    const std::pair<const char*, const char*> labels[] = {
        {"Label1", "Name"}, {"Label2", "Start Date "}, {"Label3", "End Date"}, {"Label4", "Entered By"}};
    for (const auto& [name, caption] : labels) {
        auto* l = child<QLabel>(&w, name);
        EXPECT_EQ(l->text(), caption);
        EXPECT_EQ(colors::toBgr(l->palette().color(QPalette::WindowText)), colors::kWhite);
    }
}

TEST_F(LibraryEditor, AddAndSaveInAnEmptyLibraryCreatesAndShowsTheFirstEntry) {
    frmNotes* w = openLibrary(studio, button("Promo"));
    click(w, "Command1");
    type(w, "Text2", "Spring Fair");
    type(w, "Text4", "May 3");
    type(w, "Text1", "Come one, come all.");
    click(w, "Command2");
    EXPECT_EQ(text(w, "Text2"), "Spring Fair");
    EXPECT_EQ(text(w, "Text1"), "Come one, come all.");
    EXPECT_EQ(fx.count(library(0), "Main"), 1);
    EXPECT_EQ(fx.read(library(0), "Main", "EndDate"), "May 3");
    EXPECT_EQ(fx.read(library(0), "Main", "BodyText"), "Come one, come all.");
}

TEST_F(LibraryEditor, SavingAnEditedEarlierEntryLandsOnTheLastOne) {
    fillLibrary(library(0), {"A", "B", "C"});
    frmNotes* w = openLibrary(studio, button("Promo"));
    click(w, "Command6");
    type(w, "Text5", "Kim");
    click(w, "Command2");
    EXPECT_EQ(text(w, "Text2"), "C");
    EXPECT_EQ(fx.read(library(0), "Main", "EnteredBy", 0), "Kim");
    EXPECT_EQ(fx.read(library(0), "Main", "EnteredBy", 2), "");
}

TEST_F(LibraryEditor, SwitchingLibrariesKeepsTheStateAndStoresWhatWasTyped) {
    fillLibrary(library(0), {"P1"});
    fillLibrary(library(2), {"S1", "S2"});
    frmNotes* w = openLibrary(studio, button("Promo"));
    click(w, "Command6");
    type(w, "Text5", "typed in promo");
    EXPECT_EQ(openLibrary(studio, button("PSA")), w);
    EXPECT_EQ(w->windowTitle(), "PSA");
    EXPECT_EQ(w->Label5()->text(), "PSA Copy");
    EXPECT_EQ(text(w, "Text2"), "S1");
    // Still editing: save enabled, edit disabled, boxes open.
    EXPECT_TRUE(child<QPushButton>(w, "Command2")->isEnabled());
    EXPECT_FALSE(child<QPushButton>(w, "Command6")->isEnabled());
    EXPECT_TRUE(child<QPushButton>(w, "Command5")->isEnabled());
    EXPECT_FALSE(locked(w, "Text2"));
    EXPECT_EQ(fx.read(library(0), "Main", "EnteredBy"), "typed in promo");
    EXPECT_EQ(fx.read(library(2), "Main", "EnteredBy"), "");
}

TEST_F(LibraryEditor, ASwitchWhoseTypingCannotBeStoredStillLandsOnTheNewLibrary) {
    fillLibrary(library(0), {"P1"});
    fillLibrary(library(2), {"S1", "S2"});
    frmNotes* w = openLibrary(studio, button("Promo"));
    click(w, "Command6");
    type(w, "Text5", "typed in promo");
    fx.removeAll(library(0), "Main"); // another studio deletes the entry meanwhile
    openLibrary(studio, button("PSA"));
    EXPECT_EQ(w->windowTitle(), "PSA");
    EXPECT_EQ(text(w, "Text2"), "S1");
    EXPECT_NE(status(w), ""); // why the typing was not stored
    click(w, "Command5");
    EXPECT_EQ(column(library(2), "Main", "PromoName"), QStringList{"S2"});
    EXPECT_EQ(text(w, "Text2"), "S2");
    click(w, "Command1"); // and the window goes on working
    type(w, "Text2", "S3");
    click(w, "Command2");
    EXPECT_EQ(column(library(2), "Main", "PromoName"), (QStringList{"S2", "S3"}));
}

TEST_F(LibraryEditor, EmptyDataFolderTextOpensTheLibraryInTheProgramFolder) {
    // The program folder is the one that holds the library here.
    studio.folder.clear();
    studio.program = fx.dataFolder();
    fillLibrary(library(0), {"From the program folder"});
    frmNotes* w = openLibrary(studio, button("Promo"));
    EXPECT_EQ(w->windowTitle(), "Promo");
    EXPECT_EQ(w->Label5()->text(), "Promo Copy");
    EXPECT_EQ(text(w, "Text2"), "From the program folder");
}

TEST_F(LibraryEditor, AFileThatCannotBeOpenedIsNamedInTheStatusLine) {
    fillLibrary(library(0), {"P1"});
    fx.remove(library(4));
    frmNotes* w = openLibrary(studio, button("Tag Lines"));
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->Label5()->text(), "Tag Copy");
    EXPECT_EQ(text(w, "Text2"), "");
    const QString message = status(w);
    EXPECT_TRUE(message.contains("Tag.mdb")) << message.toStdString();
    EXPECT_GT(message.size(), (fx.dataFolder() + "\\Tag.mdb: ").size())
        << "the engine's words follow the file";
    openLibrary(studio, button("Promo"));
    EXPECT_EQ(status(w), "");
    EXPECT_EQ(text(w, "Text2"), "P1");
}

TEST_F(LibraryEditor, CloseButtonDiscardsTheWindowAndReopeningStartsInBrowse) {
    fillLibrary(library(0), {"A", "B"});
    frmNotes* w = openLibrary(studio, button("Promo"));
    click(w, "Command6");
    type(w, "Text3", "June 1");
    click(w, "Command7");
    EXPECT_EQ(windows::find<frmNotes>("frmNotes"), nullptr);
    EXPECT_EQ(fx.read(library(0), "Main", "StartDate"), "June 1");
    frmNotes* again = openLibrary(studio, button("Promo"));
    EXPECT_FALSE(child<QPushButton>(again, "Command2")->isEnabled());
    EXPECT_TRUE(locked(again, "Text3"));
    EXPECT_EQ(text(again, "Text3"), "June 1");
}

} // namespace
