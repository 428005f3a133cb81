#include "imaging/DibRelated.h"
#include "platform/Conversions.h"
#include "platform/PictureBox.h"

#include <QDir>
#include <QImage>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

using imaging::DisplayPlanes;

namespace {

constexpr QRgb kUntouched = 0xFF0A0B0C;

struct Rgb {
    uint8_t red, green, blue;
};

struct Planes {
    host::ByteArray red, green, blue;
};

Planes makePlanes(int width, int height, const std::function<Rgb(int, int)>& sample) {
    Planes planes{host::ByteArray::plane(width, height), host::ByteArray::plane(width, height),
                  host::ByteArray::plane(width, height)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Rgb rgb = sample(x, y);
            planes.red.data()[y * width + x] = rgb.red;
            planes.green.data()[y * width + x] = rgb.green;
            planes.blue.data()[y * width + x] = rgb.blue;
        }
    return planes;
}

Planes uniformPlanes(int width, int height, Rgb rgb) {
    return makePlanes(width, height, [rgb](int, int) { return rgb; });
}

void display(platform::DrawTarget& target, const Planes& planes) {
    DisplayPlanes(target, planes.red.count(0) - 1, planes.red.count(1) - 1, planes.red,
                  planes.green, planes.blue);
}

// A drawing area of any size, fractional ones included, over an image that
// may be larger so that writes beyond the area show.
class FakeTarget : public platform::DrawTarget {
public:
    FakeTarget(double width, double height, QSize imageSize)
        : width_(width), height_(height), image_(imageSize, QImage::Format_RGB32) {
        image_.fill(kUntouched);
    }
    double ScaleWidth() const override { return width_; }
    double ScaleHeight() const override { return height_; }
    QImage& deviceContext() override { return image_; }
    const QImage& image() const { return image_; }

private:
    double width_, height_;
    QImage image_;
};

// A target whose area grows after the first read of its width.
class GrowingTarget : public FakeTarget {
public:
    using FakeTarget::FakeTarget;
    double ScaleWidth() const override { return reads_++ == 0 ? 4 : 8; }

private:
    mutable int reads_ = 0;
};

// Every pixel of the area (0, 0)..(width, height) has `inside`, every other
// pixel of the image is untouched.
void expectFilled(const QImage& image, int width, int height, QRgb inside) {
    int wrong = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb expected = x < width && y < height ? inside : kUntouched;
            if (image.pixel(x, y) != expected && ++wrong <= 5)
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex
                              << image.pixel(x, y) << ", expected " << expected;
        }
    EXPECT_EQ(wrong, 0);
}

// The scaler is found through the current directory, as in the programs,
// which make the host's application directory current.
class DisplayPlanesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(QDir::setCurrent(TALLOWICK_APP_DIR)); }
};

} // namespace

TEST_F(DisplayPlanesTest, OneToOneCopiesEverySampleInPlace) {
    // Distinct samples, so any swap of rows, columns or channels shows.
    const auto sample = [](int x, int y) {
        return Rgb{uint8_t(10 * x + y), uint8_t(100 + x), uint8_t(200 + 10 * y)};
    };
    const Planes planes = makePlanes(4, 3, sample);
    FakeTarget target(4, 3, QSize(6, 5));
    display(target, planes);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) {
            const Rgb inside = sample(x, y);
            const QRgb expected =
                x < 4 && y < 3 ? qRgb(inside.red, inside.green, inside.blue) : kUntouched;
            EXPECT_EQ(target.image().pixel(x, y), expected) << "at (" << x << ", " << y << ")";
        }
}

TEST_F(DisplayPlanesTest, PlanesFillTheWholeAreaWhateverItsAspect) {
    const Planes planes = uniformPlanes(201, 101, {7, 77, 177});
    for (const QSize area : {QSize(200, 100), QSize(400, 50)}) {
        SCOPED_TRACE(area.width());
        FakeTarget target(area.width(), area.height(), area + QSize(2, 2));
        display(target, planes);
        expectFilled(target.image(), area.width(), area.height(), qRgb(7, 77, 177));
    }
}

TEST_F(DisplayPlanesTest, PictureIsUprightAndRedStaysRed) {
    // Quadrants of a 201 x 101 picture: red top-left, green top-right, blue
    // bottom-left, white bottom-right; the middle column and row are grey.
    const Planes planes = makePlanes(201, 101, [](int x, int y) {
        if (x == 100 || y == 50)
            return Rgb{128, 128, 128};
        if (y < 50)
            return x < 100 ? Rgb{255, 0, 0} : Rgb{0, 255, 0};
        return x < 100 ? Rgb{0, 0, 255} : Rgb{255, 255, 255};
    });
    const Planes unchanged = planes;
    for (const QSize area : {QSize(200, 100), QSize(400, 50)}) {
        SCOPED_TRACE(area.width());
        FakeTarget target(area.width(), area.height(), area);
        display(target, planes);
        const QImage& image = target.image();
        const int right = area.width() - 1, bottom = area.height() - 1;
        EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
        EXPECT_EQ(image.pixel(right, 0), qRgb(0, 255, 0));
        EXPECT_EQ(image.pixel(0, bottom), qRgb(0, 0, 255));
        EXPECT_EQ(image.pixel(right, bottom), qRgb(255, 255, 255));
        // Quarter of the way in from each corner: deep inside each quadrant.
        EXPECT_EQ(image.pixel(right / 4, bottom / 4), qRgb(255, 0, 0));
        EXPECT_EQ(image.pixel(right - right / 4, bottom / 4), qRgb(0, 255, 0));
        EXPECT_EQ(image.pixel(right / 4, bottom - bottom / 4), qRgb(0, 0, 255));
        EXPECT_EQ(image.pixel(right - right / 4, bottom - bottom / 4), qRgb(255, 255, 255));
    }
    EXPECT_EQ(planes.red, unchanged.red);
    EXPECT_EQ(planes.green, unchanged.green);
    EXPECT_EQ(planes.blue, unchanged.blue);
}

