#include "board/StatusLine.h"
#include "copy/CopyOpeners.h"
#include "copy/frmNotes.h"
#include "data/catalogue/Catalogue.h"
#include "data/catalogue/Paths.h"
#include "data/controls/DataControl.h"
#include "data/rescue/KeptEdits.h"
#include "data/storage/AskedOnItsOwn.h"
#include "data/storage/StorageThread.h"
#include "phone/frmPhone.h"
#include "tests/board/ActOnTyping.h"
#include "tests/board/EditingBoard.h"
#include "tests/support/RawConnection.h"
#include "tests/support/SlowShare.h"
#include "widgets/Colors.h"
#include "widgets/Lbl3D.h"
#include "widgets/TextBox.h"

#include <QAction>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <functional>
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

    // And for the other weekdays, which a Days menu choice shows.
    const catalogue::Weekday& thursday = catalogue::weekdays()[3];
    board->waitForOpenAhead();
    fx.write(fx.dataFile(thursday.dayFile), "12am", "00am", "Thursday's first slot, written late");
    board->mnuDay_Click(3);
    EXPECT_EQ(c().Label31->text(), "Thursday");
    EXPECT_EQ(c().slotBox[1]->text(), "Thursday's first slot, written late");
}

// A start on a busy computer, where no answer comes within the board's wait: the board still reads
// where its data lies (it waits longer for the program folder's own files), and shows the day's files
// once they answer, never the program folder in their place.
TEST_F(ReadAheadBoard, AStartWhereEveryAnswerIsLateStillFindsTheDataFolder) {
    fx.write(mondayFile(), "12am", "00am", "In the data folder");
    provider.setWaitMs(0);
    load();
    provider.setWaitMs(boardWaitMs());
    EXPECT_EQ(paths::fold(c().data[1]->databaseName()).toStdString(),
              paths::fold(mondayFile()).toStdString());
    EXPECT_TRUE(c().data[7]->isOpen() && c().data[8]->isOpen()) << "the program folder's own files";
    EXPECT_TRUE(eventually([&] {
        board->pollForChanges();
        return c().slotBox[1]->text() == "In the data folder";
    })) << statusText().toStdString();
}

QString shareMount() {
    return QDir::tempPath() + QStringLiteral("/cuepilot-share-%1").arg(QCoreApplication::applicationPid());
}

// The board's data folder on a network drive that stops answering, watched as the program does.
class HungShare : public ReadAheadBoard {
  protected:
    HungShare() : ReadAheadBoard(shareMount()), share(fx.dataFolder(), shareMount()) {
        watchChanges = true;
        rescue = &kept;
    }
    void SetUp() override {
        if (!share.available()) GTEST_SKIP() << "needs root, /dev/fuse and python3-fusepy";
    }
    void TearDown() override {
        share.release();
        if (board) board->Form_Unload();
        board.reset();
    }

    // Should the board hang on the share after all, the share answers again after a minute and
    // the test fails instead of hanging itself.
    class Watchdog {
      public:
        explicit Watchdog(SlowShare& share)
            : thread_([this, &share] {
                  for (int i = 0; i < 600 && !done_; ++i)
                      QThread::msleep(100);
                  if (!done_) {
                      unstuck_ = true;
                      share.release();
                  }
              }) {}
        ~Watchdog() { boardWaited(); }
        bool boardWaited() {
            done_ = true;
            if (thread_.joinable()) thread_.join();
            return unstuck_;
        }

      private:
        std::atomic<bool> done_{false}, unstuck_{false};
        std::thread thread_;
    };

    // What the board says of this share once it has stayed silent, naming it.
    static QString silent() {
        return QStringLiteral("The data folder does not answer (in %1).").arg(shareMount());
    }
    // Said by the board's own rounds once the share has stayed silent a moment: at first it may
    // only be slow.
    bool saysSoon(const QString& message) {
        return eventually([&] { return statusText().contains(message); });
    }

    // Once the share answers again, the board's change polling brings it round by itself.
    bool recoversUntil(const std::function<bool()>& met) {
        return eventually([&] {
            board->pollForChanges();
            return met();
        });
    }

    SlowShare share;
    KeptEdits kept{fx.programFolder() + QStringLiteral("/KeptEdits.json")};
};

