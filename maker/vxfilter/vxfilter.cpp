#include "maker/vxfilter/vxfilter.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

// ---------------------------------------------------------------------------
// Lattice (value) noise: every lattice corner holds a value drawn from two
// fixed tables, and a point's value blends the eight corners of its cell
// trilinearly with the fade 3t^2 - 2t^3, which keeps the first derivative
// continuous across cell faces.
//
// A corner (i, j, k), each taken modulo 256, holds
//   kValues[kOrder[kOrder[i] + j] + k]   (sums modulo 256).
// The two rows of order look-ups and the final look-up are byte loads, which
// run on the load ports beside the arithmetic; hashing the eight corners
// arithmetically kept the vector units busy with multiplies and shuffles,
// and those are what a call's time went on. The last index changes with k
// alone, so the values of a corner and the corner above it in depth sit
// side by side: kValues has a copy of its first entry at its end, and one
// 8-byte load reads both. The tables are constants, so every run and every
// machine gives the same values.

using Floats = float __attribute__((vector_size(16)));
using SignedWords = std::int32_t __attribute__((vector_size(16)));
using Longs = std::uint64_t __attribute__((vector_size(16)));
// Two corner values, one above the other in depth.
using DepthPair = float __attribute__((vector_size(8)));

constexpr int kLatticeSize = 256;

// A fixed linear congruential sequence; only the tables below use it.
constexpr std::uint32_t nextDraw(std::uint32_t state) {
    return state * 1664525u + 1013904223u;
}

// 0..255 shuffled by the sequence from `seed` (Fisher-Yates).
constexpr std::array<std::uint8_t, kLatticeSize> shuffledBytes(std::uint32_t seed) {
    std::array<std::uint8_t, kLatticeSize> order{};
    for (int i = 0; i < kLatticeSize; ++i)
        order[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    std::uint32_t state = seed;
    for (int i = kLatticeSize - 1; i > 0; --i) {
        state = nextDraw(state);
        const auto j = static_cast<std::size_t>(
            (static_cast<std::uint64_t>(state) * static_cast<std::uint32_t>(i + 1)) >> 32);
        const std::uint8_t kept = order[static_cast<std::size_t>(i)];
        order[static_cast<std::size_t>(i)] = order[j];
        order[j] = kept;
    }
    return order;
}

constexpr std::array<std::uint8_t, kLatticeSize> kOrder = shuffledBytes(0x2545F491u);

// Brings the corner values within -0.7..0.7: the values' spread (a standard
// deviation of about 0.26 over the space) is then that of the gradient noise
// the wiggle's amounts were first chosen with, so a wiggle of a given amount
// moves pixels about as far. The blend's weights sum to 1, so the value never
// exceeds kValueScale in magnitude (beyond rounding).
constexpr float kValueScale = 0.7f;

// The 256 corner values evenly spaced over -kValueScale..kValueScale (so
// their mean is exactly 0) in a shuffled order, and the first again at the
// end for the paired load.
constexpr std::array<float, kLatticeSize + 1> cornerValues() {
    const std::array<std::uint8_t, kLatticeSize> rank = shuffledBytes(0x9E3779B9u);
    std::array<float, kLatticeSize + 1> values{};
    for (std::size_t i = 0; i < rank.size(); ++i)
        values[i] = kValueScale * ((2.0f * rank[i] + 1.0f) / kLatticeSize - 1.0f);
    values[kLatticeSize] = values[0];
    return values;
}

alignas(64) constexpr std::array<float, kLatticeSize + 1> kValues = cornerValues();

inline std::uint8_t ordered(std::uint8_t at, std::uint8_t offset) {
    return static_cast<std::uint8_t>(kOrder[at] + offset);
}

inline DepthPair depthPair(std::uint8_t at) {
    DepthPair pair;
    std::memcpy(&pair, &kValues[at], sizeof pair);
    return pair;
}

// The point vectors hold (x, y, z, -). The constants' fourth lanes are
// arbitrary and nothing reads that lane of a result; constants whose lanes
// differ load whole, where the compiler builds one of equal lanes from a
// single lane with a shuffle.
constexpr Floats kOne = {1.0f, 1.0f, 1.0f, 0.0f};
constexpr Floats kTwo = {2.0f, 2.0f, 2.0f, 0.0f};
constexpr Floats kThree = {3.0f, 3.0f, 3.0f, 0.0f};

// Two lattice cells to the unit: value noise varies more slowly than
// gradient noise on the same lattice, and this brings its features back to
// about the size the wiggle's sizes were first chosen with. Scaling by 2 is
// exact. The pattern repeats every 256 cells, so every 128 units.
constexpr Floats kLatticePerUnit = kTwo;

// Lanes at or beyond 2^31 in magnitude, or not finite, do not convert to
// whole numbers; they count as 0. A float that large is a multiple of 256 and
// so lies on the lattice, as 0 does, and a coordinate that is not finite
// counts as 0 by contract.
constexpr Floats kConvertibleLimit = {2147483648.0f, 2147483648.0f, 2147483648.0f, 1.0f};
constexpr SignedWords kMagnitudeBits = {0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF};

} // namespace

