#pragma once

#include "cinderloom/CellStore.h"
#include "cinderloom/WiggleWarp.h"

#include <cstdint>
#include <stdexcept>

namespace cinderloom {

// A frame size the host reported that no frame planes can have.
class FrameSizeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The three planes of one frame of the new roll, columns 0..width and rows
// 0..height, as the host takes them: the samples of `cell` from the store,
// or white (255 in every channel) when the slot is empty (-1) or names a cell
// the store does not hold. Where the store's cells are smaller than the
// frame, because the host's size changed since they were retrieved, the
// samples they lack are white too. FrameSizeError for a negative width or
// height, or one whose planes a 32-bit bound cannot describe.
FramePlanes developFrame(const CellStore& cells, int32_t cell, int32_t width, int32_t height);

} // namespace cinderloom
