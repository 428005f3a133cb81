#pragma once

// The tap tables of the scaler, one per axis: which source samples each
// destination index reads, and with which fixed-point weights (see
// zibbet.cpp for the arithmetic they serve).

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace zibbet {

constexpr int kWeightBits = 14; // pmaddwd takes signed 16-bit weights
constexpr std::uint32_t kOne = 1u << kWeightBits;
constexpr int kFractionBits = 8; // of the intermediate row
constexpr int kVerticalShift = kWeightBits - kFractionBits;
constexpr std::uint32_t kVerticalHalf = 1u << (kVerticalShift - 1);
constexpr int kHorizontalShift = kWeightBits + kFractionBits;
constexpr std::uint32_t kHorizontalHalf = 1u << (kHorizontalShift - 1);

static_assert(255ull * kOne + kVerticalHalf < (1ull << 32));
static_assert(((255ull * kOne + kVerticalHalf) >> kVerticalShift) == 255u << kFractionBits);
static_assert((255ull << kFractionBits) * kOne + kHorizontalHalf < (1ull << 32));

// General taps of one axis: destination index d reads count[d] consecutive
// source indices from start[d]; their weights follow one another in weights.
struct Taps {
    std::vector<std::int32_t> start;
    std::vector<std::int32_t> count;
    std::vector<std::uint32_t> firstWeight; // index into weights
    std::vector<std::uint16_t> weights;
    std::int32_t maxCount = 0;

    void reserve(std::size_t destinations, std::size_t totalTaps) {
        start.reserve(destinations);
        count.reserve(destinations);
        firstWeight.reserve(destinations);
        weights.reserve(totalTaps);
    }
    void begin(std::int64_t source) {
        start.push_back(static_cast<std::int32_t>(source));
        count.push_back(0);
        firstWeight.push_back(static_cast<std::uint32_t>(weights.size()));
    }
    void add(std::uint32_t weight) {
        weights.push_back(static_cast<std::uint16_t>(weight));
        if (++count.back() > maxCount)
            maxCount = count.back();
    }
};

// Linear interpolation for dst >= src, pixel centres aligned: destination
// index d sits at source position p = (d + 1/2) * src / dst - 1/2, held
// within 0..src-1. Integer arithmetic on 2 * dst * p = (2d + 1) * src - dst.
// Gives, per destination index, the left sample and the right sample's
// weight (the left one's is kOne minus it); the right sample is left + 1
// whenever its weight is not 0.
void linearPositions(std::int64_t src, std::int64_t dst, std::vector<std::int32_t>& left,
                     std::vector<std::uint16_t>& rightWeight);

// Box filter for dst < src: destination index d covers the source span
// [d * src / dst, (d + 1) * src / dst). Measured in units of 1/dst of a
// sample that is [d * src, (d + 1) * src), and source index i covers
// [i * dst, (i + 1) * dst). A sample's weight is its share of the span; the
// shares are rounded cumulatively, so they sum to exactly kOne and none is
// negative.
Taps boxTaps(std::int64_t src, std::int64_t dst);

// The taps of one axis of `src` samples scaled to `dst`: a box filter when
// it shrinks, linear interpolation otherwise.
Taps axisTaps(std::int64_t src, std::int64_t dst);

// Whether destination indices a and b read the same source samples with the
// same weights, so that a row computed for one serves the other.
inline bool sameTaps(const Taps& taps, std::size_t a, std::size_t b) {
    return taps.start[a] == taps.start[b] && taps.count[a] == taps.count[b] &&
           std::memcmp(&taps.weights[taps.firstWeight[a]], &taps.weights[taps.firstWeight[b]],
                       static_cast<std::size_t>(taps.count[a]) * sizeof(std::uint16_t)) == 0;
}

} // namespace zibbet
