#include "cinderloom/WiggleWarp.h"

#include "maker/binding/MakerLibraries.h"

#include <QDir>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace {

using cinderloom::FramePlanes;
using cinderloom::wiggleWarp;
using cinderloom::WiggleWarpError;

// A noise field the test controls: the warp's first call per pixel is the
// horizontal one, its second the vertical one. Every point asked for is kept.
struct ScriptedNoise {
    float horizontal = 0.0f;
    float vertical = 0.0f;
    // When set, the horizontal value is `horizontal` minus the pixel's
    // column and the vertical one `vertical` minus its row, so that every
    // pixel lands on the same displaced position. The column and row are
    // recovered from u and v for size 1.
    bool relativeToPixel = false;
    std::vector<std::array<float, 3>> points;
};
ScriptedNoise scripted;

float scriptedNoise(const float* point) {
    const bool isHorizontal = scripted.points.size() % 2 == 0;
    scripted.points.push_back({point[0], point[1], point[2]});
    float value = isHorizontal ? scripted.horizontal : scripted.vertical;
    if (scripted.relativeToPixel)
        value -= std::round((isHorizontal ? point[0] : point[1]) * 50.0f);
    return value;
}

// A frame of width × height pixels with planes one column and one row
// larger, as the shot's frame planes are; sample (x, y) of channel c is
// 100 c + 10 y + x, distinct for frames up to 10 × 10.
FramePlanes numberedFrame(int32_t width, int32_t height) {
    FramePlanes frame;
    for (int c = 0; c < 3; ++c) {
        frame[c] = host::ByteArray::plane(width + 1, height + 1);
        for (int y = 0; y <= height; ++y)
            for (int x = 0; x <= width; ++x)
                frame[c].at(x, y) = static_cast<uint8_t>(100 * c + 10 * y + x);
    }
    return frame;
}

FramePlanes filledFrame(int32_t width, int32_t height, uint8_t value) {
    FramePlanes frame;
    for (host::ByteArray& plane : frame) {
        plane = host::ByteArray::plane(width + 1, height + 1);
        std::fill_n(plane.data(), plane.size(), value);
    }
    return frame;
}

class WiggleWarpTest : public ::testing::Test {
protected:
    WiggleWarpTest() { scripted = {}; }

    void warp(int32_t amount, int32_t size, const FramePlanes& source, FramePlanes& destination,
              int32_t width, int32_t height, cinderloom::NoiseFunction noise = scriptedNoise) {
        wiggleWarp(amount, size, source[0], source[1], source[2], destination[0], destination[1],
                   destination[2], width, height, noise, random);
    }

    // Every warped pixel of `destination` holds source (sourceX, sourceY) of
    // its channel; column `width` and row `height` keep the value 7.
    static void expectEveryPixelFrom(const FramePlanes& destination, int32_t width, int32_t height,
                                     int sourceX, int sourceY) {
        for (int c = 0; c < 3; ++c)
            for (int y = 0; y <= height; ++y)
                for (int x = 0; x <= width; ++x) {
                    const int expected =
                        x == width || y == height ? 7 : 100 * c + 10 * sourceY + sourceX;
                    EXPECT_EQ(destination[c].at(x, y), expected)
                        << "channel " << c << " at (" << x << ", " << y << ")";
                }
    }

    platform::RandomGenerator random;
};

TEST_F(WiggleWarpTest, AmountZeroCopiesTheFrameAndLeavesTheExtraColumnAndRowAlone) {
    const FramePlanes source = numberedFrame(4, 3);
    FramePlanes destination = filledFrame(4, 3, 7);
    scripted.horizontal = 0.9f;
    scripted.vertical = -0.7f;
    warp(0, 1, source, destination, 4, 3);
    for (int c = 0; c < 3; ++c)
        for (int y = 0; y <= 3; ++y)
            for (int x = 0; x <= 4; ++x)
                EXPECT_EQ(destination[c].at(x, y), x == 4 || y == 3 ? 7 : source[c].at(x, y));
    EXPECT_EQ(scripted.points.size(), 2u * 4 * 3);
}

TEST_F(WiggleWarpTest, DisplacementsBeyondAnEdgeTakeThatEdge) {
    const FramePlanes source = numberedFrame(4, 3);
    FramePlanes destination = filledFrame(4, 3, 7);
    // 10 pixels left and down from every pixel: column 0, row 2.
    scripted.horizontal = -1.0f;
    scripted.vertical = 1.0f;
    warp(10, 1, source, destination, 4, 3);
    expectEveryPixelFrom(destination, 4, 3, 0, 2);

    // Right and up: column 3, row 0.
    scripted.horizontal = 1.0f;
    scripted.vertical = -1.0f;
    warp(10, 1, source, destination, 4, 3);
    expectEveryPixelFrom(destination, 4, 3, 3, 0);
}

TEST_F(WiggleWarpTest, ANoiseValueThatIsNotANumberTakesColumnOrRowZero) {
    const FramePlanes source = numberedFrame(4, 3);
    FramePlanes destination = filledFrame(4, 3, 7);
    scripted.horizontal = std::numeric_limits<float>::quiet_NaN();
    scripted.vertical = std::numeric_limits<float>::quiet_NaN();
    warp(5, 1, source, destination, 4, 3);
    expectEveryPixelFrom(destination, 4, 3, 0, 0);
}

