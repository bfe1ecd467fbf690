#include "copy/CopyOpeners.h"
#include "copy/Pickers.h"
#include "copy/frmNotes.h"
#include "data/controls/DataControl.h"
#include "tests/copy/CopyTestSupport.h"
#include "widgets/Windows.h"

#include <QFile>
#include <sqlcipher/sqlite3.h>

namespace {

// Another studio in the middle of a write: its connection holds the file's write lock until it goes.
class HeldWriteLock {
  public:
    explicit HeldWriteLock(const QString& path) {
        sqlite3_open_v2(QFile::encodeName(path).constData(), &db_, SQLITE_OPEN_READWRITE, nullptr);
        const QByteArray key = "PRAGMA key = '" + catalogue::kPassword.toUtf8() + "'";
        for (const char* sql : {key.constData(), "SELECT count(*) FROM sqlite_master", "BEGIN IMMEDIATE"})
            EXPECT_EQ(sqlite3_exec(db_, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db_);
    }
    ~HeldWriteLock() {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db_);
    }
    HeldWriteLock(const HeldWriteLock&) = delete;
    HeldWriteLock& operator=(const HeldWriteLock&) = delete;

  private:
    sqlite3* db_ = nullptr;
};

class Pickers : public CopyTest {
  protected:
    frmNotes* promoEditor(const QStringList& names, int library = 0) {
        fillLibrary(this->library(library), names);
        return openLibrary(studio, libraryButtons().at(library));
    }
    static QWidget* promoPicker(frmNotes* editor) {
        click(editor, "Command8");
        return windows::find<QWidget>("frmPromoList");
    }
};

// The three pickers over a data control of their own editor's kind.
TEST_F(Pickers, EachKindListsItsFieldInRecordOrderAndKeepsTheEditorsRecord) {
    struct Row {
        PickerKind kind;
        const char* form;
        const char* caption;
        QString file;
        const char* table;
        const char* field;
        bool closeButton;
        bool boldList;
    };
    const Row rows[] = {
        {PickerKind::Promo, "frmPromoList", "Promo List", library(1), "Main", "PromoName", false, true},
        {PickerKind::PrepCopy, "frmPrepCopySearch", "Prep-Copy Select", prepFile(), "Prep", "Title", false,
         false},
        {PickerKind::Name, "frmNameSearch", "Select Name", fx.dataFile(catalogue::kPhoneFile), "List",
         "String", true, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.form);
        for (const char* v : {"B", "A", "C"})
            fx.append(row.file, row.table, {{row.field, v}});
        DataControl editor(studio.provider(), studio.journal(), "Data1");
        editor.setConnect(catalogue::connectString());
        editor.setDatabaseName(row.file);
        editor.setRecordSource(row.table);
        editor.refresh();
        editor.moveNext();
        ASSERT_EQ(editor.fieldText(row.field), "A");

        QWidget* picker = showPicker(row.kind, editor);
        ASSERT_NE(picker, nullptr);
        EXPECT_EQ(picker->objectName(), row.form);
        EXPECT_TRUE(picker->isVisible());
        EXPECT_EQ(picker->windowTitle(), row.caption);
        EXPECT_EQ(lines(picker), QStringList({"B", "A", "C"}));
        EXPECT_EQ(editor.fieldText(row.field), "A");
        EXPECT_EQ(picker->findChild<QPushButton*>("Command1") != nullptr, row.closeButton);
        EXPECT_EQ(child<QListWidget>(picker, "List1")->font().bold(), row.boldList);
        // Shown again while open: brought to the front, not rebuilt.
        EXPECT_EQ(showPicker(row.kind, editor), picker);
        EXPECT_EQ(lines(picker).size(), 3);

        clickLine(picker, 2);
        EXPECT_EQ(editor.fieldText(row.field), "C");
        EXPECT_FALSE(picker->isVisible());
        closeAllWindows();
    }
}

TEST_F(Pickers, TheNamePickersCloseButtonClosesIt) {
    const QString phone = fx.dataFile(catalogue::kPhoneFile);
    fx.append(phone, "List", {{"String", "Doe, Jane"}});
    DataControl editor(studio.provider(), studio.journal(), "Data1");
    editor.setConnect(catalogue::connectString());
    editor.setDatabaseName(phone);
    editor.setRecordSource("List");
    editor.refresh();
    QWidget* picker = showPicker(PickerKind::Name, editor);
    click(picker, "Command1");
    EXPECT_EQ(windows::find<QWidget>("frmNameSearch"), nullptr);
    EXPECT_EQ(editor.fieldText("String"), "Doe, Jane");
}

TEST_F(Pickers, NullAndEmptyNamesAreListedAsEmptyLines) {
    fillLibrary(library(0), {"B"});
    fx.append(library(0), "Main", {{"BodyText", "no name at all"}});
    fillLibrary(library(0), {"", "C"});
    QWidget* picker = promoPicker(openLibrary(studio, libraryButtons().at(0)));
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(lines(picker), QStringList({"B", "", "", "C"}));
}

TEST_F(Pickers, AnEmptyLibraryGivesAnEmptyList) {
    frmNotes* editor = openLibrary(studio, libraryButtons().at(0));
    QWidget* picker = promoPicker(editor);
    ASSERT_NE(picker, nullptr);
    EXPECT_TRUE(lines(picker).isEmpty());
    EXPECT_EQ(text(editor, "Text2"), "");
}

TEST_F(Pickers, ADuplicateNameFindsTheFirstInRecordOrder) {
    fx.append(library(0), "Main", {{"PromoName", "Dup"}, {"EnteredBy", "first"}});
    fx.append(library(0), "Main", {{"PromoName", "Other"}, {"EnteredBy", "other"}});
    fx.append(library(0), "Main", {{"PromoName", "Dup"}, {"EnteredBy", "second"}});
    frmNotes* editor = openLibrary(studio, libraryButtons().at(0));
    click(editor, "Command4");
    QWidget* picker = promoPicker(editor);
    EXPECT_EQ(lines(picker), QStringList({"Dup", "Other", "Dup"}));
    clickLine(picker, 2);
    EXPECT_EQ(text(editor, "Text5"), "first");
    EXPECT_EQ(windows::find<QWidget>("frmPromoList"), nullptr);
}

TEST_F(Pickers, TheEditorKeepsItsRecordAndWhatWasTypedAfterTheListIsFilled) {
    for (const bool locked : {false, true}) {
        SCOPED_TRACE(locked ? "another studio holds the write lock" : "file free");
        frmNotes* editor = promoEditor({"B", "A", "C"});
        click(editor, "Command4");
        click(editor, "Command6");
        type(editor, "Text3", "April");
        auto lock = locked ? std::make_unique<HeldWriteLock>(library(0)) : nullptr;
        QWidget* picker = promoPicker(editor);
        // Each record once, whether or not the typed entry could be stored first.
        EXPECT_EQ(lines(picker), QStringList({"B", "A", "C"}));
        EXPECT_EQ(text(editor, "Text2"), "A");
        EXPECT_EQ(text(editor, "Text3"), "April");
        EXPECT_EQ(fx.read(library(0), "Main", "StartDate", 1), locked ? "" : "April");
        lock.reset();
        clickLine(picker, 2);
        EXPECT_EQ(text(editor, "Text2"), "C");
        EXPECT_EQ(fx.read(library(0), "Main", "StartDate", 1), "April");
        closeAllWindows();
        fx.removeAll(library(0), "Main");
    }
}

TEST_F(Pickers, ThePromoPickerIsTitledAfterItsLibraryAndListsOnlyIt) {
    fillLibrary(library(0), {"Promo entry"});
    frmNotes* editor = promoEditor({"PSA one", "PSA two"}, 2);
    QWidget* picker = promoPicker(editor);
    EXPECT_EQ(picker->windowTitle(), "PSA");
    EXPECT_EQ(lines(picker), QStringList({"PSA one", "PSA two"}));
}

TEST_F(Pickers, AClickAfterTheEditorSwitchedLibrarySearchesTheLibraryShownNow) {
    fillLibrary(library(1), {"L1"});
    fx.append(library(1), "Main", {{"PromoName", "P2"}, {"EnteredBy", "live"}});
    frmNotes* editor = promoEditor({"P1", "P2"});
    QWidget* picker = promoPicker(editor);
    openLibrary(studio, libraryButtons().at(1));
    EXPECT_EQ(lines(picker), QStringList({"P1", "P2"}));
    clickLine(picker, 1);
    EXPECT_EQ(editor->windowTitle(), "Live Copy");
    EXPECT_EQ(text(editor, "Text2"), "P2");
    EXPECT_EQ(text(editor, "Text5"), "live");
}

TEST_F(Pickers, ANameWithADoubleQuoteIsFound) {
    frmNotes* editor = promoEditor({"Plain", "Say \"Hi\" now", "Last"});
    QWidget* picker = promoPicker(editor);
    clickLine(picker, 1);
    EXPECT_EQ(text(editor, "Text2"), "Say \"Hi\" now");
    EXPECT_EQ(text(editor, "Text1"), "Say \"Hi\" now copy");
}

TEST_F(Pickers, AClickAfterTheEditorClosedClosesThePickerAndChangesNothing) {
    frmNotes* editor = promoEditor({"A", "B"});
    QWidget* picker = promoPicker(editor);
    click(editor, "Command7");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(windows::find<frmNotes>("frmNotes"), nullptr);
    ASSERT_TRUE(picker->isVisible());
    clickLine(picker, 1);
    EXPECT_EQ(windows::find<QWidget>("frmPromoList"), nullptr);
    EXPECT_EQ(column(library(0), "Main", "PromoName"), QStringList({"A", "B"}));
}

TEST_F(Pickers, AnEditorOpenedAfreshGetsAFreshList) {
    frmNotes* editor = promoEditor({"A"});
    QWidget* stale = promoPicker(editor);
    click(editor, "Command7");
    fillLibrary(library(0), {"B"});
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    frmNotes* again = openLibrary(studio, libraryButtons().at(0));
    QWidget* picker = promoPicker(again);
    EXPECT_NE(picker, stale);
    EXPECT_EQ(lines(picker), QStringList({"A", "B"}));
}

} // namespace