TEST_F(DisplayPlanesTest, HalfPixelSizesRoundToTheEvenNeighbour) {
    // 99.5 -> 100, 100.5 -> 100, 101.5 -> 102, for the buffer and the
    // scaling alike: the area is filled exactly, with no unscaled edge.
    const Planes planes = uniformPlanes(10, 10, {40, 50, 60});
    const struct {
        double width, height;
        int expectedWidth, expectedHeight;
    } cases[] = {{99.5, 101.5, 100, 102}, {100.5, 99.5, 100, 100}, {101.5, 100.5, 102, 100}};
    for (const auto& test : cases) {
        SCOPED_TRACE(test.width);
        FakeTarget target(test.width, test.height, QSize(104, 104));
        display(target, planes);
        expectFilled(target.image(), test.expectedWidth, test.expectedHeight, qRgb(40, 50, 60));
    }
}

TEST_F(DisplayPlanesTest, AnEmptyAreaDrawsNothing) {
    const Planes planes = uniformPlanes(3, 3, {1, 2, 3});
    const struct {
        double width, height;
    } cases[] = {{0, 5}, {5, 0}, {0.4, 5}, {5, 0.5}, {5, -3}, {-3, 5}};
    for (const auto& test : cases) {
        SCOPED_TRACE(testing::Message() << test.width << " x " << test.height);
        FakeTarget target(test.width, test.height, QSize(6, 6));
        display(target, planes);
        expectFilled(target.image(), 0, 0, 0);
    }
}

TEST_F(DisplayPlanesTest, PlanesOfTheWrongShapeAreRefusedBeforeDrawing) {
    const Planes good = uniformPlanes(5, 4, {9, 9, 9});
    const host::ByteArray narrow = host::ByteArray::plane(4, 4);
    const host::ByteArray wide = host::ByteArray::plane(6, 4);
    const host::ByteArray short_ = host::ByteArray::plane(5, 3);
    const host::ByteArray cube({{0, 5}, {0, 4}, {0, 1}});
    const host::ByteArray offset({{1, 5}, {0, 4}});
    const host::ByteArray none;
    const struct {
        const char* plane;
        const host::ByteArray& red;
        const host::ByteArray& green;
        const host::ByteArray& blue;
    } cases[] = {
        {"red", narrow, good.green, good.blue}, {"green", good.red, wide, good.blue},
        {"blue", good.red, good.green, short_}, {"red", cube, good.green, good.blue},
        {"green", good.red, offset, good.blue}, {"blue", good.red, good.green, none},
    };
    for (const auto& test : cases) {
        FakeTarget target(5, 4, QSize(5, 4));
        try {
            DisplayPlanes(target, 4, 3, test.red, test.green, test.blue);
            ADD_FAILURE() << "a wrong " << test.plane << " plane was accepted";
        } catch (const host::PlaneShapeError& error) {
            EXPECT_NE(std::string(error.what()).find(std::string("the ") + test.plane + " plane"),
                      std::string::npos)
                << error.what();
            EXPECT_NE(std::string(error.what()).find("5 columns"), std::string::npos)
                << error.what();
        }
        expectFilled(target.image(), 0, 0, 0);
    }
    FakeTarget target(5, 4, QSize(5, 4));
    EXPECT_THROW(DisplayPlanes(target, -1, 3, good.red, good.green, good.blue),
                 host::PlaneShapeError);
    expectFilled(target.image(), 0, 0, 0);
}

TEST_F(DisplayPlanesTest, UnusableAreasFailWithoutDrawing) {
    const Planes planes = uniformPlanes(3, 3, {1, 2, 3});
    FakeTarget huge(3e9, 10, QSize(4, 4));
    EXPECT_THROW(display(huge, planes), platform::OverflowError);
    expectFilled(huge.image(), 0, 0, 0);

    GrowingTarget growing(4, 4, QSize(10, 10));
    EXPECT_THROW(display(growing, planes), imaging::DrawingAreaChangedError);
    expectFilled(growing.image(), 0, 0, 0);
}

TEST_F(DisplayPlanesTest, DrawsIntoAPictureBoxsPersistentImage) {
    const Planes planes = uniformPlanes(2, 2, {255, 0, 0});
    platform::PictureBox box;
    box.resize(6, 4);
    box.setBackColor(Qt::black);
    box.Cls();
    display(box, planes);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(box.image().pixel(x, y), qRgb(255, 0, 0)) << "at (" << x << ", " << y << ")";
}
