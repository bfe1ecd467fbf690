#include "board/NetworkSetup.h"
#include "board/BoardControls.h"
#include "data/catalogue/Catalogue.h"
#include "data/controls/DataControl.h"
#include "data/controls/FieldBinding.h"
#include "data/rescue/KeptEdits.h"
#include "data/storage/SqlCipherProvider.h"
#include "tests/support/Fixture.h"
#include "tests/support/RawConnection.h"
#include "widgets/Lbl3D.h"
#include "widgets/TextBox.h"

#include <QGroupBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

struct Location {
    const char *name, *path;
};
const Location kLocations[] = {{"Studio A", "Z:/studio-a/Cuepilot/Data/"},
                               {"Studio B", "Z:/studio-b/Cuepilot/Data/"},
                               {"Studio C", "Z:/studio-c/Cuepilot/Data/"}};

// The part of the main board the panel works on, built by hand on real files.
class NetworkPanel : public ::testing::Test {
  protected:
    Fixture fx{false};
    SqlCipherProvider engine;
    QWidget form;
    BoardControls c;
    int closed = 0;
    int repainted = 0;
    std::unique_ptr<NetworkSetup> panel;
    QString setupFile = fx.programFile(catalogue::kSetupFile);
    QString locationFile = fx.programFile(catalogue::kLocationFile);

    void SetUp() override {
        fx.removeAll(locationFile, "Location");
        for (const Location& l : kLocations)
            fx.append(locationFile, "Location", {{"LocationName", l.name}, {"Location", l.path}});
        fx.write(setupFile, "Setup", "SetupName", "KTST");

        c.form = &form;
        c.statusBar = new QStatusBar(&form);
        c.Frame3 = new QGroupBox(QStringLiteral("Network Setup"), &form);
        c.Frame3->setVisible(false);
        c.Lbl3D2 = new Lbl3D(&form);
        c.Text26 = box(99);
        c.Text27 = box(0);
        c.Text28 = box(11);
        c.Text29 = box(11);
        c.data[1] = open(fx.dataFile("\\Monday.mdb"), "12am");
        c.data[7] = open(setupFile, "Setup");
        c.data[8] = open(locationFile, "Location");
        new FieldBinding(c.Text26, c.data[7], "Setup");
        new FieldBinding(c.Text29, c.data[7], "SetupName");
        new FieldBinding(c.Text27, c.data[8], "Location");
        new FieldBinding(c.Text28, c.data[8], "LocationName");
        c.slotBox[1] = new TextBox(&form);
        new FieldBinding(c.slotBox[1], c.data[1], "00am");
        for (int n : {1, 7, 8})
            c.data[n]->refresh();

        panel = std::make_unique<NetworkSetup>(
            c, [this] { ++closed; }, [this] { ++repainted; });
        form.show();
    }

    TextBox* box(int max) {
        auto* b = new TextBox(c.Frame3);
        b->setTypedMaxLength(max);
        return b;
    }
    DataControl* open(const QString& path, const QString& table) {
        auto* d = new DataControl(engine, EditJournal::none(), QStringLiteral("Data"), &form);
        d->setConnect(catalogue::kConnectType);
        d->setConnect(catalogue::connectString());
        d->setDatabaseName(path);
        d->setRecordSource(table);
        return d;
    }
    QString shownName() const { return c.Text28->text(); }
    QString storedSetup(const char* field) const { return fx.read(setupFile, "Setup", field); }
    QStringList storedNames() const {
        QStringList names;
        for (int row = 0; row < fx.count(locationFile, "Location"); ++row)
            names << fx.read(locationFile, "Location", "LocationName", row);
        return names;
    }
    void retype(TextBox* b, const QString& text) {
        b->selectAll();
        QTest::keyClick(b, Qt::Key_Backspace);
        QTest::keyClicks(b, text);
    }
};

TEST_F(NetworkPanel, MenuShowsThePanel) {
    EXPECT_FALSE(c.Frame3->isVisible());
    panel->mnuNetworkSetup_Click();
    EXPECT_TRUE(c.Frame3->isVisible());
    EXPECT_EQ(closed, 0);
}

TEST_F(NetworkPanel, ArrowsStayOnTheFirstAndTheLastLocation) {
    EXPECT_EQ(shownName(), "Studio A");
    panel->Command6_Click();
    EXPECT_EQ(shownName(), "Studio A");
    EXPECT_EQ(c.Text27->text(), "Z:/studio-a/Cuepilot/Data/");
    const char* forward[] = {"Studio B", "Studio C", "Studio C", "Studio C"};
    for (const char* expected : forward) {
        panel->Command7_Click();
        EXPECT_EQ(shownName(), expected);
    }
    EXPECT_EQ(c.Text27->text(), "Z:/studio-c/Cuepilot/Data/");
    panel->Command6_Click();
    EXPECT_EQ(shownName(), "Studio B");
}

