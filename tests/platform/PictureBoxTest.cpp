#include "platform/PictureBox.h"

#include <QImage>
#include <QPixmap>
#include <gtest/gtest.h>
#include <stdexcept>
#include <vector>

using platform::PictureBox;

namespace {

const QRgb R = qRgb(255, 0, 0), G = qRgb(0, 255, 0), B = qRgb(0, 0, 255), K = qRgb(0, 0, 0);
const QRgb W = qRgb(255, 255, 255);

// Compares every pixel of the image, row by row.
void expectPixels(const QImage& image, int width, int height, const std::vector<QRgb>& expected) {
    ASSERT_EQ(image.size(), QSize(width, height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            EXPECT_EQ(image.pixel(x, y), expected[y * width + x])
                << "at (" << x << ", " << y << ")";
}

// A 2 x 2 picture: red green / blue white.
QImage quadPicture() {
    QImage picture(2, 2, QImage::Format_RGB32);
    picture.setPixel(0, 0, R);
    picture.setPixel(1, 0, G);
    picture.setPixel(0, 1, B);
    picture.setPixel(1, 1, W);
    return picture;
}

} // namespace

TEST(PictureBox, DrawingAreaIsTheWidgetsSize) {
    PictureBox box;
    box.resize(7, 5);
    EXPECT_EQ(box.ScaleWidth(), 7.0);
    EXPECT_EQ(box.ScaleHeight(), 5.0);
    EXPECT_EQ(box.deviceContext().size(), QSize(7, 5));
    EXPECT_EQ(box.deviceContext().format(), QImage::Format_RGB32);
    EXPECT_FALSE(box.sizeHint().isEmpty());
}

TEST(PictureBox, ClsFillsTheImageWithTheBackColour) {
    PictureBox box;
    box.resize(3, 2);
    box.deviceContext().fill(R);
    box.setBackColor(B);
    EXPECT_EQ(box.BackColor(), QColor(B));
    expectPixels(box.image(), 3, 2, std::vector<QRgb>(6, R)); // the colour alone changes nothing
    box.Cls();
    expectPixels(box.image(), 3, 2, std::vector<QRgb>(6, B));
}

TEST(PictureBox, ResizeKeepsTheTopLeftContent) {
    PictureBox box;
    box.resize(2, 2);
    box.setBackColor(K);
    box.Cls();
    box.PaintPicture(quadPicture(), 0, 0);
    box.setBackColor(W);

    box.resize(3, 3);
    expectPixels(box.image(), 3, 3,
                 {R, G, W, //
                  B, W, W, //
                  W, W, W});

    box.resize(1, 2);
    expectPixels(box.image(), 1, 2, {R, B});

    // Content cut off by shrinking is gone; growing again shows back colour.
    box.setBackColor(K);
    box.resize(2, 1);
    expectPixels(box.image(), 2, 1, {R, K});
}

TEST(PictureBox, PaintPictureIsClippedToTheImage) {
    PictureBox box;
    box.resize(4, 3);
    box.setBackColor(K);
    box.Cls();
    box.PaintPicture(quadPicture(), -1, -1);
    box.PaintPicture(quadPicture(), 3, 2);
    box.PaintPicture(quadPicture(), 1, 1);
    expectPixels(box.image(), 4, 3,
                 {W, K, K, K, //
                  K, R, G, K, //
                  K, B, W, R});
    EXPECT_THROW(box.PaintPicture(QImage(), 0, 0), std::invalid_argument);
}

TEST(PictureBox, PaintingShowsThePersistentImage) {
    PictureBox box;
    box.resize(4, 3);
    box.setBackColor(K);
    box.Cls();
    box.PaintPicture(quadPicture(), 1, 1);
    box.Refresh();
    const QImage shown = box.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown, box.image());
}

TEST(PictureBox, AnEmptyBoxHasNoImageAndDrawingIntoItIsHarmless) {
    PictureBox box;
    box.resize(0, 3);
    EXPECT_TRUE(box.deviceContext().isNull());
    box.Cls();
    box.PaintPicture(quadPicture(), 0, 0);
}
