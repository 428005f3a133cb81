#pragma once

#include "automation/ByteArray.h"

#include <QImage>
#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>

namespace tallowick {

enum class Channel { Red, Green, Blue, Alpha };
inline constexpr std::array<Channel, 4> kChannels{Channel::Red, Channel::Green, Channel::Blue,
                                                  Channel::Alpha};
QString channelName(Channel channel);

struct Rgba {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t alpha = 255;
    bool operator==(const Rgba&) const = default;
};

// A frame size that cannot be held, or a plane that does not fit the frame.
class FrameError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One RGBA picture of width W and height H, kept as four byte planes in the
// layout the host hands out: (W + 1) x (H + 1) samples, the extra column and
// row repeating the last real ones. Holding planes ready in that layout makes
// handing one out a single block copy.
//
// A copy is a copy of every sample. sharedCopy() instead gives a frame that
// shares the planes until one of the two writes: a snapshot of many frames
// taken at once, which another thread may read while this one goes on
// writing. A plane handed out (plane(c).sharedCopy()) is shared the same way.
// A shared plane is only ever read; the frame that writes first takes a
// plane of its own (host::ByteArray does).
class RgbaFrame {
public:
    // A frame filled with one colour. FrameError for a width or height below
    // 1 or too large for the plane bounds; host::ByteArrayError when the
    // planes cannot be allocated.
    RgbaFrame(int32_t width, int32_t height, Rgba fill);
    // A frame whose four planes, (W + 1) x (H + 1) samples each, `fill`
    // writes whole (the margins too, which are then made to repeat the last
    // real column and row); what it throws propagates. Errors as above.
    using PlaneFill = std::function<void(Channel channel, uint8_t* samples, std::size_t size)>;
    static RgbaFrame filledBy(int32_t width, int32_t height, const PlaneFill& fill);
    // The picture's pixels, not premultiplied; a picture without alpha comes
    // out opaque. FrameError for a null picture.
    static RgbaFrame fromImage(const QImage& image);
    // The W x H pixels as Format_RGBA8888.
    QImage toImage() const;

    RgbaFrame(const RgbaFrame& other) = default;
    RgbaFrame& operator=(const RgbaFrame& other) = default;
    RgbaFrame(RgbaFrame&&) noexcept = default;
    RgbaFrame& operator=(RgbaFrame&&) noexcept = default;
    // The same frame without copying a sample (see above).
    RgbaFrame sharedCopy() const;
    // Whether a plane of this frame is still shared with a sharedCopy().
    bool sharesPlanes() const;

    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    // Bytes from one row of a plane to the next: W + 1.
    std::size_t stride() const { return static_cast<std::size_t>(width_) + 1; }

    // The whole plane, bounds (0 To W, 0 To H).
    const host::ByteArray& plane(Channel channel) const;
    // The most samples a plane given to replacePlane may hold: those of the
    // host's own layout, (W + 1) x (H + 1).
    std::size_t largestPlaneTaken() const {
        return stride() * (static_cast<std::size_t>(height_) + 1);
    }
    // Takes columns 0..W-1 and rows 0..H-1 of `source`, which must be a
    // two-dimensional array with lower bounds 0 covering at least that much
    // and holding no more than largestPlaneTaken() samples; anything else is
    // refused whole with a FrameError naming the expected size, and the frame
    // is left unchanged.
    void replacePlane(Channel channel, const host::ByteArray& source);

    // Direct access for code that fills a frame sample by sample. After
    // writing columns 0..W-1 of rows 0..H-1 the writer calls refreshMargins().
    uint8_t* samples(Channel channel);
    const uint8_t* samples(Channel channel) const;
    void refreshMargins();

private:
    RgbaFrame() = default;
    host::ByteArray& planeOf(Channel channel);
    void refreshMarginsOf(uint8_t* plane);

    int32_t width_ = 0;
    int32_t height_ = 0;
    std::array<host::ByteArray, 4> planes_;
};

} // namespace tallowick
