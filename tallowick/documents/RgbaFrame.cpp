#include "tallowick/documents/RgbaFrame.h"

#include "automation/PlaneShape.h"
#include "platform/Memory.h"

#include <cstring>
#include <limits>

namespace tallowick {

QString channelName(Channel channel) {
    switch (channel) {
    case Channel::Red:
        return QStringLiteral("red");
    case Channel::Green:
        return QStringLiteral("green");
    case Channel::Blue:
        return QStringLiteral("blue");
    case Channel::Alpha:
        return QStringLiteral("alpha");
    }
    return QStringLiteral("unknown");
}

namespace {

// The plane of a W x H frame has W + 1 columns, so W must leave room for the
// extra one within the 32-bit bounds.
void checkFrameSize(int32_t width, int32_t height) {
    constexpr int32_t limit = std::numeric_limits<int32_t>::max() - 1;
    if (width < 1 || height < 1 || width > limit || height > limit)
        throw FrameError(QStringLiteral("A frame of %1 x %2 pixels cannot be held: width and "
                                        "height must be 1 to %3")
                             .arg(width)
                             .arg(height)
                             .arg(limit)
                             .toStdString());
}

} // namespace

RgbaFrame::RgbaFrame(int32_t width, int32_t height, Rgba fill) : width_(width), height_(height) {
    checkFrameSize(width, height);
    const uint8_t values[] = {fill.red, fill.green, fill.blue, fill.alpha};
    // Filled once with the colour, not zero-filled first, and the pages
    // populated in one call rather than a fault each: creating an animation
    // is mostly the cost of its fresh memory.
    for (std::size_t c = 0; c < planes_.size(); ++c)
        planes_[c] =
            host::ByteArray::filledBy({{0, width + 1}, {0, height + 1}},
                                      [value = values[c]](uint8_t* bytes, std::size_t size) {
                                          platform::populateFreshMemory(bytes, size);
                                          std::memset(bytes, value, size);
                                      });
}

RgbaFrame RgbaFrame::filledBy(int32_t width, int32_t height, const PlaneFill& fill) {
    checkFrameSize(width, height);
    RgbaFrame frame;
    frame.width_ = width;
    frame.height_ = height;
    for (std::size_t c = 0; c < frame.planes_.size(); ++c)
        frame.planes_[c] = host::ByteArray::filledBy(
            {{0, width + 1}, {0, height + 1}},
            [&](uint8_t* bytes, std::size_t size) { fill(kChannels[c], bytes, size); });
    frame.refreshMargins();
    return frame;
}

RgbaFrame RgbaFrame::sharedCopy() const {
    RgbaFrame copy;
    copy.width_ = width_;
    copy.height_ = height_;
    for (std::size_t c = 0; c < planes_.size(); ++c)
        copy.planes_[c] = planes_[c].sharedCopy();
    return copy;
}

bool RgbaFrame::sharesPlanes() const {
    for (const host::ByteArray& plane : planes_)
        if (plane.sharesStorage())
            return true;
    return false;
}

RgbaFrame RgbaFrame::fromImage(const QImage& image) {
    if (image.isNull())
        throw FrameError("A null picture cannot become a frame");
    const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888);
    RgbaFrame frame(rgba.width(), rgba.height(), Rgba{});
    const std::size_t stride = frame.stride();
    uint8_t* planes[4];
    for (std::size_t c = 0; c < 4; ++c)
        planes[c] = frame.planeOf(kChannels[c]).data();
    for (int32_t y = 0; y < frame.height_; ++y) {
        const uchar* pixel = rgba.constScanLine(y);
        const std::size_t row = static_cast<std::size_t>(y) * stride;
        uint8_t* red = planes[0] + row;
        uint8_t* green = planes[1] + row;
        uint8_t* blue = planes[2] + row;
        uint8_t* alpha = planes[3] + row;
        for (int32_t x = 0; x < frame.width_; ++x, pixel += 4) {
            red[x] = pixel[0];
            green[x] = pixel[1];
            blue[x] = pixel[2];
            alpha[x] = pixel[3];
        }
    }
    frame.refreshMargins();
    return frame;
}

