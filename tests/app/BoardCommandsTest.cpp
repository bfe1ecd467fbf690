#include "tests/app/BoardHarness.h"

#include "app/Module1.h"
#include "board/StatusLine.h"
#include "data/catalogue/Catalogue.h"
#include "data/controls/DataControl.h"
#include "data/controls/FieldBinding.h"
#include "data/storage/StorageError.h"
#include "widgets/TextBox.h"
#include "widgets/Windows.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QPointer>
#include <QStatusBar>

namespace {

// A stand-in for a secondary window that notes when it is closed.
class RecordingWindow : public QWidget {
  public:
    RecordingWindow(const QString& name, QStringList& log) : log_(log) { windows::adopt(this, name); }

  protected:
    void closeEvent(QCloseEvent* e) override {
        log_ << objectName();
        QWidget::closeEvent(e);
    }

  private:
    QStringList& log_;
};

// Opens stand-ins under the given names; whatever is still there at the end is discarded.
struct OpenWindows {
    QStringList closed;
    QList<QPointer<QWidget>> windows;

    QWidget* open(const QString& name, bool show = true) {
        auto* w = new RecordingWindow(name, closed);
        if (show) w->show();
        windows << w;
        return w;
    }
    ~OpenWindows() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (const QPointer<QWidget>& w : windows)
            delete w.data();
    }
};

TEST(BoardClose, ClosesTheOpenWindowsInTheirOrderThenEndsTheProgram) {
    OpenWindows open;
    BoardHarness h;
    h.board.Form_Load();
    // Opened in another order than they are closed in.
    for (const char* name : {"frmPromoList", "frmPhone", "frmStop", "frmAbout", "frmNotes"})
        open.open(name);
    open.open("frmEventsText", false); // created but not shown: not open
    h.board.show();
    EXPECT_TRUE(h.board.close());
    EXPECT_EQ(open.closed, QStringList({"frmAbout", "frmNotes", "frmPhone", "frmStop", "frmPromoList"}));
    EXPECT_EQ(h.ended, 1);
    for (const char* name : {"frmAbout", "frmNotes", "frmPhone", "frmStop", "frmPromoList"})
        EXPECT_EQ(windows::find(name), nullptr) << name;
}

TEST(BoardClose, WhatWasTypedOnTheBoardIsStoredWhenItCloses) {
    BoardHarness h;
    h.board.Form_Load();
    h.c().Text24->setText("Call the sales office");
    h.c().combo[20]->setEditText("7:30:00 PM");
    h.c().Text26->setText("Z:/studio-b/Cuepilot/Data/");
    h.board.close();
    const QString reminders = h.fx.dataFile("\\MonReminder.mdb");
    EXPECT_EQ(h.fx.read(reminders, "Reminder1", "Text"), "Call the sales office");
    EXPECT_EQ(h.fx.read(reminders, "Reminder2", "Time4"), "7:30:00 PM");
    EXPECT_EQ(h.fx.read(h.fx.programFile("\\Setup.mdb"), "Setup", "Setup"), "Z:/studio-b/Cuepilot/Data/");
}

TEST(BoardExit, EndsAtOnceWithoutClosingTheOtherWindows) {
    OpenWindows open;
    BoardHarness h;
    h.board.Form_Load();
    QWidget* phone = open.open("frmPhone");
    h.c().mnuFileExit->trigger();
    EXPECT_EQ(h.ended, 1);
    EXPECT_TRUE(open.closed.isEmpty());
    EXPECT_TRUE(phone->isVisible());
    EXPECT_EQ(windows::find("frmPhone"), phone);
}

