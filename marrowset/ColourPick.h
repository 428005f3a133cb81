#pragma once

#include "marrowset/HeldBuffer.h"

#include <cstdint>
#include <optional>

namespace marrowset {

struct SampleIndex {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const SampleIndex&) const = default;
};

// The held sample that point (x, y) of a preview pw x ph pixels large picks:
// (W / pw) * x and (H / ph) * y, each rounded to the nearest whole number, a
// half to the even one. None when that falls outside columns 0..W or rows
// 0..H (the extra column and row can be picked), or the preview has no area.
std::optional<SampleIndex> pickedSample(int32_t W, int32_t H, int32_t pw, int32_t ph, int32_t x,
                                        int32_t y);

struct Colour {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    bool operator==(const Colour&) const = default;
};

// The held colour at `at`, each plane read through its own bounds; none
// where a plane does not hold it.
std::optional<Colour> heldColourAt(const HeldBuffer& held, SampleIndex at);

} // namespace marrowset
