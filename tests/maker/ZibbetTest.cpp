// z_scale_to_dib (libZibbet.so), linked directly.

#include "maker/zibbet/zibbet.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace {

constexpr std::uint32_t kSentinel = 0xDEADBEEFu;

// Three planes of exactly w * h samples each, so that AddressSanitizer sees
// any read past their ends.
struct Planes {
    int width, height;
    std::vector<std::uint8_t> red, green, blue;
    Planes(int w, int h)
        : width(w), height(h), red(static_cast<std::size_t>(w) * h),
          green(static_cast<std::size_t>(w) * h), blue(static_cast<std::size_t>(w) * h) {}
    void set(int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
        const std::size_t i = static_cast<std::size_t>(y) * width + x;
        red[i] = r;
        green[i] = g;
        blue[i] = b;
    }
    // Every sample different, and the three planes different from each other.
    static Planes pattern(int w, int h) {
        Planes p(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                p.set(x, y, static_cast<std::uint8_t>(x * 7 + y * 13),
                      static_cast<std::uint8_t>(255 - x * 3 - y * 11),
                      static_cast<std::uint8_t>((x ^ y) * 29 + 5));
        return p;
    }
};

// A destination of exactly rowLength * rows entries, sentinel-filled.
struct Buffer {
    int rowLength, rows;
    std::vector<std::uint32_t> pixels;
    Buffer(int rowLength_, int rows_)
        : rowLength(rowLength_), rows(rows_),
          pixels(static_cast<std::size_t>(rowLength_) * rows_, kSentinel) {}
    std::uint32_t at(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * rowLength + x];
    }
    std::uint8_t red(int x, int y) const { return (at(x, y) >> 16) & 0xFF; }
    std::uint8_t green(int x, int y) const { return (at(x, y) >> 8) & 0xFF; }
    std::uint8_t blue(int x, int y) const { return at(x, y) & 0xFF; }
};

std::int32_t scale(const Planes& p, Buffer& b, int dstW, int dstH) {
    return z_scale_to_dib(p.red.data(), p.green.data(), p.blue.data(), b.pixels.data(), p.width,
                          p.height, dstW, dstH, b.rowLength);
}

// Every pixel outside the top-left w x h rectangle still holds the sentinel.
void expectUntouchedOutside(const Buffer& b, int w, int h) {
    for (int y = 0; y < b.rows; ++y)
        for (int x = 0; x < b.rowLength; ++x)
            if (x >= w || y >= h) {
                ASSERT_EQ(b.at(x, y), kSentinel) << "pixel (" << x << ", " << y << ")";
            }
}

void expectAllSentinel(const Buffer& b) {
    expectUntouchedOutside(b, 0, 0);
}

// The exact weighted average one plane's box filter gives destination pixel
// (dx, dy), as a real number: destination pixel d of an axis covers the
// source span [d * src / dst, (d + 1) * src / dst).
double exactBoxAverage(const std::vector<std::uint8_t>& plane, int srcW, int srcH, int dstW,
                       int dstH, int dx, int dy) {
    auto overlap = [](double a0, double a1, double b0, double b1) {
        const double lo = a0 > b0 ? a0 : b0;
        const double hi = a1 < b1 ? a1 : b1;
        return hi > lo ? hi - lo : 0.0;
    };
    const double x0 = double(dx) * srcW / dstW, x1 = double(dx + 1) * srcW / dstW;
    const double y0 = double(dy) * srcH / dstH, y1 = double(dy + 1) * srcH / dstH;
    double sum = 0, area = 0;
    const int xFirst = static_cast<int>(x0), xEnd = std::min(srcW, static_cast<int>(x1) + 1);
    const int yFirst = static_cast<int>(y0), yEnd = std::min(srcH, static_cast<int>(y1) + 1);
    for (int y = yFirst; y < yEnd; ++y)
        for (int x = xFirst; x < xEnd; ++x) {
            const double w = overlap(x, x + 1, x0, x1) * overlap(y, y + 1, y0, y1);
            sum += w * plane[static_cast<std::size_t>(y) * srcW + x];
            area += w;
        }
    return sum / area;
}

