#pragma once

#include "automation/ByteArray.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <utility>

namespace marrowset {

// A rectangle of sample indexes: columns left..right-1, rows top..bottom-1.
// 64-bit, so that shifting 32-bit bounds cannot overflow.
struct IndexRect {
    int64_t left = 0;
    int64_t top = 0;
    int64_t right = 0;
    int64_t bottom = 0;

    bool empty() const { return left >= right || top >= bottom; }
    int64_t width() const { return empty() ? 0 : right - left; }
    int64_t height() const { return empty() ? 0 : bottom - top; }
    bool contains(int64_t x, int64_t y) const {
        return x >= left && x < right && y >= top && y < bottom;
    }
    IndexRect shifted(int64_t dx, int64_t dy) const {
        return {left + dx, top + dy, right + dx, bottom + dy};
    }
    bool operator==(const IndexRect&) const = default;
};

IndexRect intersect(const IndexRect& a, const IndexRect& b);

// The indexes (x, y) a two-dimensional array holds by its own bounds; empty
// for an array of another rank.
IndexRect indexesOf(const host::ByteArray& plane);

// The indexes every one of `planes` holds; unbounded for no plane.
IndexRect indexesOfAll(std::initializer_list<const host::ByteArray*> planes);

// The address of element (x, y) of a two-dimensional array, through its own
// bounds: rows are count(0) bytes apart. Callers clip: the array holds (x, y).
inline const uint8_t* sampleAt(const host::ByteArray& plane, int64_t x, int64_t y) {
    const auto& dimensions = plane.dimensions();
    return plane.data() +
           static_cast<std::size_t>(y - dimensions[1].lower) *
               static_cast<std::size_t>(dimensions[0].count) +
           static_cast<std::size_t>(x - dimensions[0].lower);
}
inline uint8_t* sampleAt(host::ByteArray& plane, int64_t x, int64_t y) {
    return const_cast<uint8_t*>(sampleAt(std::as_const(plane), x, y));
}
inline std::ptrdiff_t rowStride(const host::ByteArray& plane) {
    return plane.dimensions()[0].count;
}

// A plane whose element (x - dx, y - dy) meets element (x, y) of the others
// in a walk.
template <typename Plane> struct Shifted {
    Plane& plane;
    int64_t dx;
    int64_t dy;
};
template <typename Plane> auto sampleAt(Shifted<Plane> placed, int64_t x, int64_t y) {
    return sampleAt(placed.plane, x - placed.dx, y - placed.dy);
}

// Where held pixel (x - dx, y - dy) meets image pixel (x, y): held pixels of
// `heldArea` and image pixels of `imageArea`, clipped to the bounds of every
// plane taking part. In image indexes; the one place the pastes and the
// overlap commands clip.
IndexRect pasteRegion(const IndexRect& heldArea, int64_t dx, int64_t dy, const IndexRect& imageArea,
                      std::initializer_list<const host::ByteArray*> heldPlanes,
                      std::initializer_list<const host::ByteArray*> imagePlanes);

// The overlap of the held buffer's columns 0..W and rows 0..H with the
// image's columns 0..BW-1 and rows 0..BH-1, corners together.
IndexRect overlapRegion(int32_t W, int32_t H, int32_t BW, int32_t BH,
                        std::initializer_list<const host::ByteArray*> heldPlanes,
                        std::initializer_list<const host::ByteArray*> imagePlanes);

// Calls kernel(count, row...) for every row of `region`, each row the
// address of the region's first column in one plane (a ByteArray or a
// Shifted one). Callers clip: every plane holds the region.
template <typename Kernel, typename... Planes>
void forEachRow(const IndexRect& region, Kernel&& kernel, Planes&&... planes) {
    const auto count = static_cast<std::size_t>(region.width());
    for (int64_t y = region.top; y < region.bottom; ++y)
        kernel(count, sampleAt(planes, region.left, y)...);
}

} // namespace marrowset
