#include "tests/tallowick/TinyDocument.h"

#include "tallowick/documents/MemoryBudget.h"

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

std::string differenceBetween(const tallowick::Document& expected, const tallowick::Document& got) {
    if (expected.name() != got.name())
        return "named \"" + got.name().toStdString() + "\", not \"" +
               expected.name().toStdString() + "\"";
    if (expected.width() != got.width() || expected.height() != got.height() ||
        expected.frameCount() != got.frameCount())
        return tallowick::framesText(got.frameCount(), got.width(), got.height()).toStdString() +
               ", not " +
               tallowick::framesText(expected.frameCount(), expected.width(), expected.height())
                   .toStdString();
    for (int f = 0; f < expected.frameCount(); ++f)
        for (const tallowick::Channel channel : tallowick::kChannels) {
            const host::ByteArray& want = expected.frame(f).plane(channel);
            const host::ByteArray& have = got.frame(f).plane(channel);
            if (want.dimensions() != have.dimensions())
                return "frame " + std::to_string(f) + ": the " +
                       tallowick::channelName(channel).toStdString() + " plane has the bounds " +
                       have.boundsText().toStdString();
            for (std::size_t i = 0; i < want.size(); ++i)
                if (want.data()[i] != have.data()[i])
                    return "frame " + std::to_string(f) + ", " +
                           tallowick::channelName(channel).toStdString() + " sample " +
                           std::to_string(i) + ": " + std::to_string(have.data()[i]) + ", not " +
                           std::to_string(want.data()[i]);
        }
    return {};
}

} // namespace tests
