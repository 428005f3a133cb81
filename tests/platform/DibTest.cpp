#include "platform/Dib.h"

#include <QImage>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <string_view>
#include <vector>

using platform::BITMAPINFO;
using platform::SetDIBitsToDevice;
using Pixels = std::vector<uint32_t>;

namespace {

// Picture pixels as the bitmap holds them. Their fourth byte is 0 (0x7F in
// D); the image must receive them opaque: a = A | 0xFF000000 and so on.
constexpr uint32_t A = 0x00112233, B = 0x00445566, C = 0x00778899, D = 0x7FAABBCC;
constexpr uint32_t a = 0xFF112233, b = 0xFF445566, c = 0xFF778899, d = 0xFFAABBCC;
constexpr uint32_t S = 0xFF090909; // what the image held before

BITMAPINFO header(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader = {.biSize = 40,
                      .biWidth = width,
                      .biHeight = height,
                      .biPlanes = 1,
                      .biBitCount = 32,
                      .biCompression = platform::BI_RGB};
    return info;
}

QImage blankDc(QImage::Format format = QImage::Format_RGB32) {
    QImage dc(4, 3, format);
    dc.fill(S);
    return dc;
}

// Compares every pixel of a 4 x 3 image with its rows written as letters,
// one per pixel: "SSSS SabS ScdS".
void expectPixels(const QImage& dc, const char* rows) {
    const std::string_view letters = "abcdS";
    const uint32_t values[] = {a, b, c, d, S};
    Pixels expected;
    for (char letter : std::string_view(rows))
        if (const auto at = letters.find(letter); at != std::string_view::npos)
            expected.push_back(values[at]);
    ASSERT_EQ(dc.size(), QSize(4, 3));
    ASSERT_EQ(expected.size(), 12u);
    // The stored words, not QImage::pixel, which reports RGB32 pixels as
    // opaque whatever their fourth byte holds.
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(reinterpret_cast<const uint32_t*>(dc.constScanLine(y))[x],
                      expected[y * 4 + x])
                << "at (" << x << ", " << y << ")";
}

} // namespace

TEST(SetDIBitsToDevice, PlacesThePictureUprightAndClipsItInEitherRowOrder) {
    // The 2 x 2 picture A B / C D, stored top row first and bottom row first.
    const Pixels topDown = {A, B, C, D}, bottomUp = {C, D, A, B};
    const struct {
        int x, y, rows;
        const char* expected;
    } cases[] = {
        {1, 1, 2, "SSSS SabS ScdS"}, {-1, -1, 1, "dSSS SSSS SSSS"}, {3, 2, 1, "SSSS SSSS SSSa"},
        {4, 0, 0, "SSSS SSSS SSSS"}, {0, -2, 0, "SSSS SSSS SSSS"},
    };
    for (bool isTopDown : {true, false})
        for (const auto& test : cases) {
            SCOPED_TRACE(testing::Message() << (isTopDown ? "top-down" : "bottom-up") << " at "
                                            << test.x << ", " << test.y);
            QImage dc = blankDc();
            EXPECT_EQ(SetDIBitsToDevice(dc, test.x, test.y, 2, 2, 0, 0, 0, 2,
                                        (isTopDown ? topDown : bottomUp).data(),
                                        header(2, isTopDown ? -2 : 2), platform::DIB_RGB_COLORS),
                      test.rows);
            expectPixels(dc, test.expected);
        }
}

