#include "data/history/HistorySource.h"
#include "data/rescue/KeptEdits.h"
#include "history/frmHistory.h"
#include "tests/board/EditingBoard.h"
#include "widgets/Windows.h"

#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>

namespace {

class HistoryWindow : public EditingBoard {};

} // namespace

// The presenter's accident and its cure: the day's events cleared and saved, then put back from
// Edit > History in one step, and shown again on the board.
TEST_F(HistoryWindow, ListsTheClearedEventsAndPutsThemBackInOneStep) {
    load();
    QStringList before;
    for (int n = 1; n <= 7; ++n)
        before << c().eventBox[n]->text();
    ASSERT_FALSE(before.join(QString()).isEmpty());
    c().mnuEditClearEvents->trigger();
    c().mnuSaveContent->trigger();

    c().mnuEditHistory->trigger();
    auto* w = windows::find<frmHistory>(QStringLiteral("frmHistory"));
    ASSERT_NE(w, nullptr);
    auto* topics = w->findChild<QComboBox*>(QStringLiteral("Combo1"));
    ASSERT_EQ(topics->count(), 4);
    // The weather file was never written: it keeps no history yet, and says so.
    topics->setCurrentIndex(2);
    EXPECT_TRUE(w->message()->text().startsWith("MonWx.mdb in " + fx.dataFolder() + " keeps no history"))
        << w->message()->text().toStdString();
    EXPECT_EQ(w->list()->topLevelItemCount(), 0);

    topics->setCurrentIndex(1); // Today's events
    int cleared = 0;
    for (const QString& text : before)
        cleared += text.isEmpty() ? 0 : 1;
    ASSERT_EQ(w->list()->topLevelItemCount(), cleared);
    for (int row = 0; row < cleared; ++row) {
        const QTreeWidgetItem* item = w->list()->topLevelItem(row);
        EXPECT_EQ(item->text(6), QStringLiteral("(empty)"));
        EXPECT_TRUE(before.contains(item->text(5))) << item->text(5).toStdString();
        EXPECT_EQ(item->text(2), thisAuthor().user);
        EXPECT_EQ(item->text(3), QStringLiteral("Monday's events"));
        EXPECT_TRUE(item->text(4).startsWith(QStringLiteral("Event "))) << item->text(4).toStdString();
    }
    w->list()->setCurrentItem(w->list()->topLevelItem(0));
    w->findChild<QPushButton*>(QStringLiteral("Command3"))->click(); // Whole Record As Before

    for (int n = 1; n <= 7; ++n)
        EXPECT_EQ(fx.read(eventsFile(), "Events", QStringLiteral("me%1").arg(n)), before[n - 1]) << n;
    // The put-back is a change like another studio's: the board shows it at its next look.
    board->pollForChanges();
    for (int n = 1; n <= 7; ++n)
        EXPECT_EQ(c().eventBox[n]->text(), before[n - 1]) << n;
    // And it is kept itself, newest first.
    EXPECT_EQ(w->list()->topLevelItemCount(), 2 * cleared);
    EXPECT_EQ(w->list()->topLevelItem(0)->text(5), QStringLiteral("(empty)"));
    w->close();
}

// Another studio's save over a line this studio was typing: the typed text is kept on this
// computer, the History window shows it beside the file's version, and "Take Mine" stores it.
TEST_F(HistoryWindow, AConflictShowsBothVersionsAndEitherCanBeTaken) {
    QTemporaryDir home;
    KeptEdits kept(home.path() + QStringLiteral("/kept.json"));
    rescue = &kept;
    load();
    c().command[3]->click(); // Edit Content
    type(c().eventBox[1], QStringLiteral("Mine"));
    fx.write(eventsFile(), "Events", "me1", "Theirs");
    c().mnuSaveContent->trigger();
    EXPECT_EQ(fx.read(eventsFile(), "Events", "me1"), QStringLiteral("Theirs"));
    ASSERT_EQ(kept.edits().size(), 1);
    EXPECT_TRUE(statusText().contains(kept.storePath())) << statusText().toStdString();
    EXPECT_TRUE(statusText().contains(QStringLiteral("History"))) << statusText().toStdString();

    c().mnuEditHistory->trigger();
    auto* w = windows::find<frmHistory>(QStringLiteral("frmHistory"));
    ASSERT_NE(w, nullptr);
    w->findChild<QComboBox*>(QStringLiteral("Combo1"))->setCurrentIndex(1);
    auto* both = w->findChild<QTreeWidget*>(QStringLiteral("List2"));
    ASSERT_EQ(both->topLevelItemCount(), 1);
    EXPECT_EQ(both->topLevelItem(0)->text(1), QStringLiteral("Mine"));
    EXPECT_EQ(both->topLevelItem(0)->text(2), QStringLiteral("Theirs"));
    w->findChild<QPushButton*>(QStringLiteral("Command7"))->click(); // Take Mine
    EXPECT_EQ(fx.read(eventsFile(), "Events", "me1"), QStringLiteral("Mine"));
    EXPECT_TRUE(kept.edits().isEmpty());
    EXPECT_EQ(both->topLevelItemCount(), 0);
    w->close();
    board.reset();
}

