#include "tallowick/documents/BuiltInPictures.h"

#include <QColor>
#include <QDir>
#include <QStandardPaths>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace tallowick {

namespace {

struct Box {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Fills `box`, clipped to the frame, with one colour.
void fillBox(RgbaFrame& frame, Box box, Rgba colour) {
    const int left = std::max(box.x, 0);
    const int top = std::max(box.y, 0);
    const int right = std::min(box.x + box.width, frame.width());
    const int bottom = std::min(box.y + box.height, frame.height());
    if (left >= right || top >= bottom)
        return;
    const uint8_t values[] = {colour.red, colour.green, colour.blue, colour.alpha};
    const std::size_t stride = frame.stride();
    const auto count = static_cast<std::size_t>(right - left);
    for (std::size_t c = 0; c < kChannels.size(); ++c) {
        uint8_t* row = frame.samples(kChannels[c]) + static_cast<std::size_t>(top) * stride +
                       static_cast<std::size_t>(left);
        for (int y = top; y < bottom; ++y, row += stride)
            std::memset(row, values[c], count);
    }
}

// Segments a (top) to g (middle), bit 0 to bit 6, lit for the digits 0 to 9.
constexpr uint8_t kSegmentsOfDigit[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66,
                                          0x6D, 0x7D, 0x07, 0x7F, 0x6F};

void drawDigit(RgbaFrame& frame, int digit, int left, int top, int width, int height, int stroke,
               Rgba colour) {
    const int half = height / 2;
    const Box segments[7] = {
        {left, top, width, stroke},                                 // a
        {left + width - stroke, top, stroke, half},                 // b
        {left + width - stroke, top + half, stroke, height - half}, // c
        {left, top + height - stroke, width, stroke},               // d
        {left, top + half, stroke, height - half},                  // e
        {left, top, stroke, half},                                  // f
        {left, top + half - stroke / 2, width, stroke},             // g
    };
    for (int segment = 0; segment < 7; ++segment)
        if (kSegmentsOfDigit[digit] & (1 << segment))
            fillBox(frame, segments[segment], colour);
}

RgbaFrame demoFrame(int index) {
    RgbaFrame frame(kDemoWidth, kDemoHeight, Rgba{244, 242, 236, 255});
    // A darker band along the bottom, so that frames differ in more than the
    // digits and a plug-in's result is easy to place.
    fillBox(frame, {0, kDemoHeight - 24, kDemoWidth * (index + 1) / kDemoFrames, 24},
            Rgba{200, 196, 188, 255});
    const QColor hue = QColor::fromHsv(index * 360 / kDemoFrames, 220, 210);
    const Rgba ink{static_cast<uint8_t>(hue.red()), static_cast<uint8_t>(hue.green()),
                   static_cast<uint8_t>(hue.blue()), 255};
    const QString digits = QString::number(index);
    constexpr int digitWidth = 80, digitHeight = 150, stroke = 18, gap = 24;
    const int total = static_cast<int>(digits.size()) * (digitWidth + gap) - gap;
    int left = (kDemoWidth - total) / 2;
    const int top = (kDemoHeight - 24 - digitHeight) / 2;
    for (const QChar digit : digits) {
        drawDigit(frame, digit.digitValue(), left, top, digitWidth, digitHeight, stroke, ink);
        left += digitWidth + gap;
    }
    frame.refreshMargins();
    return frame;
}

} // namespace

Document demoAnimation() {
    std::vector<RgbaFrame> frames;
    frames.reserve(kDemoFrames);
    for (int i = 0; i < kDemoFrames; ++i)
        frames.push_back(demoFrame(i));
    return Document(QStringLiteral("demo"), std::move(frames));
}

RgbaFrame builtInBrush() {
    constexpr int width = 64, height = 48;
    RgbaFrame brush(width, height, Rgba{});
    // The colour depends on the column only, so it is worked out once per
    // column before the rows are walked.
    uint8_t redOf[width], blueOf[width];
    for (int x = 0; x < width; ++x) {
        redOf[x] = static_cast<uint8_t>(255 - x * 255 / (width - 1));
        blueOf[x] = static_cast<uint8_t>(x * 255 / (width - 1));
    }
    const std::size_t stride = brush.stride();
    for (int y = 0; y < height; ++y) {
        const std::size_t row = static_cast<std::size_t>(y) * stride;
        uint8_t* red = brush.samples(Channel::Red) + row;
        uint8_t* green = brush.samples(Channel::Green) + row;
        uint8_t* blue = brush.samples(Channel::Blue) + row;
        uint8_t* alpha = brush.samples(Channel::Alpha) + row;
        const double dy = (y + 0.5 - height / 2.0) / (height / 2.0);
        for (int x = 0; x < width; ++x) {
            const double dx = (x + 0.5 - width / 2.0) / (width / 2.0);
            // Opaque inside 70% of the ellipse's radius, fading to nothing
            // at its rim.
            const double fade = std::clamp((1.0 - std::sqrt(dx * dx + dy * dy)) / 0.3, 0.0, 1.0);
            red[x] = redOf[x];
            green[x] = static_cast<uint8_t>(96 + y * 2);
            blue[x] = blueOf[x];
            alpha[x] = static_cast<uint8_t>(std::lround(fade * 255.0));
        }
    }
    brush.refreshMargins();
    return brush;
}

QImage builtInWallpaperTile() {
    constexpr int size = 64, square = 16;
    QImage tile(size, size, QImage::Format_RGB32);
    const QRgb tones[2] = {qRgb(206, 212, 222), qRgb(226, 230, 238)};
    for (int y = 0; y < size; ++y) {
        auto* pixel = reinterpret_cast<QRgb*>(tile.scanLine(y));
        for (int x = 0; x < size; ++x)
            pixel[x] = tones[((x / square) + (y / square)) % 2];
    }
    return tile;
}

QString hostDataFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/tallowick");
}

QString writeBuiltInWallpaper(const QString& folder) {
    const QString path = QDir(folder).absoluteFilePath(QStringLiteral("wallpaper.png"));
    if (!QDir().mkpath(folder))
        throw WallpaperError(
            QStringLiteral("%1: the folder cannot be created").arg(folder).toStdString());
    if (!builtInWallpaperTile().save(path, "PNG"))
        throw WallpaperError(QStringLiteral("%1: cannot be written").arg(path).toStdString());
    return path;
}

} // namespace tallowick
