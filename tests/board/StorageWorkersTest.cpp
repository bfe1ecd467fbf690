#include "base/Steps.h"
#include "data/storage/AskedOnItsOwn.h"
#include "data/storage/StorageThread.h"
#include "data/storage/WorkerThread.h"
#include "tests/board/EditingBoard.h"
#include "tests/support/SlowShare.h"

#include <QDir>
#include <QElapsedTimer>
#include <QSemaphore>
#include <QSet>
#include <numeric>

namespace {

const auto late = std::make_exception_ptr(ShareNotAnsweringError());

// The threads of this process now.
QSet<QString> threadsNow() {
    const QStringList tasks =
        QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    return QSet<QString>(tasks.cbegin(), tasks.cend());
}

// A question that outlasts its asker's wait, then one asked while it is still unanswered: a share
// that is only busy answers the second in turn; one silent past kSilentAfterMs fails it at once.
TEST(StorageWorkers, ABusyShareAnswersInTurnAndOnlyASilentOneFailsAtOnce) {
    struct Case {
        const char* what;
        int firstAnswerMs;   // how long the share takes over the first question
        int askAgainAfterMs; // since the first was asked
        bool answered;
    };
    const Case cases[] = {
        {"busy: the next question waits its turn", 400, 0, true},
        {"silent: the next question fails at once", kSilentAfterMs + 1500, kSilentAfterMs + 100, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StorageThread share(100, QStringLiteral("share"));
        QElapsedTimer asked;
        asked.start();
        EXPECT_THROW(share.ask<int>([&] { return QThread::msleep(c.firstAnswerMs), 1; }, late),
                     AnswerLateError);
        while (asked.elapsed() < c.askAgainAfterMs)
            QThread::msleep(10);
        share.setWaitMs(3000);
        QElapsedTimer second;
        second.start();
        if (c.answered) {
            EXPECT_EQ(share.ask<int>([] { return 2; }, late), 2);
        } else {
            EXPECT_THROW(share.ask<int>([] { return 2; }, late), AnswerLateError);
            EXPECT_LT(second.elapsed(), 500) << "waited for a share known to be silent";
        }
    }
}

// A worker does its work in the order handed over, finishes what is queued when stopped, and one a
// share still holds is joined at the end of the program once the share lets it go.
TEST(StorageWorkers, WorkIsDoneInOrderQueuedWorkFinishesAndAHeldWorkerIsJoinedAtTheEnd) {
    QVector<int> done;
    {
        WorkerThread worker(QStringLiteral("ordered"));
        for (int i = 0; i < 200; ++i)
            worker.post([&done, i] { done << i; });
    }
    QVector<int> expected(200);
    std::iota(expected.begin(), expected.end(), 0);
    EXPECT_EQ(done, expected);

    auto share = std::make_shared<QSemaphore>();
    auto held = std::make_unique<WorkerThread>(QStringLiteral("held"));
    held->post([share] { share->acquire(); });
    EXPECT_FALSE(held->finishWithin(50));
    WorkerThread::retire(std::move(held));
    share->release();
    EXPECT_TRUE(WorkerThread::finishRetiredWithin(5000));
}

// A board on a share that stops answering and on a second, local data folder (the weather, say,
// pointed elsewhere): the stopped share holds only its own questions.
class TwoShares : public EditingBoard {
  protected:
    QString mount() const { return fx.root() + QStringLiteral("/share"); }
    SlowShare share{fx.dataFolder(), mount()};
};

TEST_F(TwoShares, AStoppedShareHoldsOnlyItsOwnQuestions) {
    if (!share.available()) GTEST_SKIP() << "no FUSE share here";
    const QString onShare = mount() + QStringLiteral("/Monday.mdb");
    const QString local = mondayFile();
    // Long enough for a local open under a loaded, sanitized build; the stopped share is late anyway.
    provider.setWaitMs(1000);
    const QString connect = catalogue::connectString();
    provider.open(onShare, connect)->openTable(QStringLiteral("12am"));
    share.hold();
    struct Release {
        SlowShare& share;
        ~Release() { share.release(); }
    } release{share};
    // The stopped share: late, then failing at once once silent.
    EXPECT_THROW(provider.open(onShare, connect)->changeStamp(), AnswerLateError);
    QElapsedTimer asked;
    asked.start();
    for (int i = 0; i < 20; ++i) {
        // Every other folder answers meanwhile, each in its own time.
        const auto db = provider.open(local, connect);
        EXPECT_EQ(db->openAtFirst(QStringLiteral("12am")).records->value(QStringLiteral("00am")).toString(),
                  fx.read(local, QStringLiteral("12am"), QStringLiteral("00am")));
        QThread::msleep(100);
    }
    EXPECT_GE(asked.elapsed(), kSilentAfterMs);
    // Only the stopped share is said not to answer, by name.
    EXPECT_EQ(provider.unanswered({local}).forMs, -1);
    const DatabaseProvider::Unanswered stopped = provider.unanswered({local, onShare});
    EXPECT_EQ(stopped.place, mount());
    EXPECT_GE(stopped.forMs, kSilentAfterMs);
    QElapsedTimer atOnce;
    atOnce.start();
    EXPECT_THROW(provider.open(onShare, connect), AnswerLateError);
    EXPECT_LT(atOnce.elapsed(), 150);
    share.release();
    EXPECT_TRUE(eventually([&] {
        return skipOnFailure([&] { provider.open(onShare, connect)->openTable(QStringLiteral("12am")); });
    }));
}

// An idle board, its watcher and read-ahead running, starts no thread: every question it asks goes
// to a worker that was there already.
TEST_F(TwoShares, AnIdleBoardStartsNoThread) {
    readAhead = watchChanges = true;
    load();
    // Start-up's own workers, and one round of the watcher, which meets each folder's lookout.
    for (QDeadlineTimer settle(4000); !settle.hasExpired();)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    const QSet<QString> before = threadsNow();
    QSet<QString> started;
    for (QDeadlineTimer idle(5000); !idle.hasExpired();) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        started += threadsNow() - before;
    }
    EXPECT_TRUE(started.isEmpty()) << started.size() << " threads started by an idle board";
}

} // namespace
