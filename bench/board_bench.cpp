// Timer ticks and rolls of the living board over a demo installation in a temporary folder.
#include "app/frmMain.h"
#include "bench/DemoInstallation.h"
#include "board/BoardControls.h"
#include "board/HourTable.h"
#include "board/LiveUpdates.h"
#include "data/RoutingProvider.h"

#include <QDateTime>
#include <QLabel>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <ctime>
#include <memory>

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
    explicit LoadedBoard(const QString& programFolder = demoProgramFolder())
        : form(clock, provider, programFolder) {
        // As the program runs: other studios' changes watched, and the tables ahead read, off the
        // board's thread.
        form.watchChangesFromThread([] { return std::make_unique<RoutingProvider>(); });
        form.readAheadFromThread([] { return std::make_unique<RoutingProvider>(); });
        form.Form_Load();
    }
    BenchClock clock;
    RoutingProvider provider;
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
        state.ResumeTiming();
        b.form.Timer3_Timer();
    }
    if (b.form.controls().Label32->text() != hourRows()[h + 1].clockHeader)
        state.SkipWithError("the hour did not roll");
}
BENCHMARK(HourRoll)->Apply(onEachEngine)->Unit(benchmark::kMillisecond);

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
BENCHMARK(MidnightSwitch)->Apply(onEachEngine)->Unit(benchmark::kMillisecond)->Iterations(30);

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
// between two days, so every choice switches files).
void RefreshDataCommand(benchmark::State& state) {
    LoadedBoard b;
    b.clock.set(0, QTime(10, 17, 0));
    for (auto _ : state)
        b.form.mnuFileRefresh_Click();
}
BENCHMARK(RefreshDataCommand)->Unit(benchmark::kMillisecond);

void DaysMenuChoice(benchmark::State& state) {
    LoadedBoard b;
    b.clock.set(0, QTime(10, 17, 0));
    int day = 0;
    for (auto _ : state)
        b.form.mnuDay_Click(day = day == 2 ? 3 : 2);
}
BENCHMARK(DaysMenuChoice)->Unit(benchmark::kMillisecond);

} // namespace
