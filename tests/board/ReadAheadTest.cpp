#include "data/DataControl.h"
#include "tests/board/EditingBoard.h"
#include "tests/support/RawConnection.h"
#include "tests/support/SlowShare.h"
#include "widgets/Lbl3D.h"

#include <QAction>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QPushButton>
#include <atomic>
#include <thread>

namespace {

// The next hour's and the next day's tables, read ahead from a thread of their own, and what the
// rolls make of them.
class ReadAheadBoard : public EditingBoard {
  protected:
    explicit ReadAheadBoard(const QString& setupPath = QStringLiteral("<data>"))
        : EditingBoard(Engine::Files, setupPath) {
        readAhead = true;
    }

    // The clock reaches the second and both timers tick, as on a running board.
    void second(const QTime& t) {
        tickAt(t);
        board->Timer3_Timer();
    }
    // A second before a roll: the board has had the hour to read ahead.
    void readAheadBefore(const QTime& t) {
        second(t);
        board->waitForOpenAhead();
    }
};

TEST_F(ReadAheadBoard, ARollShowsWhatWasReadAheadOnlyWhileNoStudioHasWrittenSince) {
    fx.write(mondayFile(), "1am", "00am", "Read ahead");
    load();

    // Unchanged since it was read: the roll takes it as read, so another studio's write under way
    // does not hold the roll up.
    readAheadBefore(QTime(0, 59, 58));
    {
        RawConnection studioB(mondayFile());
        studioB.exec("BEGIN EXCLUSIVE");
        second(QTime(0, 59, 59));
        studioB.exec("ROLLBACK");
    }
    EXPECT_EQ(c().Label32->text(), "1:00 AM - 2:00 AM");
    EXPECT_EQ(c().slotBox[1]->text(), "Read ahead");
    EXPECT_TRUE(statusText().isEmpty()) << statusText().toStdString();
    // Written by another studio after the roll: it appears as ever.
    fx.write(mondayFile(), "1am", "10am", "Written after the roll");
    board->pollForChanges();
    EXPECT_EQ(c().slotBox[3]->text(), "Written after the roll");
    // What is typed then goes into the table shown.
    c().command[3]->click();
    type(c().slotBox[2], "Typed at one");
    c().command[4]->click();
    EXPECT_EQ(fx.read(mondayFile(), "1am", "05am"), "Typed at one");
    EXPECT_EQ(fx.read(mondayFile(), "1am", "00am"), "Read ahead");

    // Written by another studio after it was read ahead: the roll shows the change.
    readAheadBefore(QTime(1, 59, 58));
    fx.write(mondayFile(), "2am", "00am", "Written after the read-ahead");
    second(QTime(1, 59, 59));
    EXPECT_EQ(c().slotBox[1]->text(), "Written after the read-ahead");

    // The same for the next day's files at midnight.
    const catalogue::Weekday& tuesday = catalogue::weekdays()[1];
    readAheadBefore(QTime(23, 59, 58));
    fx.write(fx.dataFile(tuesday.weatherFile), "MonWx", "Wx", "Tuesday's weather, written late");
    fx.write(fx.dataFile(tuesday.dayFile), "12am", "00am", "Tuesday's first slot, written late");
    second(QTime(23, 59, 59));
    EXPECT_EQ(c().Label31->text(), "Tuesday");
    EXPECT_EQ(c().Text20->text(), "Tuesday's weather, written late");
    EXPECT_EQ(c().slotBox[1]->text(), "Tuesday's first slot, written late");
    EXPECT_TRUE(statusText().isEmpty()) << statusText().toStdString();
}

QString shareMount() {
    return QDir::tempPath() + QStringLiteral("/cuepilot-share-%1").arg(QCoreApplication::applicationPid());
}

// The board's data folder on a network drive that stops answering.
class HungShare : public ReadAheadBoard {
  protected:
    HungShare() : ReadAheadBoard(shareMount()), share(fx.dataFolder(), shareMount()) {}
    void SetUp() override {
        if (!share.available()) GTEST_SKIP() << "needs root, /dev/fuse and python3-fusepy";
    }
    void TearDown() override {
        share.release();
        if (board) board->Form_Unload();
    }
    SlowShare share;
};

TEST_F(HungShare, AShareThatStopsAnsweringHoldsTheBoardNoLongerThanItWaitsForALock) {
    load();
    readAheadBefore(QTime(0, 59, 58));
    share.hold();
    // Should the board hang on the share after all, the share answers again and the test fails.
    std::atomic<bool> done{false}, unstuck{false};
    std::thread watchdog([&] {
        for (int i = 0; i < 600 && !done; ++i)
            QThread::msleep(100);
        if (!done) {
            unstuck = true;
            share.release();
        }
    });

    second(QTime(0, 59, 59)); // the hour roll
    EXPECT_TRUE(statusText().contains("The data folder does not answer.")) << statusText().toStdString();
    second(QTime(1, 0, 0));
    EXPECT_EQ(c().Lbl3D1->caption(), "1:00:00 AM");
    c().mnuFileRefresh->trigger();
    board->mnuDay_Click(2);
    EXPECT_EQ(c().Label31->text(), "Wednesday");
    second(QTime(1, 0, 1));
    EXPECT_EQ(c().Lbl3D1->caption(), "1:00:01 AM");
    done = true;
    watchdog.join();
    EXPECT_FALSE(unstuck) << "the board waited for the share";

    // Back again: the board reads by itself, Wednesday's files at the hour it was sent to.
    share.release();
    for (const QDeadlineTimer deadline(20000); !statusText().isEmpty() && !deadline.hasExpired();) {
        board->pollForChanges();
        QThread::msleep(20);
    }
    EXPECT_TRUE(statusText().isEmpty()) << statusText().toStdString();
    EXPECT_EQ(c().data[1]->databaseName(), shareMount() + QStringLiteral("\\Wednesday.mdb"));
    EXPECT_TRUE(c().data[1]->isOpen());
}

} // namespace
