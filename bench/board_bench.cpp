// Timer ticks and rolls of the living board over a demo installation in a temporary folder.
#include "app/Module1.h"
#include "app/frmMain.h"
#include "base/Steps.h"
#include "bench/DemoInstallation.h"
#include "board/BoardControls.h"
#include "board/HourTable.h"
#include "board/LiveUpdates.h"
#include "copy/CopyOpeners.h"
#include "copy/frmNotes.h"
#include "data/catalogue/Catalogue.h"
#include "data/controls/DataControl.h"
#include "data/history/HistorySource.h"
#include "data/rescue/KeptEdits.h"
#include "data/storage/AskedOnItsOwn.h"
#include "data/storage/BoardStorage.h"
#include "data/storage/PgConnection.h"
#include "data/storage/PostgresProvider.h"
#include "data/storage/RoutingProvider.h"
#include "data/storage/StorageThread.h"
#include "widgets/Colors.h"
#include "widgets/Lbl3D.h"
#include "widgets/TextBox.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <benchmark/benchmark.h>
#include <csignal>
#include <ctime>
#include <dlfcn.h>
#include <functional>
#include <memory>
#include <pthread.h>

// Every thread this process starts, by anyone (Qt, the engines' libraries, the program), counted
// where it is made.
std::atomic<quint64> threadStarts{0};
extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t* attr, void* (*start)(void*),
                              void* arg) {
    using Create = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);
    static const auto next = reinterpret_cast<Create>(dlsym(RTLD_NEXT, "pthread_create"));
    ++threadStarts;
    return next(thread, attr, start, arg);
}

namespace {

class BenchClock : public Clock {
  public:
    QDateTime now() const override { return now_; }
    void set(int weekday, const QTime& t) { now_ = QDateTime(QDate(2026, 12, 7).addDays(weekday), t); }

