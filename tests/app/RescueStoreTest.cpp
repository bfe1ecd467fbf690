#include "data/catalogue/Catalogue.h"
#include "data/rescue/KeptEdits.h"
#include "data/storage/RoutingProvider.h"
#include "tests/support/Fixture.h"
#include "tests/support/RawConnection.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

// Board processes ended while a presenter types, and the next start that finds what they typed.
namespace {

class EndedBoards : public ::testing::Test {
  protected:
    Fixture fx{false};
    QTemporaryDir home; // this computer's program folder
    QString store = home.path() + QStringLiteral("/KeptEdits-presenter");
    QString monday = fx.dataFile(catalogue::weekdays().front().dayFile);

    static QString slot(int n) { return catalogue::slotFields()[n]; }

    // A board that has typed the text into the slot of midnight's first record and runs on.
    std::unique_ptr<QProcess> typing(int slotNumber, const QString& text, const QString& storeFolder = {}) {
        auto board = std::make_unique<QProcess>();
        board->start(QStringLiteral(CUEPILOT_TYPING_BOARD),
                     {storeFolder.isEmpty() ? store : storeFolder, monday, "12am", slot(slotNumber), text});
        EXPECT_TRUE(board->waitForReadyRead(20000)) << board->readAllStandardError().toStdString();
        EXPECT_EQ(board->readLine().trimmed(), "typed");
        return board;
    }
    static void end(QProcess& board, int signal) {
        ::kill(pid_t(board.processId()), signal);
        EXPECT_TRUE(board.waitForFinished(20000));
    }
    QString stored(int slotNumber) const { return fx.read(monday, "12am", slot(slotNumber)); }
    static QStringList keptTexts(const KeptEdits& kept) {
        QStringList texts;
        for (const KeptEdit& e : kept.edits())
            texts += e.fields.values();
        texts.sort();
        return texts;
    }
};

TEST_F(EndedBoards, TypingSurvivesAKillOrALogoutAndIsStoredAtTheNextStart) {
    struct Row {
        const char* what;
        int signal;
        bool fileLocked;   // another studio holds the file while the board ends
        bool storedAtOnce; // otherwise it is in the rescue store and stored at the next start
    };
    const Row rows[] = {{"killed", SIGKILL, false, false},
                        {"logged out", SIGTERM, false, true},
                        {"logged out, file locked", SIGTERM, true, false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const QString text = QStringLiteral("typed, then %1").arg(row.what);
        std::optional<RawConnection> otherStudio;
        auto board = typing(0, text);
        // A second after the last keystroke.
        QThread::msleep(1000);
        if (row.fileLocked) {
            otherStudio.emplace(monday);
            otherStudio->exec("BEGIN IMMEDIATE");
        }
        end(*board, row.signal);
        if (row.signal == SIGTERM) {
            EXPECT_EQ(board->exitStatus(), QProcess::NormalExit);
            EXPECT_EQ(board->exitCode(), 0) << board->readAllStandardError().toStdString();
        }
        otherStudio.reset();
        EXPECT_EQ(stored(0) == text, row.storedAtOnce) << stored(0).toStdString();

        RoutingProvider provider;
        const std::unique_ptr<KeptEdits> nextStart = KeptEdits::forThisProcess(store);
        ASSERT_TRUE(nextStart->writtenWithin(5000));
        EXPECT_EQ(keptTexts(*nextStart), row.storedAtOnce ? QStringList() : QStringList{text});
        nextStart->retry(provider, catalogue::connectString(), {fx.dataFolder()});
        EXPECT_EQ(stored(0), text);
        EXPECT_TRUE(nextStart->edits().isEmpty()) << nextStart->notice().toStdString();
        fx.write(monday, "12am", slot(0), QString());
    }
}

TEST_F(EndedBoards, EachBoardKeepsItsOwnStoreAndOnlyThoseOfEndedBoardsAreAdopted) {
    auto first = typing(0, "first board");
    auto second = typing(1, "second board");
    auto running = typing(2, "board still running");
    QThread::msleep(1000);
    end(*first, SIGKILL);
    end(*second, SIGKILL);
    // The store of a board long gone, damaged: it is set aside as it is, never overwritten.
    const QByteArray damaged = "[{\"file\": \"Monday.mdb\", \"fields\": {\"00am\": \"half";
    const QString damagedPath = store + QStringLiteral("/board-999999999.json");
    {
        QFile f(damagedPath);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(damaged);
    }

    const std::unique_ptr<KeptEdits> nextStart = KeptEdits::forThisProcess(store);
    ASSERT_TRUE(nextStart->writtenWithin(5000));
    EXPECT_EQ(keptTexts(*nextStart), (QStringList{"first board", "second board"}));
    const QString runningStore = store + QStringLiteral("/board-%1.json").arg(running->processId());
    EXPECT_TRUE(QFile::exists(runningStore));
    EXPECT_FALSE(QFile::exists(damagedPath));
    const QStringList aside = QDir(store).entryList({"board-999999999.json.unreadable-*"});
    ASSERT_EQ(aside.size(), 1);
    QFile setAside(store + QLatin1Char('/') + aside.front());
    ASSERT_TRUE(setAside.open(QIODevice::ReadOnly));
    EXPECT_EQ(setAside.readAll(), damaged);
    EXPECT_TRUE(nextStart->notice().contains("could not be read")) << nextStart->notice().toStdString();

    // The board still running ends later and stores its own text itself.
    end(*running, SIGTERM);
    EXPECT_EQ(stored(2), "board still running");
    EXPECT_FALSE(QFile::exists(runningStore));
}

// This user's own folder for a while ($HOME, under which the test run's per-user folders are).
class OwnHome {
  public:
    OwnHome() : before_(qgetenv("HOME")) { qputenv("HOME", dir_.path().toLocal8Bit()); }
    ~OwnHome() { qputenv("HOME", before_); }
    OwnHome(const OwnHome&) = delete;
    OwnHome& operator=(const OwnHome&) = delete;
    QString path() const { return dir_.path(); }

  private:
    QTemporaryDir dir_;
    QByteArray before_;
};

// Every file under the folder, by its path there, any date in its name as DATE.
QStringList filesUnder(const QString& folder) {
    static const QRegularExpression date(QStringLiteral("\\d{8}-\\d{6}"));
    QStringList files;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();)
        files << QDir(folder).relativeFilePath(it.next()).replace(date, QStringLiteral("DATE"));
    files.sort();
    return files;
}

TEST_F(EndedBoards, StoresLeftBesideTheProgramAreTakenIntoTheUsersOwnFolderOnceAndNothingIsWrittenThere) {
    const OwnHome user;
    const QString program = home.path();
    const QString old = KeptEdits::oldFolder(program);
    const QString oldName = QFileInfo(old).fileName();
    struct Row {
        const char* what;
        std::function<void()> leave; // what an earlier version left beside the program
        QStringList adopted;
        QStringList leftThere;
    };
    const Row rows[] = {
        {"a killed board's store",
         [&] {
             auto board = typing(0, "typed before the update", old);
             QThread::msleep(1000);
             end(*board, SIGKILL);
         },
         {"typed before the update"},
         {}},
        {"the one store of all boards",
         [&] {
             QFile f(old + QStringLiteral(".json"));
             ASSERT_TRUE(f.open(QIODevice::WriteOnly));
             f.write(QStringLiteral(
                         "[{\"file\": \"%1\", \"table\": \"12am\", \"fields\": {\"%2\": \"kept long ago\"}}]")
                         .arg(monday, slot(0))
                         .toUtf8());
         },
         {"kept long ago"},
         {}},
        {"a damaged store",
         [&] {
             QDir().mkpath(old);
             QFile f(old + QStringLiteral("/board-999999999.json"));
             ASSERT_TRUE(f.open(QIODevice::WriteOnly));
             f.write("{\"kept\": [{\"fields\": {\"00am\": \"half");
         },
         {},
         {oldName + QStringLiteral("/board-999999999.json.unreadable-DATE")}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        row.leave();
        QStringList kept;
        {
            const std::unique_ptr<KeptEdits> firstStart = KeptEdits::forThisUser(program);
            ASSERT_TRUE(firstStart->writtenWithin(5000));
            EXPECT_EQ(keptTexts(*firstStart), row.adopted);
            EXPECT_EQ(firstStart->notice().contains("could not be read"), !row.leftThere.isEmpty())
                << firstStart->notice().toStdString();
            // Text kept from now on goes to the user's own folder only.
            firstStart->keep({monday, "1am", {}, {{slot(1), "kept after the update"}}, {}, "locked"});
            ASSERT_TRUE(firstStart->writtenWithin(5000));
            EXPECT_TRUE(firstStart->storePath().startsWith(user.path() + QLatin1Char('/')))
                << firstStart->storePath().toStdString();
            EXPECT_TRUE(firstStart->storePath().startsWith(KeptEdits::localFolder() + QLatin1Char('/')));
            EXPECT_TRUE(QFile::exists(firstStart->storePath()));
            EXPECT_EQ(filesUnder(program), row.leftThere);
            kept = keptTexts(*firstStart);
        }
        // The next start finds each text once: what was beside the program is not taken in again.
        {
            const std::unique_ptr<KeptEdits> nextStart = KeptEdits::forThisUser(program);
            ASSERT_TRUE(nextStart->writtenWithin(5000));
            EXPECT_EQ(keptTexts(*nextStart), kept);
            EXPECT_EQ(filesUnder(program), row.leftThere);
        }
        QDir(KeptEdits::localFolder()).removeRecursively();
        QDir(old).removeRecursively();
    }
}

} // namespace
