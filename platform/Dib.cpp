#include "platform/Dib.h"

#include <QImage>
#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>

namespace platform {

namespace {

// Format_RGB32 keeps a pixel as the 32-bit value 0xffRRGGBB, which a
// little-endian machine stores as the bytes blue, green, red, 0xff: the BI_RGB
// layout with the ignored byte made opaque.
static_assert(std::endian::native == std::endian::little,
              "the bitmap transfer relies on QImage's 32-bit formats being BI_RGB in memory");

constexpr uint32_t kOpaque = 0xFF000000u;

bool isThirtyTwoBitImage(const QImage& image) {
    switch (image.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        return true;
    default:
        return false;
    }
}

bool isThirtyTwoBitRgbHeader(const BITMAPINFOHEADER& header) {
    return header.biSize == sizeof(BITMAPINFOHEADER) && header.biPlanes == 1 &&
           header.biBitCount == 32 && header.biCompression == BI_RGB && header.biWidth > 0 &&
           header.biHeight != 0;
}

// Copies `rows` rows of `columns` pixels and makes each pixel opaque: the
// bitmap's fourth byte means nothing, but QImage expects 0xff there. The
// source may be unaligned, so rows are copied whole before the fix-up.
// Callers clip: every pixel touched lies inside both buffers.
void copyRowsOpaque(uchar* destination, qsizetype destinationStride, const uchar* source,
                    std::ptrdiff_t sourceStride, int64_t rows, int64_t columns) {
    const std::size_t rowBytes = static_cast<std::size_t>(columns) * sizeof(uint32_t);
    for (int64_t row = 0; row < rows; ++row) {
        auto* out = reinterpret_cast<uint32_t*>(destination + row * destinationStride);
        std::memcpy(out, source + row * sourceStride, rowBytes);
        for (int64_t column = 0; column < columns; ++column)
            out[column] |= kOpaque;
    }
}

} // namespace

int SetDIBitsToDevice(QImage& dc, int xDest, int yDest, uint32_t width, uint32_t height, int xSrc,
                      int ySrc, uint32_t startScan, uint32_t scanLines, const void* bits,
                      const BITMAPINFO& info, uint32_t colorUse) {
    const BITMAPINFOHEADER& header = info.bmiHeader;
    if (bits == nullptr || colorUse != DIB_RGB_COLORS || !isThirtyTwoBitRgbHeader(header) ||
        !isThirtyTwoBitImage(dc))
        return 0;

    // All arithmetic in 64 bits: every sum of two 32-bit values fits.
    const bool topDown = header.biHeight < 0;
    const int64_t bitmapWidth = header.biWidth;
    const int64_t bitmapHeight = topDown ? -int64_t{header.biHeight} : int64_t{header.biHeight};
    if (xSrc < 0 || ySrc < 0 || xSrc + int64_t{width} > bitmapWidth ||
        ySrc + int64_t{height} > bitmapHeight)
        return 0;
    if (int64_t{startScan} + scanLines > bitmapHeight)
        return 0;

    // The band's scan lines as picture rows counted from the top: memory line
    // k is picture row k top-down and row bitmapHeight - 1 - k bottom-up.
    const int64_t bandTop = topDown ? int64_t{startScan} : bitmapHeight - startScan - scanLines;
    const int64_t bandEnd = bandTop + scanLines;

    // Picture row r lands on image row yDest + r - ySrc, column c on image
    // column xDest + c - xSrc; keep what lies in the rectangle, the band and
    // the image.
    const int64_t firstRow = std::max({int64_t{ySrc}, bandTop, int64_t{ySrc} - yDest});
    const int64_t endRow =
        std::min({int64_t{ySrc} + height, bandEnd, int64_t{ySrc} - yDest + dc.height()});
    const int64_t firstColumn = std::max(int64_t{xSrc}, int64_t{xSrc} - xDest);
    const int64_t endColumn = std::min(int64_t{xSrc} + width, int64_t{xSrc} - xDest + dc.width());
    if (firstRow >= endRow || firstColumn >= endColumn)
        return 0;

    const int64_t sourceStride = bitmapWidth * int64_t{sizeof(uint32_t)};
    const int64_t firstLine = topDown ? firstRow : bitmapHeight - 1 - firstRow;
    const uchar* source = static_cast<const uchar*>(bits) + (firstLine - startScan) * sourceStride +
                          firstColumn * int64_t{sizeof(uint32_t)};
    uchar* destination = dc.bits() + (yDest + firstRow - ySrc) * dc.bytesPerLine() +
                         (xDest + firstColumn - xSrc) * int64_t{sizeof(uint32_t)};
    copyRowsOpaque(destination, dc.bytesPerLine(), source, topDown ? sourceStride : -sourceStride,
                   endRow - firstRow, endColumn - firstColumn);
    return static_cast<int>(endRow - firstRow);
}

} // namespace platform