  private:
    QDateTime now_{QDate(2026, 12, 7), QTime(0, 0, 0)};
};

// A loaded board with its own engine, so the files it has not opened yet are opened cold.
struct LoadedBoard {
    explicit LoadedBoard(const QString& programFolder = demoProgramFolder(), bool keepHistory = true,
                         KeptEdits* kept = nullptr)
        : form(clock, provider, kept, programFolder) {
        provider.engines().files().setKeepHistory(keepHistory);
        // As the program runs: other studios' changes watched, and the tables ahead read, off the
        // board's thread.
        form.watchChangesFromThread([] { return std::make_unique<RoutingProvider>(); });
        form.readAheadFromThread([] { return std::make_unique<RoutingProvider>(); });
        form.Form_Load();
        // A file or server slower to open than the board waits is read once it answers, by the
        // event loop: measured from there.
        const auto allOpen = [this] {
            for (int n = 1; n <= 8; ++n)
                if (!form.controls().data[n]->isOpen()) return false;
            return true;
        };
        for (const QDeadlineTimer patience(10000); !allOpen() && !patience.hasExpired(); QThread::msleep(5))
            QCoreApplication::processEvents();
    }
    // The windows it opened go first, as at the program's end: they ask through its storage.
    ~LoadedBoard() { Module1::discardSecondaryWindows(&form); }
    BenchClock clock;
    BoardStorage provider;
    frmMain form;
};

void Timer1TickWithoutRoll(benchmark::State& state) {
    LoadedBoard b;
    int s = 0;
    for (auto _ : state) {
        b.clock.set(0, QTime(10, 17, ++s % 60)); // a new second each tick: every text is rewritten
        b.form.Timer1_Timer();
    }
}
BENCHMARK(Timer1TickWithoutRoll)->Unit(benchmark::kMicrosecond);

void Timer3TickWithoutRoll(benchmark::State& state) {
    LoadedBoard b;
    int s = 0;
    for (auto _ : state) {
        state.PauseTiming();
        b.clock.set(0, QTime(10, 17, ++s % 60));
        b.form.Timer1_Timer();
        state.ResumeTiming();
        b.form.Timer3_Timer();
    }
}
BENCHMARK(Timer3TickWithoutRoll)->Unit(benchmark::kMicrosecond);

// Every measured tick rolls: the clock reaches one hour's last second after another, each a second
// after the one before, as on a running board.
// As the program runs a handler: one event, whose questions to the storage thread share one wait.
void asOneEvent(const std::function<void()>& handler) {
    const StorageTurn turn;
    handler();
}

// Between two measured handlers on a slow share: what the last one left late has come, and the
// board has read it, so the next one does not simply fail at once.
void settleLateAnswers(frmMain& board) {
    for (const QDeadlineTimer deadline(10000);
         (LateAnswers::awaited() || UnansweredFolders::longest().forMs >= 0) && !deadline.hasExpired();)
        QThread::msleep(5);
    QCoreApplication::processEvents();
    // What failed meanwhile is read again, as the board's next round does.
    board.pollForChanges();
}

void HourRoll(benchmark::State& state) {
    LoadedBoard b(programFolderFor(state));
    int h = 0;
    for (auto _ : state) {
        state.PauseTiming();
        h = h % 22 + 1;
        for (const int s : {58, 59}) {
            b.clock.set(0, QTime(h, 59, s));
            b.form.Timer1_Timer();
            if (s == 58) b.form.Timer3_Timer();
        }
        b.form.waitForOpenAhead(); // read ahead during the hour, as the board does
        settleLateAnswers(b.form);
        state.ResumeTiming();
        asOneEvent([&] { b.form.Timer3_Timer(); });
    }
    if (b.form.controls().Label32->text() != hourRows()[h + 1].clockHeader)
        state.SkipWithError("the hour did not roll");
}
BENCHMARK(HourRoll)->Apply(onEachEngine)->Unit(benchmark::kMillisecond)->UseRealTime();

// Monday to Tuesday on a board that has not read Tuesday's files yet (opened ahead, as after a day's run).
void MidnightSwitch(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto b = std::make_unique<LoadedBoard>(programFolderFor(state));
        b->clock.set(0, QTime(23, 59, 59));
        b->form.Timer1_Timer();
        b->form.waitForOpenAhead(); // the board has run all day: Tuesday's files were opened ahead
        state.ResumeTiming();
        b->form.Timer3_Timer();
        state.PauseTiming();
        if (b->form.controls().Label31->text() != QStringLiteral("Tuesday"))
            state.SkipWithError("no day roll");
        b.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(MidnightSwitch)->Apply(onEachEngine)->Unit(benchmark::kMillisecond)->Iterations(30)->UseRealTime();

// One round of the change polling on an idle board (nothing changed anywhere), and what the
// polling costs a whole idle minute: CPU time per round times rounds per minute.
void IdleChangePolling(benchmark::State& state) {
    LoadedBoard b(programFolderFor(state));
    const std::clock_t start = std::clock();
    for (auto _ : state)
        b.form.pollForChanges();
    const double cpuPerRound = double(std::clock() - start) / CLOCKS_PER_SEC / double(state.iterations());
    state.counters["cpu_ms_per_idle_minute"] = cpuPerRound * 1000.0 * 60000.0 / LiveUpdates::kIntervalMs;
}
BENCHMARK(IdleChangePolling)->Apply(onEachEngine)->Unit(benchmark::kMicrosecond);

// The whole-board commands a presenter clicks: Refresh Data, and a Days menu choice (alternating
// between two days, so every choice switches files), on a board that has been running a while:
// what it reads ahead has been read.
void RefreshDataCommand(benchmark::State& state) {
    LoadedBoard b;
    b.clock.set(0, QTime(10, 17, 0));
    b.form.waitForOpenAhead();
    for (auto _ : state) {
        asOneEvent([&] { b.form.mnuFileRefresh_Click(); });
        state.PauseTiming();
        settleLateAnswers(b.form);
        state.ResumeTiming();
    }
}
BENCHMARK(RefreshDataCommand)->Unit(benchmark::kMillisecond)->UseRealTime();

void DaysMenuChoice(benchmark::State& state) {
    LoadedBoard b;
    b.clock.set(0, QTime(10, 17, 0));
    b.form.waitForOpenAhead();
    int day = 0;
    for (auto _ : state) {
        asOneEvent([&] { b.form.mnuDay_Click(day = day == 2 ? 3 : 2); });
        state.PauseTiming();
        settleLateAnswers(b.form);
        state.ResumeTiming();
    }
}
BENCHMARK(DaysMenuChoice)->Unit(benchmark::kMillisecond)->UseRealTime();

// What keeping every change in the file's history costs a slot's write (the data control's update
// of the hour's record, where the cost lies) and the whole Save Content around it (which also reads
// the four tables again), with the history kept and without. Every write changes the slot. Run
// under slowshare-bench.sh for the network drive.
void slotChange(benchmark::State& state, bool wholeSave) {
    const bool keep = state.range(0) == 1;
    state.SetLabel(keep ? "with history" : "without history");
    LoadedBoard b(demoProgramFolder(), keep);
    // What the write costs, to its end: not cut short by the board's wait (a write with history on
    // a slow share outlasts it, and the next would fail at once while the last is still under way).
    b.provider.setWaitMs(60000);
    b.clock.set(0, QTime(10, 17, 0));
    b.form.waitForOpenAhead();
    DataControl& hour = *b.form.controls().data[1];
    int n = 0;
    for (auto _ : state) {
        const QString text = QStringLiteral("Slot text %1").arg(++n);
        if (wholeSave) {
            state.PauseTiming();
            b.form.controls().command[3]->click(); // Edit Content
            b.form.controls().slotBox[1]->setText(text);
            state.ResumeTiming();
            b.form.mnuSaveContent_Click();
        } else {
            hour.setFieldText(QStringLiteral("00am"), text);
            hour.update();
        }
    }
    if (hour.fieldText(QStringLiteral("00am")) != QStringLiteral("Slot text %1").arg(n))
        state.SkipWithError("the slot was not stored");
}
void SlotWrite(benchmark::State& state) {
    slotChange(state, false);
}
void SlotSave(benchmark::State& state) {
    slotChange(state, true);
}
BENCHMARK(SlotWrite)->ArgName("history")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(SlotSave)->ArgName("history")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The parent of a process, from /proc: a backend's is the server's main process.
pid_t parentOf(pid_t pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return 0;
    // "pid (name) state ppid ...": the name may hold spaces, so counted from its closing bracket.
    const QByteArray line = stat.readAll();
    const QList<QByteArray> after = line.mid(line.lastIndexOf(')') + 2).split(' ');
    return after.size() > 1 ? pid_t(after[1].toInt()) : 0;
}

// What serves the bench server's station database: its backends but for the asking one's own, and
// the server's main process, so that no new connection is answered either.
QList<pid_t> stationServer() {
    PgConnection ask(
        {benchServer(), PostgresProvider::kDefaultRole, catalogue::kPassword, PgSignIn::Patience::Tool});
    const PgResult r =
        ask.exec(QStringLiteral("SELECT pid, pg_backend_pid() FROM pg_stat_activity "
                                "WHERE datname = current_database() AND pid <> pg_backend_pid()"));
    QList<pid_t> pids;
    for (int i = 0; i < r.rows(); ++i)
        pids << pid_t(r.int64(i, 0));
    if (r.rows() > 0) pids << parentOf(pid_t(r.int64(0, 1)));
    return pids;
}

// How long the board's thread is held by a save, a Days choice and closing the board, with typing
// under way, while what serves the board stops answering mid-session (SIGSTOP): the bench server
// (every backend of its station database and its main process), or the network drive in miniature
// (slowshare-bench.sh). Needs the right to stop those processes (root).
void heldByStopped(benchmark::State& state, const QString& programFolder,
                   const std::function<QList<pid_t>()>& serving) {
    static const char* const kWhat[] = {
        "save",        "Days choice",         "close",
        "Read on Air", "copy library opened", "typing, program folder stopped"};
    state.SetLabel(kWhat[state.range(0)]);
    const bool typing = state.range(0) == 5;
    if (typing && sharedProgramFolder().isEmpty()) return state.SkipWithError("needs slowshare-bench.sh");
    // Where the program keeps typed text: the local disk, whatever the program folder lies on.
    QTemporaryDir localState;
    KeptEdits kept(localState.path() + QStringLiteral("/KeptEdits.json"));
    for (auto _ : state) {
        state.PauseTiming();
        auto b = std::make_unique<LoadedBoard>(typing ? sharedProgramFolder() : programFolder, true,
                                               typing ? &kept : nullptr);
        b->clock.set(0, QTime(10, 17, 0));
        b->form.controls().command[3]->click();
        b->form.controls().slotBox[1]->setText(QStringLiteral("typed while the server stopped"));
        b->form.waitForOpenAhead();
        // The library whose Read on Air is pressed is open before the share stops.
        QPointer<frmNotes> library =
            state.range(0) == 3 ? openLibrary(b->form, libraryButtons().at(0)) : nullptr;
        const QList<pid_t> stopped = serving();
        for (pid_t pid : stopped)
            kill(pid, SIGSTOP);
        state.ResumeTiming();
        asOneEvent([&] {
            switch (state.range(0)) {
            case 0:
                b->form.mnuSaveContent_Click();
                break;
            case 1:
                b->form.mnuDay_Click(3);
                break;
            case 2:
                b->form.close();
                break;
            case 3:
                library->findChild<QPushButton*>(QStringLiteral("ReadOnAir"))->click();
                break;
            case 5:
                // A key typed, and the typing journal's tick that keeps it.
                b->form.controls().slotBox[1]->setText(
                    QStringLiteral("typed while the program folder stopped"));
                state.PauseTiming();
                QThread::msleep(300);
                state.ResumeTiming();
                QCoreApplication::processEvents();
                break;
            default:
                openLibrary(b->form, libraryButtons().at(1));
                break;
            }
        });
        state.PauseTiming();
        b.reset();
        for (pid_t pid : stopped)
            kill(pid, SIGCONT);
        state.ResumeTiming();
    }
}
void HeldByAStoppedServer(benchmark::State& state) {
    if (benchServer().isEmpty()) return state.SkipWithError("needs CUEPILOT_BENCH_SERVER");
    heldByStopped(state, serverProgramFolder(), stationServer);
}
BENCHMARK(HeldByAStoppedServer)
    ->DenseRange(0, 4)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->UseRealTime();

void HeldByAStoppedShare(benchmark::State& state) {
    if (!qEnvironmentVariableIsSet("CUEPILOT_BENCH_SHARE_PID"))
        return state.SkipWithError("needs slowshare-bench.sh");
    heldByStopped(state, demoProgramFolder(), [] {
        return QList<pid_t>{pid_t(qEnvironmentVariableIntValue("CUEPILOT_BENCH_SHARE_PID"))};
    });
}
BENCHMARK(HeldByAStoppedShare)->DenseRange(0, 5)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

// The History window opened on the events of a day whose file keeps a long history (a station's
// 90 days: about 30,000 changes), on a healthy disk: how long the board's thread is held.
void HistoryOpenedOnALongHistory(benchmark::State& state) {
    const QString program = demoProgramFolder();
    LoadedBoard b(program);
    {
        // Made at the engine's own pace: a first write and a whole long history outlast the
        // board's wait on a slow share.
        const StoragePatience setUp(60000);
        // A first write gives the file its history table.
        DataControl& events = *b.form.controls().data[2];
        events.setFieldText(QStringLiteral("me1"), QStringLiteral("Event text"));
        events.update();
        const std::shared_ptr<Database> db =
            b.provider.open(events.databaseName(), catalogue::connectString());
        auto* history = dynamic_cast<HistorySource*>(db.get());
        if (!history || !history->keepsHistory()) return state.SkipWithError("the file keeps no history");
        if (history->historyEntries({}).size() < 30000) {
            QVector<HistoryEntry> entries;
            const QDateTime start = QDateTime::currentDateTimeUtc().addDays(-89);
            for (int i = 0; i < 30000; ++i) {
                HistoryEntry e;
                e.table = b.form.controls().data[2]->recordSource();
                e.record = 1;
                e.field = QStringLiteral("me1");
                e.kind = ChangeKind::Update;
                e.before = QStringLiteral("Event text %1").arg(i);
                e.after = QStringLiteral("Event text %1").arg(i + 1);
                e.at = start.addSecs(i * 258);
                e.computer = QStringLiteral("studio-b");
                e.user = QStringLiteral("presenter");
                entries << e;
            }
            history->addHistoryEntries(entries);
        }
    }
    for (auto _ : state) {
        asOneEvent([&] { b.form.mnuEditHistory_Click(); });
        state.PauseTiming();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QStringLiteral("frmHistory")) w->close();
        settleLateAnswers(b.form);
        state.ResumeTiming();
    }
}
BENCHMARK(HistoryOpenedOnALongHistory)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

// Pruning a station's 90 days of old entries (60,000 past the edge) from one file while another
// studio saves into it every 10 ms: the longest any save waited for the file (the longest lock the
// pruning held) and the saves that failed, beside the time the whole pruning took.
void PruningALongHistory(benchmark::State& state) {
    const QString file = demoInstallation().dataFolder + catalogue::libraryFiles()[0];
    double longestWaitMs = 0;
    int failedSaves = 0;
    for (auto _ : state) {
        state.PauseTiming();
        {
            RoutingProvider setup;
            const std::shared_ptr<Database> db = setup.open(file, catalogue::connectString());
            db->openTable(catalogue::kLibraryTable)
                ->append({{QStringLiteral("PromoName"), QStringLiteral("x")}});
            QVector<HistoryEntry> old;
            const QDateTime start = QDateTime::currentDateTimeUtc().addDays(-kHistoryKeptDays - 30);
            for (int i = 0; i < 60000; ++i)
                old.push_back({0, start.addSecs(i * 40), QStringLiteral("studio-b"),
                               QStringLiteral("presenter"), catalogue::kLibraryTable, 1, ChangeKind::Update,
                               QStringLiteral("BodyText"), QString::number(i), QString::number(i + 1)});
            dynamic_cast<HistorySource&>(*db).addHistoryEntries(old);
        }
        std::atomic<bool> done{false};
        state.ResumeTiming();
        QThread* pruning = QThread::create([&] {
            RoutingProvider own;
            skipOnFailure([&] {
                const std::shared_ptr<Database> db = own.open(file, catalogue::connectString());
                dynamic_cast<HistorySource&>(*db).pruneHistoryBefore(
                    QDateTime::currentDateTimeUtc().addDays(-kHistoryKeptDays));
            });
            done = true;
        });
        pruning->start();
        RoutingProvider studio;
        for (int n = 0; !done; ++n) {
            QElapsedTimer waited;
            waited.start();
            try {
                auto rs = studio.open(file, catalogue::connectString())->openTable(catalogue::kLibraryTable);
                rs->updateCurrent({{QStringLiteral("BodyText"), QString::number(n)}}, {});
            } catch (const StorageError&) {
                ++failedSaves;
            }
            longestWaitMs = std::max(longestWaitMs, waited.nsecsElapsed() / 1e6);
            QThread::msleep(10);
        }
        pruning->wait();
        delete pruning;
    }
    state.counters["longest_save_wait_ms"] = longestWaitMs;
    state.counters["failed_saves"] = failedSaves;
}
BENCHMARK(PruningALongHistory)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// Threads an idle board starts, its watcher and read-ahead running: every question goes to a
// worker that is there already, so none.
void IdleThreadStarts(benchmark::State& state) {
    LoadedBoard b;
    constexpr int kIdleSeconds = 20;
    // Start-up's workers, and a first round of the watcher, which meets each folder's lookout.
    QEventLoop settle;
    QTimer::singleShot(4000, &settle, &QEventLoop::quit);
    settle.exec();
    for (auto _ : state) {
        const quint64 before = threadStarts.load();
        QEventLoop idle;
        QTimer::singleShot(kIdleSeconds * 1000, &idle, &QEventLoop::quit);
        idle.exec();
        state.counters["threads_per_minute"] = double(threadStarts.load() - before) * 60 / kIdleSeconds;
    }
}
BENCHMARK(IdleThreadStarts)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

// The clock runs at real speed from a given moment, and the board's own timers tick it.
class RunningClock : public Clock {
  public:
    QDateTime now() const override { return from_.addMSecs(since_.elapsed()); }
    void runFrom(const QDateTime& t) {
        from_ = t;
        since_.start();
    }

