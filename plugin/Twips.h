#pragma once

#include "platform/Conversions.h"

#include <cstdint>

namespace plugin {

// Window geometry was designed in twips, 15 to a pixel on the design screen.
inline constexpr double kTwipsPerPixel = 15.0;

// Pixels from twips, an exact half going to the even neighbour.
inline int32_t twipsToPixels(double twips) {
    return platform::toInt32(twips / kTwipsPerPixel);
}

inline int32_t pixelsToTwips(double pixels) {
    return platform::toInt32(pixels * kTwipsPerPixel);
}

} // namespace plugin