TEST(ZScaleToDib, IdentityCopiesEverySampleInBlueGreenRedZeroOrder) {
    const Planes p = Planes::pattern(37, 23);
    Buffer b(37, 23);
    EXPECT_EQ(scale(p, b, 37, 23), 0);
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 37; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * 37 + x;
            // Byte order in memory: blue, green, red, 0.
            unsigned char bytes[4];
            std::memcpy(bytes, &b.pixels[i], 4);
            ASSERT_EQ(bytes[0], p.blue[i]) << x << "," << y;
            ASSERT_EQ(bytes[1], p.green[i]) << x << "," << y;
            ASSERT_EQ(bytes[2], p.red[i]) << x << "," << y;
            ASSERT_EQ(bytes[3], 0) << x << "," << y;
        }
}

TEST(ZScaleToDib, PureRedIsRedNotBlue) {
    Planes p(1, 1);
    p.set(0, 0, 255, 0, 0);
    Buffer b(1, 1);
    scale(p, b, 1, 1);
    EXPECT_EQ(b.at(0, 0), 0x00FF0000u);
}

TEST(ZScaleToDib, OneByOneSourceFillsAnyDestination) {
    Planes p(1, 1);
    p.set(0, 0, 10, 20, 30);
    Buffer b(9, 7);
    scale(p, b, 9, 7);
    for (std::uint32_t v : b.pixels)
        ASSERT_EQ(v, 0x000A141Eu);
}

TEST(ZScaleToDib, ShrinkFourByTwoToTwoByOneGivesExactAverages) {
    Planes p(4, 2);
    // Left half: red 10 20 / 30 40 -> 25; green 0 0 / 255 255 -> 127.5 rounds
    // to 128; blue 1 2 / 3 6 -> 3. Right half: red 100 100 / 200 200 -> 150;
    // green 7 9 / 11 13 -> 10; blue 255 each -> 255.
    p.set(0, 0, 10, 0, 1);
    p.set(1, 0, 20, 0, 2);
    p.set(0, 1, 30, 255, 3);
    p.set(1, 1, 40, 255, 6);
    p.set(2, 0, 100, 7, 255);
    p.set(3, 0, 100, 9, 255);
    p.set(2, 1, 200, 11, 255);
    p.set(3, 1, 200, 13, 255);
    Buffer b(2, 1);
    EXPECT_EQ(scale(p, b, 2, 1), 0);
    EXPECT_EQ(b.red(0, 0), 25);
    EXPECT_EQ(b.green(0, 0), 128);
    EXPECT_EQ(b.blue(0, 0), 3);
    EXPECT_EQ(b.red(1, 0), 150);
    EXPECT_EQ(b.green(1, 0), 10);
    EXPECT_EQ(b.blue(1, 0), 255);
    EXPECT_EQ(b.at(0, 0) >> 24, 0u);
}