TEST(SetDIBitsToDevice, TakesASourceRectangleAndABandOfScanLines) {
    // A 3 x 2 picture A B C / D A B; its rectangle of 2 x 1 at (1, 1) is
    // "A B", placed at (0, 2).
    const Pixels topDown = {A, B, C, D, A, B}, bottomUp = {D, A, B, A, B, C};
    // A band of one scan line holding the 2 x 2 picture's bottom row "C D":
    // line 1 top-down, line 0 bottom-up. Only that row is written.
    const Pixels bottomRow = {C, D};
    for (bool isTopDown : {true, false}) {
        SCOPED_TRACE(isTopDown ? "top-down" : "bottom-up");
        QImage dc = blankDc();
        EXPECT_EQ(SetDIBitsToDevice(dc, 0, 2, 2, 1, 1, 1, 0, 2,
                                    (isTopDown ? topDown : bottomUp).data(),
                                    header(3, isTopDown ? -2 : 2), platform::DIB_RGB_COLORS),
                  1);
        expectPixels(dc, "SSSS SSSS abSS");

        dc = blankDc();
        EXPECT_EQ(SetDIBitsToDevice(dc, 1, 1, 2, 2, 0, 0, isTopDown ? 1 : 0, 1, bottomRow.data(),
                                    header(2, isTopDown ? -2 : 2), platform::DIB_RGB_COLORS),
                  1);
        expectPixels(dc, "SSSS SSSS ScdS");
    }
}

TEST(SetDIBitsToDevice, ReadsUnalignedBitsAndMakesArgbImagesOpaque) {
    const Pixels topDown = {A, B, C, D};
    std::vector<unsigned char> storage(topDown.size() * 4 + 1);
    std::memcpy(storage.data() + 1, topDown.data(), topDown.size() * 4);
    QImage dc = blankDc(QImage::Format_ARGB32);
    EXPECT_EQ(SetDIBitsToDevice(dc, 1, 1, 2, 2, 0, 0, 0, 2, storage.data() + 1, header(2, -2),
                                platform::DIB_RGB_COLORS),
              2);
    expectPixels(dc, "SSSS SabS ScdS");
}

TEST(SetDIBitsToDevice, RefusesWhatItCannotCopyAndLeavesTheImageAlone) {
    const Pixels bits = {A, B, C, D};
    struct Call {
        const char* what;
        std::function<void(BITMAPINFO&)> breakHeader = [](BITMAPINFO&) {};
        int xSrc = 0, ySrc = 0;
        uint32_t width = 2, height = 2, startScan = 0, scanLines = 2, colorUse = 0;
        bool nullBits = false;
        QImage::Format format = QImage::Format_RGB32;
    };
    const Call calls[] = {
        {.what = "null bits", .nullBits = true},
        {.what = "24 bits", .breakHeader = [](BITMAPINFO& i) { i.bmiHeader.biBitCount = 24; }},
        {.what = "compressed", .breakHeader = [](BITMAPINFO& i) { i.bmiHeader.biCompression = 1; }},
        {.what = "short header", .breakHeader = [](BITMAPINFO& i) { i.bmiHeader.biSize = 12; }},
        {.what = "two planes", .breakHeader = [](BITMAPINFO& i) { i.bmiHeader.biPlanes = 2; }},
        {.what = "zero width", .breakHeader = [](BITMAPINFO& i) { i.bmiHeader.biWidth = 0; }},
        {.what = "zero height", .breakHeader = [](BITMAPINFO& i) { i.bmiHeader.biHeight = 0; }},
        {.what = "palette colours", .colorUse = 1},
        {.what = "8-bit image", .format = QImage::Format_Grayscale8},
        {.what = "null image", .format = QImage::Format_Invalid},
        {.what = "rectangle too wide", .width = 3},
        {.what = "rectangle too high", .ySrc = 1},
        {.what = "negative source x", .xSrc = -1},
        {.what = "band past the last scan line", .startScan = 1},
        {.what = "band longer than the bitmap", .scanLines = 3},
    };
    for (const Call& call : calls) {
        SCOPED_TRACE(call.what);
        BITMAPINFO info = header(2, -2);
        call.breakHeader(info);
        QImage dc = call.format == QImage::Format_Invalid ? QImage() : QImage(4, 3, call.format);
        dc.fill(Qt::black);
        const QImage before = dc.copy();
        EXPECT_EQ(SetDIBitsToDevice(dc, 0, 0, call.width, call.height, call.xSrc, call.ySrc,
                                    call.startScan, call.scanLines,
                                    call.nullBits ? nullptr : bits.data(), info, call.colorUse),
                  0);
        EXPECT_EQ(dc, before);
    }
}
