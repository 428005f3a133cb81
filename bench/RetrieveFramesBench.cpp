// RetrieveFrames of a 100-frame 1920 x 1080 animation from a real
// `tallowick --headless` on a private bus, against memcpy of the same bytes
// (three planes of 1921 x 1081 samples per frame) in the same run.
#include "bench/BenchmarkProgram.h"
#include "cinderloom/Module1.h"
#include "platform/Memory.h"
#include "plugin/startup/DBusWindowHandover.h"
#include "tests/support/RunningHost.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstring>
#include <vector>

namespace {

constexpr int16_t kImageWidth = 1920;
constexpr int16_t kImageHeight = 1080;
constexpr int32_t kFrames = 100;
constexpr std::size_t kStoreBytes =
    std::size_t{3} * (kImageWidth + 1) * (kImageHeight + 1) * kFrames;

// Set up in main, before any benchmark runs.
cinderloom::Module1* module = nullptr;

void BM_RetrieveFrames(benchmark::State& state) {
    for (auto _ : state)
        module->RetrieveFrames();
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kStoreBytes));
}
BENCHMARK(BM_RetrieveFrames)->Unit(benchmark::kMillisecond)->UseRealTime();

// The first retrieval of a run, which must also make the store: every page
// of it is fresh memory.
void BM_RetrieveFramesIntoFreshStore(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        module->cells().releaseStore();
        state.ResumeTiming();
        module->RetrieveFrames();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kStoreBytes));
}
BENCHMARK(BM_RetrieveFramesIntoFreshStore)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MemcpyStore(benchmark::State& state) {
    const std::vector<uint8_t> source(kStoreBytes, 7);
    std::vector<uint8_t> target(kStoreBytes);
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), kStoreBytes);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kStoreBytes));
}
BENCHMARK(BM_MemcpyStore)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    platform::keepFreedMemoryForReuse();
    bench::preferOffscreenPlatform();
    QApplication application(argc, argv);
    if (!bench::readBenchmarkFlags(argc, argv))
        return 1;

    tests::PrivateBus bus;
    // No autosave: it would write the animations to the disk while they are timed.
    tests::RunningHost runningHost(bus, {"--no-brush", "--autosave", "0"});
    runningHost.object().Invoke("Tal_NewBuffer", {kImageWidth, kImageHeight});
    runningHost.object().Invoke("tal_CreateAnimAdv", {kFrames, int16_t{2}});

    // The start-up makes the module's own host connection and runs the first
    // retrieval; the benchmark repeats the retrieval alone.
    plugin::DBusWindowHandover handover(runningHost.pluginConnection());
    cinderloom::Module1 retrieval(handover);
    retrieval.startUp([&] { return host::connectToHost(runningHost.pluginConnection()); });
    module = &retrieval;

    return bench::runSelectedBenchmarks();
}