TEST(ZScaleToDib, ShrinkFiveByThreeToTwoByTwoWeighsPartialSamples) {
    // Columns: pixel 0 covers source columns 0, 1 and half of 2; pixel 1 the
    // other half of 2, then 3 and 4. Rows: pixel 0 covers row 0 and half of
    // row 1; pixel 1 the other half of row 1 and row 2.
    Planes p(5, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            p.set(x, y, static_cast<std::uint8_t>(40 * x + 10 * y),
                  static_cast<std::uint8_t>(x == 2 ? 200 : 0),
                  static_cast<std::uint8_t>(y == 1 ? 90 : 30));
    Buffer b(2, 2);
    EXPECT_EQ(scale(p, b, 2, 2), 0);
    // Red = 40 x + 10 y. Pixel 0's columns 0, 1, 2 weigh 1, 1, 1/2: mean
    // column (0 + 1 + 1) / 2.5 = 0.8; pixel 1's columns 2, 3, 4 weigh 1/2, 1,
    // 1: mean 8 / 2.5 = 3.2. Rows: pixel 0 weighs rows 0, 1 as 1, 1/2: mean
    // 1/3; pixel 1 weighs rows 1, 2 as 1/2, 1: mean 5/3.
    EXPECT_EQ(b.red(0, 0), 35);  // 32 + 3.33
    EXPECT_EQ(b.red(1, 0), 131); // 128 + 3.33
    EXPECT_EQ(b.red(0, 1), 49);  // 32 + 16.67
    EXPECT_EQ(b.red(1, 1), 145); // 128 + 16.67
    // Green: column 2 (200) is half of 2.5 columns: 200 * 0.5 / 2.5 = 40.
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            EXPECT_EQ(b.green(x, y), 40) << x << "," << y;
    // Blue: row 1 (90) is half of 1.5 rows: (30 * 1 + 90 * 0.5) / 1.5 = 50.
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            EXPECT_EQ(b.blue(x, y), 50) << x << "," << y;
}

// Every shrink result lies within 0.5 (plus fixed-point slack) of the exact
// area average.
void expectBoxAverages(int srcW, int srcH, int dstW, int dstH) {
    SCOPED_TRACE(testing::Message() << srcW << "x" << srcH << " -> " << dstW << "x" << dstH);
    const Planes p = Planes::pattern(srcW, srcH);
    Buffer b(dstW, dstH);
    ASSERT_EQ(scale(p, b, dstW, dstH), 0);
    for (int y = 0; y < dstH; ++y)
        for (int x = 0; x < dstW; ++x) {
            const double r = exactBoxAverage(p.red, srcW, srcH, dstW, dstH, x, y);
            const double g = exactBoxAverage(p.green, srcW, srcH, dstW, dstH, x, y);
            const double bl = exactBoxAverage(p.blue, srcW, srcH, dstW, dstH, x, y);
            ASSERT_NEAR(b.red(x, y), r, 0.52) << x << "," << y;
            ASSERT_NEAR(b.green(x, y), g, 0.52) << x << "," << y;
            ASSERT_NEAR(b.blue(x, y), bl, 0.52) << x << "," << y;
        }
}

TEST(ZScaleToDib, ShrinkMatchesTheAreaAverage) {
    expectBoxAverages(5, 3, 2, 2);
    expectBoxAverages(4, 2, 2, 1);
    expectBoxAverages(201, 101, 200, 100); // Cinderloom's strip: one more each way
    expectBoxAverages(17, 13, 3, 5);
    expectBoxAverages(31, 7, 1, 1);
    expectBoxAverages(97, 61, 29, 60);
    expectBoxAverages(1000, 5, 31, 2); // many samples per pixel
    expectBoxAverages(3, 700, 2, 3);
}

TEST(ZScaleToDib, EnlargeTwoByTwoToFiveByThree) {
    // Pixel centres aligned: destination column d sits at source position
    // (d + 0.5) * 2 / 5 - 0.5 = -0.3, 0.1, 0.5, 0.9, 1.3, held within 0..1,
    // so the column weights of the right sample are 0, 0.1, 0.5, 0.9, 1.
    // Rows: (d + 0.5) * 2 / 3 - 0.5 = -1/6, 0.5, 7/6 -> 0, 0.5, 1.
    Planes p(2, 2);
    p.set(0, 0, 0, 100, 200);
    p.set(1, 0, 250, 100, 0);
    p.set(0, 1, 100, 200, 50);
    p.set(1, 1, 150, 0, 50);
    Buffer b(5, 3);
    EXPECT_EQ(scale(p, b, 5, 3), 0);

    // Corners equal the source corners.
    EXPECT_EQ(b.at(0, 0), 0x000064C8u);
    EXPECT_EQ(b.at(4, 0), 0x00FA6400u);
    EXPECT_EQ(b.at(0, 2), 0x0064C832u);
    EXPECT_EQ(b.at(4, 2), 0x00960032u);

    // Top row, red 0 -> 250: 0, 25, 125, 225, 250.
    const int topRed[5] = {0, 25, 125, 225, 250};
    for (int x = 0; x < 5; ++x)
        EXPECT_EQ(b.red(x, 0), topRed[x]) << x;
    // Bottom row, red 100 -> 150: 100, 105, 125, 145, 150.
    const int bottomRed[5] = {100, 105, 125, 145, 150};
    for (int x = 0; x < 5; ++x)
        EXPECT_EQ(b.red(x, 2), bottomRed[x]) << x;
    // Middle row: the mean of the two.
    const int middleRed[5] = {50, 65, 125, 185, 200};
    for (int x = 0; x < 5; ++x)
        EXPECT_EQ(b.red(x, 1), middleRed[x]) << x;
    // Green, middle row: top 100, 100 and bottom 200, 0 give 150 -> 50,
    // i.e. 150, 140, 100, 60, 50.
    const int middleGreen[5] = {150, 140, 100, 60, 50};
    for (int x = 0; x < 5; ++x)
        EXPECT_EQ(b.green(x, 1), middleGreen[x]) << x;
    // Blue: top 200 -> 0 (200, 180, 100, 20, 0), bottom 50 everywhere,
    // middle the mean: 125, 115, 75, 35, 25.
    const int middleBlue[5] = {125, 115, 75, 35, 25};
    for (int x = 0; x < 5; ++x)
        EXPECT_EQ(b.blue(x, 1), middleBlue[x]) << x;
}

TEST(ZScaleToDib, EnlargeOddSizesStaysBetweenNeighboursAndMonotone) {
    // A ramp across and down enlarges to values that never decrease along a
    // row or down a column and stay within the source range.
    const int srcW = 7, srcH = 5, dstW = 61, dstH = 43;
    Planes p(srcW, srcH);
    for (int y = 0; y < srcH; ++y)
        for (int x = 0; x < srcW; ++x)
            p.set(x, y, static_cast<std::uint8_t>(x * 40), static_cast<std::uint8_t>(y * 60),
                  static_cast<std::uint8_t>(x * 20 + y * 30));
    Buffer b(dstW, dstH);
    ASSERT_EQ(scale(p, b, dstW, dstH), 0);
    EXPECT_EQ(b.red(0, 0), 0);
    EXPECT_EQ(b.red(dstW - 1, 0), 240);
    EXPECT_EQ(b.green(0, dstH - 1), 240);
    EXPECT_EQ(b.blue(dstW - 1, dstH - 1), 240);
    for (int y = 0; y < dstH; ++y)
        for (int x = 0; x < dstW; ++x) {
            ASSERT_LE(b.red(x, y), 240);
            ASSERT_LE(b.green(x, y), 240);
            if (x > 0) {
                ASSERT_GE(b.red(x, y), b.red(x - 1, y));
                ASSERT_GE(b.blue(x, y), b.blue(x - 1, y));
            }
            if (y > 0) {
                ASSERT_GE(b.green(x, y), b.green(x, y - 1));
                ASSERT_GE(b.blue(x, y), b.blue(x, y - 1));
            }
            ASSERT_EQ(b.at(x, y) >> 24, 0u);
        }
}

TEST(ZScaleToDib, EnlargeAnySourceStaysWithinItsNeighbours) {
    // Bilinear: every result lies between the smallest and the largest of the
    // 2 x 2 source samples around its position.
    const int srcW = 6, srcH = 4, dstW = 23, dstH = 17;
    const Planes p = Planes::pattern(srcW, srcH);
    Buffer b(dstW, dstH);
    ASSERT_EQ(scale(p, b, dstW, dstH), 0);
    auto clampPos = [](double v, int n) { return v < 0 ? 0.0 : (v > n - 1 ? n - 1.0 : v); };
    for (int y = 0; y < dstH; ++y)
        for (int x = 0; x < dstW; ++x) {
            const double sx = clampPos((x + 0.5) * srcW / dstW - 0.5, srcW);
            const double sy = clampPos((y + 0.5) * srcH / dstH - 0.5, srcH);
            const int x0 = static_cast<int>(sx), y0 = static_cast<int>(sy);
            const int x1 = x0 + 1 < srcW ? x0 + 1 : x0, y1 = y0 + 1 < srcH ? y0 + 1 : y0;
            int lo = 255, hi = 0;
            for (int yy : {y0, y1})
                for (int xx : {x0, x1}) {
                    const int v = p.red[static_cast<std::size_t>(yy) * srcW + xx];
                    lo = v < lo ? v : lo;
                    hi = v > hi ? v : hi;
                }
            ASSERT_GE(b.red(x, y), lo) << x << "," << y;
            ASSERT_LE(b.red(x, y), hi) << x << "," << y;
        }
}

TEST(ZScaleToDib, MixedShrinkOneAxisEnlargeTheOther) {
    // Width 9 -> 3 (box, three columns each), height 2 -> 5 (linear).
    Planes p(9, 2);
    for (int x = 0; x < 9; ++x) {
        p.set(x, 0, static_cast<std::uint8_t>(x * 10), 0, 0);
        p.set(x, 1, static_cast<std::uint8_t>(x * 10 + 100), 0, 0);
    }
    Buffer b(3, 5);
    ASSERT_EQ(scale(p, b, 3, 5), 0);
    // Column averages of row 0: 10, 40, 70; of row 1: 110, 140, 170. Rows sit
    // at source positions -0.3, 0.1, 0.5, 0.9, 1.3 -> weights 0, .1, .5, .9, 1.
    const double rowWeight[5] = {0, 0.1, 0.5, 0.9, 1};
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(b.red(x, y), std::lround(10 + 30 * x + 100 * rowWeight[y])) << x << "," << y;

    // And the other way round: width 2 -> 5 (linear), height 9 -> 3 (box).
    Planes q(2, 9);
    for (int y = 0; y < 9; ++y) {
        q.set(0, y, 0, static_cast<std::uint8_t>(y * 10), 0);
        q.set(1, y, 0, static_cast<std::uint8_t>(y * 10 + 100), 0);
    }
    Buffer c(5, 3);
    ASSERT_EQ(scale(q, c, 5, 3), 0);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(c.green(x, y), std::lround(10 + 30 * y + 100 * rowWeight[x]))
                << x << "," << y;
}

TEST(ZScaleToDib, RowLengthLargerThanWidthLeavesThePaddingUntouched) {
    const Planes p = Planes::pattern(11, 7);
    for (auto [dstW, dstH] : {std::pair{11, 7}, std::pair{5, 3}, std::pair{19, 13}}) {
        Buffer b(23, 17);
        ASSERT_EQ(scale(p, b, dstW, dstH), 0);
        for (int y = 0; y < dstH; ++y)
            for (int x = 0; x < dstW; ++x)
                ASSERT_NE(b.at(x, y), kSentinel);
        expectUntouchedOutside(b, dstW, dstH);
    }
    // At 1:1 with padding, the rows are still the source rows.
    Buffer b(16, 7);
    scale(p, b, 11, 7);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 11; ++x)
            ASSERT_EQ(b.red(x, y), p.red[static_cast<std::size_t>(y) * 11 + x]);
}

