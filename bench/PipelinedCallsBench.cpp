// A program that pipelines its calls to a real `tallowick --headless` through
// the real bus daemon and reads the answers late, but reads them: a batch of
// calls written, then the batch's answers read, with a plain client of its
// own socket. The plane calls carry a memory file each; the same batches of
// calls without data are the baseline, in the same run.
#include "link/DBusWire.h"
#include "tests/support/RawBusClient.h"
#include "tests/support/RunningHost.h"

#include "bench/BenchmarkProgram.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <memory>
#include <stdexcept>

namespace {

constexpr int16_t kImageWidth = 640;
constexpr int16_t kImageHeight = 480;

// Set up in main, before any benchmark runs.
tests::RawBusClient* client = nullptr;

void runBatches(benchmark::State& state, const QString& method, bool carriesFile) {
    const int batch = static_cast<int>(state.range(0));
    for (auto _ : state) {
        client->sendInvokes(QString(host::dbus::kHostService), QString(host::dbus::kHostPath),
                            method, batch);
        const tests::RawReplies replies = client->readReplies(batch);
        if (replies.errors != 0 || (carriesFile && replies.descriptors != batch)) {
            state.SkipWithError(("answers failed: " + replies.firstError).toStdString().c_str());
            return;
        }
    }
    state.counters["calls/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * batch, benchmark::Counter::kIsRate);
}

void BM_PipelinedPlaneCalls(benchmark::State& state) {
    runBatches(state, QStringLiteral("tal_GetRBuffer"), true);
}
BENCHMARK(BM_PipelinedPlaneCalls)->Arg(1)->Arg(16)->Arg(64)->Arg(200)->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void BM_PipelinedCallsWithoutData(benchmark::State& state) {
    runBatches(state, QStringLiteral("tal_BufferWidth"), false);
}
BENCHMARK(BM_PipelinedCallsWithoutData)->Arg(1)->Arg(16)->Arg(64)->Arg(200)->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (!bench::readBenchmarkFlags(argc, argv))
        return 1;

    tests::PrivateBus bus;
    tests::RunningHost runningHost(bus, {"--no-brush", "--autosave", "0"});
    runningHost.object().Invoke("Tal_NewBuffer", {kImageWidth, kImageHeight});
    tests::RawBusClient raw(bus.address());
    client = &raw;
    return bench::runSelectedBenchmarks();
}
