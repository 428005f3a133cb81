#pragma once

#include <QColor>
#include <cstdint>
#include <string_view>

namespace maker {

// Colours travel through settings and program code as 32-bit integers laid
// out 0x00BBGGRR: red in the lowest byte, then green, then blue. Throws
// std::out_of_range, naming the value, when it is negative or uses the top
// byte.
QColor colorFromValue(int32_t value);

// Returns `color` when it is valid; otherwise throws std::invalid_argument
// naming `what`, so that a widget never silently paints an invalid colour.
QColor requireValidColor(const QColor& color, std::string_view what);

} // namespace maker
