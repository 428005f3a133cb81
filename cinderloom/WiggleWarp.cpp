#include "cinderloom/WiggleWarp.h"

#include "automation/PlaneShape.h"

#include <QString>
#include <cstddef>
#include <vector>

namespace cinderloom {
namespace {

constexpr double kNoiseScale = 50.0;

// The nearest whole number to `position`, an exact half going to the even
// neighbour, clamped to 0..last. Clamping first keeps the conversion in
// range for any amount; a position at or beyond an edge rounds to that edge
// or past it, so clamping before rounding gives the same index. A NaN takes
// column or row 0.
inline int32_t nearestIndexClamped(double position, int32_t last) {
    if (!(position > 0.0))
        return 0;
    if (position >= static_cast<double>(last))
        return last;
    const auto whole = static_cast<int32_t>(position);
    const double fraction = position - static_cast<double>(whole);
    if (fraction > 0.5 || (fraction == 0.5 && (whole & 1) != 0))
        return whole + 1;
    return whole;
}

const char* channelName(std::size_t channel) {
    static const char* const names[] = {"red", "green", "blue"};
    return names[channel];
}

void checkCoversFrame(const host::ByteArray& plane, const char* role, std::size_t channel,
                      int32_t width, int32_t height) {
    if (!host::planeCovers(plane, width, height))
        throw WiggleWarpError(
            QStringLiteral("The %1 %2 plane %3 does not cover a frame of "
                           "%4 × %5 pixels.")
                .arg(QLatin1String(role), QLatin1String(channelName(channel)), plane.boundsText())
                .arg(width)
                .arg(height)
                .toStdString());
}

using SourcePlanes = std::array<const host::ByteArray*, 3>;
using DestinationPlanes = std::array<host::ByteArray*, 3>;

void checkArguments(int32_t size, const SourcePlanes& source, const DestinationPlanes& destination,
                    int32_t width, int32_t height, NoiseFunction noise) {
    if (size < 1)
        throw WiggleWarpError("The size of the wiggle must be at least 1, not " +
                              std::to_string(size) + ".");
    if (width < 0 || height < 0)
        throw WiggleWarpError("A frame of " + std::to_string(width) + " × " +
                              std::to_string(height) + " pixels cannot be wiggled.");
    if (!noise)
        throw WiggleWarpError("The wiggle has no noise function.");
    for (std::size_t channel = 0; channel < source.size(); ++channel) {
        checkCoversFrame(*source[channel], "source", channel, width, height);
        checkCoversFrame(*destination[channel], "destination", channel, width, height);
        for (const host::ByteArray* input : source)
            if (input == destination[channel])
                throw WiggleWarpError(std::string("The destination ") + channelName(channel) +
                                      " plane is also a source plane.");
    }
}

} // namespace

void wiggleWarp(int32_t amount, int32_t size, const host::ByteArray& sourceRed,
                const host::ByteArray& sourceGreen, const host::ByteArray& sourceBlue,
                host::ByteArray& red, host::ByteArray& green, host::ByteArray& blue, int32_t width,
                int32_t height, NoiseFunction noise, platform::RandomGenerator& random) {
    const SourcePlanes source{&sourceRed, &sourceGreen, &sourceBlue};
    const DestinationPlanes destination{&red, &green, &blue};
    checkArguments(size, source, destination, width, height, noise);
    const float z1 = random.next();
    const float z2 = random.next();
    if (width == 0 || height == 0)
        return;

    // The noise coordinates of every column, and the steps of every plane,
    // are the same on every row.
    const double scaledSize = static_cast<double>(size);
    std::vector<float> columnU(static_cast<std::size_t>(width));
    for (int32_t x = 0; x < width; ++x)
        columnU[static_cast<std::size_t>(x)] =
            static_cast<float>(static_cast<double>(x) / kNoiseScale / scaledSize);
    std::array<const uint8_t*, 3> sourceBase{};
    std::array<std::size_t, 3> sourceStride{};
    std::array<uint8_t*, 3> destinationRow{};
    std::array<std::size_t, 3> destinationStride{};
    for (std::size_t channel = 0; channel < 3; ++channel) {
        sourceBase[channel] = source[channel]->data();
        sourceStride[channel] = static_cast<std::size_t>(source[channel]->count(0));
        destinationRow[channel] = destination[channel]->data();
        destinationStride[channel] = static_cast<std::size_t>(destination[channel]->count(0));
    }
    const double displacement = static_cast<double>(amount);
    const int32_t lastColumn = width - 1;
    const int32_t lastRow = height - 1;

    for (int32_t y = 0; y < height; ++y) {
        const float v = static_cast<float>(static_cast<double>(y) / kNoiseScale / scaledSize);
        for (int32_t x = 0; x < width; ++x) {
            const float u = columnU[static_cast<std::size_t>(x)];
            const float horizontalPoint[3] = {u, v, z1};
            const float verticalPoint[3] = {u, v, z2};
            const double horizontal = static_cast<double>(noise(horizontalPoint));
            const double vertical = static_cast<double>(noise(verticalPoint));
            const auto sx = static_cast<std::size_t>(
                nearestIndexClamped(displacement * horizontal + x, lastColumn));
            const auto sy =
                static_cast<std::size_t>(nearestIndexClamped(displacement * vertical + y, lastRow));
            for (std::size_t channel = 0; channel < 3; ++channel)
                destinationRow[channel][x] = sourceBase[channel][sy * sourceStride[channel] + sx];
        }
        for (std::size_t channel = 0; channel < 3; ++channel)
            destinationRow[channel] += destinationStride[channel];
    }
}

} // namespace cinderloom
