#include "marrowset/Pastes.h"

#include "marrowset/PlaneRegion.h"
#include "platform/Conversions.h"

#include <array>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

namespace marrowset {
namespace {

using host::ByteArray;

std::array<const ByteArray*, 3> heldColour(const HeldBuffer& held) {
    return {&held.red, &held.green, &held.blue};
}

std::array<ByteArray*, 3> imageColour(ImageColour& image) {
    return {&image.red, &image.green, &image.blue};
}

// Copies held pixel (x - dx, y - dy) onto image pixel (x, y) across `region`,
// which the caller clipped to every plane.
void copyRegion(const IndexRect& region, int64_t dx, int64_t dy, const HeldBuffer& held,
                ImageColour& image) {
    const auto from = heldColour(held);
    const auto to = imageColour(image);
    for (std::size_t channel = 0; channel < from.size(); ++channel)
        forEachRow(
            region,
            [](std::size_t count, const uint8_t* source, uint8_t* target) {
                std::memcpy(target, source, count);
            },
            Shifted<const ByteArray>{*from[channel], dx, dy}, *to[channel]);
}

template <typename Walk>
void paste(host::AutomationObject& hostObject, const HeldBuffer& held, Walk walk) {
    ImageColour image = beginColourEdit(hostObject);
    walk(held, image);
    finishColourEdit(hostObject, std::move(image));
}

// Where one image column (or row) samples the buffer: the sample `index`
// and the next, weighted (1 - d) and d.
struct Tap {
    int64_t index;
    double nearWeight;
    double farWeight;
};

// The taps of image positions 0..count-1 at `step` buffer samples each,
// stepped in single precision as the paste is defined. Only positions
// whose two samples both lie in first..end-1 are kept; the index moves
// forward with the position, so they form one run, starting at *firstKept.
std::vector<Tap> tapsFor(int64_t from, int64_t to, float step, int64_t first, int64_t end,
                         int64_t* firstKept) {
    std::vector<Tap> taps;
    *firstKept = to;
    for (int64_t position = from; position < to; ++position) {
        const auto at = static_cast<float>(static_cast<double>(position) * step);
        const double whole = std::floor(at);
        const auto fraction = static_cast<float>(at - whole);
        if (!(whole >= static_cast<double>(first) && whole + 1 < static_cast<double>(end)))
            continue;
        if (taps.empty())
            *firstKept = position;
        else if (position != *firstKept + static_cast<int64_t>(taps.size()))
            break;
        taps.push_back(
            {static_cast<int64_t>(whole) - first, 1.0 - double{fraction}, double{fraction}});
    }
    return taps;
}

} // namespace

void overlayPlanes(const HeldBuffer& held, ImageColour& image) {
    const auto from = heldColour(held);
    const auto to = imageColour(image);
    const IndexRect region = overlapRegion(held.W, held.H, image.BW, image.BH,
                                           {from[0], from[1], from[2]}, {to[0], to[1], to[2]});
    copyRegion(region, 0, 0, held, image);
}

void centrePlanes(const HeldBuffer& held, ImageColour& image) {
    // Integer division drops the remainder; the sizes are not negative here
    // unless the host misreports them, and then the region is empty anyway.
    const int64_t dx = image.BW / 2 - held.W / 2;
    const int64_t dy = image.BH / 2 - held.H / 2;
    const auto from = heldColour(held);
    const auto to = imageColour(image);
    const IndexRect region = pasteRegion({0, 0, held.W, held.H}, dx, dy, {0, 0, image.BW, image.BH},
                                         {from[0], from[1], from[2]}, {to[0], to[1], to[2]});
    copyRegion(region, dx, dy, held, image);
}

void scalePlanes(const HeldBuffer& held, ImageColour& image) {
    if (image.BW <= 0 || image.BH <= 0)
        return;
    const auto from = heldColour(held);
    const auto to = imageColour(image);
    const IndexRect samples = intersect({0, 0, int64_t{held.W} + 1, int64_t{held.H} + 1},
                                        indexesOfAll({from[0], from[1], from[2]}));
    const IndexRect pixels =
        intersect({0, 0, image.BW, image.BH}, indexesOfAll({to[0], to[1], to[2]}));
    if (samples.empty() || pixels.empty())
        return;

    const auto stepX = static_cast<float>(static_cast<double>(held.W) / image.BW);
    const auto stepY = static_cast<float>(static_cast<double>(held.H) / image.BH);
    int64_t left = 0;
    int64_t top = 0;
    const std::vector<Tap> columns =
        tapsFor(pixels.left, pixels.right, stepX, samples.left, samples.right, &left);
    const std::vector<Tap> rows =
        tapsFor(pixels.top, pixels.bottom, stepY, samples.top, samples.bottom, &top);

    for (std::size_t channel = 0; channel < from.size(); ++channel) {
        const ByteArray& source = *from[channel];
        const std::ptrdiff_t sourceStride = rowStride(source);
        for (std::size_t r = 0; r < rows.size(); ++r) {
            const Tap& row = rows[r];
            const uint8_t* upper = sampleAt(source, samples.left, samples.top + row.index);
            const uint8_t* lower = upper + sourceStride;
            uint8_t* target = sampleAt(*to[channel], left, top + static_cast<int64_t>(r));
            for (const Tap& column : columns) {
                const int64_t i = column.index;
                const double value =
                    (column.nearWeight * upper[i] + column.farWeight * upper[i + 1]) *
                        row.nearWeight +
                    (column.nearWeight * lower[i] + column.farWeight * lower[i + 1]) *
                        row.farWeight;
                *target++ = platform::roundToByteHalfEven(value);
            }
        }
    }
}

void pasteOverlay(host::AutomationObject& hostObject, const HeldBuffer& held) {
    paste(hostObject, held, overlayPlanes);
}

void pasteCentred(host::AutomationObject& hostObject, const HeldBuffer& held) {
    paste(hostObject, held, centrePlanes);
}

void pasteScaled(host::AutomationObject& hostObject, const HeldBuffer& held) {
    paste(hostObject, held, scalePlanes);
}

} // namespace marrowset
