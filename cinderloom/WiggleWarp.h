#pragma once

#include "automation/ByteArray.h"
#include "platform/Random.h"

#include <array>
#include <cstdint>
#include <stdexcept>

namespace cinderloom {

// Red, green and blue channel planes of one frame.
using FramePlanes = std::array<host::ByteArray, 3>;

// The noise field the warp samples: a point (x, y, z) in, a value out, as
// the filter library's noise3 takes it.
using NoiseFunction = float (*)(const float* point);

// Arguments the warp cannot work with; the message names the argument.
class WiggleWarpError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// Displaces the pixels of one width × height frame by coherent noise. Draws
// two depths z1 and z2 from `random` first, then for every pixel (x, y) with
// u = x / 50 / size and v = y / 50 / size takes
//   sx = amount × noise(u, v, z1) + x,   sy = amount × noise(u, v, z2) + y,
// rounded half to even and clamped to the frame, and copies source (sx, sy)
// of each channel into destination (x, y). Samples of the destination beyond
// column width − 1 or row height − 1 keep their values.
//
// Every plane must be a plane (2-D, lower bounds 0) covering the frame, and
// no destination may be a source; size must be at least 1. WiggleWarpError
// otherwise, before anything is drawn or written.
void wiggleWarp(int32_t amount, int32_t size, const host::ByteArray& sourceRed,
                const host::ByteArray& sourceGreen, const host::ByteArray& sourceBlue,
                host::ByteArray& red, host::ByteArray& green, host::ByteArray& blue, int32_t width,
                int32_t height, NoiseFunction noise, platform::RandomGenerator& random);

} // namespace cinderloom
