// The views' redraws at the window's design size, with 30 cells of
// 320 x 240: one film slot painted and shown (what one mouse move costs while
// the user paints), the whole film, and the whole cell strip. Each shows its
// planes through the preview blitter into a picture box, as the window does.
#include "bench/BenchmarkProgram.h"
#include "cinderloom/StripRendering.h"
#include "imaging/DibRelated.h"
#include "platform/PictureBox.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <vector>

namespace {

constexpr int32_t kFrameWidth = 320;
constexpr int32_t kFrameHeight = 240;
constexpr int32_t kCells = 30;
// The design sizes of the cell strip and the film view.
constexpr int kStripWidth = 733;
constexpr int kFilmWidth = 729;
constexpr int kViewHeight = 77;

cinderloom::CellStore makeStore() {
    cinderloom::CellStore store(kFrameWidth + 1, kFrameHeight + 1, kCells);
    const std::size_t cellSize = std::size_t{kFrameWidth + 1} * (kFrameHeight + 1);
    for (int32_t cell = 0; cell < kCells; ++cell)
        for (cinderloom::Channel channel : cinderloom::kChannels) {
            uint8_t* samples = store.cell(channel, cell);
            for (std::size_t i = 0; i < cellSize; ++i)
                samples[i] = static_cast<uint8_t>(i * 7 + cell * 13);
        }
    return store;
}

struct Views {
    cinderloom::CellStore store = makeStore();
    std::vector<int16_t> film;
    cinderloom::CellGeometry geometry =
        cinderloom::cellGeometry(kFrameWidth, kFrameHeight, kViewHeight);
    platform::PictureBox strip;
    platform::PictureBox filmView;
    cinderloom::ViewPlanes canvas{kFilmWidth, kViewHeight};

    Views() {
        for (int16_t slot = 0; slot < kCells; ++slot)
            film.push_back(slot);
        strip.resize(kStripWidth, kViewHeight);
        filmView.resize(kFilmWidth, kViewHeight);
    }

    void show(platform::PictureBox& view, const cinderloom::ViewPlanes& planes) {
        imaging::DisplayPlanes(view, planes.width, planes.height, planes.red, planes.green,
                               planes.blue);
        view.Refresh();
    }
};

// Set up in main, once a QApplication exists.
Views* views = nullptr;

void BM_PaintOneSlot(benchmark::State& state) {
    cinderloom::renderFilmSlots(views->canvas, views->store, views->film, views->geometry, 0,
                                std::nullopt);
    int32_t slot = 0;
    for (auto _ : state) {
        // The slots in sight of a 729-pixel view with 103-pixel cells: 0..7.
        slot = (slot + 1) % 8;
        cinderloom::renderFilmSlots(views->canvas, views->store, views->film, views->geometry, 0,
                                    slot);
        views->show(views->filmView, views->canvas);
    }
}
BENCHMARK(BM_PaintOneSlot)->Unit(benchmark::kMicrosecond);

void BM_RedrawWholeFilm(benchmark::State& state) {
    for (auto _ : state) {
        cinderloom::renderFilmSlots(views->canvas, views->store, views->film, views->geometry, 0,
                                    std::nullopt);
        views->show(views->filmView, views->canvas);
    }
}
BENCHMARK(BM_RedrawWholeFilm)->Unit(benchmark::kMicrosecond);

void BM_RedrawCellStrip(benchmark::State& state) {
    for (auto _ : state) {
        cinderloom::ViewPlanes planes(kStripWidth, kViewHeight);
        cinderloom::renderCellStrip(planes, views->store, kCells, views->geometry, 0, 3);
        views->show(views->strip, planes);
    }
}
BENCHMARK(BM_RedrawCellStrip)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    bench::preferOffscreenPlatform();
    QApplication application(argc, argv);
    if (!bench::readBenchmarkFlags(argc, argv))
        return 1;
    Views setUp;
    views = &setUp;
    return bench::runSelectedBenchmarks();
}
