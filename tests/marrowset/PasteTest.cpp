// The three pastes, every pixel of the image checked: inside and outside
// what they write, alpha included, and the host calls around them.
#include "marrowset/Form2.h"
#include "marrowset/Module1.h"
#include "tests/marrowset/MarrowsetTestSupport.h"

#include <QAction>

namespace tests {
namespace {

// The brush's own sample (x - dx, y - dy) where that lies in `held`
// (columns left..right-1, rows top..bottom-1) and (x, y) in the image.
// Alpha is never pasted.
Written brushAt(QRect held, int dx, int dy, int width, int height) {
    return [=](int channel, int x, int y) -> std::optional<uint8_t> {
        if (channel == kAlpha || x >= width || y >= height || !held.contains(x - dx, y - dy))
            return std::nullopt;
        return brushSample(channel, x - dx, y - dy);
    };
}

class Paste : public MarrowsetTest {
protected:
    void run(void (marrowset::Module1::*paste)()) {
        fake().clearCalls();
        (module().*paste)();
    }
};

TEST_F(Paste, OverlayWritesTheBrushWithItsExtraColumnAndRowAtTheOrigin) {
    scriptBrush(fake(), 100, 50);
    image.replace(640, 480);
    openWindow();
    run(&marrowset::Module1::pasteOverlay);
    expectImage(image, brushAt(QRect(0, 0, 101, 51), 0, 0, 640, 480));

    // A smaller image takes the brush wherever it reaches: everywhere.
    image.replace(80, 40);
    run(&marrowset::Module1::pasteOverlay);
    expectImage(image, brushAt(QRect(0, 0, 101, 51), 0, 0, 80, 40));
}

TEST_F(Paste, CentredTakesOnlyTheBrushsOwnPixelsAtTheCentre) {
    // ox = 320 - 50 = 270, oy = 240 - 25 = 215: image columns 270..370 and
    // rows 215..265 receive brush columns 0..100 and rows 0..50; the brush's
    // extra column 101 and row 51 are not pasted.
    scriptBrush(fake(), 101, 51);
    image.replace(640, 480);
    openWindow();
    run(&marrowset::Module1::pasteCentred);
    expectImage(image, brushAt(QRect(0, 0, 101, 51), 270, 215, 640, 480));
}

TEST_F(Paste, CentredCropsABrushLargerThanTheImageOnEverySide) {
    // W 9, H 7 on 6 x 5: ox = 3 - 4 = -1, oy = 2 - 3 = -1.
    scriptBrush(fake(), 9, 7);
    openWindow();
    run(&marrowset::Module1::pasteCentred);
    expectImage(image, brushAt(QRect(0, 0, 9, 7), -1, -1, 6, 5));
}

TEST_F(Paste, ScaledAtOneToOneCopiesEachPixelsOwnSample) {
    scriptBrush(fake(), 6, 5);
    openWindow();
    run(&marrowset::Module1::pasteScaled);
    expectImage(image, brushAt(QRect(0, 0, 6, 5), 0, 0, 6, 5));
}

TEST_F(Paste, ScaledAtTwoToOneTakesTheMeanOfNeighboursHalvesToEven) {
    // A brush of 2 x 1 onto 4 x 2. Red columns 10, 13, 10 and green 10, 11,
    // 10 in both rows: odd image columns sample halfway, 11.5 -> 12 and
    // 10.5 -> 10. Blue 0, 100, 200 on row 0 and 100, 200, 0 on row 1: image
    // row 1 samples halfway down, column 1 (0 + 100 + 100 + 200) / 4 = 100.
    fake().setResult("Tal_GetBrushWidth", 2);
    fake().setResult("Tal_GetBrushHeight", 1);
    const auto planeOf = [](std::vector<uint8_t> samples) {
        host::ByteArray plane = host::ByteArray::plane(3, 2);
        std::copy(samples.begin(), samples.end(), plane.data());
        return plane;
    };
    fake().setResult("tal_GetbrushRBuffer", planeOf({10, 13, 10, 10, 13, 10}));
    fake().setResult("tal_GetbrushGBuffer", planeOf({10, 11, 10, 10, 11, 10}));
    fake().setResult("tal_GetbrushBBuffer", planeOf({0, 100, 200, 100, 200, 0}));
    image.replace(4, 2);
    openWindow();
    run(&marrowset::Module1::pasteScaled);

    const uint8_t red[2][4] = {{10, 12, 13, 12}, {10, 12, 13, 12}};
    const uint8_t green[2][4] = {{10, 10, 11, 10}, {10, 10, 11, 10}};
    // Row 1, column 2: (100 + 200) / 2 = 150; column 3: (100 + 200 + 200 +
    // 0) / 4 = 125.
    const uint8_t blue[2][4] = {{0, 50, 100, 150}, {50, 100, 150, 125}};
    expectImage(image, [&](int channel, int x, int y) -> std::optional<uint8_t> {
        if (channel == kAlpha || x >= 4 || y >= 2)
            return std::nullopt;
        const auto& source = channel == kRed ? red : channel == kGreen ? green : blue;
        return source[y][x];
    });
}

TEST_F(Paste, EachPasteSnapshotsOnceBeforeAnyChangeAndLeavesAlphaAlone) {
    openWindow();
    const QStringList expected{
        "Tal_SaveUndo",   "Tal_BufferWidth", "Tal_BufferHeight", "tal_GetRBuffer", "tal_GetGBuffer",
        "tal_GetBBuffer", "Tal_SetRBuffer",  "Tal_SetGBuffer",   "Tal_SetBBuffer", "tal_Refresh"};
    for (QAction* item : {menu().Overlay, menu().RI_Center, menu().RI_Scale}) {
        SCOPED_TRACE(item->objectName().toStdString());
        fake().clearCalls();
        item->trigger();
        EXPECT_EQ(fake().callNames(), expected);
        // Each plane goes back whole, as fetched.
        for (const char* setter : {"Tal_SetRBuffer", "Tal_SetGBuffer", "Tal_SetBBuffer"})
            EXPECT_EQ(
                std::get<host::ByteArray>(fake().callsOf(setter).at(0).args.at(0)).dimensions(),
                (std::vector<host::Dimension>{{0, 7}, {0, 6}}));
    }
    for (int y = 0; y <= image.BH; ++y)
        for (int x = 0; x <= image.BW; ++x)
            ASSERT_EQ(image.planes[kAlpha].at(x, y), imageSample(kAlpha, x, y));
    // The held buffer is as the host handed it out.
    EXPECT_EQ(module().held().red, brushPlane(kRed, {0, 5}, {0, 4}));
    EXPECT_EQ(module().held().alpha, brushPlane(kAlpha, {0, 5}, {0, 4}));
}

} // namespace
} // namespace tests
