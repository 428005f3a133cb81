// z_scale_to_dib throughput. Items are destination pixels, so the report's
// items_per_second is destination pixels per second; bytes are the source
// samples read (three planes).

#include "maker/zibbet/zibbet.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <vector>

namespace {

void zscale(benchmark::State& state, int srcW, int srcH, int dstW, int dstH) {
    const std::size_t samples = static_cast<std::size_t>(srcW) * srcH;
    std::vector<std::uint8_t> red(samples), green(samples), blue(samples);
    for (std::size_t i = 0; i < samples; ++i) {
        red[i] = static_cast<std::uint8_t>(i * 7);
        green[i] = static_cast<std::uint8_t>(i * 13 + 5);
        blue[i] = static_cast<std::uint8_t>(i / 3);
    }
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(dstW) * dstH);
    for (auto _ : state) {
        z_scale_to_dib(red.data(), green.data(), blue.data(), pixels.data(), srcW, srcH, dstW, dstH,
                       dstW);
        benchmark::DoNotOptimize(pixels.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(dstW) * dstH);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(samples) * 3);
}

} // namespace

// Enlarging: aim at least 200 million destination pixels a second.
BENCHMARK_CAPTURE(zscale, enlarge_101x51_to_640x480, 101, 51, 640, 480);
// Shrinking a full-HD picture into a strip.
BENCHMARK_CAPTURE(zscale, shrink_1920x1080_to_729x77, 1920, 1080, 729, 77);
// Cinderloom's strip: planes one column and one row larger than the area.
BENCHMARK_CAPTURE(zscale, shrink_201x101_to_200x100, 201, 101, 200, 100);
// A plain copy.
BENCHMARK_CAPTURE(zscale, copy_640x480, 640, 480, 640, 480);
