#pragma once

#include "host/ByteArray.h"

#include <cstdint>

namespace tallowick {

inline constexpr int kCombineModes = 10;

// The combine table the host hands out with tal_initluts: 256 x 256 x 10
// bytes, lower bounds 0, element (s, d, m) at s + 256 * (d + 256 * m), s the
// brush value, d the image value, m the mode:
//   0 Add min(s + d, 255)          5 Greater than max(s, d)
//   1 Subtract max(d - s, 0)       6 Less than min(s, d)
//   2 Multiply s * d / 255         7 And s & d
//   3 divide d * 255 / s           8 Or s | d
//   4 Screen 255 - (255 - s) * (255 - d) / 255
//                                  9 Xor s ^ d
// Multiply and Screen round to the nearest whole number (their quotients
// never end in an exact half). divide drops the fraction and clips at 255;
// a zero brush value gives 255, or 0 where the image value is 0 too.
// Built once, on first use.
const host::ByteArray& combineTable();

} // namespace tallowick