TEST(ZScaleToDib, WidthBeyondTheRowLengthIsCutToIt) {
    const Planes p = Planes::pattern(6, 4);
    Buffer b(5, 3); // exactly 15 entries: writing 8 per row would overrun
    EXPECT_EQ(scale(p, b, 8, 3), 0);
    for (std::uint32_t v : b.pixels)
        ASSERT_NE(v, kSentinel);
    // The width is taken as the row length: the same as scaling to 5 wide.
    Buffer exact(5, 3);
    scale(p, exact, 5, 3);
    EXPECT_EQ(b.pixels, exact.pixels);
}

TEST(ZScaleToDib, ZeroOrNegativeSizesWriteNothing) {
    const Planes p = Planes::pattern(4, 4);
    struct Sizes {
        int srcW, srcH, dstW, dstH, rowLength;
    };
    const Sizes refused[] = {
        {0, 4, 4, 4, 4},  {4, 0, 4, 4, 4},  {4, 4, 0, 4, 4},         {4, 4, 4, 0, 4},
        {4, 4, 4, 4, 0},  {-1, 4, 4, 4, 4}, {4, -4, 4, 4, 4},        {4, 4, -4, 4, 4},
        {4, 4, 4, -1, 4}, {4, 4, 4, 4, -4}, {INT32_MIN, 4, 4, 4, 4}, {4, 4, 4, 4, INT32_MIN},
    };
    for (const Sizes& s : refused) {
        Buffer b(4, 4);
        EXPECT_NE(z_scale_to_dib(p.red.data(), p.green.data(), p.blue.data(), b.pixels.data(),
                                 s.srcW, s.srcH, s.dstW, s.dstH, s.rowLength),
                  0);
        expectAllSentinel(b);
    }
}

