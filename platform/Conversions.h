#pragma once

#include <cstdint>
#include <stdexcept>

namespace platform {

// A number that does not fit the type it is converted to (or is not a
// number at all).
class OverflowError : public std::overflow_error {
public:
    using std::overflow_error::overflow_error;
};

// The nearest whole number, an exact half going to the even neighbour.
double roundHalfEven(double value);

// Conversions to whole numbers, rounding half to even. Each throws
// OverflowError when the rounded value lies outside the target type.
int16_t toInt16(double value);
int32_t toInt32(double value);
uint8_t toByte(double value);

// roundHalfEven for pixel loops, inline: `value` must lie in 0 to below 255.5,
// where truncation is flooring, so the result is exact in any rounding mode.
// Callers keep it there.
inline uint8_t roundToByteHalfEven(double value) {
    const int whole = static_cast<int>(value);
    const double fraction = value - whole;
    // Bitwise, not short-circuit: pixel data decides, and branches on it
    // would be mispredicted half the time.
    const int up =
        static_cast<int>(fraction > 0.5) | (static_cast<int>(fraction == 0.5) & (whole & 1));
    return static_cast<uint8_t>(whole + up);
}

// The low 16 bits of a whole number, as a signed 16-bit value: the one place
// where a value is deliberately wrapped instead of refused.
int16_t low16Bits(int32_t value);

} // namespace platform
