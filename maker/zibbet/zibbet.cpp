#include "maker/zibbet/zibbet.h"

#include "maker/zibbet/ScaleTaps.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// z_scale_to_dib, separable and in fixed point.
//
// Each axis gets a table of taps made once per call: for every destination
// index, the run of source indices it reads and a 14-bit weight for each, the
// weights of one destination index summing to exactly 1 << 14. A shrinking
// axis takes the area each source sample shares with the destination pixel
// (box filter); an enlarging or equal axis takes the two samples either side
// of the destination pixel's centre (linear; one sample when it falls on a
// sample centre or beyond the edge ones).
//
// Per destination row, the vertical pass combines that row's source rows of
// the three planes into an intermediate row of 16-bit values with 8 fraction
// bits (255.0 is 65280); the horizontal pass combines intermediate samples
// into destination pixels. Sums stay below 2^31 throughout:
//   vertical:   255 * 2^14 + 2^5      = 4 177 952     -> >> 6  -> at most 65280
//   horizontal: 65280 * 2^14 + 2^21   = 1 071 644 672 -> >> 22 -> at most 255
// At 1:1 every weight is 2^14, so the copy is exact. The vertical pass runs
// once per destination row (and is skipped when a row reads the same source
// rows with the same weights as the one before); the horizontal pass walks
// the column tables.

namespace {

using namespace zibbet;

// One plane's source rows for one destination row into an intermediate row
// (value << 8, at most 65280).
#if defined(__SSE2__)
// The weights of source rows k and k + 1 (0 past the last), in every lane.
struct PairWeight {
    __m128i both;
};

// Sixteen columns at a time, all of the rows at once, two rows per step:
// interleaving the bytes of two rows and widening them to 16 bits pairs each
// column's two samples, and pmaddwd multiplies them by the two rows' weights
// and adds them (weights <= 2^14 fit its signed 16 bits). Per row, pairWeights
// holds (weight k, weight k + 1) in every 32-bit lane; an odd last row is
// paired with zeros.
void verticalPass(const std::uint8_t* plane, std::size_t width, std::int32_t firstRow,
                  std::int32_t rows, const std::uint16_t* weights, const PairWeight* pairWeights,
                  std::uint16_t* out) {
    const std::uint8_t* row0 = plane + static_cast<std::size_t>(firstRow) * width;
    const __m128i zero = _mm_setzero_si128();
    const __m128i half = _mm_set1_epi32(static_cast<int>(kVerticalHalf));
    // 0..65280 does not fit a signed 16-bit pack: shift it down by 32768
    // before packing and flip the top bit back afterwards.
    const __m128i offset = _mm_set1_epi32(32768);
    const __m128i topBit = _mm_set1_epi16(static_cast<short>(0x8000));
    std::size_t x = 0;
    for (; x + 16 <= width; x += 16) {
        __m128i sum0 = zero, sum1 = zero, sum2 = zero, sum3 = zero;
        for (std::int32_t k = 0; k < rows; k += 2) {
            const std::uint8_t* row = row0 + static_cast<std::size_t>(k) * width + x;
            const bool pair = k + 1 < rows;
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row));
            const __m128i b =
                pair ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + width)) : zero;
            const __m128i w = pairWeights[k / 2].both;
            const __m128i low = _mm_unpacklo_epi8(a, b);  // a0 b0 a1 b1 ... a7 b7
            const __m128i high = _mm_unpackhi_epi8(a, b); // a8 b8 ... a15 b15
            sum0 = _mm_add_epi32(sum0, _mm_madd_epi16(_mm_unpacklo_epi8(low, zero), w));
            sum1 = _mm_add_epi32(sum1, _mm_madd_epi16(_mm_unpackhi_epi8(low, zero), w));
            sum2 = _mm_add_epi32(sum2, _mm_madd_epi16(_mm_unpacklo_epi8(high, zero), w));
            sum3 = _mm_add_epi32(sum3, _mm_madd_epi16(_mm_unpackhi_epi8(high, zero), w));
        }
        auto level = [&](__m128i sum) {
            return _mm_sub_epi32(_mm_srli_epi32(_mm_add_epi32(sum, half), kVerticalShift), offset);
        };
        const __m128i first = _mm_xor_si128(_mm_packs_epi32(level(sum0), level(sum1)), topBit);
        const __m128i second = _mm_xor_si128(_mm_packs_epi32(level(sum2), level(sum3)), topBit);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), first);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x + 8), second);
    }
    for (; x < width; ++x) {
        std::uint32_t sum = kVerticalHalf;
        const std::uint8_t* row = row0 + x;
        for (std::int32_t k = 0; k < rows; ++k, row += width)
            sum += *row * static_cast<std::uint32_t>(weights[k]);
        out[x] = static_cast<std::uint16_t>(sum >> kVerticalShift);
    }
}
#else
// Whole rows at a time, for the auto-vectoriser.
void verticalPass(const std::uint8_t* plane, std::size_t width, std::int32_t firstRow,
                  std::int32_t rows, const std::uint16_t* weights, std::uint32_t* sum,
                  std::uint16_t* out) {
    const std::uint8_t* row0 = plane + static_cast<std::size_t>(firstRow) * width;
    if (rows == 1) { // the weight is kOne
        for (std::size_t x = 0; x < width; ++x)
            out[x] = static_cast<std::uint16_t>(row0[x] << kFractionBits);
        return;
    }
    const std::uint32_t w0 = weights[0];
    const std::uint32_t w1 = weights[1];
    const std::uint8_t* row1 = row0 + width;
    if (rows == 2) {
        for (std::size_t x = 0; x < width; ++x)
            out[x] = static_cast<std::uint16_t>((row0[x] * w0 + row1[x] * w1 + kVerticalHalf) >>
                                                kVerticalShift);
        return;
    }
    for (std::size_t x = 0; x < width; ++x)
        sum[x] = row0[x] * w0 + row1[x] * w1;
    std::int32_t k = 2;
    for (; k + 1 < rows; k += 2) {
        const std::uint8_t* a = row0 + static_cast<std::size_t>(k) * width;
        const std::uint8_t* b = a + width;
        const std::uint32_t wa = weights[k];
        const std::uint32_t wb = weights[k + 1];
        for (std::size_t x = 0; x < width; ++x)
            sum[x] += a[x] * wa + b[x] * wb;
    }
    if (k < rows) {
        const std::uint8_t* a = row0 + static_cast<std::size_t>(k) * width;
        const std::uint32_t wa = weights[k];
        for (std::size_t x = 0; x < width; ++x)
            sum[x] += a[x] * wa;
    }
    for (std::size_t x = 0; x < width; ++x)
        out[x] = static_cast<std::uint16_t>((sum[x] + kVerticalHalf) >> kVerticalShift);
}
#endif

