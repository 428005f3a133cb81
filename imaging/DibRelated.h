#pragma once

#include "automation/ByteArray.h"
#include "automation/PlaneShape.h"
#include "platform/DrawTarget.h"

#include <cstdint>
#include <stdexcept>

namespace imaging {

// The target's drawing area changed between the reads of one DisplayPlanes
// call, so the pixel buffer no longer fits it.
class DrawingAreaChangedError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Draws three byte planes of (maxX + 1) x (maxY + 1) samples, row 0 at the
// top, scaled by the maker's z_scale_to_dib to fill the target's whole drawing
// area, into the target's device context. Does not refresh the target.
//
// Each plane must be two-dimensional with lower bounds 0, exactly maxX + 1
// columns and at least maxY + 1 rows; otherwise host::PlaneShapeError, before
// anything is read or drawn. An empty drawing area draws nothing. A drawing
// area too large for 32-bit sizes throws platform::OverflowError; a scaling
// library that cannot be bound throws maker::BindingError.
void DisplayPlanes(platform::DrawTarget& target, int32_t maxX, int32_t maxY,
                   const host::ByteArray& red, const host::ByteArray& green,
                   const host::ByteArray& blue);

} // namespace imaging
