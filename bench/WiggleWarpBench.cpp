// The wiggle of one 1920 x 1080 frame (planes of 1921 x 1081 samples, as the
// host hands them out) with amount 16 and size 4 through the lazily bound
// noise3, against the noise3 calls alone at the same points in the same run,
// so that the share of the warp spent in the filter library is visible.
// Items are pixels.
#include "bench/BenchmarkProgram.h"
#include "cinderloom/WiggleWarp.h"
#include "maker/binding/MakerLibraries.h"
#include "platform/Memory.h"

#include <benchmark/benchmark.h>
#include <cstddef>
#include <exception>
#include <vector>

namespace {

constexpr int32_t kWidth = 1920;
constexpr int32_t kHeight = 1080;
constexpr int32_t kAmount = 16;
constexpr int32_t kSize = 4;
// The warp's own scale of the noise field, in pixels per unit.
constexpr double kNoiseScale = 50.0;

cinderloom::NoiseFunction boundNoise(benchmark::State& state) {
    try {
        return maker::noise3.pointer();
    } catch (const std::exception& error) {
        state.SkipWithError(error.what());
        return nullptr;
    }
}

host::ByteArray patternPlane(int channel) {
    host::ByteArray plane = host::ByteArray::plane(kWidth + 1, kHeight + 1);
    for (std::size_t i = 0; i < plane.size(); ++i)
        plane.data()[i] = static_cast<uint8_t>(i * 7 + static_cast<std::size_t>(channel) * 85);
    return plane;
}

void countPixels(benchmark::State& state) {
    state.SetItemsProcessed(state.iterations() * int64_t{kWidth} * kHeight);
}

void BM_WiggleWarp(benchmark::State& state) {
    const cinderloom::NoiseFunction noise = boundNoise(state);
    if (!noise)
        return;
    const cinderloom::FramePlanes source{patternPlane(0), patternPlane(1), patternPlane(2)};
    cinderloom::FramePlanes frame = source;
    // Every frame of a shot draws fresh depths, so every call here does too.
    platform::RandomGenerator random;
    for (auto _ : state) {
        cinderloom::wiggleWarp(kAmount, kSize, source[0], source[1], source[2], frame[0], frame[1],
                               frame[2], kWidth, kHeight, noise, random);
        benchmark::ClobberMemory();
    }
    countPixels(state);
}
BENCHMARK(BM_WiggleWarp)->Unit(benchmark::kMillisecond);

// The two noise3 calls per pixel that the warp makes, at the points it makes
// them, and nothing else: no rounding, clamping or copying of samples.
void BM_Noise3AtWarpPoints(benchmark::State& state) {
    const cinderloom::NoiseFunction noise = boundNoise(state);
    if (!noise)
        return;
    std::vector<float> columnU(static_cast<std::size_t>(kWidth));
    for (int32_t x = 0; x < kWidth; ++x)
        columnU[static_cast<std::size_t>(x)] =
            static_cast<float>(static_cast<double>(x) / kNoiseScale / kSize);
    platform::RandomGenerator random;
    float sum = 0.0f;
    for (auto _ : state) {
        const float z1 = random.next();
        const float z2 = random.next();
        for (int32_t y = 0; y < kHeight; ++y) {
            const float v = static_cast<float>(static_cast<double>(y) / kNoiseScale / kSize);
            for (const float u : columnU) {
                const float horizontalPoint[3] = {u, v, z1};
                const float verticalPoint[3] = {u, v, z2};
                sum += noise(horizontalPoint) + noise(verticalPoint);
            }
        }
        benchmark::DoNotOptimize(sum);
    }
    countPixels(state);
}
BENCHMARK(BM_Noise3AtWarpPoints)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    platform::keepFreedMemoryForReuse();
    if (!bench::readBenchmarkFlags(argc, argv))
        return 1;
    return bench::runSelectedBenchmarks();
}
