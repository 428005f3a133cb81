#include "tallowick/window/FrameRendering.h"

#include <gtest/gtest.h>

namespace {

using tallowick::Channel;

TEST(Rendering, ColourAloneOrLaidOverTheCheckerboardByAlpha) {
    // Two pixels: opaque (200, 100, 0) and half-transparent (0, 0, 255) with
    // alpha 128, on a 9-pixel-wide frame so the second pixel at x = 8 falls
    // on the checkerboard's second square (tone 153).
    tallowick::RgbaFrame frame(9, 1, {200, 100, 0, 255});
    frame.samples(Channel::Red)[8] = 0;
    frame.samples(Channel::Green)[8] = 0;
    frame.samples(Channel::Blue)[8] = 255;
    frame.samples(Channel::Alpha)[8] = 128;
    frame.refreshMargins();

    const QImage plain = tallowick::renderFrame(frame, false);
    ASSERT_EQ(plain.size(), QSize(9, 1));
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(plain.pixel(x, 0), qRgb(200, 100, 0));
    EXPECT_EQ(plain.pixel(8, 0), qRgb(0, 0, 255));

    // Over tone 153: red and green (0 * 128 + 153 * 127) / 255 = 76.2 -> 76,
    // blue (255 * 128 + 153 * 127) / 255 = 204.2 -> 204.
    const QImage blended = tallowick::renderFrame(frame, true);
    EXPECT_EQ(blended.pixel(0, 0), qRgb(200, 100, 0));
    EXPECT_EQ(blended.pixel(8, 0), qRgb(76, 76, 204));
}

TEST(Rendering, FitRectKeepsTheAspectAndCentres) {
    EXPECT_EQ(tallowick::fitRect({320, 240}, {0, 0, 400, 400}), QRect(0, 50, 400, 300));
    EXPECT_EQ(tallowick::fitRect({100, 200}, {10, 0, 300, 100}), QRect(135, 0, 50, 100));
    EXPECT_TRUE(tallowick::fitRect({0, 0}, {0, 0, 10, 10}).isEmpty());
}

} // namespace