TEST_F(HungShare, AShareThatStopsAnsweringHoldsTheBoardNoLongerThanItWaitsForALock) {
    load();
    readAheadBefore(QTime(0, 59, 58));
    share.hold();
    Watchdog watchdog(share);

    second(QTime(0, 59, 59)); // the hour roll
    EXPECT_TRUE(saysSoon(silent())) << statusText().toStdString();
    second(QTime(1, 0, 0));
    EXPECT_EQ(c().Lbl3D1->caption(), "1:00:00 AM");
    c().mnuFileRefresh->trigger();
    board->mnuDay_Click(2);
    EXPECT_EQ(c().Label31->text(), "Wednesday");
    second(QTime(1, 0, 1));
    EXPECT_EQ(c().Lbl3D1->caption(), "1:00:01 AM");
    EXPECT_FALSE(watchdog.boardWaited()) << "the board waited for the share";

    // Back again: the board reads by itself, Wednesday's files at the hour it was sent to.
    share.release();
    EXPECT_TRUE(recoversUntil([&] { return statusText().isEmpty(); })) << statusText().toStdString();
    EXPECT_EQ(c().data[1]->databaseName(), shareMount() + QStringLiteral("\\Wednesday.mdb"));
    EXPECT_TRUE(c().data[1]->isOpen());
    // The hour roll the share did not answer is done now, with the slot the clock is in marked.
    EXPECT_TRUE(eventually([&] {
        second(QTime(1, 0, 2));
        return c().Label32->text() == "1:00 AM - 2:00 AM";
    })) << c().Label32->text().toStdString();
    second(QTime(1, 0, 3));
    EXPECT_EQ(c().slotBox[1]->backColor(), colors::kGreen);
}

// The studio's computer starts while the file server is away.
TEST_F(HungShare, ABoardStartedWhileTheShareIsSilentComesUpSaysSoAndReadsOnceItAnswers) {
    fx.write(mondayFile(), "12am", "00am", "Waiting for the share");
    share.hold();
    Watchdog watchdog(share);
    load();
    EXPECT_EQ(c().slotBox[1]->text(), "");
    EXPECT_TRUE(saysSoon(silent())) << statusText().toStdString();
    second(QTime(0, 0, 1));
    EXPECT_EQ(c().Lbl3D1->caption(), "12:00:01 AM");
    EXPECT_FALSE(watchdog.boardWaited()) << "the board waited for the share";

    share.release();
    EXPECT_TRUE(recoversUntil([&] {
        return c().slotBox[1]->text() == "Waiting for the share" && statusText().isEmpty();
    })) << statusText().toStdString();
}

// The program folder itself on a share that does not answer at start-up (the package's shared
// folder mounted from the file server, as the data folder is): the board comes up, says what it
// waits for, and reads once both answer.
TEST_F(HungShare, ABoardStartedWhileItsProgramFolderIsSilentComesUpAndSaysSo) {
    fx.write(mondayFile(), "12am", "00am", "Waiting for the program folder");
    SlowShare programShare(fx.programFolder(), shareMount() + QStringLiteral("-program"));
    programShare.hold();
    share.hold();
    Watchdog programWatchdog(programShare);
    Watchdog watchdog(share);
    board = std::make_unique<frmMain>(clock, provider, rescue, shareMount() + QStringLiteral("-program"));
    board->setEndProgram([] {});
    board->readAheadFromThread([] { return std::make_unique<RoutingProvider>(); });
    board->watchChangesFromThread([] { return std::make_unique<RoutingProvider>(); });
    board->Form_Load();
    board->show();
    EXPECT_TRUE(saysSoon("does not answer")) << statusText().toStdString();
    second(QTime(0, 0, 1));
    EXPECT_EQ(c().Lbl3D1->caption(), "12:00:01 AM");
    EXPECT_FALSE(programWatchdog.boardWaited()) << "the board waited for its program folder";
    EXPECT_FALSE(watchdog.boardWaited()) << "the board waited for the share";

    programShare.release();
    share.release();
    EXPECT_TRUE(recoversUntil([&] {
        return c().slotBox[1]->text() == "Waiting for the program folder" && statusText().isEmpty();
    })) << statusText().toStdString();
    // Ended before its program folder's share goes.
    board->Form_Unload();
    board.reset();
}

