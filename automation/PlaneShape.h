#pragma once

#include "automation/ByteArray.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace host {

// A channel plane that does not have the shape its use needs; the message
// names the plane's bounds and the samples needed.
class PlaneShapeError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// Whether `plane` is a channel plane (two dimensions, lower bounds 0) that
// holds columns 0..columns-1 and rows 0..rows-1, so that sample (x, y) of
// that range lies at byte y * plane.count(0) + x.
inline bool planeCovers(const ByteArray& plane, int64_t columns, int64_t rows) {
    return plane.isPlane() && plane.count(0) >= columns && plane.count(1) >= rows;
}

// Copies the first `rowBytes` bytes of `rows` rows from one plane to another
// with strides of their own; where the strides are equal, as they mostly are,
// in one block. Callers clip: both planes hold the rows, and rowBytes is no
// more than either stride.
inline void copyPlaneRows(uint8_t* target, std::size_t targetStride, const uint8_t* source,
                          std::size_t sourceStride, std::size_t rowBytes, std::size_t rows) {
    if (rows == 0)
        return;
    if (targetStride == sourceStride) {
        std::memcpy(target, source, targetStride * (rows - 1) + rowBytes);
        return;
    }
    for (std::size_t y = 0; y < rows; ++y, target += targetStride, source += sourceStride)
        std::memcpy(target, source, rowBytes);
}

} // namespace host