extern "C" {

VXFILTER_API float noise3(const float* point) {
    if (!point)
        return 0.0f;
    // Three separate loads: callers store the coordinates one by one, and a
    // wider load across those stores would wait for them to reach memory.
    const Floats given = kLatticePerUnit * Floats{point[0], point[1], point[2], 0.0f};
    const SignedWords convertible = std::bit_cast<Floats>(std::bit_cast<SignedWords>(given) &
                                                          kMagnitudeBits) < kConvertibleLimit;
    const Floats p = std::bit_cast<Floats>(std::bit_cast<SignedWords>(given) & convertible);

    // Lattice cell (floor) and the position inside it: where truncation went
    // up, the offset is below 0 and both move down by one. Whole numbers
    // from 2^23 on convert exactly and lie on the lattice.
    const SignedWords truncated = __builtin_convertvector(p, SignedWords);
    const Floats ahead = p - __builtin_convertvector(truncated, Floats);
    const SignedWords below = ahead < Floats{}; // -1 in those lanes
    const SignedWords cell = truncated + below;
    const Floats f = ahead + std::bit_cast<Floats>(below & std::bit_cast<SignedWords>(kOne));

    // x and y leave the vector together; only their low bytes matter.
    const std::uint64_t xyCell = std::bit_cast<Longs>(cell)[0];
    const auto x = static_cast<std::uint8_t>(xyCell);
    const auto y = static_cast<std::uint8_t>(xyCell >> 32);
    const auto z = static_cast<std::uint8_t>(cell[2]);
    const std::uint8_t nearColumn = ordered(x, y);
    const std::uint8_t farColumn = ordered(static_cast<std::uint8_t>(x + 1), y);
    // Lanes of a row: (i, k) = (0, 0), (0, 1), (1, 0), (1, 1).
    const Floats nearRow = __builtin_shufflevector(depthPair(ordered(nearColumn, z)),
                                                   depthPair(ordered(farColumn, z)), 0, 1, 2, 3);
    const Floats farRow = __builtin_shufflevector(
        depthPair(ordered(static_cast<std::uint8_t>(nearColumn + 1), z)),
        depthPair(ordered(static_cast<std::uint8_t>(farColumn + 1), z)), 0, 1, 2, 3);

    // The blend as one weighted sum: corner (i, j, k) weighs
    // (i ? u : 1 - u)(j ? v : 1 - v)(k ? w : 1 - w) of the faded offsets
    // (u, v, w).
    const Floats faded = f * f * (kThree - kTwo * f);
    const Floats rest = kOne - faded;
    const Floats rowWeight = __builtin_shufflevector(rest, faded, 0, 0, 4, 4) *
                             __builtin_shufflevector(rest, faded, 2, 6, 2, 6);
    const Floats farWeight = rowWeight * __builtin_shufflevector(faded, faded, 1, 1, 1, 1);
    const Floats nearWeight = rowWeight - farWeight;
    const Floats sum = nearRow * nearWeight + farRow * farWeight;
    const Floats halves = sum + __builtin_shufflevector(sum, sum, 2, 3, 2, 3);
    return halves[0] + halves[1];
}

} // extern "C"

namespace {

// 0..1; anything below (or NaN) gives 0, anything above gives 1.
inline float clampUnit(float c) {
    return c > 0.0f ? (c < 1.0f ? c : 1.0f) : 0.0f;
}
inline double clampSigned(double c) {
    return c < -1.0 ? -1.0 : (c > 1.0 ? 1.0 : c);
}

} // namespace

extern "C" {

VXFILTER_API void RGB_To_HSV(float r, float g, float b, float* hue, float* saturation,
                             float* value) {
    r = clampUnit(r);
    g = clampUnit(g);
    b = clampUnit(b);
    const float maximum = std::fmax(r, std::fmax(g, b));
    const float minimum = std::fmin(r, std::fmin(g, b));
    const float delta = maximum - minimum; // 0 <= delta <= maximum, exactly

    float h = 0.0f;
    if (delta > 0.0f) {
        if (maximum == r)
            h = 60.0f * ((g - b) / delta); // -60..60
        else if (maximum == g)
            h = 60.0f * ((b - r) / delta + 2.0f); // 60..180
        else
            h = 60.0f * ((r - g) / delta + 4.0f); // 180..300
        if (h < 0.0f)
            h += 360.0f;
        // A tiny negative hue plus 360 can round up to 360, which is 0 on the
        // circle; the contract is 0 <= hue < 360.
        if (!(h >= 0.0f && h < 360.0f))
            h = 0.0f;
    }
    if (hue)
        *hue = h;
    if (saturation)
        *saturation = maximum > 0.0f ? delta / maximum : 0.0f;
    if (value)
        *value = maximum;
}

VXFILTER_API void f_rgb2yuv(float r, float g, float b, float* y, float* u, float* v) {
    const double rd = clampUnit(r);
    const double gd = clampUnit(g);
    const double bd = clampUnit(b);
    constexpr double kR = 0.299, kG = 0.587, kB = 0.114;
    double luma = kR * rd + kG * gd + kB * bd;
    luma = luma < 0.0 ? 0.0 : (luma > 1.0 ? 1.0 : luma);
    // (b - Y) spans -(1 - kB)..(1 - kB) and (r - Y) spans -(1 - kR)..(1 - kR).
    const double blueDifference = clampSigned((bd - luma) / (1.0 - kB));
    const double redDifference = clampSigned((rd - luma) / (1.0 - kR));
    if (y)
        *y = static_cast<float>(luma);
    if (u)
        *u = static_cast<float>(128.0 + blueDifference);
    if (v)
        *v = static_cast<float>(128.0 + redDifference);
}

} // extern "C"
