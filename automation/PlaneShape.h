#pragma once

#include "automation/ByteArray.h"

#include <cstdint>
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

} // namespace host
