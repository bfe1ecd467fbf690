// The local copy a board keeps of its data folder: how long it takes to fill from nothing (on the
// network drive in miniature, see slowshare-bench.sh), and a round that finds nothing changed.
#include "app/frmMain.h"
#include "bench/DemoInstallation.h"
#include "board/BoardControls.h"
#include "board/HourTable.h"
#include "data/catalogue/Catalogue.h"
#include "data/controls/DataControl.h"
#include "data/sharing/LocalCopy.h"
#include "data/storage/BoardStorage.h"
#include "data/storage/RoutingProvider.h"
#include "data/storage/StorageThread.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QTemporaryDir>
#include <QThread>
#include <benchmark/benchmark.h>
#include <csignal>
#include <sys/resource.h>

namespace {

double processCpuMs() {
    rusage used{};
    getrusage(RUSAGE_SELF, &used);
    return (used.ru_utime.tv_sec + used.ru_stime.tv_sec) * 1e3 +
           (used.ru_utime.tv_usec + used.ru_stime.tv_usec) / 1e3;
}

std::unique_ptr<LocalCopy> copyOfDemo(const QString& root) {
    // Rounds only when asked for, so that what is measured is the asked one.
    constexpr int kQuiet = 3600 * 1000;
    auto copy = std::make_unique<LocalCopy>([] { return std::make_unique<RoutingProvider>(); }, root,
                                            catalogue::connectString(), [] { return QDateTime(); }, kQuiet);
    copy->setPlace(demoInstallation().dataFolder);
    copy->start();
    return copy;
}

// Every content file copied, from a board's first start on this computer to a copy whole.
void LocalCopyFilledFromNothing(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir root;
        state.ResumeTiming();
        const std::unique_ptr<LocalCopy> copy = copyOfDemo(root.path());
        if (!copy->waitUntilCurrent(120 * 1000)) state.SkipWithError("the copy was not made whole");
        state.PauseTiming();
        copy->stop();
        state.ResumeTiming();
    }
}
BENCHMARK(LocalCopyFilledFromNothing)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

// A round of the watcher's pace with nothing changed: a look at every file's change stamp.
void LocalCopyRoundWithNothingChanged(benchmark::State& state) {
    QTemporaryDir root;
    const std::unique_ptr<LocalCopy> copy = copyOfDemo(root.path());
    if (!copy->waitUntilCurrent(120 * 1000)) state.SkipWithError("the copy was not made whole");
    const double cpuBefore = processCpuMs();
    for (auto _ : state)
        if (!copy->waitUntilCurrent(120 * 1000)) state.SkipWithError("the copy was not kept whole");
    // Every thread's, the copy's own included: what keeping the copy costs an idle board per round.
    state.counters["process_cpu_ms_per_round"] = (processCpuMs() - cpuBefore) / double(state.iterations());
}
BENCHMARK(LocalCopyRoundWithNothingChanged)->Unit(benchmark::kMillisecond)->MinTime(5.0)->UseRealTime();

class CopyBenchClock : public Clock {
  public:
    QDateTime now() const override { return now_; }
    void set(const QTime& t) { now_ = QDateTime(QDate(2026, 12, 7), t); }

  private:
    QDateTime now_{QDate(2026, 12, 7), QTime(0, 0, 0)};
};

// Hour rolls of a board whose share has stopped (slowshare-bench.sh): each one shows the local
// copy's table.
void HourRollOnTheCopy(benchmark::State& state) {
    if (!qEnvironmentVariableIsSet("CUEPILOT_BENCH_SHARE_PID"))
        return state.SkipWithError("needs slowshare-bench.sh");
    const pid_t share = pid_t(qEnvironmentVariableIntValue("CUEPILOT_BENCH_SHARE_PID"));
    QTemporaryDir root;
    CopyBenchClock clock;
    BoardStorage provider;
    frmMain form(clock, provider, nullptr, demoProgramFolder());
    form.watchChangesFromThread([] { return std::make_unique<RoutingProvider>(); });
    form.readAheadFromThread([] { return std::make_unique<RoutingProvider>(); });
    form.keepLocalCopy([] { return std::make_unique<RoutingProvider>(); }, root.path());
    form.Form_Load();
    if (!form.waitForLocalCopy(120 * 1000)) return state.SkipWithError("the copy was not made whole");
    kill(share, SIGSTOP);
    // Until the board has found the share silent and shows the copy.
    const auto roll = [&](int h) {
        clock.set(QTime(h, 59, 58));
        form.Timer1_Timer();
        form.Timer3_Timer();
        clock.set(QTime(h, 59, 59));
        form.Timer1_Timer();
    };
    for (const QDeadlineTimer patience(30000);
         !provider.showingCopyOf().isValid() && !patience.hasExpired();) {
        roll(0);
        form.Timer3_Timer();
        QCoreApplication::processEvents();
        QThread::msleep(50);
    }
    int h = 0;
    for (auto _ : state) {
        state.PauseTiming();
        h = h % 22 + 1;
        roll(h);
        state.ResumeTiming();
        const StorageTurn oneEvent;
        form.Timer3_Timer();
    }
    const bool rolled = form.controls().Label32->text() == hourRows()[h + 1].clockHeader;
    const bool onCopy = provider.showingCopyOf().isValid() && form.controls().data[1]->isOpen();
    kill(share, SIGCONT);
    if (!rolled || !onCopy) state.SkipWithError("the hour did not roll onto the copy");
    form.Form_Unload();
}
BENCHMARK(HourRollOnTheCopy)->Unit(benchmark::kMillisecond)->Iterations(20)->UseRealTime();

} // namespace