TEST(BoardExit, WindowsLeftOpenStillStoreWhatWasTypedWhenTheProgramEnds) {
    BoardHarness h;
    h.board.Form_Load();
    QStringList closed;
    QPointer<QWidget> notes = new RecordingWindow("frmNotes", closed);
    auto* data = new DataControl(h.provider, EditJournal::none(), "Data1", notes);
    data->setConnect(catalogue::connectString());
    data->setDatabaseName(h.fx.dataFile("\\MonWx.mdb"));
    data->setRecordSource("MonWx");
    auto* box = new QLineEdit(notes);
    new FieldBinding(box, data, "Contest");
    data->refresh();
    notes->show();
    box->setText("Win tickets at nine");

    Module1::discardSecondaryWindows(&h.board);
    EXPECT_TRUE(notes.isNull());
    EXPECT_TRUE(closed.isEmpty()); // discarded, not closed: no closing handler ran
    EXPECT_EQ(h.fx.read(h.fx.dataFile("\\MonWx.mdb"), "MonWx", "Contest"), "Win tickets at nine");
}

TEST(BoardRefresh, RereadsTheSixContentSourcesOnTheFilesTheyAreSetTo) {
    BoardHarness h;
    h.board.Form_Load();
    BoardControls& c = h.c();
    // As if another day had been chosen: the grid now reads Thursday's file.
    c.data[1]->setDatabaseName(h.fx.dataFolder() + "\\Thursday.mdb");
    h.fx.write(h.fx.dataFile("\\Thursday.mdb"), "12am", "00am", "Thursday midnight");
    h.fx.write(h.fx.dataFile("\\MonWx.mdb"), "MonWx", "Wx", "Snow by noon");
    h.fx.write(h.fx.dataFile("\\Slogan.mdb"), "Slogan", "Slogan1", "New slogan");
    h.fx.write(h.fx.dataFile("\\MonReminder.mdb"), "Reminder2", "Text", "New reminder");
    h.fx.write(h.fx.programFile("\\Setup.mdb"), "Setup", "SetupName", "OTHER");
    const QString nameBefore = c.Text29->text();

    c.mnuFileRefresh->trigger();
    EXPECT_EQ(c.slotBox[1]->text(), "Thursday midnight");
    EXPECT_EQ(c.Text20->text(), "Snow by noon");
    EXPECT_EQ(c.sloganBox[1]->text(), "New slogan");
    EXPECT_EQ(c.Text25->text(), "New reminder");
    EXPECT_EQ(c.Text29->text(), nameBefore); // the setup record is not re-read
    EXPECT_EQ(h.statusMessage(), "");
}

TEST(BoardRefresh, StopsAtTheFirstFailureAndShowsTheEnginesMessage) {
    BoardHarness h;
    h.board.Form_Load();
    BoardControls& c = h.c();
    const QString missing = h.fx.dataFolder() + "\\NoSuchEvents.mdb";
    c.data[2]->setDatabaseName(missing);
    h.fx.write(h.fx.dataFile("\\Monday.mdb"), "12am", "00am", "Re-read");
    h.fx.write(h.fx.dataFile("\\MonWx.mdb"), "MonWx", "Wx", "Not re-read");
    const QString weatherBefore = c.Text20->text();

    // The engine's own words for this failure, asked of a data control of the test's own.
    QString engine;
    DataControl probe(h.provider, EditJournal::none(), "probe");
    probe.setConnect(catalogue::connectString());
    probe.setDatabaseName(missing);
    probe.setRecordSource("Events");
    try {
        probe.refresh();
    } catch (const StorageError& e) {
        engine = e.message();
    }
    ASSERT_FALSE(engine.isEmpty());

    c.mnuFileRefresh->trigger();
    EXPECT_EQ(c.slotBox[1]->text(), "Re-read");
    EXPECT_EQ(c.Text20->text(), weatherBefore);
    EXPECT_NE(c.Text20->text(), "Not re-read");
    // In the storage's words, as a sentence naming the file and its folder.
    EXPECT_EQ(h.statusMessage(), StatusLine::compose(Failure(FailureKind::Missing, h.fx.dataFolder(), engine,
                                                             QStringLiteral("NoSuchEvents.mdb")),
                                                     {}));
    EXPECT_TRUE(h.statusMessage().contains(engine));
    EXPECT_TRUE(h.statusMessage().contains("NoSuchEvents.mdb in " + h.fx.dataFolder()));
    EXPECT_EQ(h.ended, 0);
}

} // namespace
