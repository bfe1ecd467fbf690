// Behaviour the library editor and the prep copy window share, checked on both.
#include "copy/CopyOpeners.h"
#include "copy/frmNotes.h"
#include "copy/frmPrepCopy.h"
#include "tests/copy/CopyTestSupport.h"

#include <functional>
#include <map>

namespace {

struct Flags {
    bool addNew, save, edit, del, boxesLocked;
    bool operator==(const Flags&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Flags& f) {
    return os << "{addNew " << f.addNew << ", save " << f.save << ", edit " << f.edit << ", delete " << f.del
              << ", locked " << f.boxesLocked << "}";
}

// One editor window as the user sees it: its buttons by role, its boxes, its state table.
struct Editor {
    const char* name;
    std::map<std::string, const char*> buttons; // add, save, edit, delete, prev, next
    std::vector<const char*> alwaysEnabled;
    std::vector<const char*> boxes;
    std::map<std::string, Flags> states;
};

const Editor kNotes{"frmNotes",
                    {{"add", "Command1"},
                     {"save", "Command2"},
                     {"edit", "Command6"},
                     {"delete", "Command5"},
                     {"prev", "Command3"},
                     {"next", "Command4"}},
                    {"Command3", "Command4", "Command8", "Command1", "Command7"},
                    {"Text1", "Text2", "Text3", "Text4", "Text5"},
                    {{"browse", {true, false, true, true, true}},
                     {"adding", {true, true, false, false, false}},
                     {"editing", {true, true, false, true, false}}}};

const Editor kPrep{"frmPrepCopy",
                   {{"add", "Command1"},
                    {"save", "Command2"},
                    {"edit", "Command3"},
                    {"delete", "Command4"},
                    {"prev", "Command6"},
                    {"next", "Command7"}},
                   {"Command6", "Command7", "Command8", "Command5"},
                   {"Text1", "Text2", "Text3"},
                   {{"browse", {true, false, true, true, true}},
                    {"adding", {false, true, true, true, false}},
                    {"editing", {false, true, false, false, false}}}};

class EditorWindows : public CopyTest {
  protected:
    // Opens the window on a library of these entries, in this order.
    QWidget* open(const Editor& e, const QStringList& names = {"A", "B", "C"}) {
        if (e.name == kNotes.name) {
            fillLibrary(library(0), names);
            return openLibrary(studio, libraryButtons().at(0));
        }
        fillPrep(names);
        return showPrepCopy(studio);
    }
    QString path(const Editor& e) const { return e.name == kNotes.name ? library(0) : prepFile(); }
    QString table(const Editor& e) const { return e.name == kNotes.name ? "Main" : "Prep"; }
    QString nameField(const Editor& e) const { return e.name == kNotes.name ? "PromoName" : "Title"; }

    static void press(QWidget* w, const Editor& e, const std::string& role) { click(w, e.buttons.at(role)); }

