#include "maker/vxfilter/vxfilter.h"

#include <array>
#include <cmath>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// ---------------------------------------------------------------------------
// Gradient noise: Ken Perlin's "improved noise" (2002), written here in single
// precision. The permutation is Perlin's published reference table, built in,
// so every run and every machine gives the same values.

constexpr std::array<std::uint8_t, 256> kPermutation = {
    151, 160, 137, 91,  90,  15,  131, 13,  201, 95,  96,  53,  194, 233, 7,   225, 140, 36,  103,
    30,  69,  142, 8,   99,  37,  240, 21,  10,  23,  190, 6,   148, 247, 120, 234, 75,  0,   26,
    197, 62,  94,  252, 219, 203, 117, 35,  11,  32,  57,  177, 33,  88,  237, 149, 56,  87,  174,
    20,  125, 136, 171, 168, 68,  175, 74,  165, 71,  134, 139, 48,  27,  166, 77,  146, 158, 231,
    83,  111, 229, 122, 60,  211, 133, 230, 220, 105, 92,  41,  55,  46,  245, 40,  244, 102, 143,
    54,  65,  25,  63,  161, 1,   216, 80,  73,  209, 76,  132, 187, 208, 89,  18,  169, 200, 196,
    135, 130, 116, 188, 159, 86,  164, 100, 109, 198, 173, 186, 3,   64,  52,  217, 226, 250, 124,
    123, 5,   202, 38,  147, 118, 126, 255, 82,  85,  212, 207, 206, 59,  227, 47,  16,  58,  17,
    182, 189, 28,  42,  223, 183, 170, 213, 119, 248, 152, 2,   44,  154, 163, 70,  221, 153, 101,
    155, 167, 43,  172, 9,   129, 22,  39,  253, 19,  98,  108, 110, 79,  113, 224, 232, 178, 185,
    112, 104, 218, 246, 97,  228, 251, 34,  242, 193, 238, 210, 144, 12,  191, 179, 162, 241, 81,
    51,  145, 235, 249, 14,  239, 107, 49,  192, 214, 31,  181, 199, 106, 157, 184, 84,  204, 176,
    115, 121, 50,  45,  127, 4,   150, 254, 138, 236, 205, 93,  222, 114, 67,  29,  24,  72,  243,
    141, 128, 195, 78,  66,  215, 61,  156, 180};

constexpr bool isPermutation(const std::array<std::uint8_t, 256>& p) {
    std::array<bool, 256> seen{};
    for (std::uint8_t v : p) {
        if (seen[v])
            return false;
        seen[v] = true;
    }
    return true;
}
static_assert(isPermutation(kPermutation), "the noise table must hold each of 0..255 once");

// The table twice over, so that p[p[i] + j] + k + 1 (at most 255 + 255 + 1)
// needs no wrapping.
constexpr std::array<std::uint8_t, 512> makeDoubled() {
    std::array<std::uint8_t, 512> doubled{};
    for (int i = 0; i < 512; ++i)
        doubled[i] = kPermutation[i & 255];
    return doubled;
}
alignas(64) constexpr std::array<std::uint8_t, 512> kP = makeDoubled();

// The twelve edge directions of the cube (four repeated to make sixteen), in
// the order of Perlin's grad(): hash h picks u = (h < 8 ? x : y),
// v = (h < 4 ? y : h == 12 || h == 14 ? x : z), signs from bits 0 and 1.
struct alignas(16) Gradient {
    float x, y, z, unused;
};
constexpr std::array<Gradient, 16> makeGradients() {
    std::array<Gradient, 16> g{};
    for (int h = 0; h < 16; ++h) {
        float u[3] = {0, 0, 0}; // the coefficient of x, y and z picked as "u"
        float v[3] = {0, 0, 0};
        u[h < 8 ? 0 : 1] = (h & 1) ? -1.0f : 1.0f;
        v[h < 4 ? 1 : (h == 12 || h == 14) ? 0 : 2] = (h & 2) ? -1.0f : 1.0f;
        g[h] = Gradient{u[0] + v[0], u[1] + v[1], u[2] + v[2], 0.0f};
    }
    return g;
}
alignas(64) constexpr std::array<Gradient, 16> kGradients = makeGradients();

[[maybe_unused]] inline float dotGradient(unsigned hash, float x, float y, float z) {
    const Gradient& g = kGradients[hash & 15];
    return g.x * x + g.y * y + g.z * z;
}

#if defined(__SSE2__)
// For the corner hash kP[i], the byte offset of its gradient in kGradients,
// (kP[i] & 15) * 16, so that finding a gradient is one byte load.
constexpr std::array<std::uint8_t, 512> makeGradientOffsets() {
    std::array<std::uint8_t, 512> offsets{};
    for (int i = 0; i < 512; ++i)
        offsets[i] = static_cast<std::uint8_t>((kP[i] & 15) * sizeof(Gradient));
    return offsets;
}
alignas(64) constexpr std::array<std::uint8_t, 512> kGradientOffset = makeGradientOffsets();
static_assert(sizeof(Gradient) == 16);

