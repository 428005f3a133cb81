#include "tallowick/calls/HostObject.h"

#include "tallowick/model/HostModel.h"
#include "tests/tallowick/CallRecording.h"
#include "tests/tallowick/ErrorText.h"
#include "tests/tallowick/TinyDocument.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

using host::ByteArray;
using host::Variant;
using tallowick::Rgb;
using tests::errorOf;

// Brush pixels: red 10, 20 on row 0; the other channels fixed.
tallowick::RgbaFrame twoPixelBrush() {
    QImage image(2, 1, QImage::Format_RGBA8888);
    image.setPixelColor(0, 0, QColor(10, 1, 2, 128));
    image.setPixelColor(1, 0, QColor(20, 3, 4, 255));
    return tallowick::RgbaFrame::fromImage(image);
}

class HostObjectCalls : public ::testing::Test {
protected:
    Variant call(const QString& method, std::vector<Variant> args = {}) {
        return host.Invoke(method, args);
    }
    std::string errorOfCall(const QString& method, std::vector<Variant> args = {}) {
        return errorOf([&] { call(method, args); });
    }

    tests::RecordingCaller caller;
    tallowick::HostModel model{tests::tinyDocument(), twoPixelBrush(),
                               QStringLiteral("/opt/tallowick"),
                               QStringLiteral("/data/wallpaper.png")};
    tallowick::HostObject host{model, caller};
};

TEST_F(HostObjectCalls, NamesMatchWithoutRegardToCaseAndUnknownOnesAreRefused) {
    EXPECT_EQ(call("TAL_BUFFERWIDTH"), Variant(int32_t{3}));
    EXPECT_EQ(call("tal_getappdir"), Variant(QStringLiteral("/opt/tallowick")));
    EXPECT_EQ(call("Tal_WallpaperFilename"), Variant(QStringLiteral("/data/wallpaper.png")));
    EXPECT_EQ(errorOfCall("Tal_DrawCircle"), "Tal_DrawCircle: unknown method");
}

TEST_F(HostObjectCalls, WrongCountsAndTypesNameTheArgument) {
    EXPECT_EQ(errorOfCall("tal_BufferWidth", {int16_t{1}}),
              "tal_BufferWidth: expected 0 arguments, got 1");
    EXPECT_EQ(errorOfCall("Tal_GotoFrame"), "Tal_GotoFrame: expected 1 argument, got 0");
    EXPECT_EQ(errorOfCall("Tal_GotoFrame", {QStringLiteral("1")}),
              "Tal_GotoFrame: argument 1 (frame index): expected a number, got String");
    EXPECT_EQ(errorOfCall("Tal_NewBuffer", {int16_t{4}, ByteArray({{0, 2}, {0, 2}, {0, 2}})}),
              "Tal_NewBuffer: argument 2 (height): expected a number, got Byte()");
    EXPECT_EQ(errorOfCall("tal_StatusOpen", {true}),
              "tal_StatusOpen: argument 1 (caption): expected a String, got Boolean");
    EXPECT_EQ(errorOfCall("tal_Status", {1e300 * 1e300}),
              "tal_Status: argument 1 (percent): inf is not a finite number");
}

TEST_F(HostObjectCalls, ColoursTakeNumbersFrom0To255AndRefuseOthersWhole) {
    QSignalSpy changed(&model.painting(), &tallowick::PaintingTools::coloursChanged);
    call("tal_setPrimaryColor", {int16_t{1}, int32_t{2}, 254.5}); // 254.5 rounds to 254
    call("tal_setSecondaryColor", {int16_t{255}, int16_t{0}, 0.4});
    EXPECT_EQ(model.painting().primaryColour(), (Rgb{1, 2, 254}));
    EXPECT_EQ(model.painting().secondaryColour(), (Rgb{255, 0, 0}));
    EXPECT_EQ(changed.count(), 2);

    EXPECT_EQ(errorOfCall("tal_setPrimaryColor", {int16_t{9}, int16_t{256}, int16_t{9}}),
              "tal_setPrimaryColor: argument 2 (green): 256 is outside 0 to 255");
    EXPECT_EQ(errorOfCall("tal_setPrimaryColor", {int16_t{9}, int16_t{9}, 255.5}),
              "tal_setPrimaryColor: argument 3 (blue): 256 is outside 0 to 255");
    EXPECT_EQ(errorOfCall("tal_setPrimaryColor", {true, int16_t{9}, int16_t{9}}),
              "tal_setPrimaryColor: argument 1 (red): expected a number, got Boolean");
    EXPECT_EQ(errorOfCall("tal_setPrimaryColor", {int16_t{9}, int16_t{9}}),
              "tal_setPrimaryColor: expected 3 arguments, got 2");
    EXPECT_EQ(model.painting().primaryColour(), (Rgb{1, 2, 254}));
}