namespace {

// Conflicts kept on this computer for the day's events, and the History window open on them.
class KeptConflicts : public HistoryWindow {
  protected:
    void SetUp() override {
        rescue = &kept;
        load();
        c().mnuEditHistory->trigger();
        w = windows::find<frmHistory>(QStringLiteral("frmHistory"));
        ASSERT_NE(w, nullptr);
        w->findChild<QComboBox*>(QStringLiteral("Combo1"))->setCurrentIndex(1); // Today's events
        rows = w->findChild<QTreeWidget*>(QStringLiteral("List2"));
    }
    void TearDown() override {
        if (w) w->close();
        board.reset();
    }
    // A conflict kept for the events' one record, as a save over another studio's keeps it.
    KeptEdit conflict(const QString& field, const QString& mine, const QString& folder = QString()) {
        const QString file = folder.isEmpty()
                                 ? eventsFile()
                                 : folder + QStringLiteral("/") + QFileInfo(eventsFile()).fileName();
        return {file, "Events", "1", {{field, mine}}, {{field, QString()}}, "changed by another user", true};
    }
    QStringList shown(int column) const {
        QStringList texts;
        for (int i = 0; i < rows->topLevelItemCount(); ++i)
            texts << rows->topLevelItem(i)->text(column);
        return texts;
    }
    void choose(const QString& mine) {
        for (int i = 0; i < rows->topLevelItemCount(); ++i)
            if (rows->topLevelItem(i)->text(1) == mine) rows->setCurrentItem(rows->topLevelItem(i));
    }
    QStringList keptTexts() const {
        QStringList texts;
        for (const KeptEdit& e : kept.edits())
            texts << e.fields.first();
        return texts;
    }
    void click(const char* name) { w->findChild<QPushButton*>(QString::fromLatin1(name))->click(); }

    QTemporaryDir home;
    KeptEdits kept{home.path() + QStringLiteral("/kept.json")};
    frmHistory* w = nullptr;
    QTreeWidget* rows = nullptr;
};

} // namespace

// The store changes under the open window (another kept edit settled, another conflict kept):
// the window follows, and Take Mine and Keep Theirs act on the very edit whose row is chosen.
TEST_F(KeptConflicts, TakeMineAndKeepTheirsActOnTheEditShownWhateverTheStoreDidMeanwhile) {
    fx.write(eventsFile(), "Events", "me1", "Theirs 1");
    fx.write(eventsFile(), "Events", "me2", "Theirs 2");
    const QString me3 = fx.read(eventsFile(), "Events", "me3");
    kept.keep(conflict("me1", "Monday's"));
    kept.keep(conflict("me2", "Tuesday's"));
    EXPECT_EQ(shown(1), QStringList({"Monday's", "Tuesday's"}));
    choose("Tuesday's");

    kept.settle(kept.edits().front()); // settled elsewhere meanwhile
    kept.keep(conflict("me3", "Wednesday's"));
    EXPECT_EQ(shown(1), QStringList({"Tuesday's", "Wednesday's"}));
    ASSERT_EQ(rows->currentItem()->text(1), QStringLiteral("Tuesday's"));
    click("Command7"); // Take Mine
    EXPECT_EQ(fx.read(eventsFile(), "Events", "me2"), QStringLiteral("Tuesday's"));
    EXPECT_EQ(fx.read(eventsFile(), "Events", "me1"), QStringLiteral("Theirs 1"));
    EXPECT_EQ(fx.read(eventsFile(), "Events", "me3"), me3);
    EXPECT_EQ(keptTexts(), QStringList({"Wednesday's"}));

    kept.keep(conflict("me4", "Thursday's"));
    choose("Wednesday's");
    kept.keep(conflict("me5", "Friday's"));
    click("Command8"); // Keep Theirs
    EXPECT_EQ(keptTexts(), QStringList({"Thursday's", "Friday's"}));
    EXPECT_EQ(fx.read(eventsFile(), "Events", "me3"), me3);
}

