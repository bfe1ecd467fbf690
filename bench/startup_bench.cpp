// Start-up and storage benchmarks over a demo installation in a temporary folder.
#include "app/frmMain.h"
#include "bench/DemoInstallation.h"
#include "board/Clock.h"
#include "data/catalogue/Catalogue.h"
#include "data/controls/DataControl.h"
#include "data/storage/RoutingProvider.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// Load sequence and showing the board, every file opened cold (a new engine each time, so the
// key derivation is paid as at a real start).
void StartupToBoardShown(benchmark::State& state) {
    const QString program = programFolderFor(state);
    SystemClock clock;
    for (auto _ : state) {
        auto provider = std::make_unique<RoutingProvider>();
        auto board = std::make_unique<frmMain>(clock, *provider, nullptr, program);
        // As the program starts.
        board->watchChangesFromThread([] { return std::make_unique<RoutingProvider>(); });
        board->readAheadFromThread([] { return std::make_unique<RoutingProvider>(); });
        board->Form_Load();
        board->showMaximized();
        QApplication::processEvents();
        benchmark::DoNotOptimize(board.get());
        // Closing is not part of starting: it waits for the threads' rounds on the share.
        state.PauseTiming();
        board.reset();
        provider.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(StartupToBoardShown)
    ->Apply(onEachEngine)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3.0)
    ->UseRealTime();

void RefreshOfAnOpenFile(benchmark::State& state) {
    SqlCipherProvider provider;
    DataControl data(provider, EditJournal::none(), QStringLiteral("Data1"));
    data.setConnect(catalogue::connectString());
    data.setDatabaseName(demoInstallation().dataFolder + QStringLiteral("\\Monday.mdb"));
    data.setRecordSource(QStringLiteral("3pm"));
    data.refresh();
    for (auto _ : state)
        data.refresh();
}
BENCHMARK(RefreshOfAnOpenFile)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
