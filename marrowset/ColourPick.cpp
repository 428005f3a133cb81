#include "marrowset/ColourPick.h"

#include "marrowset/PlaneRegion.h"
#include "platform/Conversions.h"

#include <cmath>

namespace marrowset {
namespace {

// The sample index along one axis, or none outside 0..last. Values too large
// for any index are outside without being converted.
std::optional<int32_t> sampleAlong(int32_t last, int32_t extent, int32_t position) {
    if (extent <= 0)
        return std::nullopt;
    const double exact = (static_cast<double>(last) / extent) * position;
    if (!(std::fabs(exact) <= static_cast<double>(last) + 1.0))
        return std::nullopt;
    const auto index = static_cast<int32_t>(platform::roundHalfEven(exact));
    if (index < 0 || index > last)
        return std::nullopt;
    return index;
}

} // namespace

std::optional<SampleIndex> pickedSample(int32_t W, int32_t H, int32_t pw, int32_t ph, int32_t x,
                                        int32_t y) {
    const std::optional<int32_t> bx = sampleAlong(W, pw, x);
    const std::optional<int32_t> by = sampleAlong(H, ph, y);
    if (!bx || !by)
        return std::nullopt;
    return SampleIndex{*bx, *by};
}

std::optional<Colour> heldColourAt(const HeldBuffer& held, SampleIndex at) {
    for (const host::ByteArray* plane : {&held.red, &held.green, &held.blue})
        if (!indexesOf(*plane).contains(at.x, at.y))
            return std::nullopt;
    return Colour{*sampleAt(held.red, at.x, at.y), *sampleAt(held.green, at.x, at.y),
                  *sampleAt(held.blue, at.x, at.y)};
}

} // namespace marrowset
