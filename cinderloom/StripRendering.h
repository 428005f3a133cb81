#pragma once

#include "automation/ByteArray.h"
#include "cinderloom/CellStore.h"

#include <cstdint>
#include <optional>
#include <span>

namespace cinderloom {

// How cells are laid out and sampled in a view of a given height: each cell
// is `width` pixels wide and as high as the view, its aspect following the
// frame's. `exactWidth` is the unrounded width the scrollers and the hit
// test use. Display column k shows source column floor(stepX × k), display
// row j source row floor(stepY × j); the steps are single-precision, as the
// drawing has always sampled with them.
struct CellGeometry {
    int32_t width = 0;
    double exactWidth = 0.0;
    float stepX = 0.0f;
    float stepY = 0.0f;
};

// The geometry for frames of frameWidth × frameHeight in a view viewHeight
// pixels high. A frame without size (either side 0 or less) or a view of
// height 0 or less gives width 0: nothing can be drawn or hit. A width beyond
// the 32-bit range throws platform::OverflowError.
CellGeometry cellGeometry(int32_t frameWidth, int32_t frameHeight, int32_t viewHeight);

// The cell or slot under a pointer at x in a view whose cell 0 starts at
// `offset`: (x − offset) ÷ exactWidth with both operands rounded half to even
// and the quotient truncated toward zero, so up to one cell width left of
// cell 0 still hits 0. Empty when the width rounds to 0.
std::optional<int32_t> hitIndex(double x, int32_t offset, double exactWidth);

// Three byte planes red, green, blue of (width + 1) × (height + 1) samples,
// all 0: one column and one row more than the view they show, as the preview
// blitter is handed them.
struct ViewPlanes {
    // ViewPlanes of a 0 × 0 view; host::ByteArrayError for a negative side.
    explicit ViewPlanes(int32_t width = 0, int32_t height = 0);
    // Sets every sample back to 0.
    void clear();

    int32_t width;
    int32_t height;
    host::ByteArray red;
    host::ByteArray green;
    host::ByteArray blue;
};

// A run of display columns first..end − 1, or none.
struct ColumnSpan {
    int32_t first = 0;
    int32_t end = 0;
    bool empty() const { return first >= end; }
    bool operator==(const ColumnSpan&) const = default;
};

// The cell strip: every cell of 0..cellCount − 1 the store holds, side by
// side from `offset`, the selected cell in negative colours, into planes
// that the caller has cleared. Cells the store does not hold stay black.
void renderCellStrip(ViewPlanes& planes, const CellStore& store, int32_t cellCount,
                     const CellGeometry& geometry, int32_t offset, int32_t selectedCell);

// The film: the slots that can be visible, each showing its cell or white
// when it is empty or names a cell the store does not hold. Without
// `onlySlot` the planes are cleared first and every visible slot is drawn;
// with it only that slot is drawn, if it is visible, and the rest is kept.
void renderFilmSlots(ViewPlanes& planes, const CellStore& store, std::span<const int16_t> film,
                     const CellGeometry& geometry, int32_t offset, std::optional<int32_t> onlySlot);

// Only the `chosen` slots of the film, those of them that can be visible, over what the
// planes show; slots outside the film are passed over.
void renderChosenFilmSlots(ViewPlanes& planes, const CellStore& store,
                           std::span<const int16_t> film, const CellGeometry& geometry,
                           int32_t offset, std::span<const int32_t> chosen);

// The columns of a view `viewWidth` wide that cell or slot `index` covers
// when cell 0 starts at `offset`; empty when none of it is in sight.
ColumnSpan viewColumnsOf(int32_t index, int32_t offset, const CellGeometry& geometry,
                         int32_t viewWidth);

} // namespace cinderloom
