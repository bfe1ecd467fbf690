#include "base/Steps.h"
#include "data/controls/FieldBinding.h"
#include "data/storage/StorageError.h"
#include "tests/data/StorageSuite.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <gtest/gtest.h>

namespace {

// What a data control and its record set guarantee, whichever engine holds the data.
class Storage : public StorageBase, public ::testing::TestWithParam<Engine> {
  protected:
    Storage() : StorageBase(GetParam()) {}
};

INSTANTIATE_TEST_SUITE_P(BothEngines, Storage, ::testing::Values(Engine::Files, Engine::Server),
                         EngineName());

// What only files do.
class FileStorage : public StorageBase, public ::testing::Test {
  protected:
    FileStorage() : StorageBase(Engine::Files) {}
};

TEST_P(Storage, RecordOrderMovesAndBeginEndFlags) {
    auto dc = control(promo, "Main");
    dc->refresh();
    EXPECT_EQ(dc->recordCount(), 3);
    EXPECT_EQ(name(*dc), "B");
    EXPECT_FALSE(dc->bof());
    dc->movePrevious();
    EXPECT_TRUE(dc->bof());
    EXPECT_FALSE(dc->hasCurrent());
    EXPECT_THROW(dc->movePrevious(), StorageError);
    dc->moveFirst();
    dc->moveNext();
    EXPECT_EQ(name(*dc), "A");
    dc->moveNext();
    EXPECT_EQ(name(*dc), "C");
    dc->moveNext();
    EXPECT_TRUE(dc->eof());
    EXPECT_THROW(dc->moveNext(), StorageError);
    dc->moveLast();
    EXPECT_EQ(name(*dc), "C");
}

TEST_P(Storage, BookmarksReturnToTheirRecord) {
    auto dc = control(promo, "Main");
    dc->refresh();
    dc->moveNext();
    const QByteArray mark = dc->bookmark();
    dc->moveLast();
    dc->setBookmark(mark);
    EXPECT_EQ(name(*dc), "A");
    EXPECT_THROW(dc->setBookmark("nonsense"), StorageError);
}

TEST_P(Storage, AddNewLeavesThePreviousRecordCurrentAndAppendsAtTheEnd) {
    auto dc = control(promo, "Main");
    dc->refresh();
    dc->moveNext(); // A
    dc->addNew();
    dc->setFieldText("PromoName", "D");
    dc->update();
    EXPECT_EQ(name(*dc), "A");
    EXPECT_EQ(dc->recordCount(), 4);
    dc->moveLast();
    EXPECT_EQ(name(*dc), "D");
    EXPECT_EQ(fx.read(promo, "Main", "PromoName", 3), "D");
}

TEST_P(Storage, DeleteLeavesNoCurrentRecordUntilTheNextMove) {
    auto dc = control(promo, "Main");
    dc->refresh();
    dc->moveNext(); // A
    dc->deleteRecord();
    EXPECT_FALSE(dc->hasCurrent());
    EXPECT_THROW(dc->edit(), StorageError);
    dc->moveNext();
    EXPECT_EQ(name(*dc), "C");
    dc->moveFirst();
    EXPECT_EQ(name(*dc), "B");
    EXPECT_EQ(fx.count(promo, "Main"), 2);
}

TEST_P(Storage, FindFirstByCriteria) {
    fx.append(promo, "Main", {{"PromoName", "A"}, {"BodyText", "second A"}});
    fx.append(promo, "Main", {{"PromoName", "Say \"hi\""}});
    auto dc = control(promo, "Main");
    dc->refresh();
    dc->moveLast();
    EXPECT_TRUE(dc->findFirst("[PromoName] =\"A\""));
    EXPECT_EQ(dc->fieldText("BodyText"), "A"); // the first of two in record order
    EXPECT_TRUE(dc->findFirst("[PromoName] =\"Say \"hi\"\""));
    EXPECT_EQ(name(*dc), "Say \"hi\"");
    dc->moveFirst();
    EXPECT_FALSE(dc->findFirst("[PromoName] =\"nobody\""));
    EXPECT_EQ(name(*dc), "B"); // stays put
    EXPECT_THROW(dc->findFirst("PromoName = B"), StorageError);
    EXPECT_THROW(dc->findFirst("[NoSuchField] =\"B\""), StorageError);
}

TEST_P(Storage, EmptyTableHasNoCurrentRecord) {
    auto dc = control(fx.dataFile(catalogue::kPrepFile), "Prep");
    dc->refresh();
    EXPECT_TRUE(dc->bof());
    EXPECT_TRUE(dc->eof());
    EXPECT_EQ(dc->recordCount(), 0);
    EXPECT_THROW(dc->moveFirst(), StorageError);
    EXPECT_THROW(dc->moveNext(), StorageError);
    EXPECT_THROW(dc->deleteRecord(), StorageError);
}

// The binding rule: a changed box is written before the control moves, adds, refreshes or closes.
TEST_P(Storage, BindingRuleStoresChangedBoxBeforeEachRepositioning) {
    struct Case {
        const char* what;
        std::function<void(DataControl&)> act;
    };
    const Case cases[] = {
        {"move", [](DataControl& dc) { dc.moveNext(); }},
        {"add", [](DataControl& dc) { dc.addNew(); }},
        {"refresh", [](DataControl& dc) { dc.refresh(); }},
        {"close", [](DataControl& dc) { dc.close(); }},
        {"find", [](DataControl& dc) { dc.findFirst("[PromoName] =\"C\""); }},
    };
    for (const Case& c : cases) {
        auto dc = control(promo, "Main");
        QLineEdit box;
        new FieldBinding(&box, dc.get(), "BodyText");
        dc->refresh();
        ASSERT_EQ(box.text(), fx.read(promo, "Main", "BodyText", 0));
        box.setText(QString("typed before %1").arg(c.what));
        c.act(*dc);
        EXPECT_EQ(fx.read(promo, "Main", "BodyText", 0), QString("typed before %1").arg(c.what)) << c.what;
    }
}

TEST_P(Storage, UntouchedNewRecordIsDroppedAndTypedOneIsKept) {
    auto dc = control(promo, "Main");
    QLineEdit box;
    new FieldBinding(&box, dc.get(), "PromoName");
    dc->refresh();
    dc->addNew();
    EXPECT_EQ(box.text(), "");
    dc->moveFirst();
    EXPECT_EQ(fx.count(promo, "Main"), 3);
    dc->addNew();
    box.setText("E");
    dc->moveFirst();
    EXPECT_EQ(fx.count(promo, "Main"), 4);
    EXPECT_EQ(fx.read(promo, "Main", "PromoName", 3), "E");
}

TEST_P(Storage, UpdateWritesOnlyChangedFieldsSoAnotherStudiosEditSurvives) {
    auto dc = control(promo, "Main");
    QLineEdit nameBox, bodyBox;
    new FieldBinding(&nameBox, dc.get(), "PromoName");
    new FieldBinding(&bodyBox, dc.get(), "BodyText");
    dc->refresh();
    fx.write(promo, "Main", "PromoName", "renamed elsewhere");
    dc->edit();
    bodyBox.setText("new body");
    dc->update();
    EXPECT_EQ(fx.read(promo, "Main", "PromoName"), "renamed elsewhere");
    EXPECT_EQ(fx.read(promo, "Main", "BodyText"), "new body");
}

TEST_P(Storage, BoxesOfAllKindsShowAndCollect) {
    const QString rem = fx.dataFile("\\MonReminder.mdb");
    auto dc = control(rem, "Reminder1");
    QComboBox combo;
    combo.setEditable(true);
    combo.addItems({"5:00:00 AM", "5:10:00 AM"});
    QPlainTextEdit text;
    new FieldBinding(&combo, dc.get(), "Time1");
    new FieldBinding(&text, dc.get(), "Text");
    dc->refresh();
    combo.setCurrentIndex(1);
    text.setPlainText("Read the\nsafety notice");
    dc->refresh();
    EXPECT_EQ(fx.read(rem, "Reminder1", "Time1"), "5:10:00 AM");
    EXPECT_EQ(fx.read(rem, "Reminder1", "Text"), "Read the\nsafety notice");
    EXPECT_EQ(combo.currentText(), "5:10:00 AM");
}

TEST_P(Storage, RebindingShowsTheOtherFieldAndKeepsWhatWasTyped) {
    const QString wx = fx.dataFile("\\MonWx.mdb");
    fx.write(wx, "MonWx", "Contest", "stored contest");
    auto dc = control(wx, "MonWx");
    QPlainTextEdit box;
    auto* b = new FieldBinding(&box, dc.get(), "Wx");
    dc->refresh();
    box.setPlainText("typed weather");
    b->setDataField("Contest");
    EXPECT_EQ(box.toPlainText(), "stored contest");
    b->setDataField("Wx");
    EXPECT_EQ(box.toPlainText(), "typed weather");
    dc->update();
    EXPECT_EQ(fx.read(wx, "MonWx", "Wx"), "typed weather");
}

TEST_P(Storage, NonAsciiAndLongTextRoundTrip) {
    auto dc = control(promo, "Main");
    QPlainTextEdit box;
    new FieldBinding(&box, dc.get(), "BodyText");
    dc->refresh();
    const QString text = QString("Grüße, ¡señor! 日本語 ") + QString(20000, QChar('x'));
    box.setPlainText(text);
    dc->refresh();
    EXPECT_EQ(box.toPlainText(), text);
}

// Each failure carries the engine's words; none creates a file.
TEST_F(FileStorage, OpeningFailuresThrowTheEnginesMessage) {
    const QString junk = fx.root() + "/junk.mdb";
    {
        QFile f(junk);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'j'));
    }
    const QString truncated = fx.root() + "/truncated.mdb";
    {
        QFile in(fx.dataFile("\\Monday.mdb"));
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        QFile out(truncated);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(in.read(3000));
    }
    const QString empty = fx.root() + "/empty.mdb";
    QFile(empty).open(QIODevice::WriteOnly);
    const QString pwd = catalogue::connectString();
    const std::vector<OpeningFailure> cases = {
        // What the file system says, naming the file and its folder.
        {fx.root() + "/missing.mdb", pwd, "Main", "There is no missing.mdb in " + fx.root() + "."},
        {fx.root() + "/no-such-folder/Monday.mdb", pwd, "12am",
         "The folder " + fx.root() + "/no-such-folder does not exist."},
        {promo + "/Monday.mdb", pwd, "12am", promo + " is a file, not a folder."},
        {promo, ";Pwd=wrong", "Main", "file is encrypted or is not a database"},
        {promo, "Access 2000;", "Main", "file is encrypted or is not a database"},
        {promo, pwd, "NoSuchTable", "no such table: NoSuchTable"},
        {junk, pwd, "Main", "file is encrypted or is not a database"},
        {empty, pwd, "Main", "file is encrypted or is not a database"},
        {truncated, pwd, "11pm", ""},
    };
    expectEachFailsToOpen(cases);
    EXPECT_FALSE(QFile::exists(fx.root() + "/missing.mdb"));
}

