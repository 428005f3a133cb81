// Cinderloom's playback of 640 x 480 cells at 24 frames a second: the real
// player and its window, on the steady clock and the event loop, for 10 s.
// Each frame's lateness is the time from when it was due until it was drawn
// into the window's picture; a frame never drawn counts as late. Beside it,
// what drawing one frame costs, against memcpy of its planes.
#include "bench/BenchmarkProgram.h"
#include "cinderloom/Film.h"
#include "cinderloom/FilmPlayer.h"
#include "cinderloom/FrameDevelopment.h"
#include "cinderloom/PlaybackWindow.h"
#include "cinderloom/RetrievedCells.h"
#include "imaging/DibRelated.h"
#include "platform/PictureBox.h"

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

namespace {

using std::chrono::nanoseconds;

constexpr int32_t kWidth = 640;
constexpr int32_t kHeight = 480;
constexpr int32_t kCells = 12;
constexpr int32_t kSlots = 48;
constexpr int32_t kRate = 24;
constexpr auto kMeasured = std::chrono::seconds(10);

// Cells whose samples differ from cell to cell, the way the host's frames do.
cinderloom::RetrievedCells makeCells() {
    const cinderloom::FrameSizes sizes{kWidth, kHeight, kCells};
    cinderloom::CellStore store(sizes.columns(), sizes.rows(), sizes.count);
    const auto size = static_cast<std::size_t>(store.columns() * store.rows());
    for (int32_t cell = 0; cell < kCells; ++cell)
        for (const cinderloom::Channel channel : cinderloom::kChannels) {
            uint8_t* samples = store.cell(channel, cell);
            for (std::size_t i = 0; i < size; ++i)
                samples[i] = static_cast<uint8_t>(i * 7 + cell * 31);
        }
    cinderloom::RetrievedCells cells;
    cells.keep(sizes, std::move(store));
    return cells;
}

// Every cell in turn, and every seventh slot empty (white).
cinderloom::Film makeFilm() {
    cinderloom::Film film(kSlots);
    for (int32_t slot = 0; slot < kSlots; ++slot)
        film.set(slot, slot % 7 == 6 ? cinderloom::Film::kEmptySlot
                                     : static_cast<int16_t>(slot % kCells));
    return film;
}

nanoseconds steadyNow() {
    return std::chrono::steady_clock::now().time_since_epoch();
}

struct Pace {
    int64_t due = 0;
    int64_t drawn = 0;
    int64_t late = 0;
    nanoseconds worst{0};
    nanoseconds median{0};
};

// The frames drawn, by number, each with its lateness when first drawn.
Pace paceOf(const std::map<int64_t, nanoseconds>& lateness, nanoseconds period) {
    Pace pace;
    if (lateness.empty())
        return pace;
    pace.due = lateness.rbegin()->first - lateness.begin()->first + 1;
    pace.drawn = static_cast<int64_t>(lateness.size());
    std::vector<nanoseconds> all;
    for (const auto& [frame, late] : lateness) {
        all.push_back(late);
        pace.late += late > period ? 1 : 0;
    }
    pace.late += pace.due - pace.drawn;
    std::sort(all.begin(), all.end());
    pace.worst = all.back();
    pace.median = all[all.size() / 2];
    return pace;
}

double milliseconds(nanoseconds span) {
    return std::chrono::duration<double, std::milli>(span).count();
}

void BM_PlaybackPace24fps(benchmark::State& state) {
    const cinderloom::RetrievedCells cells = makeCells();
    const cinderloom::Film film = makeFilm();
    for (auto _ : state) {
        cinderloom::FilmPlayer player(film, cells,
                                      std::make_unique<cinderloom::SteadyPlaybackClock>());
        std::map<int64_t, nanoseconds> lateness;
        bool measuring = false;
        QObject::connect(&player, &cinderloom::FilmPlayer::frameShown, [&](int64_t frame, int32_t) {
            const nanoseconds late = steadyNow() - player.playback().dueTime(frame);
            if (measuring)
                lateness.emplace(frame, late);
        });
        player.start();
        cinderloom::PlaybackWindow& window = player.window();
        const int index = window.RateChoice->findData(kRate);
        window.RateChoice->setCurrentIndex(index);
        emit window.RateChoice->activated(index);
        measuring = true;
        QEventLoop loop;
        QTimer::singleShot(kMeasured, &loop, &QEventLoop::quit);
        loop.exec();
        player.stop();

        const nanoseconds period = player.playback().period();
        const Pace pace = paceOf(lateness, period);
        state.counters["frames_due"] = static_cast<double>(pace.due);
        state.counters["frames_drawn"] = static_cast<double>(pace.drawn);
        state.counters["late_share_pct"] =
            pace.due ? 100.0 * static_cast<double>(pace.late) / static_cast<double>(pace.due) : 0;
        state.counters["worst_late_ms"] = milliseconds(pace.worst);
        state.counters["median_late_ms"] = milliseconds(pace.median);
        state.counters["period_ms"] = milliseconds(period);
        state.counters["picture_px"] = window.Picture->width() * window.Picture->height();
    }
}
BENCHMARK(BM_PlaybackPace24fps)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// What the player does for each frame: develop the slot's planes from the
// store and draw them through the blitter into the window's picture.
void BM_DrawOnePlaybackFrame(benchmark::State& state) {
    const cinderloom::RetrievedCells cells = makeCells();
    platform::PictureBox picture;
    picture.resize(kWidth, kHeight);
    int32_t cell = 0;
    for (auto _ : state) {
        cell = (cell + 1) % kCells;
        const cinderloom::FramePlanes frame =
            cinderloom::developFrame(cells.store(), cell, kWidth, kHeight);
        imaging::DisplayPlanes(picture, kWidth, kHeight, frame[0], frame[1], frame[2]);
        picture.Refresh();
    }
}
BENCHMARK(BM_DrawOnePlaybackFrame)->Unit(benchmark::kMicrosecond);

// The baseline: copying one frame's three planes.
void BM_MemcpyOfOneFramesPlanes(benchmark::State& state) {
    const auto size = static_cast<std::size_t>(kWidth + 1) * (kHeight + 1) * 3;
    std::vector<uint8_t> from(size, 7);
    std::vector<uint8_t> to(size);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), size);
        benchmark::DoNotOptimize(to.data());
    }
}
BENCHMARK(BM_MemcpyOfOneFramesPlanes)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    bench::preferOffscreenPlatform();
    QApplication application(argc, argv);
    if (!bench::readBenchmarkFlags(argc, argv))
        return 1;
    return bench::runSelectedBenchmarks();
}
