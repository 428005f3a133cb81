#include "cinderloom/StripRendering.h"

#include "platform/Conversions.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace cinderloom {
namespace {

// Where each display column and row of a cell reads from. A cell can be
// drawn only when every source position lies inside the store, which after a
// refused retrieval need not match W and H.
struct SourceTables {
    std::vector<int64_t> columns;
    std::vector<int64_t> rowStarts;
    bool insideStore = false;
};

SourceTables makeSourceTables(const CellGeometry& geometry, int32_t rows, const CellStore& store) {
    SourceTables tables;
    tables.columns.resize(static_cast<std::size_t>(geometry.width));
    tables.rowStarts.resize(static_cast<std::size_t>(rows));
    // The product is taken in double precision from the single-precision
    // step, then rounded down.
    const double stepX = geometry.stepX;
    const double stepY = geometry.stepY;
    int64_t lastColumn = 0;
    for (int32_t k = 0; k < geometry.width; ++k)
        tables.columns[static_cast<std::size_t>(k)] = lastColumn =
            static_cast<int64_t>(std::floor(stepX * k));
    int64_t lastRow = 0;
    for (int32_t j = 0; j < rows; ++j) {
        lastRow = static_cast<int64_t>(std::floor(stepY * j));
        tables.rowStarts[static_cast<std::size_t>(j)] = lastRow * store.columns();
    }
    // Both steps are positive, so the last entries are the largest.
    tables.insideStore = lastColumn < store.columns() && lastRow < store.rows();
    return tables;
}

std::array<host::ByteArray*, 3> planesOf(ViewPlanes& planes) {
    return {&planes.red, &planes.green, &planes.blue};
}

// The visible part of a cell drawn with its left edge at `left`: display
// columns first..end − 1 of the cell, or none.
ColumnSpan visibleColumns(int64_t left, int32_t cellWidth, int32_t viewWidth) {
    const int64_t first = std::max<int64_t>(0, -left);
    const int64_t end = std::min<int64_t>(cellWidth, int64_t{viewWidth} - left);
    if (first >= end)
        return {};
    return {static_cast<int32_t>(first), static_cast<int32_t>(end)};
}

// Copies display columns `span` of a cell into the planes at left + k, every
// sample XORed with `mask` (0xFF gives 255 − v, the negative). Callers clip:
// the span lies inside the planes, the tables cover planes.height rows and
// lie inside the store.
void copyCell(ViewPlanes& planes, const CellStore& store, int64_t cell, const SourceTables& tables,
              int64_t left, ColumnSpan span, uint8_t mask) {
    const std::size_t stride = static_cast<std::size_t>(planes.width) + 1;
    const int64_t* columns = tables.columns.data() + span.first;
    const int32_t count = span.end - span.first;
    const auto targets = planesOf(planes);
    for (std::size_t channel = 0; channel < kChannels.size(); ++channel) {
        const uint8_t* source = store.cell(kChannels[channel], cell);
        uint8_t* target = targets[channel]->data() + (left + span.first);
        for (int32_t j = 0; j < planes.height; ++j) {
            const uint8_t* sourceRow = source + tables.rowStarts[static_cast<std::size_t>(j)];
            uint8_t* targetRow = target + static_cast<std::size_t>(j) * stride;
            for (int32_t k = 0; k < count; ++k)
                targetRow[k] = static_cast<uint8_t>(sourceRow[columns[k]] ^ mask);
        }
    }
}

// White over display columns `span` of a cell at `left`, all rows. Callers
// clip as for copyCell.
void fillWhite(ViewPlanes& planes, int64_t left, ColumnSpan span) {
    const std::size_t stride = static_cast<std::size_t>(planes.width) + 1;
    const auto count = static_cast<std::size_t>(span.end - span.first);
    for (host::ByteArray* plane : planesOf(planes)) {
        uint8_t* target = plane->data() + (left + span.first);
        for (int32_t j = 0; j < planes.height; ++j)
            std::memset(target + static_cast<std::size_t>(j) * stride, 255, count);
    }
}

// One slot's cell, or white when it is empty or names a cell the store does
// not hold. Callers clip as for copyCell.
void drawSlot(ViewPlanes& planes, const CellStore& store, int16_t cell, const SourceTables& tables,
              int64_t left, ColumnSpan span) {
    if (cell >= 0 && cell < store.cells() && tables.insideStore)
        copyCell(planes, store, cell, tables, left, span, 0x00);
    else
        fillWhite(planes, left, span);
}

// The first cell whose columns can reach the view: offsets are 0 or less in
// use, and a positive one still starts at cell 0.
int64_t firstVisibleIndex(int32_t offset, int32_t cellWidth) {
    return std::max<int64_t>(0, -int64_t{offset} / cellWidth);
}

} // namespace