// The presenter was typing when the share went away: storing it neither holds the board nor loses
// the text.
TEST_F(HungShare, TextTypedWhileTheShareIsAwayIsKeptAndStoredOnceItAnswers) {
    load();
    second(QTime(0, 10, 0));
    c().command[3]->click();
    type(c().slotBox[2], "Typed while away");
    share.hold();
    Watchdog watchdog(share);
    // Idle meanwhile, the board finds out from its watcher that the share is silent.
    ASSERT_TRUE(eventually([&] { return UnansweredFolders::stillWaiting(shareMount()); }));

    c().command[4]->click();
    EXPECT_TRUE(saysSoon(silent())) << statusText().toStdString();
    second(QTime(0, 10, 1));
    EXPECT_EQ(c().Lbl3D1->caption(), "12:10:01 AM");
    EXPECT_FALSE(watchdog.boardWaited()) << "the board waited for the share";

    share.release();
    EXPECT_TRUE(recoversUntil([&] { return fx.read(mondayFile(), "12am", "05am") == "Typed while away"; }))
        << statusText().toStdString();
}

// A share that is only slow (a long round trip on every call): a save outlasts the board's wait and
// lands by itself a moment later, and the board never calls the share silent meanwhile.
TEST_F(HungShare, ASlowShareIsNotCalledSilentAndWhatIsSavedLands) {
    load();
    second(QTime(0, 10, 0));
    c().command[3]->click();
    type(c().slotBox[2], "Saved on a slow share");
    share.setDelayMs(30);
    provider.setWaitMs(80); // as the board waits where a station runs it
    c().command[4]->click();
    provider.setWaitMs(boardWaitMs());
    EXPECT_TRUE(LateAnswers::awaited()) << "the save did not outlast the board's wait";
    QStringList said;
    EXPECT_TRUE(eventually([&] {
        if (!statusText().isEmpty()) said << statusText();
        return !LateAnswers::awaited() && fx.read(mondayFile(), "12am", "05am") == "Saved on a slow share";
    }));
    share.setDelayMs(0);
    EXPECT_TRUE(said.filter("does not answer").isEmpty()) << said.join(" / ").toStdString();
    EXPECT_TRUE(recoversUntil([&] { return statusText().isEmpty(); })) << statusText().toStdString();
    EXPECT_EQ(c().slotBox[2]->text(), "Saved on a slow share");
}

// Windows opened while the share is only slow: their file outlasts the board's wait, and a copy
// window and the phone list fill by themselves once it answers, never calling the share silent.
TEST_F(HungShare, WindowsOpenedOnASlowShareFillOnceTheirFileAnswers) {
    const QStringList expected{fx.read(fx.dataFile(catalogue::libraryFiles().at(0)), "Main", "PromoName"),
                               fx.read(fx.dataFile(catalogue::kPhoneFile), catalogue::kPhoneTable, "String")};
    ASSERT_FALSE(expected.contains(QString()));
    load();
    share.setDelayMs(30);
    provider.setWaitMs(80);
    QWidget* library = openLibrary(*board, libraryButtons().at(0));
    QWidget* phone = showPhoneList(*board);
    provider.setWaitMs(boardWaitMs());
    const auto shown = [&] {
        return QStringList{library->findChild<TextBox*>("Text2")->text(),
                           phone->findChild<TextBox*>("Text9")->text()};
    };
    EXPECT_NE(shown(), expected) << "the files did not outlast the board's wait";
    QStringList said;
    EXPECT_TRUE(eventually([&] {
        said << library->findChild<QStatusBar*>()->currentMessage();
        return shown() == expected;
    })) << shown().join(" / ").toStdString();
    share.setDelayMs(0);
    said.removeDuplicates();
    EXPECT_TRUE(said.filter("does not answer").isEmpty()) << said.join(" / ").toStdString();
    library->close();
    phone->close();
}

// The share stops answering between two rounds of the watcher, just as the presenter acts on what
// was typed: nothing has found out yet that it hangs. The handler waits no longer than the board
// waits for a statement, the clock goes on, and the text lands once the share answers.
class HungShareMidTyping : public HungShare, public ::testing::WithParamInterface<ActOnTyping> {};

