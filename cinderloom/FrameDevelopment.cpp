#include "cinderloom/FrameDevelopment.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>

namespace cinderloom {
namespace {

constexpr uint8_t kWhite = 255;

host::ByteArray whitePlane(int32_t columns, int32_t rows) {
    return host::ByteArray::filledBy(
        {{0, columns}, {0, rows}},
        [](uint8_t* bytes, std::size_t size) { std::memset(bytes, kWhite, size); });
}

// Copies the part of the cell that the frame covers row by row; the rest of
// each row, and the rows below the cell, are white. Callers check that the
// cell exists.
host::ByteArray cellPlane(const uint8_t* cell, int64_t cellColumns, int64_t cellRows,
                          int32_t columns, int32_t rows) {
    const auto frameRow = static_cast<std::size_t>(columns);
    const auto cellRow = static_cast<std::size_t>(cellColumns);
    const std::size_t copied = std::min(frameRow, cellRow);
    const int64_t copiedRows = std::min<int64_t>(rows, cellRows);
    return host::ByteArray::filledBy(
        {{0, columns}, {0, rows}}, [&](uint8_t* bytes, std::size_t size) {
            if (copied == frameRow && copied == cellRow && copiedRows == rows) {
                std::memcpy(bytes, cell, size);
                return;
            }
            uint8_t* target = bytes;
            for (int64_t y = 0; y < copiedRows; ++y, target += frameRow, cell += cellRow) {
                if (copied > 0)
                    std::memcpy(target, cell, copied);
                std::memset(target + copied, kWhite, frameRow - copied);
            }
            std::memset(target, kWhite, static_cast<std::size_t>(bytes + size - target));
        });
}

} // namespace

FramePlanes developFrame(const CellStore& cells, int32_t cell, int32_t width, int32_t height) {
    constexpr int32_t kLargest = std::numeric_limits<int32_t>::max() - 1;
    if (width < 0 || height < 0 || width > kLargest || height > kLargest)
        throw FrameSizeError("The host's frame size of " + std::to_string(width) + " × " +
                             std::to_string(height) + " pixels cannot make a frame.");
    const int32_t columns = width + 1;
    const int32_t rows = height + 1;
    FramePlanes frame;
    const bool held = cell >= 0 && cell < cells.cells();
    for (std::size_t channel = 0; channel < frame.size(); ++channel)
        frame[channel] = held ? cellPlane(cells.cell(kChannels[channel], cell), cells.columns(),
                                          cells.rows(), columns, rows)
                              : whitePlane(columns, rows);
    return frame;
}

} // namespace cinderloom
