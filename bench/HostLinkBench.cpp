// The host link's plane transfer over a private D-Bus: fetching a
// 1921 x 1081 plane (a call returning it) and storing one (a call taking it),
// against memcpy of the same bytes. The plane is served from a worker thread
// of this process, so both ends' costs land on this machine's cores.
#include "bench/BenchmarkProgram.h"
#include "bench/PlaneTransfer.h"
#include "link/DBusAutomationObject.h"
#include "platform/Memory.h"
#include "tests/support/BusServerThread.h"
#include "tests/support/PrivateBus.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <memory>
#include <vector>

namespace {

constexpr int32_t kWidth = 1921;
constexpr int32_t kHeight = 1081;

// Holds one plane, as the host holds the current image's red channel.
class PlaneHolder : public host::AutomationObject {
public:
    PlaneHolder() : plane_(host::ByteArray::plane(kWidth, kHeight)) {
        for (std::size_t i = 0; i < plane_.size(); ++i)
            plane_.data()[i] = static_cast<uint8_t>(i * 31);
    }

    host::Variant Invoke(const QString& method, const std::vector<host::Variant>& args) override {
        if (method == QLatin1StringView("tal_GetRBuffer"))
            return plane_;
        if (method == QLatin1StringView("tal_Refresh"))
            return host::Empty{};
        plane_ = std::get<host::ByteArray>(args.at(0));
        return host::Empty{};
    }

    const host::ByteArray& plane() const { return plane_; }

private:
    host::ByteArray plane_;
};

// Set up in main, before any benchmark runs.
host::AutomationObject* hostObject = nullptr;
const PlaneHolder* holder = nullptr;

void setBytes(benchmark::State& state) {
    bench::countPlaneBytes(state, holder->plane());
}

void BM_FetchPlane(benchmark::State& state) {
    for (auto _ : state) {
        host::Variant plane = hostObject->Invoke("tal_GetRBuffer");
        benchmark::DoNotOptimize(plane);
    }
    setBytes(state);
}
BENCHMARK(BM_FetchPlane)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_StorePlane(benchmark::State& state) {
    const std::vector<host::Variant> args = {holder->plane()};
    for (auto _ : state)
        hostObject->Invoke("Tal_SetRBuffer", args);
    setBytes(state);
}
BENCHMARK(BM_StorePlane)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The cost of a call itself, without data: what the transfers above pay on
// top of moving the bytes.
void BM_CallWithoutData(benchmark::State& state) {
    for (auto _ : state)
        hostObject->Invoke("tal_Refresh");
}
BENCHMARK(BM_CallWithoutData)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_MemcpyPlane(benchmark::State& state) {
    bench::copyPlaneWithMemcpy(state, holder->plane());
}
BENCHMARK(BM_MemcpyPlane)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    platform::keepFreedMemoryForReuse();
    QCoreApplication application(argc, argv);
    if (!bench::readBenchmarkFlags(argc, argv))
        return 1;

    tests::PrivateBus bus;
    PlaneHolder served;
    tests::BusServerThread server(bus, QStringLiteral("host"));
    const host::ObjectRef reference = server.serve(served, QStringLiteral("/Tallowick_Class"));
    host::DBusAutomationObject client(bus.connect(QStringLiteral("plugin")), reference);
    hostObject = &client;
    holder = &served;

    return bench::runSelectedBenchmarks();
}