TEST_F(NetworkPanel, DeleteShowsTheOneBeforeOrTheNewFirstAndAfterNewOnlyCancels) {
    struct Row {
        int forward;       // ">>>>>" presses before "Delete"
        const char* added; // "New" first, with this name typed ("" for nothing typed); nullptr: no "New"
        const char* shownAfter;
        const char* nextAfter; // shown after one more ">>>>>"
        QStringList left;
    };
    const QStringList all{"Studio A", "Studio B", "Studio C"};
    const auto pathOf = [](const char* name) {
        for (const Location& l : kLocations)
            if (qstrcmp(l.name, name) == 0) return QString::fromLatin1(l.path);
        return QString();
    };
    const Row rows[] = {{0, nullptr, "Studio B", "Studio C", {"Studio B", "Studio C"}},
                        {1, nullptr, "Studio A", "Studio C", {"Studio A", "Studio C"}},
                        {2, nullptr, "Studio B", "Studio B", {"Studio A", "Studio B"}},
                        {0, "Studio D", "Studio A", "Studio B", all},
                        {1, "Studio D", "Studio B", "Studio C", all},
                        {1, "", "Studio B", "Studio C", all},
                        {2, "Studio D", "Studio C", "Studio C", all}};
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.forward << " " << (row.added ? row.added : "-"));
        fx.removeAll(locationFile, "Location");
        for (const Location& l : kLocations)
            fx.append(locationFile, "Location", {{"LocationName", l.name}, {"Location", l.path}});
        c.data[8]->refresh();
        for (int i = 0; i < row.forward; ++i)
            panel->Command7_Click();
        if (row.added) {
            panel->Command8_Click();
            QTest::keyClicks(c.Text28, row.added);
            QTest::keyClicks(c.Text27, "Z:/studio-d/");
        }
        panel->Command10_Click();
        EXPECT_EQ(shownName(), row.shownAfter);
        EXPECT_EQ(c.Text27->text(), pathOf(row.shownAfter));
        // Nothing left over to be stored by a later "Save" or by the binding rule.
        panel->Command9_Click();
        panel->Command7_Click();
        EXPECT_EQ(shownName(), row.nextAfter);
        EXPECT_EQ(storedNames(), row.left);
    }
}

TEST_F(NetworkPanel, DeletingTheLastLocationLeftChangesNothingElse) {
    fx.removeAll(locationFile, "Location");
    fx.append(locationFile, "Location", {{"LocationName", "Only"}, {"Location", "Q:/only/"}});
    c.data[8]->refresh();
    panel->Command10_Click();
    EXPECT_TRUE(storedNames().isEmpty());
    panel->Command10_Click();
    panel->Command6_Click();
    panel->Command7_Click();
    EXPECT_TRUE(storedNames().isEmpty());
}

TEST_F(NetworkPanel, NewTypedAndSavedLocationIsStoredAndShown) {
    panel->Command7_Click();
    panel->Command8_Click();
    EXPECT_EQ(c.Text27->text(), "");
    EXPECT_EQ(c.Text28->text(), "");
    QTest::keyClicks(c.Text27, "Z:/studio-d/Cuepilot/Data/");
    QTest::keyClicks(c.Text28, "Studio D");
    panel->Command9_Click();
    EXPECT_EQ(storedNames(), QStringList({"Studio A", "Studio B", "Studio C", "Studio D"}));
    EXPECT_EQ(fx.read(locationFile, "Location", "Location", 3), "Z:/studio-d/Cuepilot/Data/");
    EXPECT_EQ(shownName(), "Studio D");
}

TEST_F(NetworkPanel, SaveWithNothingTypedStoresNothing) {
    panel->Command8_Click();
    panel->Command9_Click();
    panel->Command7_Click();
    EXPECT_EQ(storedNames().size(), 3);
}

TEST_F(NetworkPanel, UseThisLocationThenCloseStoresItAndClosesTheBoard) {
    panel->mnuNetworkSetup_Click();
    panel->Command7_Click();
    panel->Command11_Click();
    EXPECT_EQ(c.Text26->text(), "Z:/studio-b/Cuepilot/Data/");
    EXPECT_EQ(c.Text29->text(), "Studio B");
    EXPECT_EQ(storedSetup("Setup"), fx.dataFolder()); // stored only when the panel is closed

    panel->Command5_Click();
    EXPECT_FALSE(c.Frame3->isVisible());
    EXPECT_EQ(c.Lbl3D2->caption(), "Studio B");
    EXPECT_EQ(storedSetup("Setup"), "Z:/studio-b/Cuepilot/Data/");
    EXPECT_EQ(storedSetup("SetupName"), "Studio B");
    EXPECT_EQ(repainted, 1);
    EXPECT_EQ(closed, 1);
}

