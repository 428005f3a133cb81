#include "cinderloom/WiggleWarp.h"

#include "automation/PlaneShape.h"

#include <QString>
#include <bit>
#include <cstddef>
#include <cstring>
#include <vector>

namespace cinderloom {
namespace {

constexpr double kNoiseScale = 50.0;

// Positions are worked out two pixels at a time, in the two lanes of these.
using Doubles = double __attribute__((vector_size(16)));
using DoubleMasks = std::int64_t __attribute__((vector_size(16)));
using Offsets = std::uint64_t __attribute__((vector_size(16)));
using FloatPair = float __attribute__((vector_size(8)));

// 2^52: a double at or above it has no bits below the units, so adding it
// to 0 <= c < 2^52 rounds c as the default rounding mode rounds, to the
// nearest whole number with an exact half going to the even neighbour
// (nothing in the program changes that mode), and the sum's low 52 bits are
// that whole number.
constexpr double kUnitsOnly = 4503599627370496.0;
constexpr std::uint64_t kUnitsOnlyBits = 0x4330000000000000u;

// 2^52 plus the nearest whole number to each lane of `position`, clamped to
// 0..last. Clamping first keeps the sum exact for any amount; a position at
// or beyond an edge rounds to that edge or past it, so clamping before
// rounding gives the same index. A NaN takes column or row 0. Masks rather
// than branches: the lanes vary from pixel to pixel with the noise.
inline Doubles unitsOnlyClamped(Doubles position, Doubles last) {
    const DoubleMasks positive = position > Doubles{};
    const DoubleMasks atLeastZero = std::bit_cast<DoubleMasks>(position) & positive;
    const DoubleMasks beyond = std::bit_cast<Doubles>(atLeastZero) > last;
    const Doubles clamped = std::bit_cast<Doubles>((atLeastZero & ~beyond) |
                                                   (std::bit_cast<DoubleMasks>(last) & beyond));
    return clamped + kUnitsOnly;
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

// What every row of one warp shares: the noise coordinate of every column,
// the two noise depths, the displacement and the last column and row.
struct RowSampling {
    const std::vector<float>& columnU;
    float z1;
    float z2;
    double displacement;
    int32_t lastColumn;
    int32_t lastRow;
};

// The noise of every pixel of one row, at noise depths z1 and z2: two noise
// calls per pixel, horizontal first, in column order. Callers give buffers
// of `columnU.size()`.
void noiseOfRow(const RowSampling& sampling, NoiseFunction noise, float v, float* horizontal,
                float* vertical) {
    const std::size_t width = sampling.columnU.size();
    for (std::size_t x = 0; x < width; ++x) {
        const float u = sampling.columnU[x];
        const float horizontalPoint[3] = {u, v, sampling.z1};
        const float verticalPoint[3] = {u, v, sampling.z2};
        horizontal[x] = noise(horizontalPoint);
        vertical[x] = noise(verticalPoint);
    }
}

// The byte offset in a plane of `stride` of every pixel's source sample,
// from the row's noise: the column and row rounded and clamped, then
// row * stride + column, exact in doubles for any plane that fits in memory.
// Callers give buffers of `columnU.size()` and y inside the frame.
void sourceOffsetsOfRow(const RowSampling& sampling, const float* horizontal, const float* vertical,
                        int32_t y, std::size_t stride, std::size_t* sourceOffset) {
    const std::size_t width = sampling.columnU.size();
    const Doubles displacement = {sampling.displacement, sampling.displacement};
    const Doubles lastColumn = {static_cast<double>(sampling.lastColumn),
                                static_cast<double>(sampling.lastColumn)};
    const Doubles lastRow = {static_cast<double>(sampling.lastRow),
                             static_cast<double>(sampling.lastRow)};
    const Doubles row = {static_cast<double>(y), static_cast<double>(y)};
    const Doubles rowStride = {static_cast<double>(stride), static_cast<double>(stride)};
    const auto offsetsAt = [&](std::size_t x, FloatPair across, FloatPair down) {
        const Doubles column = {static_cast<double>(x), static_cast<double>(x + 1)};
        const Doubles sourceColumn = unitsOnlyClamped(
            displacement * __builtin_convertvector(across, Doubles) + column, lastColumn);
        const Doubles sourceRow =
            unitsOnlyClamped(displacement * __builtin_convertvector(down, Doubles) + row, lastRow) -
            kUnitsOnly;
        return std::bit_cast<Offsets>(sourceRow * rowStride + sourceColumn) - kUnitsOnlyBits;
    };
    std::size_t x = 0;
    for (; x + 2 <= width; x += 2) {
        FloatPair across;
        FloatPair down;
        std::memcpy(&across, horizontal + x, sizeof across);
        std::memcpy(&down, vertical + x, sizeof down);
        const Offsets offsets = offsetsAt(x, across, down);
        std::memcpy(sourceOffset + x, &offsets, sizeof offsets);
    }
    if (x < width)
        sourceOffset[x] =
            offsetsAt(x, FloatPair{horizontal[x], 0.0f}, FloatPair{vertical[x], 0.0f})[0];
}

// destination[x] = source[sourceOffset[x]] for the `width` pixels of one
// row, for each plane. Callers give offsets inside the source planes.
template <std::size_t kPlanes>
void copyDisplacedRow(const std::array<const uint8_t*, kPlanes>& source,
                      const std::size_t* sourceOffset, std::size_t width,
                      const std::array<uint8_t*, kPlanes>& destination) {
    for (std::size_t x = 0; x < width; ++x) {
        const std::size_t offset = sourceOffset[x];
        for (std::size_t plane = 0; plane < kPlanes; ++plane)
            destination[plane][x] = source[plane][offset];
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
    const RowSampling sampling{columnU, z1, z2, static_cast<double>(amount), width - 1, height - 1};

    // Each row's noise first, then its source offsets, then the copies: the
    // copy loops stay free of the noise calls, which would otherwise spill
    // the plane pointers and strides around every call. The planes of a
    // frame share one stride as a rule; then one offset serves all three.
    const auto columns = static_cast<std::size_t>(width);
    const bool oneStride = sourceStride[1] == sourceStride[0] && sourceStride[2] == sourceStride[0];
    std::vector<float> horizontal(columns);
    std::vector<float> vertical(columns);
    std::vector<std::size_t> sourceOffset(columns);
    for (int32_t y = 0; y < height; ++y) {
        const float v = static_cast<float>(static_cast<double>(y) / kNoiseScale / scaledSize);
        noiseOfRow(sampling, noise, v, horizontal.data(), vertical.data());
        if (oneStride) {
            sourceOffsetsOfRow(sampling, horizontal.data(), vertical.data(), y, sourceStride[0],
                               sourceOffset.data());
            copyDisplacedRow(sourceBase, sourceOffset.data(), columns, destinationRow);
        } else {
            for (std::size_t channel = 0; channel < 3; ++channel) {
                sourceOffsetsOfRow(sampling, horizontal.data(), vertical.data(), y,
                                   sourceStride[channel], sourceOffset.data());
                copyDisplacedRow(std::array{sourceBase[channel]}, sourceOffset.data(), columns,
                                 std::array{destinationRow[channel]});
            }
        }
        for (std::size_t channel = 0; channel < 3; ++channel)
            destinationRow[channel] += destinationStride[channel];
    }
}

} // namespace cinderloom