  private:
    QDateTime from_;
    QElapsedTimer since_;
};

// Runs the event loop for a span of the running clock, watching the clock label from a timer of its
// own: which seconds a tick showed, and the longest the board's thread was held between two looks.
struct SecondsWatch {
    QSet<QString> shown;
    qint64 longestHoldMs = 0;

    void run(const Lbl3D& label, int seconds) {
        QElapsedTimer sinceLook;
        sinceLook.start();
        QTimer look;
        QObject::connect(&look, &QTimer::timeout, [&] {
            longestHoldMs = std::max(longestHoldMs, sinceLook.restart());
            shown.insert(label.caption());
        });
        look.start(5);
        QEventLoop loop;
        QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
        loop.exec();
    }
    int missed(const QDateTime& from, int seconds) const {
        int missing = 0;
        for (int s = 0; s < seconds; ++s)
            missing += !shown.contains(clockText(from.addSecs(s).time()));
        return missing;
    }
};

// A running board, its timers on the event loop, its files watched and read ahead off its thread,
// across an hour roll and a midnight. Every second has to be shown by a tick, the rolls have to come
// and the current slot has to be marked. Meant for a slow share (slowshare-bench.sh 20
// --benchmark_filter=EverySecond): on a local disk it shows nothing the other figures do not.
void EverySecondHasItsTick(benchmark::State& state) {
    constexpr int kSpan = 20;
    const QDate monday(2026, 12, 7);
    for (auto _ : state) {
        RunningClock clock;
        clock.runFrom(QDateTime(monday, QTime(10, 59, 50)));
        BoardStorage provider;
        frmMain form(clock, provider, nullptr, demoProgramFolder());
        form.watchChangesFromThread([] { return std::make_unique<RoutingProvider>(); });
        form.readAheadFromThread([] { return std::make_unique<RoutingProvider>(); });
        form.Form_Load();
        form.show();
        form.setEndProgram([] {});
        const BoardControls& c = form.controls();
        int missed = 0;
        qint64 longestHold = 0;
        QString failed;
        const struct {
            QTime from;
            QString day, header;
        } spans[] = {{QTime(10, 59, 45), QStringLiteral("Monday"), QStringLiteral("11:00 AM - 12:00 PM")},
                     {QTime(23, 59, 45), QStringLiteral("Tuesday"), QStringLiteral("12:00 AM - 1:00 AM")}};
        for (const auto& span : spans) {
            clock.runFrom(QDateTime(monday, span.from.addSecs(-5))); // five seconds to settle after the jump
            SecondsWatch settle;
            settle.run(*c.Lbl3D1, 5);
            SecondsWatch watch;
            watch.run(*c.Lbl3D1, kSpan);
            missed += watch.missed(QDateTime(monday, span.from), kSpan - 1);
            longestHold = std::max(longestHold, watch.longestHoldMs);
            if (c.Label31->text() != span.day || c.Label32->text() != span.header)
                failed = QStringLiteral("no roll to %1").arg(span.header);
            if (c.slotBox[1]->backColor() != colors::kGreen)
                failed = QStringLiteral("the first slot is not marked");
        }
        state.counters["seconds_missed"] = missed;
        state.counters["longest_hold_ms"] = double(longestHold);
        if (missed > 0) failed = QStringLiteral("%1 seconds had no tick").arg(missed);
        if (!failed.isEmpty()) state.SkipWithError(failed.toStdString().c_str());
        form.Form_Unload();
    }
}
BENCHMARK(EverySecondHasItsTick)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace
