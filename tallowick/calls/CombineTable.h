#pragma once

#include "automation/ByteArray.h"

namespace tallowick {

// The combine table the host hands out with tal_initluts, in the layout of
// automation/CombineTableLayout.h with lower bounds 0, s the brush value, d the
// image value:
//   Add min(s + d, 255)            Greater than max(s, d)
//   Subtract max(d - s, 0)         Less than min(s, d)
//   Multiply s * d / 255           And s & d
//   divide d * 255 / s             Or s | d
//   Screen 255 - (255 - s) * (255 - d) / 255
//                                  Xor s ^ d
// Multiply and Screen round to the nearest whole number (their quotients
// never end in an exact half). divide drops the fraction and clips at 255;
// a zero brush value gives 255, or 0 where the image value is 0 too.
// Built once, on first use.
const host::ByteArray& combineTable();

} // namespace tallowick
