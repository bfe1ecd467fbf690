#include "data/catalogue/Catalogue.h"
#include "data/rescue/KeptEdits.h"
#include "data/storage/RoutingProvider.h"
#include "tests/support/Fixture.h"
#include "tests/support/RawConnection.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
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
    std::unique_ptr<QProcess> typing(int slotNumber, const QString& text) {
        auto board = std::make_unique<QProcess>();
        board->start(QStringLiteral(CUEPILOT_TYPING_BOARD), {store, monday, "12am", slot(slotNumber), text});
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

} // namespace