inline std::uint32_t pixel(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return (r >> kHorizontalShift) << 16 | (g >> kHorizontalShift) << 8 | (b >> kHorizontalShift);
}

// Enlarging or equal width: two intermediate samples per pixel. The
// intermediate rows carry spare samples at the end, so left + 1 is always
// readable (its weight is 0 there).
void horizontalLinear(const std::uint16_t* red, const std::uint16_t* green,
                      const std::uint16_t* blue, const std::int32_t* left,
                      const std::uint16_t* rightWeight, std::uint32_t* out, std::size_t count) {
    for (std::size_t j = 0; j < count; ++j) {
        const std::size_t i = static_cast<std::size_t>(left[j]);
        const std::uint32_t w1 = rightWeight[j];
        const std::uint32_t w0 = kOne - w1;
        const std::uint32_t r = red[i] * w0 + red[i + 1] * w1 + kHorizontalHalf;
        const std::uint32_t g = green[i] * w0 + green[i + 1] * w1 + kHorizontalHalf;
        const std::uint32_t b = blue[i] * w0 + blue[i + 1] * w1 + kHorizontalHalf;
        out[j] = pixel(r, g, b);
    }
}

// Shrinking width: every column's box taps padded with zero weights to the
// same number, `span` (the intermediate rows carry span - 1 spare samples).
struct BoxColumns {
    std::int32_t span = 0;
    std::vector<std::int32_t> start;
    std::vector<std::uint16_t> weights; // span per column
};

BoxColumns boxColumns(std::int64_t src, std::int64_t dst) {
    const Taps taps = boxTaps(src, dst);
    BoxColumns columns;
    columns.span = taps.maxCount;
    columns.start = taps.start;
    columns.weights.assign(static_cast<std::size_t>(dst) * static_cast<std::size_t>(columns.span),
                           0);
    for (std::size_t j = 0; j < static_cast<std::size_t>(dst); ++j)
        std::memcpy(&columns.weights[j * static_cast<std::size_t>(columns.span)],
                    &taps.weights[taps.firstWeight[j]],
                    static_cast<std::size_t>(taps.count[j]) * sizeof(std::uint16_t));
    return columns;
}

// kSpan > 0: a fixed number of taps, unrolled; 0: columns.span taps.
template <int kSpan>
void horizontalBox(const std::uint16_t* red, const std::uint16_t* green, const std::uint16_t* blue,
                   const BoxColumns& columns, std::uint32_t* out, std::size_t count) {
    const std::int32_t span = kSpan > 0 ? kSpan : columns.span;
    const std::uint16_t* weights = columns.weights.data();
    for (std::size_t j = 0; j < count; ++j, weights += span) {
        const std::size_t s = static_cast<std::size_t>(columns.start[j]);
        std::uint32_t r = kHorizontalHalf;
        std::uint32_t g = kHorizontalHalf;
        std::uint32_t b = kHorizontalHalf;
        for (std::int32_t k = 0; k < span; ++k) {
            const std::uint32_t w = weights[k];
            r += red[s + k] * w;
            g += green[s + k] * w;
            b += blue[s + k] * w;
        }
        out[j] = pixel(r, g, b);
    }
}