TEST_F(HostObjectCalls, BrushPlanesRepeatTheLastColumnAndRow) {
    EXPECT_EQ(call("Tal_GetBrushWidth"), Variant(int32_t{2}));
    EXPECT_EQ(call("Tal_GetBrushHeight"), Variant(int32_t{1}));
    const auto red = std::get<ByteArray>(call("tal_GetbrushRBuffer"));
    const auto alpha = std::get<ByteArray>(call("Tal_GetbrushABuffer"));
    ASSERT_EQ(red.dimensions(), (std::vector<host::Dimension>{{0, 3}, {0, 2}}));
    // Row 0: 10 20 20; row 1 repeats row 0.
    EXPECT_EQ(std::vector<uint8_t>(red.data(), red.data() + 6),
              (std::vector<uint8_t>{10, 20, 20, 10, 20, 20}));
    EXPECT_EQ(std::vector<uint8_t>(alpha.data(), alpha.data() + 6),
              (std::vector<uint8_t>{128, 255, 255, 128, 255, 255}));
}

TEST_F(HostObjectCalls, WithoutABrushItsSizeIsZeroAndItsPlanesAreRefused) {
    model.painting().setBrush(std::nullopt);
    EXPECT_EQ(call("Tal_GetBrushWidth"), Variant(int32_t{0}));
    EXPECT_EQ(call("Tal_GetBrushHeight"), Variant(int32_t{0}));
    for (const char* getter : {"Tal_GetbrushABuffer", "tal_GetbrushRBuffer", "tal_GetbrushGBuffer",
                               "tal_GetbrushBBuffer"})
        EXPECT_EQ(errorOfCall(getter),
                  std::string(getter) + ": there is no custom brush (its width and height are 0)");
}

TEST_F(HostObjectCalls, SendFormObjectHoldsTheWindowAndAsksItToTakeTheTheme) {
    const host::ObjectRef window{QStringLiteral(":1.42"), QStringLiteral("/Form1")};
    call("Tal_SendFormObject", {window, int16_t{0}});
    call("tal_sendformobject", {window, int16_t{0}});
    ASSERT_EQ(model.heldWindows().all().size(), 1u);
    EXPECT_EQ(model.heldWindows().all()[0], window);
    ASSERT_EQ(caller.calls.size(), 2u);
    EXPECT_EQ(caller.calls[0].window, window);
    EXPECT_EQ(caller.calls[0].method, "PrefsCallback");
    EXPECT_EQ(caller.calls[0].args, std::vector<Variant>{window});

    EXPECT_EQ(errorOfCall("Tal_SendFormObject", {QStringLiteral("Form1"), int16_t{0}}),
              "Tal_SendFormObject: argument 1 (window): expected an Object, got String");
    EXPECT_EQ(errorOfCall("Tal_SendFormObject", {window, int16_t{1}}),
              "Tal_SendFormObject: argument 2 (mode): expected 0, got 1");

    const host::ObjectRef other{QStringLiteral(":1.43"), QStringLiteral("/CLOptions")};
    model.heldWindows().hold(other);
    caller.calls.clear();
    tallowick::applyThemeToHeldWindows(caller, model.heldWindows());
    ASSERT_EQ(caller.calls.size(), 2u);
    EXPECT_EQ(caller.calls[1].window, other);
    EXPECT_EQ(caller.calls[1].args, std::vector<Variant>{other});
}

TEST_F(HostObjectCalls, ProgressOpensTakesPercentagesAndCloses) {
    QSignalSpy changed(&model.progress(), &tallowick::ProgressDisplay::progressChanged);
    call("tal_StatusOpen", {QStringLiteral("Retrieving frames...")});
    call("tal_Status", {int16_t{0}});
    call("tal_Status", {37.5});
    EXPECT_EQ(model.progress().state(),
              (tallowick::ProgressState{true, QStringLiteral("Retrieving frames..."), 37.5}));
    EXPECT_EQ(errorOfCall("tal_Status", {int32_t{101}}),
              "tal_Status: a progress of 101 percent is not allowed; it must be 0 to 100");
    call("tal_StatusClose");
    EXPECT_FALSE(model.progress().state().open);
    EXPECT_EQ(changed.count(), 4);
}

TEST_F(HostObjectCalls, MarqueeCountsPixelsWithAlphaAndAlphaSwitchesOn) {
    // Frame 0's alpha is 1 + 180 + 10y + x, all above 0: 6 pixels. A plane
    // zero in its first row leaves the 3 of row 1.
    call("Tal_Initmarquee");
    EXPECT_EQ(model.display().marqueePixelCount(), 6);
    ByteArray alpha = ByteArray::plane(4, 3);
    alpha.at(0, 1) = alpha.at(1, 1) = alpha.at(2, 1) = 9;
    call("Tal_SetaBuffer", {alpha});
    call("Tal_Initmarquee");
    EXPECT_EQ(model.display().marqueePixelCount(), 3);

    QSignalSpy redraw(&model.display(), &tallowick::ImageDisplay::imageChanged);
    EXPECT_FALSE(model.display().alphaOn());
    call("tal_alphaon");
    EXPECT_TRUE(model.display().alphaOn());
    call("tal_Refresh");
    EXPECT_EQ(redraw.count(), 2);
}

} // namespace
