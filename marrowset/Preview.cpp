#include "marrowset/Preview.h"

#include "imaging/DibRelated.h"
#include "marrowset/PlaneRegion.h"

#include <array>
#include <cstring>

namespace marrowset {
namespace {

// A plane the blitter can read as it is: from 0, rows exactly `columns` long.
bool isBlitterReady(const host::ByteArray& plane, int64_t columns) {
    return plane.isPlane() && plane.count(0) == columns;
}

// The samples of `region` of `plane`, as a plane of their own from 0.
host::ByteArray copyOfRegion(const host::ByteArray& plane, const IndexRect& region) {
    host::ByteArray copy = host::ByteArray::plane(static_cast<int32_t>(region.width()),
                                                  static_cast<int32_t>(region.height()));
    const IndexRect whole{0, 0, region.width(), region.height()};
    forEachRow(
        whole,
        [](std::size_t count, const uint8_t* source, uint8_t* target) {
            std::memcpy(target, source, count);
        },
        Shifted<const host::ByteArray>{plane, -region.left, -region.top}, copy);
    return copy;
}

} // namespace

void drawHeldBuffer(platform::DrawTarget& target, const HeldBuffer& held) {
    if (held.W <= 0 || held.H <= 0 || !held.hasPlanes())
        return;
    const IndexRect wanted{0, 0, int64_t{held.W} + 1, int64_t{held.H} + 1};
    const IndexRect region = intersect(wanted, indexesOfAll({&held.red, &held.green, &held.blue}));
    if (region.empty())
        return;
    const std::array<const host::ByteArray*, 3> planes{&held.red, &held.green, &held.blue};
    bool ready = region == wanted;
    for (const host::ByteArray* plane : planes)
        ready = ready && isBlitterReady(*plane, wanted.width());
    if (ready) {
        imaging::DisplayPlanes(target, held.W, held.H, held.red, held.green, held.blue);
        return;
    }
    // Planes of another shape: what they hold of the range, gathered first.
    const host::ByteArray red = copyOfRegion(held.red, region);
    const host::ByteArray green = copyOfRegion(held.green, region);
    const host::ByteArray blue = copyOfRegion(held.blue, region);
    imaging::DisplayPlanes(target, static_cast<int32_t>(region.width() - 1),
                           static_cast<int32_t>(region.height() - 1), red, green, blue);
}

} // namespace marrowset