inline __m128 gradientAt(unsigned corner) {
    return _mm_load_ps(reinterpret_cast<const float*>(
        reinterpret_cast<const char*>(kGradients.data()) + kGradientOffset[corner]));
}

// The gradients of the four corners hashed at c0..c3, one corner per lane:
// x, y and z components.
inline void gradientsOfFour(unsigned c0, unsigned c1, unsigned c2, unsigned c3, __m128& gx,
                            __m128& gy, __m128& gz) {
    __m128 row0 = gradientAt(c0);
    __m128 row1 = gradientAt(c1);
    __m128 row2 = gradientAt(c2);
    __m128 row3 = gradientAt(c3);
    _MM_TRANSPOSE4_PS(row0, row1, row2, row3);
    gx = row0;
    gy = row1;
    gz = row2;
}
#endif

[[maybe_unused]] inline float fade(float t) {
    return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f);
}
[[maybe_unused]] inline float lerp(float t, float a, float b) {
    return a + t * (b - a);
}

// Improved noise peaks at about 1.0364 in magnitude; this brings it within
// -1..1 with a little room (the final clamp only guards against rounding).
constexpr float kNoiseScale = 0.96f;

// Beyond 2^23 every float is a whole number, so the lattice cell is the
// number itself; bring such coordinates (and non-finite ones) back into a
// range where the integer conversion below is defined. fmod by 256 is exact
// and the noise repeats every 256 units, so the value does not change.
constexpr float kLimit = 8388608.0f; // 2^23

float wrapCoordinate(float c) {
    if (!std::isfinite(c))
        return 0.0f;
    return std::fmod(c, 256.0f);
}

} // namespace

