#include "tests/app/BoardHarness.h"

#include "board/StatusLine.h"
#include "data/catalogue/Catalogue.h"
#include "data/controls/DataControl.h"

#include <QFontMetrics>

// What the status bar says: complete sentences in the engine's words, naming where, fitted to the bar.
namespace {

TEST(Messages, FailuresAreSentencesThatNameWhereTheyHappened) {
    const QString folder = QStringLiteral("/srv/radio/Data");
    const QString refused =
        QStringLiteral("Monday.mdb in /srv/radio/Data is not writable for presenter2: ask the "
                       "station's engineer to make the data folder writable for the group.");
    const QString kept = QStringLiteral("Typed text kept on this computer in /home/p/kept/board-1.json.");
    const struct {
        QString words, where, notice, said;
    } cases[] = {
        {"unable to open database file", folder, "", "unable to open database file (in /srv/radio/Data)."},
        {"The data folder does not answer.", folder, "",
         "The data folder does not answer (in /srv/radio/Data)."},
        {refused, folder, "", refused},
        {"attempt to write a readonly database", "", kept, "attempt to write a readonly database. " + kept},
        {"file is encrypted or is not a database", "postgresql://db.example/radio", "",
         "file is encrypted or is not a database (in postgresql://db.example/radio)."},
        {"", "", kept, kept},
        {"", folder, "", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StatusLine::compose(Failure(FailureKind::Other, c.where, c.words), c.notice), c.said)
            << c.words.toStdString();
}

TEST(Messages, TheBarShowsWhatFitsAndTheWholeTextInItsTooltip) {
    const QFontMetrics metrics(QApplication::font());
    const QString text =
        QStringLiteral("attempt to write a readonly database (in /srv/radio/Data). Typed text kept "
                       "on this computer in /home/presenter/.local/share/Cuepilot/kept-edits/"
                       "board-4242.json. Monday.mdb in /srv/radio/Data, 12am (00am) not stored.");
    for (int width : {300, 800, 1340, 4000}) {
        const QString shown = StatusLine::fitted(text, metrics, width);
        EXPECT_LE(metrics.horizontalAdvance(shown), width) << width;
        if (shown == text) continue;
        EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << width;
        const QString start = shown.chopped(1);
        EXPECT_TRUE(text.startsWith(start + ' ')) << shown.toStdString(); // whole words only
    }

    // A failure on the board at 1366 wide: the whole text in the tooltip, and what shows fits.
    BoardHarness h;
    h.board.Form_Load();
    h.board.resize(1366, 740);
    h.board.show();
    h.c().data[2]->setDatabaseName(h.fx.dataFolder() + "\\NoSuchEvents.mdb");
    h.c().mnuFileRefresh->trigger();
    QStatusBar* bar = h.c().statusBar;
    EXPECT_TRUE(bar->toolTip().endsWith(").")) << bar->toolTip().toStdString();
    EXPECT_TRUE(bar->toolTip().startsWith(bar->currentMessage().remove(QChar(0x2026))));
    EXPECT_LE(bar->fontMetrics().horizontalAdvance(bar->currentMessage()), bar->width());
}

} // namespace