CellGeometry cellGeometry(int32_t frameWidth, int32_t frameHeight, int32_t viewHeight) {
    if (frameWidth <= 0 || frameHeight <= 0 || viewHeight <= 0)
        return {};
    CellGeometry geometry;
    geometry.exactWidth = static_cast<double>(frameWidth) / frameHeight * viewHeight;
    geometry.width = platform::toInt32(geometry.exactWidth);
    if (geometry.width == 0)
        return geometry;
    geometry.stepX = static_cast<float>(1.0 / geometry.width * frameWidth);
    geometry.stepY = static_cast<float>(1.0 / viewHeight * frameHeight);
    return geometry;
}

std::optional<int32_t> hitIndex(double x, int32_t offset, double exactWidth) {
    const int32_t width = platform::toInt32(exactWidth);
    if (width <= 0)
        return std::nullopt;
    return platform::toInt32(x - offset) / width;
}

ViewPlanes::ViewPlanes(int32_t width, int32_t height) : width(width), height(height) {
    if (width < 0 || height < 0 || width == std::numeric_limits<int32_t>::max() ||
        height == std::numeric_limits<int32_t>::max())
        throw host::ByteArrayError("view planes of " + std::to_string(width) + " x " +
                                   std::to_string(height) + " pixels cannot be made");
    for (host::ByteArray* plane : planesOf(*this))
        *plane = host::ByteArray::plane(width + 1, height + 1);
}

void ViewPlanes::clear() {
    for (host::ByteArray* plane : planesOf(*this))
        std::fill_n(plane->data(), plane->size(), uint8_t{0});
}

void renderCellStrip(ViewPlanes& planes, const CellStore& store, int32_t cellCount,
                     const CellGeometry& geometry, int32_t offset, int32_t selectedCell) {
    if (geometry.width <= 0)
        return;
    const SourceTables tables = makeSourceTables(geometry, planes.height, store);
    if (!tables.insideStore)
        return;
    const int64_t first = firstVisibleIndex(offset, geometry.width);
    const int64_t end = std::min<int64_t>(
        {int64_t{cellCount}, store.cells(), first + planes.width / geometry.width + 2});
    for (int64_t cell = first; cell < end; ++cell) {
        const int64_t left = cell * geometry.width + offset;
        const ColumnSpan span = visibleColumns(left, geometry.width, planes.width);
        if (span.empty())
            continue;
        const uint8_t mask = cell == selectedCell ? 0xFF : 0x00;
        copyCell(planes, store, cell, tables, left, span, mask);
    }
}

void renderFilmSlots(ViewPlanes& planes, const CellStore& store, std::span<const int16_t> film,
                     const CellGeometry& geometry, int32_t offset,
                     std::optional<int32_t> onlySlot) {
    if (onlySlot) {
        renderChosenFilmSlots(planes, store, film, geometry, offset, {&*onlySlot, 1});
        return;
    }
    planes.clear();
    if (geometry.width <= 0)
        return;
    const SourceTables tables = makeSourceTables(geometry, planes.height, store);
    const int64_t first = firstVisibleIndex(offset, geometry.width);
    const int64_t last = std::min<int64_t>(first + planes.width / geometry.width + 2,
                                           static_cast<int64_t>(film.size())) -
                         1;
    for (int64_t slot = first; slot <= last; ++slot) {
        const int64_t left = slot * geometry.width + offset;
        const ColumnSpan span = visibleColumns(left, geometry.width, planes.width);
        if (!span.empty())
            drawSlot(planes, store, film[static_cast<std::size_t>(slot)], tables, left, span);
    }
}

void renderChosenFilmSlots(ViewPlanes& planes, const CellStore& store,
                           std::span<const int16_t> film, const CellGeometry& geometry,
                           int32_t offset, std::span<const int32_t> chosen) {
    if (geometry.width <= 0 || chosen.empty())
        return;
    const SourceTables tables = makeSourceTables(geometry, planes.height, store);
    for (const int32_t slot : chosen) {
        if (slot < 0 || static_cast<std::size_t>(slot) >= film.size())
            continue;
        const int64_t left = int64_t{slot} * geometry.width + offset;
        const ColumnSpan span = visibleColumns(left, geometry.width, planes.width);
        if (!span.empty())
            drawSlot(planes, store, film[static_cast<std::size_t>(slot)], tables, left, span);
    }
}

ColumnSpan viewColumnsOf(int32_t index, int32_t offset, const CellGeometry& geometry,
                         int32_t viewWidth) {
    if (geometry.width <= 0 || index < 0)
        return {};
    const int64_t left = int64_t{index} * geometry.width + offset;
    const ColumnSpan span = visibleColumns(left, geometry.width, viewWidth);
    if (span.empty())
        return {};
    return {static_cast<int32_t>(left + span.first), static_cast<int32_t>(left + span.end)};
}

} // namespace cinderloom
