#include "data/controls/DataControl.h"
#include "data/storage/PgConnection.h"
#include "data/storage/StorageThread.h"
#include "tests/board/ActOnTyping.h"
#include "tests/board/EditingBoard.h"
#include "widgets/Lbl3D.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <csignal>

namespace {

// The board on the station's server, which stops answering (SIGSTOP) just as the presenter acts on
// what was typed: every backend, the watcher's and the read-ahead's too, between two of their rounds,
// and the server's main process, so that no new connection is answered either. The handler is held
// no longer than the board waits, the clock goes on, and the text lands once the server answers, or
// is kept for the next start where the board closed.
class HungServer : public EditingBoard, public ::testing::WithParamInterface<ActOnTyping> {
  protected:
    HungServer() : EditingBoard(TestServer::own()) {
        readAhead = watchChanges = true;
        rescue = &kept;
    }
    void TearDown() override {
        resume();
        if (board) board->Form_Unload();
        board.reset();
    }

    void stopTheServer() {
        PgConnection admin({adminAddress(), QString(), QString()});
        const PgResult r = admin.exec("SELECT pid FROM pg_stat_activity WHERE datname = current_database() "
                                      "AND pid <> pg_backend_pid()");
        for (int i = 0; i < r.rows(); ++i)
            stopped_ << pid_t(r.int64(i, 0));
        const pid_t main = TestServer::own().postmasterPid();
        ASSERT_GT(main, 0) << "the server's main process is not known";
        stopped_ << main;
        for (pid_t pid : std::as_const(stopped_))
            kill(pid, SIGSTOP);
    }
    void resume() {
        for (pid_t pid : std::as_const(stopped_))
            kill(pid, SIGCONT);
        stopped_.clear();
    }

    KeptEdits kept{fx.programFolder() + QStringLiteral("/KeptEdits.json")};

  private:
    QString adminAddress() const {
        QString address = fx.dataFolder();
        return address.replace("postgresql://", "postgresql://postgres@");
    }
    QList<pid_t> stopped_;
};

TEST_P(HungServer, HoldsTheBoardNoLongerThanItsWaitAndTheTextLands) {
    load();
    clock.setTime(QTime(0, 58, 0));
    board->Timer1_Timer();
    c().command[3]->click();
    type(c().slotBox[2], "Typed as the server stopped");
    // A short wait, so that a handler waiting on the server (its own deadline is seconds) is told
    // from one that waited only for the board's turn.
    provider.setWaitMs(300);
    ASSERT_NO_FATAL_FAILURE(stopTheServer());

    QElapsedTimer held;
    held.start();
    {
        StorageTurn oneEvent; // as the program handles a click, a key or a tick
        GetParam().act(*board, c(), clock);
    }
    EXPECT_LT(held.elapsed(), 300 + 1500) << "the board waited for the server";
    if (GetParam().shows) {
        EXPECT_TRUE(eventually([&] { return GetParam().shows(c()); })) << statusText().toStdString();
        clock.setTime(clock.now().time().addSecs(1));
        board->Timer1_Timer();
        EXPECT_EQ(c().Lbl3D1->caption(), clock.now().time().toString("h:mm:ss AP"));
    } else {
        board.reset();
    }
    provider.setWaitMs(boardWaitMs());

    resume();
    const QString typed = QStringLiteral("Typed as the server stopped");
    EXPECT_TRUE(eventually([&] {
        if (!board && holdsTyped(kept, typed)) return true;
        return fx.read(mondayFile(), "12am", "05am") == typed;
    })) << (board ? statusText().toStdString() : std::string());
    if (board) {
        EXPECT_TRUE(eventually([&] {
            board->pollForChanges();
            return statusText().isEmpty();
        })) << statusText().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Acting, HungServer,
    ::testing::Values(
        ActOnTyping{"Save", [](frmMain&, BoardControls& c, FakeClock&) { c.command[4]->click(); },
                    says("The server does not answer (on postgresql://")},
        ActOnTyping{"HourRoll",
                    [](frmMain& b, BoardControls&, FakeClock& clock) {
                        clock.setTime(QTime(0, 59, 59));
                        b.Timer1_Timer();
                    },
                    says("The server does not answer (on postgresql://")},
        ActOnTyping{"DaysChoice", [](frmMain& b, BoardControls&, FakeClock&) { b.mnuDay_Click(2); },
                    [](BoardControls& c) {
                        return c.Label31->text() == "Wednesday" && wholeStatus(c.statusBar).contains("kept");
                    }},
        ActOnTyping{"Close", [](frmMain& b, BoardControls&, FakeClock&) { b.Form_Unload(); }, {}}),
    actingName);

// The board on its copy while the server does not answer, through rolls further than anything read
// ahead; what is typed meanwhile lands once it answers, and the board is back on live data.
class HungServerWithCopy : public HungServer {
  protected:
    HungServerWithCopy() { localCopyRoot = copies.path(); }
    QTemporaryDir copies;
};

TEST_F(HungServerWithCopy, ShowsTheCopyThroughTheRollsAndWhatIsTypedLandsAfter) {
    fx.write(mondayFile(), "3am", "00am", "Monday three");
    load();
    clock.setTime(QTime(0, 30, 0));
    board->Timer1_Timer();
    ASSERT_TRUE(board->waitForLocalCopy(60000));
    ASSERT_NO_FATAL_FAILURE(stopTheServer());

    clock.setTime(QTime(2, 59, 59));
    board->Timer1_Timer();
    board->Timer3_Timer();
    EXPECT_TRUE(eventually([&] {
        return statusText().contains(
                   QRegularExpression(QStringLiteral("The server postgresql://\\S+ does not answer: the "
                                                     "board shows its copy of 12:30 AM\\."))) &&
               c().data[1]->isOpen();
    })) << statusText().toStdString();
    EXPECT_EQ(c().Label32->text(), "3:00 AM - 4:00 AM");
    EXPECT_EQ(c().slotBox[1]->text(), "Monday three");
    c().command[3]->click();
    type(c().slotBox[2], "Typed on the copy");
    c().command[4]->click();

    resume();
    EXPECT_TRUE(eventually([&] {
        board->pollForChanges();
        try {
            return fx.read(mondayFile(), "3am", "05am") == "Typed on the copy";
        } catch (const StorageError&) {
            return false;
        }
    })) << statusText().toStdString();
    EXPECT_TRUE(eventually([&] { return !statusText().contains("copy of"); })) << statusText().toStdString();
}

} // namespace