TEST_P(HungShareMidTyping, HoldsTheBoardNoLongerThanItsWaitAndTheTextLands) {
    load();
    second(QTime(0, 10, 0));
    c().command[3]->click();
    type(c().slotBox[2], "Typed as it stopped");
    share.hold();
    Watchdog watchdog(share);

    GetParam().act(*board, c(), clock);
    if (GetParam().shows) {
        EXPECT_TRUE(eventually([&] { return GetParam().shows(c()); })) << statusText().toStdString();
        second(QTime(0, 10, 1));
        EXPECT_EQ(c().Lbl3D1->caption(), "12:10:01 AM");
    } else {
        board.reset();
    }
    EXPECT_FALSE(watchdog.boardWaited()) << "the board waited for the share";

    share.release();
    // A board that stays stores it; one that closed has it kept for its next start, or stored.
    EXPECT_TRUE(eventually([&] {
        if (board) board->pollForChanges();
        if (!board && holdsTyped(kept, "Typed as it stopped")) return true;
        // Read beside the share, not through it, so not under its locks: a write landing just
        // now may be caught half done, and is read again.
        try {
            return fx.read(mondayFile(), "12am", "05am") == "Typed as it stopped";
        } catch (const std::exception&) {
            return false;
        }
    })) << (board ? statusText().toStdString() : std::string());
    if (board) {
        EXPECT_TRUE(recoversUntil([&] { return statusText().isEmpty(); })) << statusText().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Acting, HungShareMidTyping,
    ::testing::Values(
        ActOnTyping{"Save", [](frmMain&, BoardControls& c, FakeClock&) { c.command[4]->click(); },
                    says(QStringLiteral("The data folder does not answer (in %1).").arg(shareMount()))},
        ActOnTyping{"DaysChoice", [](frmMain& b, BoardControls&, FakeClock&) { b.mnuDay_Click(2); },
                    says("kept")},
        ActOnTyping{"Close", [](frmMain& b, BoardControls&, FakeClock&) { b.Form_Unload(); }, {}},
        // The board ended just after a save the share left unanswered: its windows go before its
        // data controls, which still have the typing to keep.
        ActOnTyping{
            "SaveThenEnd", [](frmMain&, BoardControls& c, FakeClock&) { c.command[4]->click(); }, {}}),
    actingName);

// The hour's record set is gone (its file away, or a save or Days choice the share answered late)
// and the presenter types on and saves: the text stays in its box and in the rescue store, and once
// the file answers it lands in the record it was typed over, or, typed over a day no longer shown,
// is kept for a person. Never dropped, never written into another record, and Save never speaks of
// object variables.
class TypingWithoutARecordSet;
struct TypingAway {
    const char* name;
    // Loads the board and takes the hour's record set away; the file answers again with back.
    std::function<void(TypingWithoutARecordSet&)> away;
    std::function<void(TypingWithoutARecordSet&)> back;
    const char* saysOnSave;
    const char* storedIn; // the day file the text lands in; nothing where it is kept for a person
};

inline void PrintTo(const TypingAway& row, std::ostream* os) {
    *os << row.name;
}

class TypingWithoutARecordSet : public HungShare, public ::testing::WithParamInterface<TypingAway> {
  public:
    using EditingBoard::board;
    using EditingBoard::c;
    using EditingBoard::fx;
    using EditingBoard::load;
    using EditingBoard::mondayFile;
    using HungShare::share;
    using ReadAheadBoard::second;

    QString mondayAway() const { return mondayFile() + QStringLiteral(".away"); }
    void typeSlot(int slot, const QString& text) { type(c().slotBox[slot], text); }
    void startTyping() {
        second(QTime(0, 10, 0));
        c().command[3]->click();
    }
    // What the rescue store's own file holds: what a crash or a power cut leaves.
    QByteArray storeFile() {
        // Written by the store's own worker: what it was handed is on the disk first.
        EXPECT_TRUE(kept.writtenWithin(5000));
        QFile f(kept.storePath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

TEST_P(TypingWithoutARecordSet, TheTextStaysTypedAndLandsWhereItWasTypedOrIsKept) {
    const QString typed = QStringLiteral("Typed without a record set");
    fx.write(mondayFile(), "12am", "10am", "");
    GetParam().away(*this);
    ASSERT_FALSE(c().data[1]->isOpen());
    c().command[3]->click();
    typeSlot(3, typed);
    c().command[4]->click();

    EXPECT_FALSE(statusText().contains("Object variable")) << statusText().toStdString();
    EXPECT_TRUE(saysSoon(GetParam().saysOnSave)) << statusText().toStdString();
    EXPECT_EQ(c().slotBox[3]->text(), typed);
    EXPECT_TRUE(storeFile().contains(typed.toUtf8())) << storeFile().toStdString();

    GetParam().back(*this);
    const QString dayFile = GetParam().storedIn ? fx.dataFile(GetParam().storedIn) : QString();
    EXPECT_TRUE(recoversUntil([&] {
        if (!c().data[1]->isOpen()) return false;
        if (dayFile.isEmpty()) return holdsTyped(kept, typed);
        try {
            return fx.read(dayFile, "12am", "10am") == typed;
        } catch (const std::exception&) {
            return false;
        }
    })) << statusText().toStdString();
    EXPECT_TRUE(c().data[1]->isOpen());
    if (dayFile.isEmpty()) {
        // Typed over Monday's hour while the board was already sent to Wednesday: no file takes it.
        for (const KeptEdit& e : kept.edits()) {
            if (e.fields.values().contains(typed)) {
                EXPECT_TRUE(e.conflict);
                EXPECT_EQ(e.file, "Monday.mdb");
            }
        }
        EXPECT_NE(fx.read(mondayFile(), "12am", "10am"), typed);
        EXPECT_NE(fx.read(fx.dataFile(catalogue::weekdays().at(2).dayFile), "12am", "10am"), typed);
        EXPECT_TRUE(statusText().contains("kept")) << statusText().toStdString();
    } else {
        EXPECT_EQ(c().slotBox[3]->text(), typed);
        EXPECT_FALSE(holdsTyped(kept, typed));
        // Stored, it leaves the rescue store's file too.
        EXPECT_TRUE(eventually([&] { return !storeFile().contains(typed.toUtf8()); }))
            << storeFile().toStdString();
        EXPECT_TRUE(recoversUntil([&] { return statusText().isEmpty(); })) << statusText().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    RecordSetGone, TypingWithoutARecordSet,
    ::testing::Values(TypingAway{"FileAwayAtStart",
                                 [](TypingWithoutARecordSet& t) {
                                     ASSERT_TRUE(QFile::rename(t.mondayFile(), t.mondayAway()));
                                     t.load();
                                     t.second(QTime(0, 10, 0));
                                 },
                                 [](TypingWithoutARecordSet& t) {
                                     ASSERT_TRUE(QFile::rename(t.mondayAway(), t.mondayFile()));
                                 },
                                 "Not stored yet", "\\Monday.mdb"},
                      TypingAway{"LateSave",
                                 [](TypingWithoutARecordSet& t) {
                                     t.load();
                                     t.startTyping();
                                     t.typeSlot(2, "Saved as the share stopped");
                                     t.share.hold();
                                     t.c().command[4]->click();
                                 },
                                 [](TypingWithoutARecordSet& t) { t.share.release(); },
                                 "The data folder does not answer (", "\\Monday.mdb"},
                      TypingAway{"LateDaysChoice",
                                 [](TypingWithoutARecordSet& t) {
                                     t.load();
                                     t.second(QTime(0, 10, 0));
                                     t.share.hold();
                                     t.board->mnuDay_Click(2);
                                 },
                                 [](TypingWithoutARecordSet& t) { t.share.release(); }, "kept", nullptr}),
    [](const ::testing::TestParamInfo<TypingAway>& info) { return std::string(info.param.name); });

// The board keeps a copy of the data folder's content on this computer and runs on it while the share
// is away for hours: every roll and the day switch show what the files held, under the copy's words
// and band; what is typed meanwhile lands once the share answers, over what another studio wrote
// meanwhile only as a conflict kept for a person.
class HungShareWithCopy : public HungShare {
  protected:
    HungShareWithCopy() { localCopyRoot = copies.path(); }

    bool showsCopy() {
        return statusText().contains(
                   QStringLiteral("The data folder %1 does not answer: the board shows its copy of")
                       .arg(shareMount())) &&
               c().statusBar->palette().color(QPalette::Window) == StatusLine::kCopyBack;
    }
    // At that second of that day, both timers ticking, until the board shows the copy.
    bool onCopyAt(const QDate& day, const QTime& t) {
        clock.set(day, t);
        board->Timer1_Timer();
        board->Timer3_Timer();
        return eventually([&] { return showsCopy() && c().data[1]->isOpen(); });
    }

    QTemporaryDir copies;
};

TEST_F(HungShareWithCopy, AShiftWithoutTheShareRunsOnTheCopyAndItsEditsLandAfter) {
    const QDate monday(2026, 12, 7), tuesday = monday.addDays(1);
    const catalogue::Weekday& tue = catalogue::weekdays()[1];
    fx.write(mondayFile(), "2am", "00am", "Monday two");
    fx.write(fx.dataFile(tue.dayFile), "1am", "00am", "Tuesday one");
    fx.write(fx.dataFile(tue.dayFile), "1am", "10am", "Before the outage");
    fx.write(fx.dataFile(tue.weatherFile), "MonWx", "Wx", "Tuesday's weather");
    fx.write(fx.dataFile(catalogue::weekdays()[3].dayFile), "12am", "00am", "Thursday one");
    load();
    second(QTime(0, 30, 0));
    ASSERT_TRUE(board->waitForLocalCopy(60000));
    // The copy is never read while the share answers: a change made behind its back shows.
    fx.write(mondayFile(), "12am", "00am", "Written after the copy");
    ASSERT_TRUE(recoversUntil([&] { return c().slotBox[1]->text() == "Written after the copy"; }));
    EXPECT_FALSE(showsCopy());

    share.hold();
    Watchdog watchdog(share);
    // Another studio writes meanwhile, where the file server keeps the files.
    fx.write(fx.dataFile(tue.dayFile), "1am", "10am", "Another studio's");

    // Once the board has found the share silent, a Days choice, its files read ahead before: the
    // chosen day from the copy, never the day shown before under the chosen day's name.
    ASSERT_TRUE(saysSoon("does not answer")) << statusText().toStdString();
    board->mnuDay_Click(3);
    EXPECT_EQ(c().Label31->text(), "Thursday");
    EXPECT_EQ(c().slotBox[1]->text(), "Thursday one") << statusText().toStdString();
    board->mnuDay_Click(0);

    // Two hours on: further than anything read ahead.
    ASSERT_TRUE(onCopyAt(monday, QTime(1, 59, 59))) << statusText().toStdString();
    EXPECT_EQ(c().Label32->text(), "2:00 AM - 3:00 AM");
    EXPECT_EQ(c().slotBox[1]->text(), "Monday two");
    EXPECT_TRUE(statusText().contains("copy of 12:30 AM")) << statusText().toStdString();
    c().command[3]->click();
    type(c().slotBox[2], "Typed on the copy");
    c().command[4]->click();
    EXPECT_TRUE(showsCopy()) << statusText().toStdString();

    // Midnight, and the new day's first hour.
    ASSERT_TRUE(onCopyAt(monday, QTime(23, 59, 59)));
    EXPECT_EQ(c().Label31->text(), "Tuesday");
    EXPECT_EQ(c().Text20->text(), "Tuesday's weather");
    ASSERT_TRUE(onCopyAt(tuesday, QTime(0, 59, 59)));
    EXPECT_EQ(c().Label32->text(), "1:00 AM - 2:00 AM");
    EXPECT_EQ(c().slotBox[1]->text(), "Tuesday one");
    EXPECT_EQ(c().slotBox[3]->text(), "Before the outage") << "what the share held when it stopped";
    c().command[3]->click();
    type(c().slotBox[3], "Typed over another studio's");
    c().command[4]->click();
    EXPECT_FALSE(watchdog.boardWaited()) << "the board waited for the share";

    share.release();
    EXPECT_TRUE(recoversUntil([&] {
        try {
            return fx.read(mondayFile(), "2am", "05am") == "Typed on the copy";
        } catch (const std::exception&) {
            return false; // caught half written: read again
        }
    })) << statusText().toStdString();
    EXPECT_TRUE(recoversUntil([&] { return !showsCopy() && c().slotBox[3]->text() == "Another studio's"; }))
        << statusText().toStdString();
    EXPECT_EQ(fx.read(fx.dataFile(tue.dayFile), "1am", "10am"), "Another studio's");
    EXPECT_TRUE(holdsTyped(kept, "Typed over another studio's"));
    for (const KeptEdit& e : kept.edits())
        if (e.fields.values().contains("Typed over another studio's")) {
            EXPECT_TRUE(e.conflict);
        }
}

} // namespace
