// The autosave of a 100-frame 1920 x 1080 animation, as the host runs it:
// how long its thread is busy with the snapshot (against a plain copy of the
// same frames, which a snapshot without sharing would cost), how long the
// longest gap between ticks of a 1 ms timer on that thread is while the
// copies are written (against the same timer with no autosave), and how
// long the whole autosave takes until its copies are on the disk (against
// writing the same bytes to one file and flushing it).
#include "bench/BenchmarkProgram.h"
#include "tallowick/model/OpenDocuments.h"
#include "tallowick/model/UndoHistory.h"
#include "tallowick/recovery/Autosave.h"
#include "tallowick/recovery/RecoveryFolders.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <functional>
#include <unistd.h>

namespace {

constexpr int32_t kWidth = 1920;
constexpr int32_t kHeight = 1080;
constexpr int32_t kFrames = 100;

struct Host {
    tallowick::MemoryBudget budget{UINT64_MAX};
    tallowick::UndoHistory history{budget};
    // A still of the animation's size as it was opened, which no autosave
    // copies; the animation is made from its size.
    tallowick::OpenDocuments documents{
        tallowick::Document(QStringLiteral("still"), {tallowick::RgbaFrame(kWidth, kHeight, {})}),
        budget, history};
    QTemporaryDir state;
    tallowick::OwnRecoveryFolder folder{state.filePath("recovery")};
    host::ByteArray plane = host::ByteArray::plane(kWidth + 1, kHeight + 1);

    Host() {
        tallowick::FramePosition position{0, 0};
        documents.createAnimation(position, kFrames);
    }
    const tallowick::Document& animation() const { return documents.all()[1]; }
    // A change to one plane, so that the next autosave copies the animation.
    void change() { documents.replacePlane({1, 0}, tallowick::Channel::Red, plane); }
};

// Set up in main, once the application object exists.
Host* theHost = nullptr;

uint64_t animationBytes() {
    return tallowick::MemoryBudget::framesBytes(kFrames, kWidth, kHeight);
}

// Runs the event loop with a timer ticking every millisecond, calling
// `start` on the first tick, until `done`; the longest gap between two ticks
// in microseconds.
double longestTickGap(const std::function<void()>& start, const std::function<bool()>& done) {
    QEventLoop loop;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1);
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    bool started = false;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (!started) {
            started = true;
            start();
        } else {
            longest = std::max(longest, now - last);
        }
        last = clock.nsecsElapsed();
        if (done())
            loop.quit();
    });
    clock.start();
    ticker.start();
    loop.exec();
    return static_cast<double>(longest) / 1000.0;
}

void BM_SnapshotStep(benchmark::State& state) {
    theHost->change();
    for (auto _ : state) {
        tallowick::ChangedDocuments changed = theHost->documents.snapshotChanged({});
        benchmark::DoNotOptimize(changed.snapshot.copies().data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(animationBytes()));
}
BENCHMARK(BM_SnapshotStep)->Unit(benchmark::kMicrosecond);

void BM_PlainCopyOfTheSameFrames(benchmark::State& state) {
    for (auto _ : state) {
        const tallowick::Document copy = theHost->animation();
        benchmark::DoNotOptimize(copy.frames().data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(animationBytes()));
}
BENCHMARK(BM_PlainCopyOfTheSameFrames)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_WholeAutosave(benchmark::State& state) {
    tallowick::Autosave autosave(theHost->documents, theHost->folder, std::chrono::hours(1));
    bool finished = false;
    QObject::connect(&autosave, &tallowick::Autosave::finished, [&] { finished = true; });
    double longestGap = 0;
    for (auto _ : state) {
        theHost->change();
        finished = false;
        QElapsedTimer clock;
        clock.start();
        longestGap = std::max(
            longestGap, longestTickGap([&] { autosave.saveNow(); }, [&] { return finished; }));
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
    }
    state.counters["longest_tick_gap_us"] = longestGap;
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(animationBytes()));
}
BENCHMARK(BM_WholeAutosave)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

void BM_TickGapWithoutAutosave(benchmark::State& state) {
    double longestGap = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        longestGap =
            std::max(longestGap, longestTickGap([] {}, [&] { return clock.elapsed() >= 2000; }));
    }
    state.counters["longest_tick_gap_us"] = longestGap;
}
BENCHMARK(BM_TickGapWithoutAutosave)->Unit(benchmark::kMillisecond)->Iterations(5);

// The same bytes written to one file and flushed to the disk, plane by
// plane, as the autosave writes them.
void BM_WriteTheSameBytesAndFlush(benchmark::State& state) {
    const QByteArray path = QFile::encodeName(theHost->state.filePath("plain"));
    for (auto _ : state) {
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        bool written = fd >= 0;
        for (const tallowick::RgbaFrame& frame : theHost->animation().frames())
            for (const tallowick::Channel channel : tallowick::kChannels) {
                const host::ByteArray& plane = frame.plane(channel);
                written = written && ::write(fd, plane.data(), plane.size()) ==
                                         static_cast<ssize_t>(plane.size());
            }
        written = written && ::fsync(fd) == 0;
        if (fd >= 0)
            ::close(fd);
        if (!written)
            state.SkipWithError("the plain file cannot be written");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(animationBytes()));
}
BENCHMARK(BM_WriteTheSameBytesAndFlush)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (!bench::readBenchmarkFlags(argc, argv))
        return 1;
    Host setUp;
    theHost = &setUp;
    return bench::runSelectedBenchmarks();
}
