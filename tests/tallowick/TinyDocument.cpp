#include "tests/tallowick/TinyDocument.h"

#include <QImage>

namespace tests {

tallowick::Document tinyDocument() {
    std::vector<tallowick::RgbaFrame> frames;
    for (int f = 0; f < 2; ++f) {
        QImage image(3, 2, QImage::Format_RGBA8888);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                for (int c = 0; c < 4; ++c)
                    image.scanLine(y)[4 * x + c] = tinySample(c, f, x, y);
        frames.push_back(tallowick::RgbaFrame::fromImage(image));
    }
    return tallowick::Document(QStringLiteral("tiny"), std::move(frames));
}

host::ByteArray patternPlane(int32_t width, int32_t height, int seed) {
    host::ByteArray plane = host::ByteArray::plane(width, height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            plane.at(x, y) = static_cast<uint8_t>((seed + 7 * x + 13 * y) % 256);
    return plane;
}

} // namespace tests
