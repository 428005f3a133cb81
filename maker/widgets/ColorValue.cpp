#include "maker/widgets/ColorValue.h"

#include <stdexcept>
#include <string>

namespace maker {

QColor colorFromValue(int32_t value) {
    if (value < 0 || value > 0xFFFFFF)
        throw std::out_of_range("colour value " + std::to_string(value) +
                                " is outside 0..16777215 (0x00BBGGRR)");
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

QColor requireValidColor(const QColor& color, std::string_view what) {
    if (!color.isValid())
        throw std::invalid_argument(std::string(what) + ": the colour is not valid");
    return color;
}

} // namespace maker