TEST_F(NetworkPanel, TypedOrClearedPathIsStoredAsIs) {
    const char* paths[] = {"Y:\\typed\\Data", ""};
    for (const char* path : paths) {
        SCOPED_TRACE(path);
        panel->mnuNetworkSetup_Click();
        retype(c.Text26, path);
        EXPECT_EQ(c.Text26->text(), path);
        panel->Command5_Click();
        EXPECT_EQ(storedSetup("Setup"), path);
        EXPECT_EQ(storedSetup("SetupName"), "KTST");
    }
    EXPECT_EQ(closed, 2);
}

TEST_F(NetworkPanel, CloseWritesPendingChangesOfTheBoardsOtherData) {
    c.slotBox[1]->setText("Typed before closing");
    panel->Command5_Click();
    EXPECT_EQ(fx.read(fx.dataFile("\\Monday.mdb"), "12am", "00am"), "Typed before closing");
    EXPECT_EQ(c.data[1]->databaseName(), fx.dataFile("\\Monday.mdb"));
}

TEST_F(NetworkPanel, SetupThatCannotBeStoredKeepsTheBoardOpenAndSaysWhy) {
    struct Row {
        const char* what;
        bool emptyWhenLoaded; // otherwise another studio's tool removes the record meanwhile
        const char* typed;    // nullptr: nothing typed into the path box
    };
    const Row rows[] = {{"record removed meanwhile, path typed", false, "Y:/elsewhere"},
                        {"record removed meanwhile, nothing typed", false, nullptr},
                        {"table empty when loaded, path typed", true, "Y:/elsewhere"},
                        {"table empty when loaded, nothing typed", true, nullptr}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        // What the row before left typed belongs to a record that is gone: each row starts afresh.
        c.data[7]->cancelUpdate();
        fx.removeAll(setupFile, "Setup");
        if (!row.emptyWhenLoaded) {
            fx.append(setupFile, "Setup", {{"Setup", fx.dataFolder()}, {"SetupName", "KTST"}});
            c.data[7]->refresh();
            fx.removeAll(setupFile, "Setup");
        } else {
            c.data[7]->refresh();
        }
        c.statusBar->clearMessage();
        panel->mnuNetworkSetup_Click();
        const QString shown = row.typed ? QString::fromLatin1(row.typed) : c.Text26->text();
        if (row.typed) retype(c.Text26, shown);
        panel->Command5_Click();
        EXPECT_EQ(closed, 0);
        EXPECT_TRUE(c.Frame3->isVisible());
        EXPECT_TRUE(c.statusBar->currentMessage().contains("Setup not stored"))
            << c.statusBar->currentMessage().toStdString();
        EXPECT_EQ(fx.count(setupFile, "Setup"), 0);
        EXPECT_EQ(c.Text26->text(), shown);
    }
}

TEST_F(NetworkPanel, SetupThatCannotBeWrittenNowIsSaidAndNotLeftForLaterWhileTheBoardEnds) {
    QTemporaryDir home;
    KeptEdits kept(home.path() + QStringLiteral("/kept.json"));
    for (int n : {1, 7, 8})
        c.data[n]->setJournal(kept);
    panel->mnuNetworkSetup_Click();
    panel->Command7_Click();
    panel->Command11_Click();
    {
        // Another program holds the file, as a share refuses a presenter outside the station's group.
        RawConnection otherProgram(setupFile);
        otherProgram.exec("BEGIN IMMEDIATE");
        panel->Command5_Click();
        otherProgram.exec("ROLLBACK");
    }
    EXPECT_EQ(closed, 0);
    EXPECT_TRUE(c.Frame3->isVisible());
    EXPECT_TRUE(c.statusBar->currentMessage().contains("Setup not stored"))
        << c.statusBar->currentMessage().toStdString();
    EXPECT_EQ(c.Text26->text(), "Z:/studio-b/Cuepilot/Data/");
    EXPECT_EQ(storedSetup("Setup"), fx.dataFolder());

    // Closed again once the file is free: stored, nothing left in the rescue store, the board ends.
    panel->Command5_Click();
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(storedSetup("Setup"), "Z:/studio-b/Cuepilot/Data/");
    EXPECT_TRUE(kept.edits().isEmpty());
    for (int n : {1, 7, 8})
        c.data[n]->setJournal(EditJournal::none());
}

} // namespace
