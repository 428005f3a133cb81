#pragma once

#include <cstdint>

class QImage;

namespace platform {

// The device-independent bitmap description, field for field.
struct BITMAPINFOHEADER {
    uint32_t biSize = 0;
    int32_t biWidth = 0;
    int32_t biHeight = 0;
    uint16_t biPlanes = 0;
    uint16_t biBitCount = 0;
    uint32_t biCompression = 0;
    uint32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);

struct RGBQUAD {
    uint8_t rgbBlue = 0;
    uint8_t rgbGreen = 0;
    uint8_t rgbRed = 0;
    uint8_t rgbReserved = 0;
};

struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};

inline constexpr uint32_t BI_RGB = 0;
inline constexpr uint32_t DIB_RGB_COLORS = 0;

// Copies part of a 32-bit BI_RGB bitmap into the device context `dc`, an
// image in QImage::Format_RGB32 (ARGB32 and its premultiplied form are taken
// too). The bitmap is biWidth x |biHeight| pixels; a negative biHeight means
// its first row in memory is the top row, a positive one the bottom row.
//
// The source rectangle is `width` x `height` pixels with its top-left corner
// at (xSrc, ySrc), counted from the bitmap's top-left corner whatever its row
// order; it lands with that corner at (xDest, yDest) and is clipped to the
// image. `bits` holds the scan lines startScan .. startScan + scanLines - 1,
// numbered in memory order, each biWidth pixels long; rows of the rectangle
// outside that band are left alone. The fourth byte of each pixel is ignored:
// the image receives opaque pixels.
//
// Returns the number of rows written into the image. Returns 0 without
// touching the image when the call is refused: null `bits`, a header other
// than a 40-byte, one-plane, 32-bit BI_RGB one with a positive width and a
// non-zero height, colorUse other than DIB_RGB_COLORS, an image of another
// format, or a source rectangle or band reaching outside the bitmap.
int SetDIBitsToDevice(QImage& dc, int xDest, int yDest, uint32_t width, uint32_t height, int xSrc,
                      int ySrc, uint32_t startScan, uint32_t scanLines, const void* bits,
                      const BITMAPINFO& info, uint32_t colorUse);

} // namespace platform