TEST_F(WiggleWarpTest, ExactHalvesRoundToTheEvenNeighbour) {
    const FramePlanes source = numberedFrame(6, 5);
    FramePlanes destination = filledFrame(6, 5, 7);
    // Amount 1: every pixel's displaced position is exactly (2.5, 3.5),
    // which rounds to column 2 and row 4.
    scripted.horizontal = 2.5f;
    scripted.vertical = 3.5f;
    scripted.relativeToPixel = true;
    warp(1, 1, source, destination, 6, 5);
    expectEveryPixelFrom(destination, 6, 5, 2, 4);
}

TEST_F(WiggleWarpTest, PlanesOfDifferentWidthsAndAnOddFrameWidthTakeTheSameSamples) {
    // The green source plane is wider than the others, so its rows lie
    // further apart; the frame's width is odd, so its last pixel is one on
    // its own. Every pixel still lands on (2, 3) of each plane.
    FramePlanes source = numberedFrame(5, 4);
    host::ByteArray wideGreen = host::ByteArray::plane(9, 5);
    for (int y = 0; y <= 4; ++y)
        for (int x = 0; x <= 5; ++x)
            wideGreen.at(x, y) = source[1].at(x, y);
    source[1] = wideGreen;
    FramePlanes destination = filledFrame(5, 4, 7);
    scripted.horizontal = 2.0f;
    scripted.vertical = 3.0f;
    scripted.relativeToPixel = true;
    warp(1, 1, source, destination, 5, 4);
    for (int c = 0; c < 3; ++c)
        for (int y = 0; y <= 4; ++y)
            for (int x = 0; x <= 5; ++x)
                EXPECT_EQ(destination[c].at(x, y), x == 5 || y == 4 ? 7 : 100 * c + 32)
                    << "channel " << c << " at " << x << ", " << y;
}

TEST_F(WiggleWarpTest, SamplesTheNoiseAtTheScaledPixelWithTwoDepthsDrawnPerCall) {
    platform::RandomGenerator expectedDepths;
    const float z1 = expectedDepths.next();
    const float z2 = expectedDepths.next();
    const FramePlanes source = numberedFrame(6, 5);
    FramePlanes destination = filledFrame(6, 5, 7);
    warp(3, 2, source, destination, 6, 5);

    // Pixel (5, 4) is the 4 × 6 + 5 = 29th; size 2 puts it at u = 5 / 100
    // and v = 4 / 100, horizontally at depth z1, vertically at z2.
    ASSERT_EQ(scripted.points.size(), 2u * 6 * 5);
    EXPECT_EQ(scripted.points[58], (std::array<float, 3>{0.05f, 0.04f, z1}));
    EXPECT_EQ(scripted.points[59], (std::array<float, 3>{0.05f, 0.04f, z2}));
    EXPECT_EQ(scripted.points[0], (std::array<float, 3>{0.0f, 0.0f, z1}));

    // The next call goes on with the third and fourth values.
    scripted.points.clear();
    warp(3, 2, source, destination, 6, 5);
    EXPECT_EQ(scripted.points[0][2], expectedDepths.next());
    EXPECT_EQ(scripted.points[1][2], expectedDepths.next());
}

TEST_F(WiggleWarpTest, FramesInARowDifferAndTheSequenceRepeatsFromTheStartingState) {
    const QString startDirectory = QDir::currentPath();
    QDir::setCurrent(QStringLiteral(TALLOWICK_APP_DIR));
    const cinderloom::NoiseFunction noise = maker::noise3.pointer();
    QDir::setCurrent(startDirectory);

    // A 60 × 40 frame whose every pixel differs from its neighbours.
    FramePlanes source = filledFrame(60, 40, 0);
    for (int c = 0; c < 3; ++c)
        for (int y = 0; y <= 40; ++y)
            for (int x = 0; x <= 60; ++x)
                source[c].at(x, y) = static_cast<uint8_t>(x * 4 + y * 97 + c);
    const auto twoFrames = [&] {
        std::array<FramePlanes, 2> frames{filledFrame(60, 40, 0), filledFrame(60, 40, 0)};
        for (FramePlanes& frame : frames)
            warp(16, 4, source, frame, 60, 40, noise);
        return frames;
    };
    const std::array<FramePlanes, 2> firstRun = twoFrames();
    random = platform::RandomGenerator();
    const std::array<FramePlanes, 2> secondRun = twoFrames();
    EXPECT_NE(firstRun[0][0], firstRun[1][0]);
    EXPECT_NE(firstRun[0][0], source[0]);
    EXPECT_EQ(firstRun, secondRun);
}

TEST_F(WiggleWarpTest, RefusesArgumentsItCannotWorkWithBeforeDrawingOrWriting) {
    const FramePlanes source = numberedFrame(4, 3);
    FramePlanes destination = filledFrame(4, 3, 7);
    const FramePlanes untouched = destination;
    const FramePlanes small = numberedFrame(3, 3);
    EXPECT_THROW(warp(5, 0, source, destination, 4, 3), WiggleWarpError);
    EXPECT_THROW(warp(5, 1, small, destination, 5, 3), WiggleWarpError);
    EXPECT_THROW(warp(5, 1, source, destination, -1, 3), WiggleWarpError);
    EXPECT_THROW(warp(5, 1, source, destination, 4, 3, nullptr), WiggleWarpError);
    FramePlanes shared = numberedFrame(4, 3);
    EXPECT_THROW(wiggleWarp(5, 1, shared[0], shared[1], shared[2], destination[0], shared[0],
                            destination[2], 4, 3, scriptedNoise, random),
                 WiggleWarpError);
    EXPECT_EQ(destination, untouched);
    EXPECT_TRUE(scripted.points.empty());
    EXPECT_EQ(random.next(), platform::RandomGenerator().next());
}

} // namespace
