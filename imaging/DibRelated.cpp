#include "imaging/DibRelated.h"

#include "maker/binding/MakerLibraries.h"
#include "platform/Conversions.h"
#include "platform/Dib.h"

#include <limits>
#include <string>
#include <vector>

namespace imaging {

namespace {

void requirePlaneShape(const host::ByteArray& plane, const char* name, int32_t maxX, int32_t maxY) {
    // 64-bit, so that maxX + 1 cannot overflow.
    const int64_t columns = int64_t{maxX} + 1;
    const int64_t rows = int64_t{maxY} + 1;
    // The scaler takes the source width as the planes' row length.
    if (host::planeCovers(plane, columns, rows) && plane.count(0) == columns)
        return;
    std::string shape;
    for (const host::Dimension& dimension : plane.dimensions()) {
        shape += shape.empty() ? "" : " x ";
        shape += std::to_string(dimension.count) + " from " + std::to_string(dimension.lower);
    }
    throw host::PlaneShapeError("DisplayPlanes: the " + std::string(name) + " plane is " +
                                (shape.empty() ? std::string("empty") : shape) +
                                "; expected two dimensions from 0, " + std::to_string(columns) +
                                " columns and at least " + std::to_string(rows) + " rows (maxX " +
                                std::to_string(maxX) + ", maxY " + std::to_string(maxY) + ")");
}

} // namespace

void DisplayPlanes(platform::DrawTarget& target, int32_t maxX, int32_t maxY,
                   const host::ByteArray& red, const host::ByteArray& green,
                   const host::ByteArray& blue) {
    if (maxX < 0 || maxY < 0)
        throw host::PlaneShapeError("DisplayPlanes: the bounds maxX " + std::to_string(maxX) +
                                    ", maxY " + std::to_string(maxY) + " are negative");
    requirePlaneShape(red, "red", maxX, maxY);
    requirePlaneShape(green, "green", maxX, maxY);
    requirePlaneShape(blue, "blue", maxX, maxY);

    const int32_t width = platform::toInt32(target.ScaleWidth());
    const int32_t biHeight = platform::toInt32(-target.ScaleHeight());
    if (width <= 0 || biHeight >= 0)
        return;
    // The most negative 32-bit value has no positive counterpart to hand to
    // the scaler as a height.
    if (biHeight == std::numeric_limits<int32_t>::min())
        throw platform::OverflowError("DisplayPlanes: the drawing area's height " +
                                      std::to_string(target.ScaleHeight()) +
                                      " does not fit in a 32-bit integer");
    const int32_t height = -biHeight;

    platform::BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(platform::BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = biHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = platform::BI_RGB;

    std::vector<uint32_t> pixels(static_cast<std::size_t>(width) *
                                 static_cast<std::size_t>(height));

    // The scaler fills DW x DH pixels of a buffer made for W x H; should the
    // area change between the reads, it would write past the buffer.
    const int32_t scaleWidth = platform::toInt32(target.ScaleWidth());
    const int32_t scaleHeight = platform::toInt32(target.ScaleHeight());
    if (scaleWidth != width || scaleHeight != height)
        throw DrawingAreaChangedError("DisplayPlanes: the drawing area changed from " +
                                      std::to_string(width) + " x " + std::to_string(height) +
                                      " to " + std::to_string(scaleWidth) + " x " +
                                      std::to_string(scaleHeight) + " during the call");

    maker::z_scale_to_dib(red.data(), green.data(), blue.data(), pixels.data(), maxX + 1, maxY + 1,
                          scaleWidth, scaleHeight, width);

    platform::SetDIBitsToDevice(
        target.deviceContext(), 0, 0, static_cast<uint32_t>(width), static_cast<uint32_t>(height),
        0, 0, 0, static_cast<uint32_t>(height), pixels.data(), info, platform::DIB_RGB_COLORS);
}

} // namespace imaging
