#include "tests/app/BoardHarness.h"

#include "board/StatusLine.h"
#include "data/catalogue/Catalogue.h"
#include "data/controls/DataControl.h"

#include <QFontMetrics>

// What the status bar says: complete sentences in the engine's words, naming where, fitted to the bar.
namespace {

TEST(Messages, FailuresAreSentencesThatNameWhereTheyHappened) {
    const QString folder = QStringLiteral("/srv/radio/Data");
    const QString server = QStringLiteral("postgresql://db.example/radio");
    const QString refused =
        QStringLiteral("Monday.mdb in /srv/radio/Data is not writable for presenter2: ask the "
                       "station's engineer to make the data folder writable for the group.");
    const QString kept = QStringLiteral("Typed text kept on this computer in /home/p/kept/board-1.json.");
    const QString notADatabase = QStringLiteral("file is encrypted or is not a database");
    using K = FailureKind;
    const struct {
        K kind;
        QString words, where, file, notice, said;
    } cases[] = {
        // Only the place is known: the folder or server is the subject.
        {K::Other, "unable to open database file", folder, "", "",
         "The folder /srv/radio/Data could not be used: unable to open database file."},
        {K::Damaged, notADatabase, server, "", "",
         "The server postgresql://db.example/radio cannot be read: file is encrypted or is not a database."},
        // The file and its folder or server, whatever the engine's words.
        {K::Missing, "no such table: 12am", folder, "Monday.mdb", "",
         "Monday.mdb in /srv/radio/Data could not be opened: no such table: 12am."},
        {K::Damaged, notADatabase, folder, "MonEvents.mdb", "",
         "MonEvents.mdb in /srv/radio/Data cannot be read: file is encrypted or is not a database."},
        {K::Locked, "database is locked", folder, "Monday.mdb", "",
         "Monday.mdb in /srv/radio/Data is in use by another studio: database is locked."},
        {K::ReadOnly, "attempt to write a readonly database", folder, "Slogan.mdb", "",
         "Slogan.mdb in /srv/radio/Data cannot be written: attempt to write a readonly database."},
        {K::Other, "UNIQUE constraint failed: Main.PromoName", server, "Promo.mdb", "",
         "Promo.mdb on postgresql://db.example/radio could not be used: UNIQUE constraint failed: "
         "Main.PromoName."},
        // The program's own words keep their wording; where is added unless they name it.
        {K::Silent, "The data folder does not answer.", folder, "", "",
         "The data folder does not answer (in /srv/radio/Data)."},
        {K::Conflict, "The record was deleted by another user.", folder, "Monday.mdb", "",
         "The record was deleted by another user (Monday.mdb in /srv/radio/Data)."},
        {K::Refused, refused, folder, "Monday.mdb", "", refused},
        {K::NoFolder, "The folder /srv/radio/Data does not exist.", folder, "Monday.mdb", "",
         "The folder /srv/radio/Data does not exist."},
        // Nowhere known, and the notice after the failure.
        {K::ReadOnly, "attempt to write a readonly database", "", "", kept,
         "attempt to write a readonly database. " + kept},
        {K::Other, "", "", "", kept, kept},
        {K::Other, "", folder, "Monday.mdb", "", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StatusLine::compose(Failure(c.kind, c.where, c.words, c.file), c.notice), c.said)
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
    // The storage's own finding, naming the file and its folder.
    EXPECT_EQ(bar->toolTip(), "There is no NoSuchEvents.mdb in " + h.fx.dataFolder() + ".");
    EXPECT_TRUE(bar->toolTip().startsWith(bar->currentMessage().remove(QChar(0x2026))));
    EXPECT_LE(bar->fontMetrics().horizontalAdvance(bar->currentMessage()), bar->width());
}

} // namespace
