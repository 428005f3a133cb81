#pragma once

#include "cinderloom/CellStore.h"
#include "cinderloom/StripRendering.h"

#include <cstdint>
#include <utility>

namespace cinderloom {

// W, H and N: the host's buffer width and height and its frame count as one
// retrieval read them. A cell holds columns 0..W and rows 0..H of its frame.
struct FrameSizes {
    int32_t width = 0;
    int32_t height = 0;
    int32_t count = 0;

    int64_t columns() const { return int64_t{width} + 1; }
    int64_t rows() const { return int64_t{height} + 1; }
    // How cells of frames this size lie in a view `viewHeight` pixels high.
    CellGeometry geometryIn(int32_t viewHeight) const {
        return cellGeometry(width, height, viewHeight);
    }
};

// The cells the film is painted from: the sizes the host reported at the last
// retrieval, and the store the last retrieval that went through filled. A
// retrieval that stops early (too few frames) keeps the sizes it read but
// leaves the store as it was, so the two may disagree: what reads samples
// asks the store for its extents, never the sizes. A retrieval that fails
// leaves both as they were.
class RetrievedCells {
public:
    const FrameSizes& sizes() const { return sizes_; }
    const CellStore& store() const { return store_; }

    // The sizes a retrieval has just read, kept whatever it does next.
    void recordSizes(const FrameSizes& sizes) { sizes_ = sizes; }

    // The cells of a retrieval that went through: the sizes it read and the
    // store it filled aside, which replaces the old one.
    // The store replaced is kept as the spare for the next retrieval (see
    // takeSpare), its pages left for the system to take back.
    void keep(const FrameSizes& sizes, CellStore store) {
        sizes_ = sizes;
        spare_ = std::exchange(store_, std::move(store));
        spare_.letSystemReclaim();
    }

    // A store to fill aside, its samples unset: the spare when it has these
    // extents, or an empty store. A retrieval of the same animation again
    // then writes pages it already has instead of hundreds of megabytes of
    // fresh ones, which the system must first clear.
    CellStore takeSpare(int64_t columns, int64_t rows, int64_t cells) {
        CellStore spare = std::exchange(spare_, CellStore());
        return spare.hasExtents(columns, rows, cells) ? std::move(spare) : CellStore();
    }

    // Lets go of the cells, and of the spare.
    void releaseStore() {
        store_ = CellStore();
        spare_ = CellStore();
    }

private:
    FrameSizes sizes_;
    CellStore store_;
    CellStore spare_;
};

} // namespace cinderloom
