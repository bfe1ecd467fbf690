#include "base/Steps.h"
#include "data/rescue/KeptEdits.h"
#include "data/sharing/ReadAhead.h"
#include "data/storage/AskedOnItsOwn.h"
#include "data/storage/SqlCipherProvider.h"
#include "data/storage/StorageThread.h"
#include "tests/data/StorageSuite.h"
#include "tests/support/RawConnection.h"

#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

// The windows of one board share one connection to each file: what one of them stores, the others
// see, and what a presenter typed lands in the record it was typed over or is kept, never elsewhere.
namespace {

class OneBoard : public StorageBase, public ::testing::TestWithParam<Engine> {
  protected:
    OneBoard() : StorageBase(GetParam()) { journal = &kept; }
    QTemporaryDir home;
    KeptEdits kept{home.path() + QStringLiteral("/KeptEdits.json")};

    std::unique_ptr<DataControl> opened(const QString& table = QStringLiteral("Main")) {
        auto dc = control(promo, table);
        dc->refresh();
        return dc;
    }
};

INSTANTIATE_TEST_SUITE_P(BothEngines, OneBoard, ::testing::Values(Engine::Files, Engine::Server),
                         EngineName());

// A save in the event detail window, say, and the board's line on the same record: the board shows
// the saved text, and the presenter's next edit of that line is stored, not refused as a conflict.
TEST_P(OneBoard, ASaveInOneWindowIsSeenByTheOthersAndTheirNextEditIsNoConflict) {
    auto board = opened();
    auto window = opened();
    window->setFieldText("BodyText", "saved in the window");
    window->update();
    EXPECT_TRUE(pollUntilNews(*board));
    EXPECT_EQ(board->fieldText("BodyText"), "saved in the window");
    board->setFieldText("BodyText", "then on the board");
    board->update();
    EXPECT_TRUE(kept.edits().isEmpty());
    EXPECT_EQ(fx.read(promo, "Main", "BodyText"), "then on the board");
}

// Text typed over a record that another studio deletes meanwhile belongs to no record the control
// will show: whether the control reads the same table again or is pointed elsewhere, the text is
// kept as a conflict and no other record is written.
TEST_P(OneBoard, TextTypedOverARecordDeletedElsewhereIsKeptNeverWrittenIntoAnother) {
    const struct {
        const char* what;
        std::function<void(DataControl&)> then;
    } cases[] = {
        {"the same table read again", [](DataControl& dc) { dc.refresh(); }},
        {"the control pointed at another table",
         [](DataControl& dc) {
             dc.setRecordSource("Main");
             dc.setDatabaseName(dc.databaseName().replace("Promo", "Psa"));
             dc.refresh();
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fx.removeAll(promo, "Main");
        for (const char* name : {"B", "A", "C"})
            fx.append(promo, "Main", {{"PromoName", name}, {"BodyText", name}});
        QFile::remove(kept.storePath());
        KeptEdits fresh(kept.storePath());
        journal = &fresh;
        auto dc = opened();
        dc->setFieldText("BodyText", "typed over B");
        {
            RoutingProvider otherStudio;
            auto other = control(promo, "Main", otherStudio);
            other->refresh();
            other->deleteRecord();
        }
        ASSERT_TRUE(pollUntilNews(*dc));
        try {
            c.then(*dc);
        } catch (const StorageError&) {
        }
        EXPECT_EQ(fx.count(promo, "Main"), 2);
        EXPECT_EQ(fx.read(promo, "Main", "BodyText", 0), "A");
        ASSERT_EQ(fresh.edits().size(), 1);
        EXPECT_TRUE(fresh.edits()[0].conflict);
        EXPECT_EQ(fresh.edits()[0].fields.value("BodyText"), "typed over B");
        journal = &kept;
    }
}

class OneBoardOnFiles : public StorageBase, public ::testing::Test {
  protected:
    OneBoardOnFiles() : StorageBase(Engine::Files) {}
};

// A share marked silent while a read is under way: the read still ends its transaction, so other
// studios can write and this board's next read starts cleanly.
TEST_F(OneBoardOnFiles, AReadInterruptedByASilentShareLeavesNoTransactionOpen) {
    SqlCipherProvider files;
    auto db = files.open(promo, catalogue::connectString());
    auto answered = std::make_shared<std::atomic<bool>>(false);
    const QString folder = QFileInfo(promo).path();
    try {
        db->readTogether([&] {
            db->openTable("Main");
            UnansweredFolders::waitingFor(folder, answered);
        });
    } catch (const StorageError&) {
    }
    *answered = true;
    EXPECT_FALSE(UnansweredFolders::stillWaiting(folder));
    RawConnection otherStudio(promo);
    EXPECT_NO_THROW(otherStudio.exec("PRAGMA busy_timeout = 0; BEGIN IMMEDIATE; COMMIT"));
    EXPECT_NO_THROW(db->readTogether([&] { db->openTable("Main"); }));
}

// The file goes away under an open control (its next refresh fails) and the presenter types on over
// the record still shown: the text stays shown and in the rescue store, and reaches that record by
// the usual old-value-checked write once the file is back, through the control or, closed meanwhile,
// through the store; a record changed meanwhile keeps it for a person.
TEST_F(OneBoardOnFiles, TextTypedAfterTheFileWentAwayReachesTheRecordItWasTypedOver) {
    const QString typed = QStringLiteral("typed while away");
    const struct {
        const char* what;
        bool closedWhileAway;
        QString otherStudioWrites; // into the same field once the file is back
        QString stored;
    } cases[] = {
        {"refreshed once the file is back", false, {}, typed},
        {"closed while away", true, {}, typed},
        {"changed by another studio meanwhile", false, "the other studio's", "the other studio's"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir home;
        KeptEdits kept(home.path() + QStringLiteral("/KeptEdits.json"));
        journal = &kept;
        fx.write(promo, "Main", "BodyText", "B");
        auto dc = control(promo, "Main");
        dc->refresh();

        ASSERT_TRUE(QFile::rename(promo, promo + ".away"));
        EXPECT_THROW(dc->refresh(), StorageError);
        dc->setFieldText("BodyText", typed);
        EXPECT_THROW(dc->update(), NotOpenError);
        EXPECT_EQ(dc->fieldText("BodyText"), typed);
        ASSERT_TRUE(kept.writtenWithin(5000));
        QFile store(kept.storePath());
        ASSERT_TRUE(store.open(QIODevice::ReadOnly));
        EXPECT_TRUE(store.readAll().contains(typed.toUtf8()));
        if (c.closedWhileAway) dc->close();

        ASSERT_TRUE(QFile::rename(promo + ".away", promo));
        if (!c.otherStudioWrites.isEmpty()) fx.write(promo, "Main", "BodyText", c.otherStudioWrites);
        if (c.closedWhileAway)
            kept.retry(provider, catalogue::connectString());
        else
            dc->refresh();
        EXPECT_EQ(fx.read(promo, "Main", "BodyText"), c.stored);
        EXPECT_EQ(fx.read(promo, "Main", "BodyText", 1), "A") << "no other record is written";
        const bool keptForAPerson = c.stored != typed;
        ASSERT_EQ(kept.edits().size(), keptForAPerson ? 1 : 0);
        if (keptForAPerson) {
            EXPECT_TRUE(kept.edits()[0].conflict);
            EXPECT_EQ(kept.edits()[0].fields.value("BodyText"), typed);
        }
        journal = &EditJournal::none();
    }
}

// Values another program stored as bytes or as text that is not UTF-8 can be edited like any other.
TEST_F(OneBoardOnFiles, AFieldStoredAsBytesOrBrokenTextCanBeEdited) {
    for (const char* stored : {"X'00FF41'", "CAST(X'C328' AS TEXT)", "42"}) {
        SCOPED_TRACE(stored);
        RawConnection(promo).exec(std::string("UPDATE Main SET BodyText = ") + stored +
                                  " WHERE PromoName = 'B'");
        auto dc = control(promo, "Main");
        dc->refresh();
        dc->setFieldText("BodyText", "edited");
        EXPECT_NO_THROW(dc->update());
        EXPECT_EQ(fx.read(promo, "Main", "BodyText"), "edited");
    }
}

// Refresh Data switches every control at once: a control that stores its typing as it switches must
// not then be shown the table as read ahead before that very write.
TEST_F(OneBoardOnFiles, ASwitchNeverShowsATableAsItWasBeforeAWriteMadeDuringIt) {
    ReadAhead ahead([] { return std::make_unique<RoutingProvider>(); }, catalogue::connectString(), 60000);
    provider.consultTablesAhead(&ahead);
    ahead.setWanted({{promo, "Main"}});
    ahead.start();
    ahead.waitUntilRead();
    auto first = control(promo, "Main");
    auto typing = control(promo, "Main");
    first->refresh();
    typing->refresh();
    typing->setFieldText("BodyText", "typed before Refresh Data");
    {
        const OneSwitch refreshData(provider);
        first->refresh();
        typing->refresh();
    }
    EXPECT_EQ(fx.read(promo, "Main", "BodyText"), "typed before Refresh Data");
    EXPECT_EQ(typing->fieldText("BodyText"), "typed before Refresh Data");
    provider.consultTablesAhead(nullptr);
}

// Another program switches a file to WAL journal mode (the sqlite shell does it in one command):
// its commits then leave the file's header as it was, so a table read before one is never handed
// back as unchanged after it, and the file is switched back once that program lets go of it.
TEST_F(OneBoardOnFiles, AFileSwitchedToWalModeIsNeverShownStaleAndIsSwitchedBack) {
    std::shared_ptr<Database> db = provider.open(promo, catalogue::connectString());
    const auto snapshotOrNone = [&](std::shared_ptr<const TableSnapshot> previous) {
        std::shared_ptr<const TableSnapshot> snapshot;
        skipOnFailure([&] { snapshot = db->snapshot("Main", previous); });
        return snapshot;
    };
    const auto readBefore = snapshotOrNone(nullptr);
    ASSERT_TRUE(readBefore);
    {
        RawConnection otherProgram(promo);
        otherProgram.exec("PRAGMA journal_mode = WAL");
        // The switch itself rewrites the header, so a look at the marker alone, as a board's switch
        // makes, no longer finds what was read before it unchanged.
        EXPECT_FALSE(ReadAhead::unchangedSince(*readBefore));
        const auto before = snapshotOrNone(nullptr);
        otherProgram.exec("UPDATE Main SET BodyText = 'written in WAL mode'");
        const auto after = snapshotOrNone(before);
        if (after) {
            EXPECT_EQ(after->first.value(after->fields.indexOf("BodyText")).toString(),
                      "written in WAL mode");
        }
    }
    provider.open(promo, catalogue::connectString());
    EXPECT_EQ(RawConnection(promo).text("PRAGMA journal_mode"), "delete");
}

} // namespace

// The questions one event of the board asks share one wait: the second of two slow answers in one
// turn is late, where each alone is answered in time; an event loop begun inside the turn (a
// dialog's) has turns of its own.
TEST(StorageTurns, QuestionsOfOneEventShareOneWait) {
    StorageThread thread(1000, QStringLiteral("test share"));
    const auto slowAnswer = [&thread] {
        thread.ask<int>(
            [] {
                QThread::msleep(700);
                return 1;
            },
            std::make_exception_ptr(ShareNotAnsweringError()));
    };
    const auto answersInTime = [&](int questions) {
        try {
            for (int i = 0; i < questions; ++i)
                slowAnswer();
            return true;
        } catch (const AnswerLateError&) {
            return false;
        }
    };
    EXPECT_TRUE(answersInTime(2)); // no turn: a wait each
    {
        const StorageTurn turn;
        EXPECT_TRUE(answersInTime(1));
        bool inDialog = false;
        QEventLoop dialog;
        QTimer::singleShot(0, &dialog, [&] {
            const StorageTurn dialogsOwn;
            inDialog = answersInTime(1);
            dialog.quit();
        });
        dialog.exec();
        EXPECT_TRUE(inDialog);
        EXPECT_FALSE(answersInTime(1)); // the turn's wait is spent
    }
    // Caught up again once the late answer came.
    for (const QDeadlineTimer deadline(10000); LateAnswers::awaited() && !deadline.hasExpired();)
        QThread::msleep(20);
    EXPECT_TRUE(answersInTime(1));
}