// Text kept for the same file of another data folder is named, never listed beside this file's
// version, and never written here.
TEST_F(KeptConflicts, TextKeptForAnotherFolderIsNeverWrittenHere) {
    QTemporaryDir other;
    kept.keep(conflict("me1", "Other station's", other.path()));
    EXPECT_EQ(rows->topLevelItemCount(), 0);
    EXPECT_FALSE(w->findChild<QPushButton*>(QStringLiteral("Command7"))->isVisible());
    const QString said = w->findChild<QLabel*>(QStringLiteral("Label2"))->text();
    EXPECT_TRUE(said.contains(other.path()) && said.contains(QStringLiteral("never written here")))
        << said.toStdString();

    kept.keep(conflict("me1", "This station's"));
    EXPECT_EQ(shown(1), QStringList({"This station's"}));
    click("Command7");
    EXPECT_EQ(fx.read(eventsFile(), "Events", "me1"), QStringLiteral("This station's"));
    EXPECT_EQ(keptTexts(), QStringList({"Other station's"}));
}

// A third studio saves after the window showed the file's version beside the kept text: Take Mine
// writes over nothing it did not show, keeps the text, and shows the newer version beside it.
TEST_F(KeptConflicts, ASaveAfterTheVersionWasShownMakesTakeMineAConflict) {
    fx.write(eventsFile(), "Events", "me1", "Theirs");
    kept.keep(conflict("me1", "Mine"));
    ASSERT_EQ(shown(2), QStringList({"Theirs"}));
    fx.write(eventsFile(), "Events", "me1", "A third studio's");
    click("Command7");
    EXPECT_EQ(fx.read(eventsFile(), "Events", "me1"), QStringLiteral("A third studio's"));
    EXPECT_EQ(keptTexts(), QStringList({"Mine"}));
    EXPECT_TRUE(w->message()->text().startsWith(QStringLiteral("Not written")))
        << w->message()->text().toStdString();
    EXPECT_EQ(shown(2), QStringList({"A third studio's"}));
    click("Command7"); // over the version now shown
    EXPECT_EQ(fx.read(eventsFile(), "Events", "me1"), QStringLiteral("Mine"));
    EXPECT_TRUE(kept.edits().isEmpty());
}

// A station's 90 days of history on the day's events: the window lists the newest changes at once,
// and older ones a page at a time, in order, as the presenter asks for them.
TEST_F(HistoryWindow, ALongHistoryShowsTheNewestChangesAtOnceAndOlderOnesOnAsking) {
    fx.write(eventsFile(), "Events", "me1", "Today's");
    {
        RoutingProvider station;
        const std::shared_ptr<Database> file = station.open(eventsFile(), catalogue::connectString());
        QVector<HistoryEntry> entries;
        const QDateTime start = QDateTime::currentDateTimeUtc().addDays(-kHistoryKeptDays);
        for (int i = 0; i < 30000; ++i)
            entries.push_back({0, start.addSecs(i * 258), "studio-b", "presenter", "Events", 1,
                               ChangeKind::Update, "me1", QString::number(i), QString::number(i + 1)});
        dynamic_cast<HistorySource&>(*file).addHistoryEntries(entries);
    }
    load();
    c().mnuEditHistory->trigger();
    auto* w = windows::find<frmHistory>(QStringLiteral("frmHistory"));
    ASSERT_NE(w, nullptr);
    w->findChild<QComboBox*>(QStringLiteral("Combo1"))->setCurrentIndex(1); // Today's events
    auto* older = w->findChild<QPushButton*>(QStringLiteral("Command9"));
    EXPECT_TRUE(w->message()->text().isEmpty()) << w->message()->text().toStdString();
    const int page = w->list()->topLevelItemCount();
    ASSERT_GT(page, 0);
    ASSERT_LT(page, 30000);
    EXPECT_EQ(w->list()->topLevelItem(0)->text(6), QStringLiteral("Today's"));
    EXPECT_EQ(w->list()->topLevelItem(1)->text(6), QStringLiteral("30000"));
    ASSERT_TRUE(older->isEnabled());
    older->click();
    ASSERT_EQ(w->list()->topLevelItemCount(), 2 * page);
    for (int row = 1; row < 2 * page; ++row)
        ASSERT_EQ(w->list()->topLevelItem(row)->text(6), QString::number(30001 - row)) << row;
    w->close();
}

