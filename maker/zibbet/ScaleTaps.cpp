#include "maker/zibbet/ScaleTaps.h"

namespace zibbet {

void linearPositions(std::int64_t src, std::int64_t dst, std::vector<std::int32_t>& left,
                     std::vector<std::uint16_t>& rightWeight) {
    left.resize(static_cast<std::size_t>(dst));
    rightWeight.resize(static_cast<std::size_t>(dst));
    const std::int64_t denominator = 2 * dst;
    for (std::int64_t d = 0; d < dst; ++d) {
        const std::int64_t numerator = (2 * d + 1) * src - dst;
        std::int64_t index = 0;
        std::int64_t remainder = 0;
        if (numerator > 0) {
            index = numerator / denominator;
            remainder = numerator % denominator;
        }
        if (index >= src - 1) {
            index = src - 1;
            remainder = 0;
        }
        // round(remainder / denominator * kOne); at most kOne
        const std::int64_t weight = (remainder * kOne + denominator / 2) / denominator;
        left[static_cast<std::size_t>(d)] = static_cast<std::int32_t>(index);
        rightWeight[static_cast<std::size_t>(d)] = static_cast<std::uint16_t>(weight);
    }
}

namespace {

Taps linearTaps(std::int64_t src, std::int64_t dst) {
    std::vector<std::int32_t> left;
    std::vector<std::uint16_t> rightWeight;
    linearPositions(src, dst, left, rightWeight);
    Taps taps;
    taps.reserve(static_cast<std::size_t>(dst), 2 * static_cast<std::size_t>(dst));
    for (std::size_t d = 0; d < left.size(); ++d) {
        const std::uint32_t right = rightWeight[d];
        if (right == kOne) {
            taps.begin(left[d] + 1);
            taps.add(kOne);
            continue;
        }
        taps.begin(left[d]);
        taps.add(kOne - right);
        if (right != 0)
            taps.add(right);
    }
    return taps;
}

} // namespace

Taps boxTaps(std::int64_t src, std::int64_t dst) {
    Taps taps;
    taps.reserve(static_cast<std::size_t>(dst),
                 static_cast<std::size_t>(src) + static_cast<std::size_t>(dst));
    for (std::int64_t d = 0; d < dst; ++d) {
        const std::int64_t low = d * src;
        const std::int64_t high = low + src;
        const std::int64_t first = low / dst;
        const std::int64_t last = (high - 1) / dst;
        taps.begin(first);
        std::int64_t covered = 0;
        std::int64_t previous = 0;
        for (std::int64_t i = first; i <= last; ++i) {
            const std::int64_t from = i * dst > low ? i * dst : low;
            const std::int64_t to = (i + 1) * dst < high ? (i + 1) * dst : high;
            covered += to - from;
            const std::int64_t rounded = (covered * kOne + src / 2) / src;
            taps.add(static_cast<std::uint32_t>(rounded - previous));
            previous = rounded;
        }
    }
    return taps;
}

Taps axisTaps(std::int64_t src, std::int64_t dst) {
    return dst < src ? boxTaps(src, dst) : linearTaps(src, dst);
}

} // namespace zibbet
