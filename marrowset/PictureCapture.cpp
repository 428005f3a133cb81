#include "marrowset/PictureCapture.h"

#include "platform/Conversions.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <cstring>
#include <new>

namespace marrowset {
namespace {

[[noreturn]] void refuse(const QString& reason) {
    throw CaptureError(reason.toStdString());
}

QImage clipboardPicture() {
    QImage picture = QGuiApplication::clipboard()->image();
    if (picture.isNull())
        refuse(QStringLiteral("it holds no picture"));
    return picture;
}

QImage pictureFile(const QString& path) {
    const QFileInfo file(path);
    if (!file.exists())
        refuse(QStringLiteral("no such file"));
    if (!file.isFile())
        refuse(QStringLiteral("not a file"));
    // The reader keeps to Qt's allocation limit, so a picture too large for
    // it is refused before its pixels are allocated.
    QImageReader reader(path);
    QImage picture = reader.read();
    if (picture.isNull())
        refuse(reader.errorString());
    return picture;
}

} // namespace

bool namesClipboard(const QString& text) {
    return text.toUpper() == QLatin1String("CLIPBOARD");
}

QString pictureSource(const QString& text) {
    return namesClipboard(text) ? QStringLiteral("the clipboard") : text;
}

QImage readCommandLinePicture(const QString& text) {
    if (namesClipboard(text))
        return clipboardPicture();
    return pictureFile(text);
}

HeldBuffer captureHeldBuffer(const QImage& picture) {
    HeldBuffer held;
    held.W = platform::toInt32(picture.width());
    held.H = platform::toInt32(picture.height());
    const QImage pixels = picture.convertToFormat(QImage::Format_ARGB32);
    if (pixels.isNull())
        throw std::bad_alloc();
    held.red = host::ByteArray::plane(held.W + 1, held.H + 1);
    held.green = host::ByteArray::plane(held.W + 1, held.H + 1);
    held.blue = host::ByteArray::plane(held.W + 1, held.H + 1);
    held.alpha = host::ByteArray::plane(held.W + 1, held.H + 1);

    // Outside the picture, in the extra column and row, every point reads
    // as white.
    const auto stride = static_cast<std::size_t>(held.W) + 1;
    std::memset(held.red.data(), 255, held.red.size());
    std::memset(held.green.data(), 255, held.green.size());
    std::memset(held.blue.data(), 255, held.blue.size());
    std::memset(held.alpha.data(), 255, held.alpha.size());
    for (int y = 0; y < held.H; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        const std::size_t row = static_cast<std::size_t>(y) * stride;
        uint8_t* red = held.red.data() + row;
        uint8_t* green = held.green.data() + row;
        uint8_t* blue = held.blue.data() + row;
        for (int x = 0; x < held.W; ++x) {
            red[x] = static_cast<uint8_t>(qRed(line[x]));
            green[x] = static_cast<uint8_t>(qGreen(line[x]));
            blue[x] = static_cast<uint8_t>(qBlue(line[x]));
        }
    }
    return held;
}

} // namespace marrowset
