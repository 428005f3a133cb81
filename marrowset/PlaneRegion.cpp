#include "marrowset/PlaneRegion.h"

#include <cstdint>

namespace marrowset {

IndexRect intersect(const IndexRect& a, const IndexRect& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

IndexRect indexesOf(const host::ByteArray& plane) {
    if (plane.rank() != 2)
        return {};
    const auto& dimensions = plane.dimensions();
    const int64_t left = dimensions[0].lower;
    const int64_t top = dimensions[1].lower;
    return {left, top, left + dimensions[0].count, top + dimensions[1].count};
}

IndexRect indexesOfAll(std::initializer_list<const host::ByteArray*> planes) {
    // Unbounded until a plane says otherwise; far enough from the limits
    // that shifting by 32-bit offsets cannot overflow.
    IndexRect all{INT64_MIN / 4, INT64_MIN / 4, INT64_MAX / 4, INT64_MAX / 4};
    for (const host::ByteArray* plane : planes)
        all = intersect(all, indexesOf(*plane));
    return all;
}

IndexRect pasteRegion(const IndexRect& heldArea, int64_t dx, int64_t dy, const IndexRect& imageArea,
                      std::initializer_list<const host::ByteArray*> heldPlanes,
                      std::initializer_list<const host::ByteArray*> imagePlanes) {
    const IndexRect held = intersect(heldArea, indexesOfAll(heldPlanes)).shifted(dx, dy);
    const IndexRect image = intersect(imageArea, indexesOfAll(imagePlanes));
    return intersect(held, image);
}

IndexRect overlapRegion(int32_t W, int32_t H, int32_t BW, int32_t BH,
                        std::initializer_list<const host::ByteArray*> heldPlanes,
                        std::initializer_list<const host::ByteArray*> imagePlanes) {
    return pasteRegion({0, 0, int64_t{W} + 1, int64_t{H} + 1}, 0, 0, {0, 0, BW, BH}, heldPlanes,
                       imagePlanes);
}

} // namespace marrowset
