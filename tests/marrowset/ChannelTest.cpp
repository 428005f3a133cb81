// The channel commands: the adds, the nine greyscale commands with the
// library's conversions and with conversions the test scripts, and a level
// out of range.
#include "maker/binding/MakerLibraries.h"
#include "marrowset/ChannelCommands.h"
#include "marrowset/Form2.h"
#include "tests/marrowset/MarrowsetTestSupport.h"

#include <QAction>
#include <QDir>
#include <array>
#include <cmath>
#include <limits>

namespace tests {
namespace {

// The scripted conversion: the three results for a held pixel are chosen by
// its red byte; the inputs of every call are kept.
std::array<std::array<float, 3>, 256> g_results{};
std::vector<std::array<float, 3>> g_inputs;

void scriptedConversion(float r, float g, float b, float* first, float* second, float* third) {
    g_inputs.push_back({r, g, b});
    const auto& results = g_results[static_cast<std::size_t>(std::lround(r * 255.0f))];
    *first = results[0];
    *second = results[1];
    *third = results[2];
}

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

class Channels : public MarrowsetTest {
protected:
    Channels() {
        g_results = {};
        g_inputs.clear();
    }

    // A brush of 3 x 1 whose red samples are 0, 1, 2, 3 in both rows
    // (picking the scripted results) and green and blue 51 and 102
    // (fractions 0.2 and 0.4).
    void openWithScriptedConversions() {
        fake().setResult("Tal_GetBrushWidth", 3);
        fake().setResult("Tal_GetBrushHeight", 1);
        host::ByteArray red = host::ByteArray::plane(4, 2);
        host::ByteArray green = host::ByteArray::plane(4, 2);
        host::ByteArray blue = host::ByteArray::plane(4, 2);
        for (int x = 0; x < 4; ++x) {
            red.at(x, 0) = static_cast<uint8_t>(x);
            red.at(x, 1) = static_cast<uint8_t>(x);
            green.at(x, 0) = green.at(x, 1) = 51;
            blue.at(x, 0) = blue.at(x, 1) = 102;
        }
        fake().setResult("tal_GetbrushRBuffer", red);
        fake().setResult("tal_GetbrushGBuffer", green);
        fake().setResult("tal_GetbrushBBuffer", blue);
        openWindow();
        module().filterRoutines = {[] { return &scriptedConversion; },
                                   [] { return &scriptedConversion; }};
    }

