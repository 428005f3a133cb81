// noise3 through the lazily bound function pointer (maker/binding/MakerLibraries.h),
// as Cinderloom's warp calls it. Items are noise points.

#include "maker/binding/MakerLibraries.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstdio>
#include <exception>

namespace {

// Walks a 256 x 256 grid of points, one row of 256 per benchmark iteration,
// the z slice changing every sweep, so no call can be hoisted or folded.
void noise3Bound(benchmark::State& state) {
    using Noise = decltype(maker::noise3)::Pointer;
    Noise noise = nullptr;
    try {
        noise = maker::noise3.pointer();
    } catch (const std::exception& error) {
        state.SkipWithError(error.what());
        return;
    }
    constexpr int kRow = 256;
    std::uint32_t row = 0;
    float sum = 0.0f;
    for (auto _ : state) {
        float point[3];
        point[1] = static_cast<float>(row & 255u) * (1.0f / 50.0f);
        point[2] = static_cast<float>(row >> 8 & 1023u) * 0.013f + 0.37f;
        for (int x = 0; x < kRow; ++x) {
            point[0] = static_cast<float>(x) * (1.0f / 50.0f);
            sum += noise(point);
        }
        ++row;
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kRow);
}

} // namespace

BENCHMARK(noise3Bound);
