#include "maker/vxfilter/vxfilter.h"

#include <bit>
#include <cmath>
#include <cstdint>

namespace {

// ---------------------------------------------------------------------------
// Lattice (value) noise: every lattice corner holds a value in -1..1 drawn
// from an integer hash of the corner, and a point's value blends the eight
// corners of its cell trilinearly with the fade 3t^2 - 2t^3, which keeps
// the first derivative continuous across cell faces. A hash instead of a
// permutation table means no chain of dependent loads, and fixed constants
// mean every run and every machine gives the same values.
//
// The arithmetic runs on four lanes at once, written with the compiler's
// generic vector types so that one definition serves every target. The
// lanes of a face are its corners (i, j) = (0, 0), (1, 0), (0, 1), (1, 1):
// one vector for the cell's near face (k = 0), one for its far face
// (k = 1). A point vector holds (x, y, z, z).

using Floats = float __attribute__((vector_size(16)));
using Words = std::uint32_t __attribute__((vector_size(16)));
using SignedWords = std::int32_t __attribute__((vector_size(16)));
using HalfWords = std::uint16_t __attribute__((vector_size(16)));

constexpr Floats kOne = {1.0f, 1.0f, 1.0f, 1.0f};
constexpr Floats kTwo = {2.0f, 2.0f, 2.0f, 2.0f};
constexpr Floats kThree = {3.0f, 3.0f, 3.0f, 3.0f};

// Two lattice cells to the unit: value noise varies more slowly than
// gradient noise on the same lattice, and this brings its features back to
// about the size the wiggle's sizes were first chosen with. Scaling by 2 is
// exact.
constexpr Floats kLatticePerUnit = {2.0f, 2.0f, 2.0f, 2.0f};

// Corner coordinates are taken modulo 256, so the pattern repeats every 128
// units, and so every 256 units too.
constexpr std::uint32_t kPeriodMask = 255u;

// The hash works in the low 16 bits of each lane (16-bit products are one
// instruction everywhere; the upper halves stay 0). Odd multipliers spread
// each axis over those bits before the axes are combined; the final mix
// makes every bit depend on every bit of the corner.
constexpr HalfWords kSpread = {0x9E37, 0, 0x85EB, 0, 0xC2B3, 0, 0, 0};
constexpr HalfWords kMix = {0x2D4D, 0, 0x2D4D, 0, 0x2D4D, 0, 0x2D4D, 0};

inline Words times(Words a, HalfWords b) {
    return std::bit_cast<Words>(std::bit_cast<HalfWords>(a) * b);
}

// The corners' values, as whole numbers -2^31..2^31 - 2^16: the mixed
// 16-bit hash moved into the top half of the lane.
inline Floats cornerValues(Words h) {
    h = times(h ^ (h >> 8), kMix);
    h ^= h >> 7;
    return __builtin_convertvector(std::bit_cast<SignedWords>(h << 16), Floats);
}

// Brings the corner values within -0.7..0.7: the values' spread (a standard
// deviation of about 0.26 over the plane) is then that of the gradient noise
// the wiggle's amounts were first chosen with, so a wiggle of a given amount
// moves pixels about as far. The blend's weights sum to 1, so the value never
// exceeds kValueScale in magnitude (beyond rounding).
constexpr float kValueScale = 0.7f;
constexpr Floats kCornerScale = {kValueScale / 2147483648.0f, kValueScale / 2147483648.0f,
                                 kValueScale / 2147483648.0f, kValueScale / 2147483648.0f};

// Lanes at or beyond 2^31 in magnitude, or not finite, do not convert to
// whole numbers; they count as 0. A float that large is a multiple of 256 and
// so lies on the lattice, as 0 does, and a coordinate that is not finite
// counts as 0 by contract.
constexpr Floats kConvertibleLimit = {2147483648.0f, 2147483648.0f, 2147483648.0f, 2147483648.0f};
constexpr SignedWords kMagnitudeBits = {0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF};

} // namespace

extern "C" {

VXFILTER_API float noise3(const float* point) {
    if (!point)
        return 0.0f;
    // The fourth lane repeats z; nothing reads it.
    const Floats given = kLatticePerUnit * Floats{point[0], point[1], point[2], point[2]};
    const SignedWords convertible =
        std::bit_cast<Floats>(std::bit_cast<SignedWords>(given) & kMagnitudeBits) <
        kConvertibleLimit;
    const Floats p = std::bit_cast<Floats>(std::bit_cast<SignedWords>(given) & convertible);

    // Lattice cell (floor) and the position inside it: where truncation went
    // up, the offset is below 0 and both move down by one. Whole numbers
    // from 2^23 on convert exactly and lie on the lattice.
    const SignedWords truncated = __builtin_convertvector(p, SignedWords);
    const Floats ahead = p - __builtin_convertvector(truncated, Floats);
    const SignedWords below = ahead < Floats{}; // -1 in those lanes
    const SignedWords cell = truncated + below;
    const Floats f = ahead + std::bit_cast<Floats>(below & std::bit_cast<SignedWords>(kOne));

    // Spread coordinates of the near and far corners on each axis, combined
    // into the eight corners' hashes.
    const Words nearCorner = std::bit_cast<Words>(cell) & kPeriodMask;
    const Words s0 = times(nearCorner, kSpread);
    const Words s1 = times((nearCorner + 1u) & kPeriodMask, kSpread);
    const Words both = __builtin_shufflevector(s0, s1, 0, 4, 1, 5); // x0, x1, y0, y1
    const Words faceHash = __builtin_shufflevector(both, both, 0, 1, 0, 1) ^
                           __builtin_shufflevector(both, both, 2, 2, 3, 3);
    const Floats nearFace =
        cornerValues(faceHash ^ __builtin_shufflevector(s0, s0, 2, 2, 2, 2));
    const Floats farFace = cornerValues(faceHash ^ __builtin_shufflevector(s1, s1, 2, 2, 2, 2));

    // The blend as one weighted sum: corner (i, j, k) weighs
    // (i ? u : 1 - u)(j ? v : 1 - v)(k ? w : 1 - w) of the faded offsets
    // (u, v, w), the scale folded into the depth weights.
    const Floats faded = f * f * (kThree - kTwo * f);
    const Floats weightPairs = __builtin_shufflevector(kOne - faded, faded, 0, 4, 1, 5);
    const Floats faceWeight = __builtin_shufflevector(weightPairs, weightPairs, 0, 1, 0, 1) *
                              __builtin_shufflevector(weightPairs, weightPairs, 2, 2, 3, 3);
    const Floats scaledFar = kCornerScale * __builtin_shufflevector(faded, faded, 2, 2, 2, 2);
    const Floats scaledNear = kCornerScale - scaledFar;
    const Floats sum = nearFace * (faceWeight * scaledNear) + farFace * (faceWeight * scaledFar);
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
