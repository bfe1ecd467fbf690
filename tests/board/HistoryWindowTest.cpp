#include "data/rescue/KeptEdits.h"
#include "history/frmHistory.h"
#include "tests/board/EditingBoard.h"
#include "widgets/Windows.h"

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
    EXPECT_TRUE(w->message()->text().contains(QStringLiteral("keeps no history")))
        << w->message()->text().toStdString();
    EXPECT_EQ(w->list()->topLevelItemCount(), 0);

    topics->setCurrentIndex(1); // Today's events
    int cleared = 0;
    for (const QString& text : before)
        cleared += text.isEmpty() ? 0 : 1;
    ASSERT_EQ(w->list()->topLevelItemCount(), cleared);
    for (int row = 0; row < cleared; ++row) {
        const QTreeWidgetItem* item = w->list()->topLevelItem(row);
        EXPECT_EQ(item->text(5), QStringLiteral("(empty)"));
        EXPECT_TRUE(before.contains(item->text(4))) << item->text(4).toStdString();
        EXPECT_EQ(item->text(2), thisAuthor().user);
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
    EXPECT_EQ(w->list()->topLevelItem(0)->text(4), QStringLiteral("(empty)"));
    w->close();
}

// Another studio's save over a line this studio was typing: the typed text is kept on this
// computer, the History window shows it beside the file's version, and "Take Mine" stores it.
TEST_F(HistoryWindow, AConflictShowsBothVersionsAndEitherCanBeTaken) {
    QTemporaryDir home;
    KeptEdits kept(home.path() + QStringLiteral("/kept.json"));
    provider.setKeptEdits(&kept);
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
    provider.setKeptEdits(nullptr);
}
