#include "marrowset/Combine.h"

#include "marrowset/PlaneRegion.h"

#include <string>
#include <utility>

namespace marrowset {
namespace {

void requireMode(int32_t mode) {
    if (mode < 0 || mode >= host::kCombineModes)
        throw std::out_of_range("There is no combine mode " + std::to_string(mode) +
                                "; the modes are 0 to " + std::to_string(host::kCombineModes - 1) +
                                ".");
}

} // namespace

void combinePlanes(const HeldBuffer& held, ImageColour& image, const CombineTable& table,
                   int32_t mode) {
    requireMode(mode);
    const IndexRect region =
        overlapRegion(held.W, held.H, image.BW, image.BH, {&held.red, &held.green, &held.blue},
                      {&image.red, &image.green, &image.blue});
    // The layout was checked to hold every (s, d, m) when the table arrived,
    // so the mode's slice holds every (s, d) a byte pair can address.
    const uint8_t* slice = table.slice(mode);
    const std::size_t stride = table.valueStride();
    const auto lookUp = [slice, stride](std::size_t count, const uint8_t* brush, uint8_t* target) {
        // Locals, not the closure's members: a byte stored through `target`
        // could otherwise be the closure itself, and the compiler would
        // reload both after every store.
        const uint8_t* const entries = slice;
        const std::size_t step = stride;
        for (std::size_t i = 0; i < count; ++i)
            target[i] = entries[brush[i] + step * target[i]];
    };
    forEachRow(region, lookUp, held.red, image.red);
    forEachRow(region, lookUp, held.green, image.green);
    forEachRow(region, lookUp, held.blue, image.blue);
}

void combine(host::AutomationObject& hostObject, const HeldBuffer& held, const CombineTable& table,
             int32_t mode) {
    requireMode(mode);
    ImageColour image = beginColourEdit(hostObject);
    combinePlanes(held, image, table, mode);
    finishColourEdit(hostObject, std::move(image));
}

} // namespace marrowset