// Every record of a copy library, deleted ones too: each change names its copy, a deleted copy by
// the name it had, and its field as the library window labels it.
TEST_F(HistoryWindow, EveryRecordNamesTheCopyEachChangeWasMadeTo) {
    const QString promo = fx.dataFile(catalogue::libraryFiles()[0]);
    fx.append(promo, "Main", {{"PromoName", "Fall Fair"}, {"BodyText", "Saturday!"}});
    fx.write(promo, "Main", "EndDate", "12/31/26");
    const QString first = fx.read(promo, "Main", "PromoName");
    {
        RoutingProvider station;
        auto rs = station.open(promo, catalogue::connectString())->openTable("Main");
        rs->moveLast();
        rs->deleteCurrent();
    }
    frmHistory* w = showHistory(provider, nullptr, {{"Every record, deleted ones too", promo, "Main", 0}});
    QStringList rows;
    for (int i = 0; i < w->list()->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = w->list()->topLevelItem(i);
        rows << item->text(3) + " | " + item->text(4) + " | " + item->text(5) + " | " + item->text(6);
    }
    EXPECT_TRUE(rows.contains("Fall Fair (deleted) | Name (deleted) | Fall Fair | (nothing)"))
        << rows.join("\n").toStdString();
    EXPECT_TRUE(rows.contains("Fall Fair (deleted) | Copy (added) | (nothing) | Saturday!"))
        << rows.join("\n").toStdString();
    EXPECT_EQ(rows.filter(first + " | End Date | ").size(), 1) << rows.join("\n").toStdString();
    w->close();
}

// Another studio saves while the window is open: the list and the version beside the kept text
// show the save by themselves, as the board shows other studios' changes.
TEST_F(KeptConflicts, TheWindowShowsAnotherStudiosSaveWithoutBeingAsked) {
    fx.write(eventsFile(), "Events", "me1", "Theirs");
    kept.keep(conflict("me1", "Mine"));
    w->findChild<QPushButton*>(QStringLiteral("Command5"))->click(); // Refresh
    const int listed = w->list()->topLevelItemCount();
    ASSERT_EQ(shown(2), QStringList({"Theirs"}));
    fx.write(eventsFile(), "Events", "me1", "A third studio's");
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown(2) == QStringList({"A third studio's"}); }, 10000));
    EXPECT_EQ(w->list()->topLevelItemCount(), listed + 1);
    EXPECT_EQ(w->list()->topLevelItem(0)->text(6), QStringLiteral("A third studio's"));
}

// A third studio saves after the list showed the line: "Put Back Old Value" leaves that save in
// the file, says why, and lists it.
TEST_F(HistoryWindow, APutBackOverASaveMadeAfterTheListWasShownIsRefused) {
    fx.write(eventsFile(), "Events", "me1", "Shown");
    load();
    c().mnuEditHistory->trigger();
    auto* w = windows::find<frmHistory>(QStringLiteral("frmHistory"));
    ASSERT_NE(w, nullptr);
    w->findChild<QComboBox*>(QStringLiteral("Combo1"))->setCurrentIndex(1); // Today's events
    const int listed = w->list()->topLevelItemCount();
    ASSERT_EQ(w->list()->topLevelItem(0)->text(6), QStringLiteral("Shown"));
    fx.write(eventsFile(), "Events", "me1", "A third studio's");
    w->findChild<QPushButton*>(QStringLiteral("Command1"))->click(); // Put Back Old Value
    EXPECT_EQ(fx.read(eventsFile(), "Events", "me1"), QStringLiteral("A third studio's"));
    EXPECT_TRUE(w->message()->text().startsWith(QStringLiteral("Not put back: ")) &&
                w->message()->text().endsWith(QStringLiteral("The list now shows the newer change.")))
        << w->message()->text().toStdString();
    EXPECT_EQ(w->list()->topLevelItemCount(), listed + 1);
    w->close();
}
