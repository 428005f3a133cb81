#include "cinderloom/CellStore.h"

#include <cstdlib>
#include <limits>
#include <new>
#include <string>
#include <sys/mman.h>

namespace cinderloom {

CellStore::CellStore(int64_t columns, int64_t rows, int64_t cells) {
    if (columns < 0 || rows < 0 || cells < 0)
        throw CellStoreError("A cell store cannot have negative extents (" +
                             std::to_string(columns) + " columns, " + std::to_string(rows) +
                             " rows, " + std::to_string(cells) + " cells).");
    // Each plane's byte count must fit a signed 64-bit product and the
    // container's own limit; checking by division keeps the test itself from
    // overflowing.
    const auto limit = static_cast<int64_t>(std::numeric_limits<std::ptrdiff_t>::max() / 2);
    const bool fits = columns == 0 || rows == 0 || cells == 0 ||
                      (rows <= limit / columns && cells <= limit / (columns * rows));
    if (!fits)
        throw CellStoreError("A cell store of " + std::to_string(columns) + " × " +
                             std::to_string(rows) + " samples and " + std::to_string(cells) +
                             " cells is too large to hold in memory.");
    const auto planeSize = static_cast<std::size_t>(columns * rows * cells);
    for (Plane& plane : planes_)
        plane = allocatePlane(planeSize);
    columns_ = columns;
    rows_ = rows;
    cells_ = cells;
}

void CellStore::FreeBytes::operator()(uint8_t* bytes) const noexcept {
    std::free(bytes);
}

namespace {
constexpr std::size_t kHugePage = std::size_t{2} << 20;
} // namespace

std::size_t CellStore::allocatedSize(std::size_t size) {
    return (size + kHugePage - 1) / kHugePage * kHugePage;
}

void CellStore::letSystemReclaim() {
    const std::size_t rounded = allocatedSize(cellSize() * static_cast<std::size_t>(cells_));
    // Advice only: a store the system cannot take back is overwritten all
    // the same.
    for (Plane& plane : planes_)
        if (plane)
            ::madvise(plane.get(), rounded, MADV_FREE);
}

CellStore::Plane CellStore::allocatePlane(std::size_t size) {
    if (size == 0)
        return nullptr;
    // Planes are hundreds of megabytes for a long animation. Asking for huge
    // pages turns one page fault per 4 KiB into one per 2 MiB, which roughly
    // halves the cost of first writing a fresh store.
    const std::size_t rounded = allocatedSize(size);
    void* bytes = std::aligned_alloc(kHugePage, rounded);
    if (!bytes)
        throw std::bad_alloc();
    ::madvise(bytes, rounded, MADV_HUGEPAGE);
    return Plane(static_cast<uint8_t*>(bytes));
}

uint8_t* CellStore::cell(Channel channel, int64_t cell) {
    return planes_[static_cast<std::size_t>(channel)].get() +
           static_cast<std::size_t>(cell) * cellSize();
}

const uint8_t* CellStore::cell(Channel channel, int64_t cell) const {
    return planes_[static_cast<std::size_t>(channel)].get() +
           static_cast<std::size_t>(cell) * cellSize();
}

} // namespace cinderloom
