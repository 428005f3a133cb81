// The combine modes and the two alpha commands, every pixel of the image
// checked inside and outside the overlap.
#include "automation/CombineTableLayout.h"
#include "marrowset/Form2.h"
#include "tests/marrowset/MarrowsetTestSupport.h"

#include <QAction>

namespace tests {
namespace {

// The overlap of a W x H brush (columns 0..W, rows 0..H) with a BW x BH
// image.
bool inOverlap(int x, int y, int W, int H, int BW, int BH) {
    return x <= W && y <= H && x < BW && y < BH;
}

// The scripted table's entry: (s + 2 d + 3 m) mod 256.
uint8_t scriptedEntry(int s, int d, int m) {
    return static_cast<uint8_t>(s + 2 * d + 3 * m);
}

Written combined(int mode, int W, int H, int BW, int BH) {
    return [=](int channel, int x, int y) -> std::optional<uint8_t> {
        if (channel == kAlpha || !inOverlap(x, y, W, H, BW, BH))
            return std::nullopt;
        return scriptedEntry(brushSample(channel, x, y), imageSample(channel, x, y), mode);
    };
}

TEST_F(MarrowsetTest, EachCombineItemLooksUpItsModeOverTheOverlapOnly) {
    openWindow();
    // "Add" is mode 0 onto a larger image: the brush's columns 0..4 and rows
    // 0..3 change, the rest of the 6 x 5 image does not.
    fake().clearCalls();
    menu().CombineModes[0]->trigger();
    expectImage(image, combined(0, 4, 3, 6, 5));
    EXPECT_EQ(fake().callNames(),
              (QStringList{"Tal_SaveUndo", "Tal_BufferWidth", "Tal_BufferHeight", "tal_GetRBuffer",
                           "tal_GetGBuffer", "tal_GetBBuffer", "Tal_SetRBuffer", "Tal_SetGBuffer",
                           "Tal_SetBBuffer", "tal_Refresh"}));

    // "Xor" is mode 9, onto an image smaller than the brush.
    image.replace(3, 2);
    menu().CombineModes[9]->trigger();
    expectImage(image, combined(9, 4, 3, 3, 2));
    EXPECT_EQ(menu().CombineModes[9]->property("Index").toInt(), 10);
}

TEST_F(MarrowsetTest, TheCombineTableIsAddressedThroughItsOwnBounds) {
    // Bounds (-1 To 256, -2 To 256, -1 To 10): every index the modes use is
    // inside, at another offset than in the host's own table; entries the
    // modes never address hold 0xEE, so a wrong offset shows.
    host::ByteArray table({{-1, 258}, {-2, 259}, {-1, 12}});
    std::fill(table.data(), table.data() + table.size(), uint8_t{0xEE});
    for (int m = 0; m < host::kCombineModes; ++m)
        for (int d = 0; d < 256; ++d)
            for (int s = 0; s < 256; ++s)
                table.at(s, d, m) = scriptedEntry(s, d, m);
    fake().setResult("tal_initluts", table);
    openWindow();
    for (const int mode : {3, 7}) {
        image.replace(6, 5);
        module().combine(mode);
        expectImage(image, combined(mode, 4, 3, 6, 5));
    }
}

TEST_F(MarrowsetTest, UseImageAsAlphaTakesTheMeanOfTheBrushsColourDroppingTheFraction) {
    // A brush of 1 x 1: four samples, (255, 255, 255), (255, 0, 0),
    // (1, 1, 0) and (2, 2, 0), giving 255, 85, 0 (2 / 3) and 1 (4 / 3).
    fake().setResult("Tal_GetBrushWidth", 1);
    fake().setResult("Tal_GetBrushHeight", 1);
    const auto plane = [](std::vector<uint8_t> samples) {
        host::ByteArray result = host::ByteArray::plane(2, 2);
        std::copy(samples.begin(), samples.end(), result.data());
        return result;
    };
    fake().setResult("tal_GetbrushRBuffer", plane({255, 255, 1, 2}));
    fake().setResult("tal_GetbrushGBuffer", plane({255, 0, 1, 2}));
    fake().setResult("tal_GetbrushBBuffer", plane({255, 0, 0, 0}));
    openWindow();
    fake().clearCalls();
    menu().UseAsAlpha->trigger();

    const uint8_t levels[2][2] = {{255, 85}, {0, 1}};
    expectImage(image, [&](int channel, int x, int y) -> std::optional<uint8_t> {
        if (channel != kAlpha || x > 1 || y > 1)
            return std::nullopt;
        return levels[y][x];
    });
    EXPECT_EQ(fake().callNames(),
              (QStringList{"Tal_SaveUndo", "Tal_BufferWidth", "Tal_BufferHeight", "Tal_GetABuffer",
                           "Tal_SetaBuffer", "tal_Refresh", "Tal_Initmarquee", "tal_alphaon"}));
}

TEST_F(MarrowsetTest, ReplaceAlphaCopiesTheBrushsAlphaWhereItMeetsTheImage) {
    openWindow();
    menu().ReplaceAlpha->trigger();
    const auto brushAlpha = [](int W, int H, int BW, int BH) -> Written {
        return [=](int channel, int x, int y) -> std::optional<uint8_t> {
            if (channel != kAlpha || !inOverlap(x, y, W, H, BW, BH))
                return std::nullopt;
            return brushSample(kAlpha, x, y);
        };
    };
    expectImage(image, brushAlpha(4, 3, 6, 5));

    image.replace(2, 2);
    fake().clearCalls();
    menu().ReplaceAlpha->trigger();
    expectImage(image, brushAlpha(4, 3, 2, 2));
    EXPECT_EQ(fake().callNames().first(1), QStringList{"Tal_SaveUndo"});
    EXPECT_EQ(fake().callNames().last(3),
              (QStringList{"tal_Refresh", "Tal_Initmarquee", "tal_alphaon"}));
}

} // namespace
} // namespace tests