    // The grey levels written into image row 0, columns 0..3; red, green and
    // blue must agree.
    std::array<int, 4> greyRow() {
        std::array<int, 4> row{};
        for (int x = 0; x < 4; ++x) {
            row[x] = image.planes[kRed].at(x, 0);
            EXPECT_EQ(image.planes[kGreen].at(x, 0), row[x]) << "column " << x;
            EXPECT_EQ(image.planes[kBlue].at(x, 0), row[x]) << "column " << x;
        }
        return row;
    }
};

TEST_F(Channels, AddingSaturatesAndTouchesOnlyItsPlane) {
    // Brush red 100 onto image red 200 and 100.
    host::ByteArray red = brushPlane(kRed, {0, 5}, {0, 4});
    red.at(0, 0) = 100;
    red.at(1, 0) = 100;
    fake().setResult("tal_GetbrushRBuffer", red);
    image.planes[kRed].at(0, 0) = 200;
    image.planes[kRed].at(1, 0) = 100;
    openWindow();
    fake().clearCalls();
    menu().Addred->trigger();

    // 200 + 100 and 100 + 100 where scripted, the sums elsewhere in the
    // overlap, saturated; nothing outside it, nor in the other planes.
    expectImage(image, [](int channel, int x, int y) -> std::optional<uint8_t> {
        if (channel != kRed || x > 4 || y > 3)
            return std::nullopt;
        if (y == 0 && x <= 1)
            return x == 0 ? 255 : 200;
        return std::min(brushSample(kRed, x, y) + imageSample(kRed, x, y), 255);
    });
    EXPECT_EQ(fake().callNames(),
              (QStringList{"Tal_SaveUndo", "Tal_BufferWidth", "Tal_BufferHeight", "tal_GetRBuffer",
                           "Tal_SetRBuffer", "tal_Refresh"}));

    fake().clearCalls();
    menu().Addblue->trigger();
    EXPECT_EQ(fake().callNames().mid(3, 2), (QStringList{"tal_GetBBuffer", "Tal_SetBBuffer"}));
}

TEST_F(Channels, EveryGreyscaleCommandGreysTheOverlapAndLeavesTheRest) {
    // The library's own conversions, bound from the application folder.
    const QString startDirectory = QDir::currentPath();
    QDir::setCurrent(QStringLiteral(TALLOWICK_APP_DIR));
    maker::RGB_To_HSV.pointer();
    maker::f_rgb2yuv.pointer();
    QDir::setCurrent(startDirectory);
    openWindow();
    for (QAction* item : {menu().UseRed, menu().UseGreen, menu().UseBlue, menu().UseHue,
                          menu().UseSat, menu().UseValue, menu().Usey, menu().UseU, menu().UseV}) {
        SCOPED_TRACE(item->text().toStdString());
        image.replace(6, 5);
        fake().clearCalls();
        item->trigger();
        EXPECT_EQ(fake().countOf("Tal_SaveUndo"), 1);
        EXPECT_EQ(fake().callNames().first(1), QStringList{"Tal_SaveUndo"});
        for (int y = 0; y <= 5; ++y)
            for (int x = 0; x <= 6; ++x) {
                ASSERT_EQ(image.planes[kAlpha].at(x, y), imageSample(kAlpha, x, y));
                const int red = image.planes[kRed].at(x, y);
                if (x <= 4 && y <= 3) {
                    ASSERT_EQ(image.planes[kGreen].at(x, y), red) << x << ", " << y;
                    ASSERT_EQ(image.planes[kBlue].at(x, y), red) << x << ", " << y;
                } else {
                    for (const int channel : {kRed, kGreen, kBlue})
                        ASSERT_EQ(image.planes[channel].at(x, y), imageSample(channel, x, y));
                }
            }
    }
    // The plain components copy the brush's own samples.
    image.replace(6, 5);
    menu().UseGreen->trigger();
    EXPECT_EQ(image.planes[kRed].at(3, 2), brushSample(kGreen, 3, 2));
}

TEST_F(Channels, HueSaturationAndValueBecomeBytesHalvesToEven) {
    openWithScriptedConversions();
    // Hue 180 -> 127.5 -> 128; 360 -> 255; -5 and NaN -> 0.
    g_results[0] = {180.0f, 0.5f, 1.0f};
    g_results[1] = {360.0f, 0.0f, 0.0f};
    g_results[2] = {-5.0f, 1.0f, 0.5f};
    g_results[3] = {kNaN, 0.25f, 0.002f};
    menu().UseHue->trigger();
    EXPECT_EQ(greyRow(), (std::array<int, 4>{128, 255, 0, 0}));
    // 60 -> 42.5 -> 42 and 12 -> 8.5 -> 8: halves go to the even neighbour,
    // down as often as up.
    g_results[0][0] = 60.0f;
    g_results[1][0] = 12.0f;
    menu().UseHue->trigger();
    EXPECT_EQ(greyRow(), (std::array<int, 4>{42, 8, 0, 0}));
    // Saturation 0.5 -> 127.5 -> 128; 0.25 -> 63.75 -> 64.
    menu().UseSat->trigger();
    EXPECT_EQ(greyRow(), (std::array<int, 4>{128, 0, 255, 64}));
    // Value 1 -> 255; 0.5 -> 128; 0.002 -> 0.51 -> 1.
    menu().UseValue->trigger();
    EXPECT_EQ(greyRow(), (std::array<int, 4>{255, 0, 128, 1}));

    // One call per pixel of the overlap (4 x 2), with the held bytes as
    // single-precision fractions.
    EXPECT_EQ(g_inputs.size(), 4u * 8u);
    EXPECT_EQ(g_inputs[0], (std::array<float, 3>{0.0f, 0.2f, 0.4f}));
    EXPECT_EQ(g_inputs[3][0], static_cast<float>(3.0 / 255.0));
}

TEST_F(Channels, YUAndVBecomeBytesAroundTheirCentre) {
    openWithScriptedConversions();
    // U and V exactly 128 -> 0; 128.5 -> 127.5 -> 128; 127.5 likewise; Y
    // 0.5 -> 128.
    g_results[0] = {0.5f, 128.0f, 128.5f};
    g_results[1] = {1.0f, 128.5f, 128.0f};
    g_results[2] = {0.0f, 127.5f, 129.0f};
    g_results[3] = {0.25f, 127.0f, 127.75f};
    menu().Usey->trigger();
    EXPECT_EQ(greyRow(), (std::array<int, 4>{128, 255, 0, 64}));
    menu().UseU->trigger();
    EXPECT_EQ(greyRow(), (std::array<int, 4>{0, 128, 128, 255}));
    // |127.75 - 128| x 255 = 63.75 -> 64.
    menu().UseV->trigger();
    EXPECT_EQ(greyRow(), (std::array<int, 4>{128, 0, 255, 64}));
}

TEST_F(Channels, ALevelOutOfRangeEndsOnlyItsCommandWithTheImageAsItWas) {
    openWithScriptedConversions();
    // Saturation 1.2 -> 306.
    g_results[2] = {0.0f, 1.2f, 0.0f};
    fake().clearCalls();
    menu().UseSat->trigger();

    EXPECT_EQ(fake().callNames(),
              (QStringList{"Tal_SaveUndo", "Tal_BufferWidth", "Tal_BufferHeight", "tal_GetRBuffer",
                           "tal_GetGBuffer", "tal_GetBBuffer"}));
    expectImage(image, [](int, int, int) { return std::nullopt; });
    ASSERT_EQ(messageBoxes.requests().size(), 1u);
    const QString text = messageBoxes.requests()[0].text;
    EXPECT_TRUE(text.startsWith("Use saturation (as greyscale): ")) << text.toStdString();
    EXPECT_NE(text.indexOf("306"), -1) << text.toStdString();

    // The program goes on.
    menu().UseValue->trigger();
    EXPECT_EQ(fake().countOf("Tal_SetRBuffer"), 1);
}

} // namespace
} // namespace tests