TEST(ZScaleToDib, NullPointersWriteNothing) {
    const Planes p = Planes::pattern(4, 4);
    Buffer b(4, 4);
    const std::uint8_t* r = p.red.data();
    const std::uint8_t* g = p.green.data();
    const std::uint8_t* bl = p.blue.data();
    EXPECT_NE(z_scale_to_dib(nullptr, g, bl, b.pixels.data(), 4, 4, 4, 4, 4), 0);
    EXPECT_NE(z_scale_to_dib(r, nullptr, bl, b.pixels.data(), 4, 4, 4, 4, 4), 0);
    EXPECT_NE(z_scale_to_dib(r, g, nullptr, b.pixels.data(), 4, 4, 4, 4, 4), 0);
    expectAllSentinel(b);
    EXPECT_NE(z_scale_to_dib(r, g, bl, nullptr, 4, 4, 4, 4, 4), 0);
}

TEST(ZScaleToDib, PlanesAreNotChanged) {
    const Planes original = Planes::pattern(13, 9);
    Planes p = original;
    Buffer b(30, 4);
    scale(p, b, 30, 4);
    EXPECT_EQ(p.red, original.red);
    EXPECT_EQ(p.green, original.green);
    EXPECT_EQ(p.blue, original.blue);
}

TEST(ZScaleToDib, ManyOddSizeCombinationsStayInBoundsAndFill) {
    // With exact-size planes and buffers, AddressSanitizer catches any read
    // or write out of range; every pixel of the rectangle gets written.
    const int sizes[] = {1, 2, 3, 5, 7, 16, 31};
    for (int sw : sizes)
        for (int sh : sizes) {
            const Planes p = Planes::pattern(sw, sh);
            for (int dw : sizes)
                for (int dh : sizes) {
                    Buffer b(dw, dh);
                    ASSERT_EQ(scale(p, b, dw, dh), 0);
                    for (std::uint32_t v : b.pixels)
                        ASSERT_EQ(v >> 24, 0u) << sw << "x" << sh << " -> " << dw << "x" << dh;
                }
        }
}

TEST(ZScaleToDib, UniformPlanesStayUniformAtAnySize) {
    for (auto [sw, sh, dw, dh] : {std::array{7, 5, 3, 2}, std::array{3, 7, 11, 2},
                                  std::array{101, 51, 640, 480}, std::array{200, 3, 7, 9}}) {
        Planes p(sw, sh);
        std::fill(p.red.begin(), p.red.end(), 255);
        std::fill(p.green.begin(), p.green.end(), 1);
        std::fill(p.blue.begin(), p.blue.end(), 128);
        Buffer b(dw, dh);
        ASSERT_EQ(scale(p, b, dw, dh), 0);
        for (std::uint32_t v : b.pixels)
            ASSERT_EQ(v, 0x00FF0180u);
    }
}

} // namespace
