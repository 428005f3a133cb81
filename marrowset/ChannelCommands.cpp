#include "marrowset/ChannelCommands.h"

#include "maker/binding/MakerLibraries.h"
#include "marrowset/PlaneRegion.h"
#include "platform/Conversions.h"

#include <QString>
#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace marrowset {
namespace {

// Byte values as the fractions handed to the filter library: each quotient
// rounded to single precision once, here.
const std::array<float, 256>& unitFractions() {
    static const std::array<float, 256> fractions = [] {
        std::array<float, 256> table{};
        for (std::size_t value = 0; value < table.size(); ++value)
            table[value] = static_cast<float>(static_cast<double>(value) / 255.0);
        return table;
    }();
    return fractions;
}

// A floating grey level as a byte: the nearest whole number, a half to the
// even one. Levels from -0.5 (which rounds to 0) up to below 255.5 fit.
uint8_t levelToByte(double level) {
    if (!(level >= -0.5 && level < 255.5))
        throw GreyLevelError(level);
    return level <= 0.0 ? uint8_t{0} : platform::roundToByteHalfEven(level);
}

const host::ByteArray& heldPlane(const HeldBuffer& held, ImageChannel channel) {
    switch (channel) {
    case ImageChannel::Red:
        return held.red;
    case ImageChannel::Green:
        return held.green;
    case ImageChannel::Blue:
        return held.blue;
    case ImageChannel::Alpha:
        break;
    }
    throw std::invalid_argument("Only a colour channel can be added onto the image.");
}

// Writes level(r, g, b) of each held pixel into all three image planes over
// the overlap.
template <typename Level> void greyWalk(const HeldBuffer& held, ImageColour& image, Level level) {
    const IndexRect region =
        overlapRegion(held.W, held.H, image.BW, image.BH, {&held.red, &held.green, &held.blue},
                      {&image.red, &image.green, &image.blue});
    forEachRow(
        region,
        [&level](std::size_t count, const uint8_t* r, const uint8_t* g, const uint8_t* b,
                 uint8_t* red, uint8_t* green, uint8_t* blue) {
            for (std::size_t i = 0; i < count; ++i) {
                const uint8_t k = level(r[i], g[i], b[i]);
                red[i] = k;
                green[i] = k;
                blue[i] = k;
            }
        },
        held.red, held.green, held.blue, image.red, image.green, image.blue);
}

// A walk whose level comes from one conversion of the held pixel: `pick`
// turns the three results into the level.
template <typename Pick>
void convertedGreyWalk(const HeldBuffer& held, ImageColour& image, ColourConversion (*routine)(),
                       Pick pick) {
    // Bound when first needed, not before: a walk over nothing calls nothing.
    ColourConversion convert = nullptr;
    const std::array<float, 256>& fraction = unitFractions();
    greyWalk(held, image, [&](uint8_t r, uint8_t g, uint8_t b) {
        if (!convert)
            convert = routine();
        float first = 0.0f;
        float second = 0.0f;
        float third = 0.0f;
        convert(fraction[r], fraction[g], fraction[b], &first, &second, &third);
        return levelToByte(pick(first, second, third));
    });
}

// |c - 128| x 255, for U and V, which centre on 128.
double offCentre(float component) {
    return std::fabs(static_cast<double>(component) - 128.0) * 255.0;
}

} // namespace

GreyLevelError::GreyLevelError(double level)
    : std::range_error("The grey level " + QString::number(level).toStdString() +
                       " does not round into 0 to 255."),
      level_(level) {}

FilterRoutines boundFilterRoutines() {
    return {[]() -> ColourConversion { return maker::RGB_To_HSV.pointer(); },
            []() -> ColourConversion { return maker::f_rgb2yuv.pointer(); }};
}

void addChannelPlane(const HeldBuffer& held, ImageSize size, ImageChannel channel,
                     host::ByteArray& plane) {
    const host::ByteArray& source = heldPlane(held, channel);
    const IndexRect region = overlapRegion(held.W, held.H, size.BW, size.BH, {&source}, {&plane});
    forEachRow(
        region,
        [](std::size_t count, const uint8_t* brush, uint8_t* target) {
            for (std::size_t i = 0; i < count; ++i)
                target[i] = static_cast<uint8_t>(std::min(brush[i] + target[i], 255));
        },
        source, plane);
}

void addChannel(host::AutomationObject& hostObject, const HeldBuffer& held, ImageChannel channel) {
    heldPlane(held, channel);
    const ImageSize size = beginImageEdit(hostObject);
    host::ByteArray plane = fetchImagePlane(hostObject, channel);
    addChannelPlane(held, size, channel, plane);
    storeImagePlane(hostObject, channel, std::move(plane));
    hostObject.Invoke(QStringLiteral("tal_Refresh"));
}

void greyscalePlanes(const HeldBuffer& held, ImageColour& image, GreyComponent component,
                     const FilterRoutines& routines) {
    switch (component) {
    case GreyComponent::Red:
        return greyWalk(held, image, [](uint8_t r, uint8_t, uint8_t) { return r; });
    case GreyComponent::Green:
        return greyWalk(held, image, [](uint8_t, uint8_t g, uint8_t) { return g; });
    case GreyComponent::Blue:
        return greyWalk(held, image, [](uint8_t, uint8_t, uint8_t b) { return b; });
    case GreyComponent::Hue:
        // A hue that is negative or not a number counts as 0.
        return convertedGreyWalk(held, image, routines.rgbToHsv, [](float hue, float, float) {
            return hue >= 0.0f ? static_cast<double>(hue) / 360.0 * 255.0 : 0.0;
        });
    case GreyComponent::Saturation:
        return convertedGreyWalk(
            held, image, routines.rgbToHsv,
            [](float, float saturation, float) { return static_cast<double>(saturation) * 255.0; });
    case GreyComponent::Value:
        return convertedGreyWalk(held, image, routines.rgbToHsv, [](float, float, float value) {
            return static_cast<double>(value) * 255.0;
        });
    case GreyComponent::Y:
        return convertedGreyWalk(held, image, routines.rgbToYuv, [](float y, float, float) {
            return static_cast<double>(y) * 255.0;
        });
    case GreyComponent::U:
        return convertedGreyWalk(held, image, routines.rgbToYuv,
                                 [](float, float u, float) { return offCentre(u); });
    case GreyComponent::V:
        return convertedGreyWalk(held, image, routines.rgbToYuv,
                                 [](float, float, float v) { return offCentre(v); });
    }
}

void useAsGreyscale(host::AutomationObject& hostObject, const HeldBuffer& held,
                    GreyComponent component, const FilterRoutines& routines) {
    ImageColour image = beginColourEdit(hostObject);
    greyscalePlanes(held, image, component, routines);
    finishColourEdit(hostObject, std::move(image));
}

} // namespace marrowset
