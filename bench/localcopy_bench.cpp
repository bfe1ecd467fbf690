// The local copy a board keeps of its data folder: how long it takes to fill from nothing (on the
// network drive in miniature, see slowshare-bench.sh), and a round that finds nothing changed.
#include "bench/DemoInstallation.h"
#include "data/catalogue/Catalogue.h"
#include "data/sharing/LocalCopy.h"
#include "data/storage/RoutingProvider.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

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
    for (auto _ : state)
        if (!copy->waitUntilCurrent(120 * 1000)) state.SkipWithError("the copy was not kept whole");
}
BENCHMARK(LocalCopyRoundWithNothingChanged)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
