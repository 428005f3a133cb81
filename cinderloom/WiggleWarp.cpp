#include "cinderloom/WiggleWarp.h"

#include "automation/PlaneShape.h"

#include <QString>
#include <algorithm>
#include <cstddef>
#include <vector>

namespace cinderloom {
namespace {

constexpr double kNoiseScale = 50.0;

// The nearest whole number to `position`, an exact half going to the even
// neighbour, clamped to 0..last. Clamping first keeps the conversion in
// range for any amount; a position at or beyond an edge rounds to that edge
// or past it, so clamping before rounding gives the same index. A NaN takes
// column or row 0. Without branches: the fraction's comparisons vary from
// pixel to pixel with the noise.
inline int32_t nearestIndexClamped(double position, int32_t last) {
    const double clamped = std::min(std::max(0.0, position), static_cast<double>(last));
    const auto whole = static_cast<int32_t>(clamped);
    const double fraction = clamped - static_cast<double>(whole);
    return whole + static_cast<int32_t>(fraction > 0.5) +
           (static_cast<int32_t>(fraction == 0.5) & whole & 1);
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

// The source column and row of every pixel of one row, at noise depths z1
// and z2: two noise calls per pixel, horizontal first, in column order.
// Callers give v of a row inside the frame and buffers of `columnU.size()`.
struct RowSampling {
    const std::vector<float>& columnU;
    float z1;
    float z2;
    double displacement;
    int32_t lastColumn;
    int32_t lastRow;
};

void sourcePositionsOfRow(const RowSampling& sampling, NoiseFunction noise, float v, int32_t y,
                          int32_t* sourceColumn, int32_t* sourceRow) {
    const std::size_t width = sampling.columnU.size();
    const double row = static_cast<double>(y);
    for (std::size_t x = 0; x < width; ++x) {
        const float u = sampling.columnU[x];
        const float horizontalPoint[3] = {u, v, sampling.z1};
        const float verticalPoint[3] = {u, v, sampling.z2};
        const double horizontal = static_cast<double>(noise(horizontalPoint));
        const double vertical = static_cast<double>(noise(verticalPoint));
        sourceColumn[x] = nearestIndexClamped(
            sampling.displacement * horizontal + static_cast<double>(x), sampling.lastColumn);
        sourceRow[x] = nearestIndexClamped(sampling.displacement * vertical + row, sampling.lastRow);
    }
}

// destination[x] = source sample (sourceColumn[x], sourceRow[x]) for the
// `width` pixels of one row. Callers give positions inside the source plane.
void copyDisplacedRow(const uint8_t* source, std::size_t sourceStride, const int32_t* sourceColumn,
                      const int32_t* sourceRow, std::size_t width, uint8_t* destination) {
    for (std::size_t x = 0; x < width; ++x)
        destination[x] = source[static_cast<std::size_t>(sourceRow[x]) * sourceStride +
                                static_cast<std::size_t>(sourceColumn[x])];
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
    const RowSampling sampling{columnU, z1, z2, static_cast<double>(amount), width - 1,
                               height - 1};

    // Each row's source positions first, then each channel's copy: the copy
    // loops stay free of the noise calls, which would otherwise spill the
    // plane pointers and strides around every call.
    std::vector<int32_t> sourceColumn(static_cast<std::size_t>(width));
    std::vector<int32_t> sourceRow(static_cast<std::size_t>(width));
    for (int32_t y = 0; y < height; ++y) {
        const float v = static_cast<float>(static_cast<double>(y) / kNoiseScale / scaledSize);
        sourcePositionsOfRow(sampling, noise, v, y, sourceColumn.data(), sourceRow.data());
        for (std::size_t channel = 0; channel < 3; ++channel) {
            copyDisplacedRow(sourceBase[channel], sourceStride[channel], sourceColumn.data(),
                             sourceRow.data(), static_cast<std::size_t>(width),
                             destinationRow[channel]);
            destinationRow[channel] += destinationStride[channel];
        }
    }
}

} // namespace cinderloom
