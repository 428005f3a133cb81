#include "tallowick/window/FrameRendering.h"

#include <algorithm>

namespace tallowick {

namespace {

constexpr int kCheckerSquare = 8;
constexpr int kCheckerTones[2] = {204, 153};

// Rounded a * x + (255 - a) * b over 255, exact for bytes.
inline int blend(int x, int b, int a) {
    const int sum = a * x + (255 - a) * b + 128;
    return (sum + (sum >> 8)) >> 8;
}

} // namespace

QImage renderFrame(const RgbaFrame& frame, bool alphaOn) {
    const int width = frame.width();
    const int height = frame.height();
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        throw FrameError(QStringLiteral("A view of %1 x %2 pixels cannot be allocated")
                             .arg(width)
                             .arg(height)
                             .toStdString());
    const std::size_t stride = frame.stride();
    for (int y = 0; y < height; ++y) {
        const std::size_t row = static_cast<std::size_t>(y) * stride;
        const uint8_t* red = frame.samples(Channel::Red) + row;
        const uint8_t* green = frame.samples(Channel::Green) + row;
        const uint8_t* blue = frame.samples(Channel::Blue) + row;
        const uint8_t* alpha = frame.samples(Channel::Alpha) + row;
        auto* pixel = reinterpret_cast<QRgb*>(image.scanLine(y));
        if (!alphaOn) {
            for (int x = 0; x < width; ++x)
                pixel[x] = qRgb(red[x], green[x], blue[x]);
            continue;
        }
        const int rowParity = (y / kCheckerSquare) & 1;
        for (int x = 0; x < width; ++x) {
            const int ground = kCheckerTones[((x / kCheckerSquare) & 1) ^ rowParity];
            pixel[x] = qRgb(blend(red[x], ground, alpha[x]), blend(green[x], ground, alpha[x]),
                            blend(blue[x], ground, alpha[x]));
        }
    }
    return image;
}

QRect fitRect(QSize image, QRect area) {
    if (image.isEmpty() || area.isEmpty())
        return {};
    const QSize fitted = image.scaled(area.size(), Qt::KeepAspectRatio);
    return QRect(area.x() + (area.width() - fitted.width()) / 2,
                 area.y() + (area.height() - fitted.height()) / 2, fitted.width(), fitted.height());
}

} // namespace tallowick