using HorizontalBox = void (*)(const std::uint16_t*, const std::uint16_t*, const std::uint16_t*,
                               const BoxColumns&, std::uint32_t*, std::size_t);

HorizontalBox horizontalBoxFor(std::int32_t span) {
    switch (span) {
    case 2:
        return horizontalBox<2>;
    case 3:
        return horizontalBox<3>;
    case 4:
        return horizontalBox<4>;
    case 5:
        return horizontalBox<5>;
    case 6:
        return horizontalBox<6>;
    case 7:
        return horizontalBox<7>;
    case 8:
        return horizontalBox<8>;
    default:
        return horizontalBox<0>;
    }
}

void scale(const std::uint8_t* red, const std::uint8_t* green, const std::uint8_t* blue,
           std::uint32_t* destination, std::int32_t srcWidth, std::int32_t srcHeight,
           std::int32_t dstWidth, std::int32_t dstHeight, std::int32_t dstRowLength) {
    const std::size_t width = static_cast<std::size_t>(srcWidth);
    const std::size_t columns = static_cast<std::size_t>(dstWidth);
    const std::size_t rowLength = static_cast<std::size_t>(dstRowLength);

    const Taps rows = axisTaps(srcHeight, dstHeight);
    const bool shrinkWidth = dstWidth < srcWidth;
    BoxColumns box;
    HorizontalBox boxPass = nullptr;
    std::vector<std::int32_t> left;
    std::vector<std::uint16_t> rightWeight;
    if (shrinkWidth) {
        box = boxColumns(srcWidth, dstWidth);
        boxPass = horizontalBoxFor(box.span);
    } else {
        linearPositions(srcWidth, dstWidth, left, rightWeight);
    }

    // Intermediate rows: red, green, blue, each with spare samples at the end
    // (zero, and read only with weight 0).
    const std::size_t spare =
        shrinkWidth && box.span > 1 ? static_cast<std::size_t>(box.span - 1) : 1;
    const std::size_t stride = width + spare;
    std::vector<std::uint16_t> intermediate(3 * stride, 0);
    std::uint16_t* midRed = intermediate.data();
    std::uint16_t* midGreen = midRed + stride;
    std::uint16_t* midBlue = midGreen + stride;
#if defined(__SSE2__)
    std::vector<PairWeight> pairWeights(static_cast<std::size_t>(rows.maxCount + 1) / 2);
#else
    std::vector<std::uint32_t> sum(rows.maxCount > 2 ? width : 0);
#endif

    for (std::size_t y = 0; y < static_cast<std::size_t>(dstHeight); ++y) {
        if (y == 0 || !sameTaps(rows, y, y - 1)) {
            const std::int32_t first = rows.start[y];
            const std::int32_t n = rows.count[y];
            const std::uint16_t* w = &rows.weights[rows.firstWeight[y]];
#if defined(__SSE2__)
            for (std::int32_t k = 0; k < n; k += 2) {
                const std::uint32_t next = k + 1 < n ? w[k + 1] : 0u;
                pairWeights[static_cast<std::size_t>(k / 2)].both =
                    _mm_set1_epi32(static_cast<int>(w[k] | next << 16));
            }
            const PairWeight* extra = pairWeights.data();
#else
            std::uint32_t* extra = sum.data();
#endif
            verticalPass(red, width, first, n, w, extra, midRed);
            verticalPass(green, width, first, n, w, extra, midGreen);
            verticalPass(blue, width, first, n, w, extra, midBlue);
        }
        std::uint32_t* out = destination + y * rowLength;
        if (shrinkWidth)
            boxPass(midRed, midGreen, midBlue, box, out, columns);
        else
            horizontalLinear(midRed, midGreen, midBlue, left.data(), rightWeight.data(), out,
                             columns);
    }
}

} // namespace

extern "C" {

ZIBBET_API std::int32_t z_scale_to_dib(const std::uint8_t* red, const std::uint8_t* green,
                                       const std::uint8_t* blue, std::uint32_t* destination,
                                       std::int32_t srcWidth, std::int32_t srcHeight,
                                       std::int32_t dstWidth, std::int32_t dstHeight,
                                       std::int32_t dstRowLength) {
    if (!red || !green || !blue || !destination)
        return 1;
    if (srcWidth <= 0 || srcHeight <= 0 || dstWidth <= 0 || dstHeight <= 0 || dstRowLength <= 0)
        return 1;
    if (dstWidth > dstRowLength)
        dstWidth = dstRowLength;
    try {
        scale(red, green, blue, destination, srcWidth, srcHeight, dstWidth, dstHeight,
              dstRowLength);
    } catch (...) { // no C++ exception may leave a C routine
        return 2;
    }
    return 0;
}

} // extern "C"