QImage RgbaFrame::toImage() const {
    QImage image(width_, height_, QImage::Format_RGBA8888);
    if (image.isNull())
        throw FrameError(QStringLiteral("A picture of %1 x %2 pixels cannot be allocated")
                             .arg(width_)
                             .arg(height_)
                             .toStdString());
    const std::size_t stride = this->stride();
    for (int32_t y = 0; y < height_; ++y) {
        const std::size_t row = static_cast<std::size_t>(y) * stride;
        const uint8_t* red = samples(Channel::Red) + row;
        const uint8_t* green = samples(Channel::Green) + row;
        const uint8_t* blue = samples(Channel::Blue) + row;
        const uint8_t* alpha = samples(Channel::Alpha) + row;
        uchar* pixel = image.scanLine(y);
        for (int32_t x = 0; x < width_; ++x, pixel += 4) {
            pixel[0] = red[x];
            pixel[1] = green[x];
            pixel[2] = blue[x];
            pixel[3] = alpha[x];
        }
    }
    return image;
}

const host::ByteArray& RgbaFrame::plane(Channel channel) const {
    return planes_[static_cast<std::size_t>(channel)];
}

host::ByteArray& RgbaFrame::planeOf(Channel channel) {
    return planes_[static_cast<std::size_t>(channel)];
}

uint8_t* RgbaFrame::samples(Channel channel) {
    return planeOf(channel).data();
}

const uint8_t* RgbaFrame::samples(Channel channel) const {
    return plane(channel).data();
}

void RgbaFrame::replacePlane(Channel channel, const host::ByteArray& source) {
    if (!host::planeCovers(source, width_, height_))
        throw FrameError(QStringLiteral("the %1 plane must be a two-dimensional byte array with "
                                        "lower bounds 0 of at least %2 x %3 samples (0 To %4, 0 "
                                        "To %5); got one with bounds %6")
                             .arg(channelName(channel))
                             .arg(width_)
                             .arg(height_)
                             .arg(width_ - 1)
                             .arg(height_ - 1)
                             .arg(source.boundsText())
                             .toStdString());
    // A larger plane is no use to the frame, and taking one would let a caller
    // make the host read any amount of memory.
    if (source.size() > largestPlaneTaken())
        throw FrameError(QStringLiteral("the %1 plane may hold at most %2 samples (0 To %3, 0 To "
                                        "%4); got %5 with bounds %6")
                             .arg(channelName(channel))
                             .arg(largestPlaneTaken())
                             .arg(width_)
                             .arg(height_)
                             .arg(source.size())
                             .arg(source.boundsText())
                             .toStdString());
    // Every sample is written below or by the margin refresh, so a plane
    // still shared (handed out, in a snapshot, or a new animation's white)
    // is not copied first; its fresh storage is populated in one call
    // rather than a fault per page.
    host::ByteArray& plane = planeOf(channel);
    const bool fresh = plane.sharesStorage();
    uint8_t* const target = plane.dataToOverwrite();
    if (fresh)
        platform::populateFreshMemory(target, plane.size());
    // The extra column is rewritten by the margin refresh.
    host::copyPlaneRows(target, stride(), source.data(), static_cast<std::size_t>(source.count(0)),
                        static_cast<std::size_t>(width_), static_cast<std::size_t>(height_));
    refreshMarginsOf(target);
}

void RgbaFrame::refreshMargins() {
    for (const Channel channel : kChannels)
        refreshMarginsOf(planeOf(channel).data());
}

void RgbaFrame::refreshMarginsOf(uint8_t* plane) {
    const std::size_t stride = this->stride();
    const std::size_t lastColumn = static_cast<std::size_t>(width_);
    const std::size_t rows = static_cast<std::size_t>(height_);
    uint8_t* row = plane;
    for (std::size_t y = 0; y < rows; ++y, row += stride)
        row[lastColumn] = row[lastColumn - 1];
    // `row` is now the extra row; the row above it is complete.
    std::memcpy(row, row - stride, stride);
}

} // namespace tallowick