    static Flags flags(QWidget* w, const Editor& e) {
        bool allLocked = true, allEditable = true;
        for (const char* box : e.boxes) {
            allLocked = allLocked && locked(w, box);
            allEditable = allEditable && !locked(w, box);
        }
        EXPECT_TRUE(allLocked || allEditable) << "boxes disagree on their read-only flag";
        const auto enabled = [&](const char* role) {
            return child<QPushButton>(w, e.buttons.at(role))->isEnabled();
        };
        return {enabled("add"), enabled("save"), enabled("edit"), enabled("delete"), allLocked};
    }
};

TEST_F(EditorWindows, StateTableOfBothWindows) {
    struct Row {
        const Editor* editor;
        std::vector<std::string> presses;
        const char* state;
    };
    const std::vector<Row> rows = {
        {&kNotes, {}, "browse"},
        {&kNotes, {"add"}, "adding"},
        {&kNotes, {"edit"}, "editing"},
        {&kNotes, {"edit", "add"}, "adding"},
        {&kNotes, {"add", "save"}, "browse"},
        {&kNotes, {"edit", "save"}, "browse"},
        {&kNotes, {"add", "next"}, "adding"},
        {&kNotes, {"edit", "prev"}, "editing"},
        {&kNotes, {"add", "edit"}, "adding"}, // "&Edit" is disabled while adding
        {&kPrep, {}, "browse"},
        {&kPrep, {"add"}, "adding"},
        {&kPrep, {"edit"}, "editing"},
        {&kPrep, {"add", "edit"}, "editing"},
        {&kPrep, {"add", "save"}, "browse"},
        {&kPrep, {"edit", "save"}, "browse"},
        {&kPrep, {"add", "next"}, "adding"},
        {&kPrep, {"edit", "prev"}, "editing"},
        {&kPrep, {"edit", "add"}, "editing"}, // "&Add New" is disabled while editing
    };
    for (const Row& row : rows) {
        std::string trace = row.editor->name;
        for (const std::string& p : row.presses)
            trace += " " + p;
        SCOPED_TRACE(trace);
        fx.removeAll(path(*row.editor), table(*row.editor));
        QWidget* w = open(*row.editor);
        for (const std::string& p : row.presses)
            press(w, *row.editor, p);
        EXPECT_EQ(flags(w, *row.editor), row.editor->states.at(row.state)) << row.state;
        for (const char* b : row.editor->alwaysEnabled)
            EXPECT_TRUE(child<QPushButton>(w, b)->isEnabled()) << b;
        closeAllWindows();
    }
}

TEST_F(EditorWindows, DeleteNeverAsksAndShowsTheFirstEntry) {
    for (const Editor* e : {&kNotes, &kPrep}) {
        SCOPED_TRACE(e->name);
        QWidget* w = open(*e);
        press(w, *e, "next");
        press(w, *e, "next");
        ASSERT_EQ(text(w, "Text2"), "C");
        press(w, *e, "delete");
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        EXPECT_EQ(text(w, "Text2"), "A");
        EXPECT_EQ(text(w, "Text1"), "A copy");
        EXPECT_EQ(column(path(*e), table(*e), nameField(*e)), QStringList({"A", "B"}));
        closeAllWindows();
    }
}

TEST_F(EditorWindows, ArrowsStopAtBothEnds) {
    for (const Editor* e : {&kNotes, &kPrep}) {
        SCOPED_TRACE(e->name);
        QWidget* w = open(*e);
        press(w, *e, "prev");
        EXPECT_EQ(text(w, "Text2"), "A");
        for (const char* expected : {"B", "C", "C", "C"}) {
            press(w, *e, "next");
            EXPECT_EQ(text(w, "Text2"), expected);
        }
        press(w, *e, "prev");
        EXPECT_EQ(text(w, "Text2"), "B");
        closeAllWindows();
    }
}

TEST_F(EditorWindows, ClosingWhileAddingStoresWhatWasTyped) {
    for (const Editor* e : {&kNotes, &kPrep}) {
        SCOPED_TRACE(e->name);
        QWidget* w = open(*e);
        press(w, *e, "add");
        type(w, "Text2", "Typed");
        w->close();
        EXPECT_EQ(column(path(*e), table(*e), nameField(*e)), QStringList({"A", "B", "C", "Typed"}));
    }
}

TEST_F(EditorWindows, AnEmptyLibraryShowsNothingAndStoresNothingOnEdit) {
    for (const Editor* e : {&kNotes, &kPrep}) {
        SCOPED_TRACE(e->name);
        QWidget* w = open(*e, {});
        for (const char* role : {"prev", "next", "delete"}) {
            press(w, *e, role);
            EXPECT_EQ(text(w, "Text2"), "") << role;
            EXPECT_EQ(flags(w, *e), e->states.at("browse")) << role;
        }
        press(w, *e, "edit");
        EXPECT_EQ(flags(w, *e), e->states.at("editing"));
        type(w, "Text2", "Nowhere to go");
        press(w, *e, "save");
        EXPECT_EQ(flags(w, *e), e->states.at("browse"));
        EXPECT_EQ(status(w), "");
        EXPECT_EQ(fx.count(path(*e), table(*e)), 0);
        closeAllWindows();
    }
}

} // namespace
