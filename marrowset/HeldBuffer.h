#pragma once

#include "automation/ByteArray.h"

#include <cstdint>

namespace marrowset {

// The held buffer: the brush (or picture) the program works on, W wide and
// H high, as four byte planes indexed (x, y) over columns 0..W and rows
// 0..H, one column and one row more than the picture. Planes taken from the
// host keep whatever bounds the host gave them, so every reader addresses
// (x, y) through a plane's own bounds and clips to them. W, H and the planes
// are replaced together, never one without the others.
struct HeldBuffer {
    int32_t W = 0;
    int32_t H = 0;
    host::ByteArray alpha;
    host::ByteArray red;
    host::ByteArray green;
    host::ByteArray blue;

    // W and H are known but no planes are held yet (before the load step).
    bool hasPlanes() const { return red.rank() == 2 && green.rank() == 2 && blue.rank() == 2; }
};

} // namespace marrowset
