// noise3, RGB_To_HSV and f_rgb2yuv (libvxfilter.so), linked directly.

#include "maker/vxfilter/vxfilter.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace {

float noiseAt(float x, float y, float z) {
    const float p[3] = {x, y, z};
    return noise3(p);
}

// A fixed walk of points over several lattice cells, negative and positive.
std::vector<std::array<float, 3>> samplePoints(int count) {
    std::vector<std::array<float, 3>> points;
    points.reserve(static_cast<std::size_t>(count));
    std::uint32_t state = 12345u;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return static_cast<float>(state >> 8) / 16777216.0f; // 0..1
    };
    for (int i = 0; i < count; ++i)
        points.push_back({next() * 40.0f - 20.0f, next() * 40.0f - 20.0f, next() * 8.0f - 4.0f});
    return points;
}

// The documented bound on |noise3|, with room for rounding.
constexpr float kBound = 0.7f + 1e-5f;

TEST(Noise3, SamePointSameValueOnEveryCallAndEveryRun) {
    for (const auto& p : samplePoints(1000)) {
        const float a = noise3(p.data());
        const float b = noise3(p.data());
        ASSERT_EQ(a, b);
    }
    // Fixed constants, no seeding: these values, taken from this noise once,
    // come back in every run and every build.
    EXPECT_NEAR(noiseAt(0.0f, 0.0f, 0.0f), 0.55507809f, 1e-6f);
    EXPECT_NEAR(noiseAt(0.3f, 0.6f, 0.2f), -0.13065255f, 1e-6f);
    EXPECT_NEAR(noiseAt(-7.25f, 3.5f, 0.77f), 0.27893251f, 1e-6f);
    EXPECT_NEAR(noiseAt(9.6f, 5.4f, 0.13f), -0.10671226f, 1e-6f);
}

TEST(Noise3, DoesNotChangeThePoint) {
    const float p[3] = {1.25f, -3.5f, 0.75f};
    noise3(p);
    EXPECT_EQ(p[0], 1.25f);
    EXPECT_EQ(p[1], -3.5f);
    EXPECT_EQ(p[2], 0.75f);
}

TEST(Noise3, NearbyPointsGiveNearbyValues) {
    // Corner values differ by at most 1.4 and the fade's slope is at most
    // 1.5, over cells of half a unit: the value changes by at most 4.2 per
    // unit along an axis, so a step of 1e-3 moves it by well under 0.01.
    const float step = 1e-3f;
    for (const auto& p : samplePoints(5000)) {
        const float n = noiseAt(p[0], p[1], p[2]);
        ASSERT_NEAR(noiseAt(p[0] + step, p[1], p[2]), n, 0.01f);
        ASSERT_NEAR(noiseAt(p[0], p[1] + step, p[2]), n, 0.01f);
        ASSERT_NEAR(noiseAt(p[0], p[1], p[2] + step), n, 0.01f);
    }
    // Across cell faces too (on every axis, at whole and half units, on both
    // sides of 0 and where the corner coordinates wrap), where the corners
    // change.
    for (const float face : {3.0f, 1.5f, 0.0f, -2.5f, 128.0f, -128.0f})
        for (int axis = 0; axis < 3; ++axis) {
            float below[3] = {0.4f, 0.6f, 0.2f};
            float at[3] = {0.4f, 0.6f, 0.2f};
            float above[3] = {0.4f, 0.6f, 0.2f};
            below[axis] = std::nextafter(face, -10.0f);
            at[axis] = face;
            above[axis] = face + 1e-4f;
            EXPECT_NEAR(noise3(at), noise3(below), 1e-4f) << face << " on axis " << axis;
            EXPECT_NEAR(noise3(above), noise3(below), 1e-3f) << face << " on axis " << axis;
        }
}

TEST(Noise3, ValuesStayWithinTheBoundAndVary) {
    float lowest = 1e9f, highest = -1e9f;
    double sum = 0, squares = 0;
    const auto points = samplePoints(200000);
    for (const auto& p : points) {
        const float n = noise3(p.data());
        ASSERT_TRUE(std::isfinite(n));
        ASSERT_LE(std::fabs(n), kBound);
        lowest = std::fmin(lowest, n);
        highest = std::fmax(highest, n);
        sum += n;
        squares += static_cast<double>(n) * n;
    }
    // Not constant: the values spread over much of the range, centred on 0.
    const double count = static_cast<double>(points.size());
    const double mean = sum / count;
    EXPECT_LT(lowest, -0.4f);
    EXPECT_GT(highest, 0.4f);
    EXPECT_NEAR(mean, 0.0, 0.05);
    EXPECT_NEAR(std::sqrt(squares / count - mean * mean), 0.26, 0.06);
}

