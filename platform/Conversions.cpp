#include "platform/Conversions.h"

#include <cmath>
#include <limits>
#include <string>

namespace platform {

double roundHalfEven(double value) {
    // Independent of the floating-point environment's rounding mode.
    const double below = std::floor(value);
    const double fraction = value - below;
    if (fraction > 0.5)
        return below + 1.0;
    if (fraction < 0.5)
        return below;
    return std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
}

namespace {

template <typename Integer> Integer convertChecked(double value, const char* typeName) {
    const double rounded = roundHalfEven(value);
    if (!(rounded >= static_cast<double>(std::numeric_limits<Integer>::min()) &&
          rounded <= static_cast<double>(std::numeric_limits<Integer>::max())))
        throw OverflowError("Overflow: " + std::to_string(value) + " does not fit in " + typeName);
    return static_cast<Integer>(rounded);
}

} // namespace

int16_t toInt16(double value) {
    return convertChecked<int16_t>(value, "a 16-bit integer");
}

int32_t toInt32(double value) {
    return convertChecked<int32_t>(value, "a 32-bit integer");
}

uint8_t toByte(double value) {
    return convertChecked<uint8_t>(value, "a byte (0..255)");
}

int16_t low16Bits(int32_t value) {
    return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(value) & 0xFFFFu));
}

} // namespace platform
