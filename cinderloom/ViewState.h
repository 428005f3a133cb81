#pragma once

#include "cinderloom/StripRendering.h"

#include <cstdint>
#include <optional>

namespace cinderloom {

// How far a view of cells side by side is scrolled: the pixel position of
// its first cell, 0 or negative.
class ScrollOffset {
public:
    int32_t pixels() const { return pixels_; }

    // Scrolled past `position` whole cells: −(exactWidth × position) rounded
    // half to even. platform::OverflowError when that leaves the 32-bit
    // range, and the offset stays as it was.
    void scrollTo(int position, const CellGeometry& geometry);

    // The cell or slot under a pointer at x (see hitIndex).
    std::optional<int32_t> indexAt(double x, const CellGeometry& geometry) const {
        return hitIndex(x, pixels_, geometry.exactWidth);
    }

private:
    int32_t pixels_ = 0;
};

// Where the user stands in the two views: the cell chosen for painting onto
// the film, and how far the cell strip and the film are scrolled. The chosen
// cell is whatever the strip was pressed at, even past its last cell; it is
// kept in 16 bits when painted.
struct ViewState {
    int32_t selectedCell = 0;
    ScrollOffset strip;
    ScrollOffset film;
};

} // namespace cinderloom
