#include "cinderloom/CellStore.h"

#include <limits>
#include <string>

namespace cinderloom {

CellStore::CellStore(int64_t columns, int64_t rows, int64_t cells) {
    if (columns < 0 || rows < 0 || cells < 0)
        throw CellStoreError("A cell store cannot have negative extents (" +
                             std::to_string(columns) + " columns, " + std::to_string(rows) +
                             " rows, " + std::to_string(cells) + " cells).");
    // Each plane's byte count must fit a signed 64-bit product and the
    // container's own limit; checking by division keeps the test itself from
    // overflowing.
    const auto limit = static_cast<int64_t>(
        std::min<std::size_t>(Plane().max_size(), std::numeric_limits<int64_t>::max()));
    const bool fits = columns == 0 || rows == 0 || cells == 0 ||
                      (rows <= limit / columns && cells <= limit / (columns * rows));
    if (!fits)
        throw CellStoreError("A cell store of " + std::to_string(columns) + " × " +
                             std::to_string(rows) + " samples and " + std::to_string(cells) +
                             " cells is too large to hold in memory.");
    const auto planeSize = static_cast<std::size_t>(columns * rows * cells);
    for (Plane& plane : planes_)
        plane.resize(planeSize);
    columns_ = columns;
    rows_ = rows;
    cells_ = cells;
}

uint8_t* CellStore::cell(Channel channel, int64_t cell) {
    return planes_[static_cast<std::size_t>(channel)].data() +
           static_cast<std::size_t>(cell) * cellSize();
}

const uint8_t* CellStore::cell(Channel channel, int64_t cell) const {
    return planes_[static_cast<std::size_t>(channel)].data() +
           static_cast<std::size_t>(cell) * cellSize();
}

} // namespace cinderloom
