// Planes through a real `tallowick --headless` on a private bus: fetching and
// storing the red plane of a 1920 x 1080 image (planes of 1921 x 1081
// samples), against memcpy of the same bytes in the same run, in one process
// and handed between two; a call without data, against bare QtDBus calls.
#include "automation/ResultConversions.h"
#include "bench/BareCalls.h"
#include "bench/BenchmarkProgram.h"
#include "bench/PlaneTransfer.h"
#include "platform/Memory.h"
#include "tests/support/RunningHost.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <memory>
#include <vector>

namespace {

constexpr int16_t kImageWidth = 1920;
constexpr int16_t kImageHeight = 1080;

// Set up in main, before any benchmark runs.
host::AutomationObject* hostObject = nullptr;
bool hostCallsDirect = false;
const host::ByteArray* plane = nullptr;
bench::BareCalls* bareCalls = nullptr;

void setBytes(benchmark::State& state) {
    bench::countPlaneBytes(state, *plane);
}

void BM_FetchPlaneFromHost(benchmark::State& state) {
    for (auto _ : state) {
        host::Variant fetched = hostObject->Invoke("tal_GetRbuffer");
        benchmark::DoNotOptimize(fetched);
    }
    setBytes(state);
}
BENCHMARK(BM_FetchPlaneFromHost)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_StorePlaneInHost(benchmark::State& state) {
    const std::vector<host::Variant> args = {*plane};
    for (auto _ : state)
        hostObject->Invoke("tal_SetRbuffer", args);
    setBytes(state);
}
BENCHMARK(BM_StorePlaneInHost)->Unit(benchmark::kMicrosecond)->UseRealTime();

// A call that moves no data: the part of each transfer that is not bytes.
void BM_CallWithoutData(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(hostObject->Invoke("tal_BufferWidth"));
    state.SetLabel(hostCallsDirect ? "direct" : "through the bus");
}
BENCHMARK(BM_CallWithoutData)->Unit(benchmark::kMicrosecond)->UseRealTime();

// What QtDBus alone costs a call without work, through the bus daemon and
// peer to peer: the floor under BM_CallWithoutData.
void BM_BareCallThroughBus(benchmark::State& state) {
    bench::runBareCalls(state, bareCalls->throughBus());
}
BENCHMARK(BM_BareCallThroughBus)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_BareCallPeerToPeer(benchmark::State& state) {
    bench::runBareCalls(state, bareCalls->peerToPeer());
}
BENCHMARK(BM_BareCallPeerToPeer)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The same, waiting in the event loop as a plug-in's call does.
void BM_BareCallPeerToPeerInEventLoop(benchmark::State& state) {
    bench::runBareCallsWaitingInEventLoop(state, bareCalls->peerToPeer());
}
BENCHMARK(BM_BareCallPeerToPeerInEventLoop)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_MemcpyPlane(benchmark::State& state) {
    bench::copyPlaneWithMemcpy(state, *plane);
}
BENCHMARK(BM_MemcpyPlane)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_MemcpyPlaneBetweenProcesses(benchmark::State& state) {
    bench::copyPlaneBetweenProcesses(state, *plane);
}
BENCHMARK(BM_MemcpyPlaneBetweenProcesses)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    platform::keepFreedMemoryForReuse();
    QCoreApplication application(argc, argv);
    if (!bench::readBenchmarkFlags(argc, argv))
        return 1;

    tests::PrivateBus bus;
    // No autosave: it would write the animations to the disk while they are timed.
    tests::RunningHost runningHost(bus, {"--no-brush", "--autosave", "0"});
    hostObject = &runningHost.object();
    hostCallsDirect = runningHost.object().callsDirect();
    bench::BareCalls bare(bus);
    bareCalls = &bare;
    hostObject->Invoke("Tal_NewBuffer", {kImageWidth, kImageHeight});
    const host::ByteArray red =
        host::resultToPlane("tal_GetRbuffer", hostObject->Invoke("tal_GetRbuffer"));
    plane = &red;

    return bench::runSelectedBenchmarks();
}