extern "C" {

#if defined(__SSE2__)

VXFILTER_API float noise3(const float* point) {
    if (!point)
        return 0.0f;
    // (x, y, z, 0); no read past the three floats.
    __m128 p = _mm_movelh_ps(_mm_unpacklo_ps(_mm_load_ss(point), _mm_load_ss(point + 1)),
                             _mm_load_ss(point + 2));
    const __m128 absolute = _mm_andnot_ps(_mm_set1_ps(-0.0f), p);
    if (_mm_movemask_ps(_mm_cmplt_ps(absolute, _mm_set1_ps(kLimit))) != 0xF) {
        alignas(16) float c[4];
        _mm_store_ps(c, p);
        p = _mm_set_ps(0.0f, wrapCoordinate(c[2]), wrapCoordinate(c[1]), wrapCoordinate(c[0]));
    }

    // Lattice cell (floor) and the position inside it, all three at once.
    const __m128i truncated = _mm_cvttps_epi32(p);
    const __m128 above = _mm_cmplt_ps(p, _mm_cvtepi32_ps(truncated)); // all ones where x < trunc
    const __m128i cell = _mm_add_epi32(truncated, _mm_castps_si128(above)); // minus 1 there
    const __m128 f = _mm_sub_ps(p, _mm_cvtepi32_ps(cell));                  // (x, y, z, 0) in 0..1
    const __m128 f1 = _mm_sub_ps(f, _mm_set1_ps(1.0f));                     // (x - 1, ...)
    const unsigned X = static_cast<unsigned>(_mm_cvtsi128_si32(cell)) & 255u;
    const unsigned Y =
        static_cast<unsigned>(_mm_cvtsi128_si32(_mm_shuffle_epi32(cell, _MM_SHUFFLE(1, 1, 1, 1)))) &
        255u;
    const unsigned Z =
        static_cast<unsigned>(_mm_cvtsi128_si32(_mm_shuffle_epi32(cell, _MM_SHUFFLE(2, 2, 2, 2)))) &
        255u;

    // fade(t) = t^3 (t (6t - 15) + 10), lanes u, v, w.
    const __m128 f2 = _mm_mul_ps(f, f);
    const __m128 inner =
        _mm_add_ps(_mm_mul_ps(f, _mm_sub_ps(_mm_mul_ps(f, _mm_set1_ps(6.0f)), _mm_set1_ps(15.0f))),
                   _mm_set1_ps(10.0f));
    const __m128 faded = _mm_mul_ps(_mm_mul_ps(f2, f), inner);

    // Hashes of the eight corners.
    const unsigned A = kP[X] + Y;
    const unsigned AA = kP[A] + Z;
    const unsigned AB = kP[A + 1] + Z;
    const unsigned B = kP[X + 1] + Y;
    const unsigned BA = kP[B] + Z;
    const unsigned BB = kP[B + 1] + Z;

    // Corner (i, j, k) contributes its gradient's dot product with the offset
    // (x - i, y - j, z - k). Four corners per vector, lanes (i, j) = (0, 0),
    // (1, 0), (0, 1), (1, 1): the near face (k = 0) in one, the far face
    // (k = 1) in the other. Blended along z, then y, then x.
    __m128 gxNear, gyNear, gzNear, gxFar, gyFar, gzFar;
    gradientsOfFour(AA, BA, AB, BB, gxNear, gyNear, gzNear);
    gradientsOfFour(AA + 1, BA + 1, AB + 1, BB + 1, gxFar, gyFar, gzFar);

    const __m128 pairs = _mm_unpacklo_ps(f, f1);                             // x, x-1, y, y-1
    const __m128 dx = _mm_movelh_ps(pairs, pairs);                           // x, x-1, x, x-1
    const __m128 dy = _mm_shuffle_ps(pairs, pairs, _MM_SHUFFLE(3, 3, 2, 2)); // y, y, y-1, y-1
    const __m128 dzNear = _mm_shuffle_ps(f, f, _MM_SHUFFLE(2, 2, 2, 2));
    const __m128 dzFar = _mm_shuffle_ps(f1, f1, _MM_SHUFFLE(2, 2, 2, 2));
    const __m128 nearFace = _mm_add_ps(_mm_add_ps(_mm_mul_ps(gxNear, dx), _mm_mul_ps(gyNear, dy)),
                                       _mm_mul_ps(gzNear, dzNear));
    const __m128 farFace = _mm_add_ps(_mm_add_ps(_mm_mul_ps(gxFar, dx), _mm_mul_ps(gyFar, dy)),
                                      _mm_mul_ps(gzFar, dzFar));
    const __m128 w = _mm_shuffle_ps(faded, faded, _MM_SHUFFLE(2, 2, 2, 2));
    const __m128 v = _mm_shuffle_ps(faded, faded, _MM_SHUFFLE(1, 1, 1, 1));
    // Along z: lanes (0,0), (1,0), (0,1), (1,1) of the blended face.
    const __m128 face = _mm_add_ps(nearFace, _mm_mul_ps(w, _mm_sub_ps(farFace, nearFace)));
    // Along y: lanes 0 and 1 hold the edges i = 0 and i = 1.
    const __m128 upper = _mm_movehl_ps(face, face);
    const __m128 edge = _mm_add_ps(face, _mm_mul_ps(v, _mm_sub_ps(upper, face)));
    // Along x.
    const __m128 other = _mm_shuffle_ps(edge, edge, _MM_SHUFFLE(1, 1, 1, 1));
    __m128 n = _mm_add_ps(edge, _mm_mul_ps(faded, _mm_sub_ps(other, edge))); // lane 0
    n = _mm_mul_ss(n, _mm_set_ss(kNoiseScale));
    n = _mm_min_ss(_mm_max_ss(n, _mm_set_ss(-1.0f)), _mm_set_ss(1.0f));
    return _mm_cvtss_f32(n);
}

#else // portable version of the same arithmetic

VXFILTER_API float noise3(const float* point) {
    if (!point)
        return 0.0f;
    float x = point[0];
    float y = point[1];
    float z = point[2];
    if (!(std::fabs(x) < kLimit && std::fabs(y) < kLimit && std::fabs(z) < kLimit)) {
        x = wrapCoordinate(x);
        y = wrapCoordinate(y);
        z = wrapCoordinate(z);
    }

    // Lattice cell (floor) and the position inside it.
    int xi = static_cast<int>(x);
    int yi = static_cast<int>(y);
    int zi = static_cast<int>(z);
    xi -= x < static_cast<float>(xi);
    yi -= y < static_cast<float>(yi);
    zi -= z < static_cast<float>(zi);
    x -= static_cast<float>(xi);
    y -= static_cast<float>(yi);
    z -= static_cast<float>(zi);
    const unsigned X = static_cast<unsigned>(xi) & 255u;
    const unsigned Y = static_cast<unsigned>(yi) & 255u;
    const unsigned Z = static_cast<unsigned>(zi) & 255u;

    const float u = fade(x);
    const float v = fade(y);
    const float w = fade(z);

    // Hashes of the eight corners.
    const unsigned A = kP[X] + Y;
    const unsigned AA = kP[A] + Z;
    const unsigned AB = kP[A + 1] + Z;
    const unsigned B = kP[X + 1] + Y;
    const unsigned BA = kP[B] + Z;
    const unsigned BB = kP[B + 1] + Z;

    // Corner (i, j, k) contributes its gradient's dot product with the offset
    // (x - i, y - j, z - k). Blended along z, then y, then x.
    const float x1 = x - 1.0f;
    const float y1 = y - 1.0f;
    const float z1 = z - 1.0f;
    const float n000 = dotGradient(kP[AA], x, y, z);
    const float n100 = dotGradient(kP[BA], x1, y, z);
    const float n010 = dotGradient(kP[AB], x, y1, z);
    const float n110 = dotGradient(kP[BB], x1, y1, z);
    const float n001 = dotGradient(kP[AA + 1], x, y, z1);
    const float n101 = dotGradient(kP[BA + 1], x1, y, z1);
    const float n011 = dotGradient(kP[AB + 1], x, y1, z1);
    const float n111 = dotGradient(kP[BB + 1], x1, y1, z1);
    const float e0 = lerp(v, lerp(w, n000, n001), lerp(w, n010, n011));
    const float e1 = lerp(v, lerp(w, n100, n101), lerp(w, n110, n111));
    const float n = kNoiseScale * lerp(u, e0, e1);
    return n < -1.0f ? -1.0f : (n > 1.0f ? 1.0f : n);
}

#endif

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