TEST_F(FileStorage, OneKeyDerivationForTheWholeInstallation) {
    for (const QString& file :
         {QString("\\Monday.mdb"), QString("\\MonEvents.mdb"), QString("\\Slogan.mdb")}) {
        auto dc = control(fx.dataFile(file), file == "\\Monday.mdb"   ? "12am"
                                             : file == "\\Slogan.mdb" ? "Slogan"
                                                                      : "Events");
        dc->refresh();
        dc->refresh();
    }
    EXPECT_EQ(provider.files().derivations(), 1);
    // Both spellings of a path share one connection.
    auto a = provider.open(fx.dataFolder() + "/\\Monday.mdb", catalogue::connectString());
    auto b = provider.open(fx.dataFolder() + "\\Monday.mdb", catalogue::connectString());
    EXPECT_EQ(a.get(), b.get());
}

TEST_F(FileStorage, AFileRemovedAfterOpeningNoLongerOpens) {
    const QString day = fx.dataFile("\\Tuesday.mdb");
    auto dc = control(day, "12am");
    dc->refresh();
    fx.remove(day);
    EXPECT_THROW(dc->refresh(), StorageError);
}

TEST_F(FileStorage, VirtualTablesAreRefused) {
    // Only our own schema is read; a planted virtual table is not a plain table.
    auto dc = control(promo, "sqlite_master");
    EXPECT_THROW(dc->refresh(), StorageError);
}