TEST(Noise3, TheWarpsSamplePointsVary) {
    // Cinderloom's warp samples (x / 50 / size, y / 50 / size, z) with z in
    // 0..1; neighbouring pixels differ a little, distant ones a lot.
    float lowest = 1e9f, highest = -1e9f;
    for (int y = 0; y < 200; y += 5)
        for (int x = 0; x < 300; x += 5) {
            const float n = noiseAt(x / 50.0f, y / 50.0f, 0.37f);
            lowest = std::fmin(lowest, n);
            highest = std::fmax(highest, n);
        }
    EXPECT_GT(highest - lowest, 0.5f);
}

TEST(Noise3, OddInputsGiveFiniteValues) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (float big :
         {inf, -inf, nan, 1e30f, -1e30f, 8388608.5f, 3e9f, -3e9f, std::numeric_limits<float>::max(),
          std::numeric_limits<float>::lowest(), std::numeric_limits<float>::denorm_min()}) {
        for (int axis = 0; axis < 3; ++axis) {
            float p[3] = {0.3f, 0.6f, 0.2f};
            p[axis] = big;
            const float n = noise3(p);
            ASSERT_TRUE(std::isfinite(n)) << big;
            ASSERT_LE(std::fabs(n), kBound) << big;
        }
    }
    EXPECT_EQ(noise3(nullptr), 0.0f);
}

TEST(Noise3, CoordinatesThatAreNotFiniteCountAsZeroAndHugeOnesWrap) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (int axis = 0; axis < 3; ++axis) {
        // 3e9 and -2^31 are multiples of 256, 2^24 + 128 one of 128.
        for (float same : {inf, -inf, nan, 3e9f, -2147483648.0f, 16777344.0f}) {
            float p[3] = {0.3f, 0.6f, 0.2f};
            const float atZero = [&] {
                float q[3] = {0.3f, 0.6f, 0.2f};
                q[axis] = 0.0f;
                return noise3(q);
            }();
            p[axis] = same;
            EXPECT_EQ(noise3(p), atZero) << same << " on axis " << axis;
        }
    }
}

TEST(Noise3, RepeatsEvery256Units) {
    for (const auto& p : samplePoints(200))
        ASSERT_NEAR(noiseAt(p[0] + 256.0f, p[1], p[2] - 256.0f), noiseAt(p[0], p[1], p[2]), 1e-3f);
}

struct Hsv {
    float h, s, v;
};
Hsv hsv(float r, float g, float b) {
    Hsv out{-1, -1, -1};
    RGB_To_HSV(r, g, b, &out.h, &out.s, &out.v);
    return out;
}

TEST(RgbToHsv, Primaries) {
    const struct {
        float r, g, b, h;
    } cases[] = {{1, 0, 0, 0},   {1, 1, 0, 60},  {0, 1, 0, 120},
                 {0, 1, 1, 180}, {0, 0, 1, 240}, {1, 0, 1, 300}};
    for (const auto& c : cases) {
        const Hsv out = hsv(c.r, c.g, c.b);
        EXPECT_FLOAT_EQ(out.h, c.h) << c.r << c.g << c.b;
        EXPECT_FLOAT_EQ(out.s, 1.0f);
        EXPECT_FLOAT_EQ(out.v, 1.0f);
    }
    const Hsv orange = hsv(1.0f, 0.5f, 0.0f);
    EXPECT_FLOAT_EQ(orange.h, 30.0f);
    const Hsv darkCyan = hsv(0.0f, 0.5f, 0.5f);
    EXPECT_FLOAT_EQ(darkCyan.h, 180.0f);
    EXPECT_FLOAT_EQ(darkCyan.s, 1.0f);
    EXPECT_FLOAT_EQ(darkCyan.v, 0.5f);
    const Hsv pale = hsv(1.0f, 0.5f, 0.5f);
    EXPECT_FLOAT_EQ(pale.h, 0.0f);
    EXPECT_FLOAT_EQ(pale.s, 0.5f);
    EXPECT_FLOAT_EQ(pale.v, 1.0f);
}

TEST(RgbToHsv, GreysBlackAndWhite) {
    for (float grey : {0.0f, 0.25f, 0.5f, 1.0f, 128.0f / 255.0f}) {
        const Hsv out = hsv(grey, grey, grey);
        EXPECT_EQ(out.h, 0.0f);
        EXPECT_EQ(out.s, 0.0f);
        EXPECT_EQ(out.v, grey);
    }
}

TEST(RgbToHsv, RangesOverAGridOfInputs) {
    // Every byte level the plug-in can pass (R / 255), on a grid.
    for (int r = 0; r < 256; r += 5)
        for (int g = 0; g < 256; g += 3)
            for (int b = 0; b < 256; b += 7) {
                const Hsv out = hsv(r / 255.0f, g / 255.0f, b / 255.0f);
                ASSERT_GE(out.h, 0.0f) << r << "," << g << "," << b;
                ASSERT_LT(out.h, 360.0f) << r << "," << g << "," << b;
                ASSERT_GE(out.s, 0.0f);
                ASSERT_LE(out.s, 1.0f);
                ASSERT_GE(out.v, 0.0f);
                ASSERT_LE(out.v, 1.0f);
            }
}

