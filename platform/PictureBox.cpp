#include "platform/PictureBox.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace platform {

namespace {

// Copies the top-left `rows` x `columns` pixels of one 32-bit image into
// another. Callers clip: both images hold at least that many.
void copyTopLeft(const QImage& from, QImage& to, int rows, int columns) {
    const uchar* source = from.constBits();
    uchar* destination = to.bits();
    const std::size_t rowBytes = static_cast<std::size_t>(columns) * sizeof(uint32_t);
    for (int row = 0; row < rows; ++row)
        std::memcpy(destination + row * to.bytesPerLine(), source + row * from.bytesPerLine(),
                    rowBytes);
}

} // namespace

PictureBox::PictureBox(QWidget* parent)
    : QWidget(parent), backColor_(palette().color(QPalette::Window)) {
    // The image covers every pixel, so nothing behind needs painting first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    fitImageToSize();
}

double PictureBox::ScaleWidth() const {
    return width();
}

double PictureBox::ScaleHeight() const {
    return height();
}

QImage& PictureBox::deviceContext() {
    fitImageToSize();
    return image_;
}

const QImage& PictureBox::image() const {
    fitImageToSize();
    return image_;
}

void PictureBox::setBackColor(const QColor& color) {
    backColor_ = color;
    update();
}

void PictureBox::Refresh() {
    update();
}

void PictureBox::Cls() {
    fitImageToSize();
    image_.fill(backColor_);
    update();
}

void PictureBox::PaintPicture(const QImage& picture, int x, int y) {
    if (picture.isNull())
        throw std::invalid_argument("PaintPicture: the picture is empty");
    fitImageToSize();
    if (image_.isNull())
        return;
    QPainter painter(&image_);
    painter.drawImage(x, y, picture);
}

QSize PictureBox::sizeHint() const {
    return {160, 120};
}

void PictureBox::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect(), image_, event->rect());
}

void PictureBox::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitImageToSize();
}

void PictureBox::fitImageToSize() const {
    if (image_.size() == size())
        return;
    // An empty widget, or one too large for memory, has no image; drawing
    // into a null image is refused or skipped by every drawing routine.
    QImage resized(size(), QImage::Format_RGB32);
    if (resized.isNull()) {
        image_ = QImage();
        return;
    }
    resized.fill(backColor_);
    if (!image_.isNull())
        copyTopLeft(image_, resized, std::min(image_.height(), resized.height()),
                    std::min(image_.width(), resized.width()));
    image_ = std::move(resized);
}

} // namespace platform