TEST_P(Storage, FailedWriteKeepsTheBufferForTheNextTry) {
    const QString day = fx.dataFile("\\Monday.mdb");
    fx.removeAll(day, "1am");
    auto dc = control(day, "1am");
    QLineEdit box;
    new FieldBinding(&box, dc.get(), "00am");
    dc->refresh();
    box.setText("typed into an empty table");
    EXPECT_THROW(dc->update(), StorageError);
    EXPECT_TRUE(dc->isDirty());
    dc->refresh(); // same table: nothing can receive it, so it is kept
    EXPECT_EQ(box.text(), "typed into an empty table");
    fx.append(day, "1am", {});
    dc->refresh();
    dc->update();
    EXPECT_EQ(fx.read(day, "1am", "00am"), "typed into an empty table");
}

TEST(Steps, SkippingAndReportingNeverLetAFailureEscape) {
    int ran = 0;
    EXPECT_FALSE(skipOnFailure([&] { throw StorageError("boom"); }));
    EXPECT_TRUE(skipOnFailure([&] { ++ran; }));
    QString shown;
    EXPECT_FALSE(reportOnFailure([&](const QString& m) { shown = m; },
                                 [&] {
                                     ++ran;
                                     throw StorageError("engine words");
                                     ++ran;
                                 }));
    EXPECT_EQ(ran, 2);
    EXPECT_EQ(shown, "engine words");
}

} // namespace