TEST(RgbToHsv, HueNearRedNeverReaches360) {
    // Red with the faintest blue: hue just below 360, which rounds to 360 in
    // single precision and so comes back as 0.
    const float tiny[] = {1e-7f, 1e-6f, 1e-5f, 1.0f / 255.0f};
    for (float t : tiny) {
        const Hsv out = hsv(1.0f, 0.0f, t);
        EXPECT_GE(out.h, 0.0f);
        EXPECT_LT(out.h, 360.0f);
    }
    EXPECT_NEAR(hsv(1.0f, 0.0f, 1.0f / 255.0f).h, 360.0f - 60.0f / 255.0f, 1e-3f);
}

TEST(RgbToHsv, OutOfRangeAndNaNInputsAreClamped) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const Hsv a = hsv(2.0f, -1.0f, nan); // as (1, 0, 0)
    EXPECT_EQ(a.h, 0.0f);
    EXPECT_EQ(a.s, 1.0f);
    EXPECT_EQ(a.v, 1.0f);
    const Hsv b = hsv(-inf, inf, nan); // as (0, 1, 0)
    EXPECT_EQ(b.h, 120.0f);
    EXPECT_EQ(b.v, 1.0f);
    RGB_To_HSV(0.5f, 0.2f, 0.1f, nullptr, nullptr, nullptr); // does not crash
}

struct Yuv {
    float y, u, v;
};
Yuv yuv(float r, float g, float b) {
    Yuv out{-1, -1, -1};
    f_rgb2yuv(r, g, b, &out.y, &out.u, &out.v);
    return out;
}

TEST(RgbToYuv, GreysBlackAndWhite) {
    for (float grey : {0.0f, 0.25f, 0.5f, 1.0f, 200.0f / 255.0f}) {
        const Yuv out = yuv(grey, grey, grey);
        EXPECT_NEAR(out.y, grey, 1e-6f);
        EXPECT_EQ(out.u, 128.0f); // |U - 128| * 255 is exactly 0
        EXPECT_EQ(out.v, 128.0f);
    }
    EXPECT_EQ(yuv(0, 0, 0).y, 0.0f);
    EXPECT_EQ(yuv(1, 1, 1).y, 1.0f);
}

TEST(RgbToYuv, Primaries) {
    // BT.601 luma; U = 128 + (b - Y) / 0.886, V = 128 + (r - Y) / 0.701.
    const Yuv red = yuv(1, 0, 0);
    EXPECT_NEAR(red.y, 0.299f, 1e-6f);
    EXPECT_NEAR(red.u, 128.0f - 0.299f / 0.886f, 1e-4f);
    EXPECT_FLOAT_EQ(red.v, 129.0f);
    const Yuv green = yuv(0, 1, 0);
    EXPECT_NEAR(green.y, 0.587f, 1e-6f);
    EXPECT_NEAR(green.u, 128.0f - 0.587f / 0.886f, 1e-4f);
    EXPECT_NEAR(green.v, 128.0f - 0.587f / 0.701f, 1e-4f);
    const Yuv blue = yuv(0, 0, 1);
    EXPECT_NEAR(blue.y, 0.114f, 1e-6f);
    EXPECT_FLOAT_EQ(blue.u, 129.0f);
    EXPECT_NEAR(blue.v, 128.0f - 0.114f / 0.701f, 1e-4f);
    const Yuv yellow = yuv(1, 1, 0); // the opposite of blue
    EXPECT_FLOAT_EQ(yellow.u, 127.0f);
    const Yuv cyan = yuv(0, 1, 1); // the opposite of red
    EXPECT_FLOAT_EQ(cyan.v, 127.0f);
}

TEST(RgbToYuv, RangesOverAGridOfInputs) {
    // The levels the plug-in forms stay within 0..255 once rounded.
    for (int r = 0; r < 256; r += 5)
        for (int g = 0; g < 256; g += 3)
            for (int b = 0; b < 256; b += 7) {
                const Yuv out = yuv(r / 255.0f, g / 255.0f, b / 255.0f);
                ASSERT_GE(out.y, 0.0f);
                ASSERT_LE(out.y, 1.0f);
                ASSERT_GE(out.u, 127.0f);
                ASSERT_LE(out.u, 129.0f);
                ASSERT_GE(out.v, 127.0f);
                ASSERT_LE(out.v, 129.0f);
                ASSERT_LE(std::nearbyint(std::fabs(out.u - 128.0) * 255.0), 255.0);
                ASSERT_LE(std::nearbyint(std::fabs(out.v - 128.0) * 255.0), 255.0);
            }
}

TEST(RgbToYuv, OutOfRangeAndNaNInputsAreClamped) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Yuv a = yuv(5.0f, nan, -3.0f); // as (1, 0, 0)
    const Yuv red = yuv(1, 0, 0);
    EXPECT_EQ(a.y, red.y);
    EXPECT_EQ(a.u, red.u);
    EXPECT_EQ(a.v, red.v);
    f_rgb2yuv(0.5f, 0.2f, 0.1f, nullptr, nullptr, nullptr); // does not crash
}

} // namespace
