#include "tests/app/BoardHarness.h"

#include "board/StartFailures.h"
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
        {K::Other, "This file keeps no history.", folder, "MonWx.mdb", "",
         "This file keeps no history (MonWx.mdb in /srv/radio/Data)."},
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

// Why the load found no data: the openings of one start, in load order, and what the board says.
TEST(Messages, TheStartSaysWhyOncePerPlaceAndTellsAWrongPasswordFromADamagedFile) {
    using K = FailureKind;
    const QString d = QStringLiteral("/srv/radio/Data"), p = QStringLiteral("/opt/cuepilot");
    const QString server = QStringLiteral("postgresql://db.example/radio");
    const QString notADb = QStringLiteral("file is encrypted or is not a database");
    const QString noFolder = QStringLiteral("The folder /srv/radio/Data does not exist.");
    const QString denied = QStringLiteral("password authentication failed for user \"cuepilot\"");
    const auto at = [](const QString& place, const char* file) { return place + "/" + file; };
    struct Opening {
        QString path;    // opened, when failure is empty
        Failure failure; // the opening's failure
    };
    const auto ok = [](const QString& path) { return Opening{path, {}}; };
    const auto bad = [](K kind, const QString& where, const char* file, const QString& words) {
        return Opening{{}, Failure(kind, where, words, QString::fromLatin1(file))};
    };
    const struct {
        const char* name;
        QVector<Opening> openings;
        QString reason, headline;
    } cases[] = {
        {"all opened", {ok(at(p, "Setup.mdb")), ok(at(d, "Monday.mdb"))}, "", ""},
        {"a day file missing",
         {ok(at(p, "Setup.mdb")), ok(at(d, "Monday.mdb")),
          bad(K::Missing, d, "MonEvents.mdb", "There is no MonEvents.mdb in " + d + "."),
          ok(at(d, "MonWx.mdb"))},
         "There is no MonEvents.mdb in /srv/radio/Data.",
         "There is no MonEvents.mdb in /srv/radio/Data."},
        {"every file of the folder unreadable",
         {ok(at(p, "Setup.mdb")), bad(K::Damaged, d, "Monday.mdb", notADb),
          bad(K::Damaged, d, "MonEvents.mdb", notADb), bad(K::Damaged, d, "MonWx.mdb", notADb)},
         "The password for the files in /srv/radio/Data is wrong: " + notADb + ".",
         "The password for the files in /srv/radio/Data is wrong: " + notADb + "."},
        {"two files damaged, a third readable",
         {bad(K::Damaged, d, "Monday.mdb", notADb), bad(K::Damaged, d, "MonEvents.mdb", notADb),
          ok(at(d, "MonWx.mdb"))},
         "Monday.mdb in /srv/radio/Data cannot be read: " + notADb +
             ". MonEvents.mdb in /srv/radio/Data cannot be read: " + notADb + ".",
         "Monday.mdb in /srv/radio/Data cannot be read: " + notADb +
             ". One other file there could not be opened either."},
        {"a server refusing every file alike",
         {ok(at(p, "Setup.mdb")), bad(K::Other, server, "Monday.mdb", denied),
          bad(K::Other, server, "MonEvents.mdb", denied)},
         "The server " + server + " could not be used: " + denied + ".",
         "The server " + server + " could not be used: " + denied + "."},
        {"the folder missing, said once",
         {ok(at(p, "Setup.mdb")), bad(K::NoFolder, d, "Monday.mdb", noFolder),
          bad(K::NoFolder, d, "MonEvents.mdb", noFolder), bad(K::NoFolder, d, "MonWx.mdb", noFolder)},
         noFolder,
         noFolder},
        {"a share only slow or silent: said by the rounds",
         {bad(K::Slow, d, "Monday.mdb", "The data folder does not answer."),
          bad(K::Silent, d, "MonEvents.mdb", "The data folder does not answer.")},
         "",
         ""},
        {"Setup.mdb damaged, the day files then not in the program folder",
         {bad(K::Damaged, p, "Setup.mdb", notADb), ok(at(p, "Location.mdb")),
          bad(K::Missing, p, "Monday.mdb", "There is no Monday.mdb in " + p + "."),
          bad(K::Missing, p, "MonEvents.mdb", "There is no MonEvents.mdb in " + p + "."),
          bad(K::Missing, p, "MonEvents.mdb", "There is no MonEvents.mdb in " + p + ".")},
         "Setup.mdb in /opt/cuepilot cannot be read: " + notADb +
             ". There is no Monday.mdb in /opt/cuepilot. There is no MonEvents.mdb in /opt/cuepilot.",
         "Setup.mdb in /opt/cuepilot cannot be read: " + notADb +
             ". 2 other files there could not be opened either."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StartFailures start;
        for (const Opening& o : c.openings)
            o.path.isEmpty() ? start.failed(o.failure) : start.opened(o.path);
        EXPECT_EQ(start.reason(), c.reason);
        EXPECT_EQ(start.headline(), c.headline);
    }
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
