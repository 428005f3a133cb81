// The start-up and the load step: the host calls in order, the refusal
// without a brush, the brush arriving whole, planes of other shapes read
// within their bounds, and the fatal-error path.
#include "automation/CombineTableLayout.h"
#include "marrowset/ColourPick.h"
#include "marrowset/Form1.h"
#include "marrowset/Form2.h"
#include "platform/PictureBox.h"
#include "tests/marrowset/MarrowsetTestSupport.h"

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <memory>

namespace tests {
namespace {

using host::Variant;

TEST_F(MarrowsetTest, StartUpHandsOverTheWindowAndLoadsTheBrushInOrder) {
    marrowset::Form1& window = openWindow();

    EXPECT_EQ(fake().callNames(),
              (QStringList{"Tal_GetBrushWidth", "Tal_GetBrushHeight", "Tal_SendFormObject",
                           "Tal_GetBrushWidth", "Tal_GetBrushHeight", "Tal_GetbrushABuffer",
                           "tal_GetbrushRBuffer", "tal_GetbrushGBuffer", "tal_GetbrushBBuffer",
                           "tal_initluts"}));
    const Variant expectedWindow = host::ObjectRef{{}, {}, &window.automation()};
    EXPECT_EQ(fake().callsOf("Tal_SendFormObject")[0].args,
              (std::vector<Variant>{expectedWindow, int16_t{0}}));
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.windowTitle().isEmpty());
    EXPECT_TRUE(messageBoxes.requests().empty());

    // The held buffer is the brush as the host handed it out.
    EXPECT_EQ(module().held().W, 4);
    EXPECT_EQ(module().held().H, 3);
    EXPECT_EQ(module().held().alpha, brushPlane(kAlpha, {0, 5}, {0, 4}));
    EXPECT_EQ(module().held().blue, brushPlane(kBlue, {0, 5}, {0, 4}));
    ASSERT_TRUE(module().combineTable().has_value());
    EXPECT_EQ(module().combineTable()->entries(), scriptedCombineTable());
    // The menu holder is made on first use only.
    EXPECT_FALSE(window.hasMenuHolder());

    // The host can no longer reach the window once the program ends.
    host::AutomationObject* const handedOver = &window.automation();
    EXPECT_TRUE(handover.withdrawn.empty());
    program.reset();
    EXPECT_EQ(handover.withdrawn, std::vector<host::AutomationObject*>{handedOver});
}

// The brush's size as the host answers it call by call: `widths` and
// `heights` in turn, the last one repeated.
void scriptChangingBrushSize(FakeHost& fake, std::vector<int32_t> widths,
                             std::vector<int32_t> heights) {
    // The fake may copy a handler between calls, so the turn is kept aside.
    const auto inTurn = [](std::vector<int32_t> answers) {
        auto next = std::make_shared<std::size_t>(0);
        return [answers, next](const auto&) {
            return Variant{answers[std::min((*next)++, answers.size() - 1)]};
        };
    };
    fake.setHandler("Tal_GetBrushWidth", inTurn(std::move(widths)));
    fake.setHandler("Tal_GetBrushHeight", inTurn(std::move(heights)));
}

TEST_F(MarrowsetTest, TheLoadStepsSizeReplacesTheStartUpsAndANegativeOneIsThenAFault) {
    // 4 x 3 at the start-up, 6 x 2 at the load: the planes come with the
    // load's size.
    scriptChangingBrushSize(fake(), {4, 6}, {3, 2});
    openWindow();
    EXPECT_EQ(module().held().W, 6);
    EXPECT_EQ(module().held().H, 2);

    // A negative width at the load, after a brush at the start-up: the load
    // ends the program at that call, before it asks for the height.
    scriptChangingBrushSize(fake(), {4, -1}, {3});
    fake().clearCalls();
    ASSERT_TRUE(endingOf([this] { startUp(); }).status.has_value());
    EXPECT_EQ(fake().callNames(), (QStringList{"Tal_GetBrushWidth", "Tal_GetBrushHeight",
                                               "Tal_SendFormObject", "Tal_GetBrushWidth"}));
    ASSERT_EQ(messageBoxes.requests().size(), 1u);
    EXPECT_EQ(messageBoxes.requests()[0].text,
              "Form_Load: Tal_GetBrushWidth: returned -1; a size or count cannot be negative");
    EXPECT_FALSE(module().held().hasPlanes());
}

TEST_F(MarrowsetTest, NoCustomBrushEndsTheStartUpWithoutAWindowEvenWithAPictureNamed) {
    for (const auto& [width, height] : {std::pair{0, 3}, std::pair{4, 0}, std::pair{-1, 3}}) {
        scriptBrush(fake(), width, height);
        fake().clearCalls();
        const auto outcome = startUp(QStringLiteral("CLIPBOARD"));

        EXPECT_EQ(outcome, plugin::StartUpOutcome::Ended) << width << " x " << height;
        EXPECT_EQ(program->mainWindow(), nullptr);
        EXPECT_EQ(fake().callNames(), (QStringList{"Tal_GetBrushWidth", "Tal_GetBrushHeight"}));
    }
    ASSERT_EQ(messageBoxes.requests().size(), 3u);
    for (const auto& request : messageBoxes.requests()) {
        EXPECT_EQ(request.text, "no custom brush");
        EXPECT_EQ(request.buttons, platform::MessageBoxButtons::Ok);
    }
}

TEST_F(MarrowsetTest, ThePreviewShowsEveryHeldSampleTheExtraColumnAndRowIncluded) {
    // A brush of 21 x 9: planes of 22 x 10 samples, shown at 1:1 in a
    // preview of 22 x 10 pixels (a client area of 23 x 33).
    scriptBrush(fake(), 21, 9);
    marrowset::Form1& window = openWindow();
    window.resize(23, 33);
    ASSERT_EQ(window.Picture1->size(), QSize(22, 10));

    const QImage& shown = window.Picture1->image();
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 22; ++x)
            ASSERT_EQ(shown.pixel(x, y), qRgb(brushSample(kRed, x, y), brushSample(kGreen, x, y),
                                              brushSample(kBlue, x, y)))
                << "at (" << x << ", " << y << ")";
}

// Planes the host hands out with other bounds than columns 0..W and rows
// 0..H: every reader stays inside them (the sanitizer build would report a
// read outside) and uses what they hold.
TEST_F(MarrowsetTest, BrushPlanesOfOtherBoundsAreReadWithinThem) {
    struct Shape {
        const char* what;
        host::Dimension columns;
        host::Dimension rows;
    };
    for (const Shape& shape : {Shape{"smaller", {0, 3}, {0, 2}}, Shape{"offset", {2, 3}, {1, 3}},
                               Shape{"larger", {-2, 9}, {0, 7}}}) {
        SCOPED_TRACE(shape.what);
        scriptBrush(fake(), 4, 3, shape.columns, shape.rows);
        image.replace(6, 5);
        marrowset::Form1& window = openWindow();
        window.resize(60, 60);
        window.DisplayBrush();

        // The preview shows the samples of columns 0..4 and rows 0..3 that
        // the planes hold: its top-left pixel is the first such sample.
        const int left = std::max(shape.columns.lower, 0);
        const int top = std::max(shape.rows.lower, 0);
        EXPECT_EQ(window.Picture1->image().pixel(0, 0),
                  qRgb(brushSample(kRed, left, top), brushSample(kGreen, left, top),
                       brushSample(kBlue, left, top)));

        // A pick where the planes hold nothing picks nothing.
        const auto heldAt = [&](int x, int y) {
            return marrowset::heldColourAt(module().held(), {x, y});
        };
        EXPECT_EQ(heldAt(0, 0).has_value(), shape.columns.lower <= 0 && shape.rows.lower <= 0);
        EXPECT_FALSE(heldAt(4, 100).has_value());

        // The overlay paste writes exactly the pixels the planes hold.
        module().pasteOverlay();
        for (int y = 0; y <= 5; ++y)
            for (int x = 0; x <= 6; ++x) {
                const bool held = x < 6 && y < 5 && x <= 4 && y <= 3 && x >= shape.columns.lower &&
                                  x < shape.columns.lower + shape.columns.count &&
                                  y >= shape.rows.lower && y < shape.rows.lower + shape.rows.count;
                const int expected = held ? brushSample(kRed, x, y) : imageSample(kRed, x, y);
                ASSERT_EQ(image.planes[kRed].at(x, y), expected) << "at (" << x << ", " << y << ")";
            }
        module().pasteCentred();
        module().pasteScaled();
    }
}

TEST_F(MarrowsetTest, ACombineTableThatMissesEntriesEndsTheProgramNamingItsBounds) {
    fake().setResult("tal_initluts", host::ByteArray({{0, 256}, {0, 256}, {0, 9}}));
    ASSERT_TRUE(endingOf([this] { startUp(); }).status.has_value());
    ASSERT_EQ(messageBoxes.requests().size(), 1u);
    EXPECT_EQ(messageBoxes.requests()[0].text,
              "Form_Load: tal_initluts: The combine table has the bounds (0 To 255, 0 To 255, 0 "
              "To 8); it needs three dimensions that hold (0 To 255, 0 To 255, 0 To 9)");
    EXPECT_FALSE(module().combineTable().has_value());
}

TEST_F(MarrowsetTest, AFailingHostCallInTheLoadStepEndsTheProgramNamingTheCall) {
    fake().failCalls("tal_GetbrushGBuffer", "the host is gone");
    const Ending ending = endingOf([this] { startUp(); });
    const std::string& errorOutput = ending.errorOutput;

    ASSERT_TRUE(ending.status.has_value());
    EXPECT_NE(*ending.status, 0);
    ASSERT_EQ(messageBoxes.requests().size(), 1u);
    EXPECT_NE(messageBoxes.requests()[0].text.indexOf("tal_GetbrushGBuffer"), -1)
        << messageBoxes.requests()[0].text.toStdString();
    EXPECT_NE(errorOutput.find("tal_GetbrushGBuffer"), std::string::npos) << errorOutput;
    // Nothing of the half-fetched brush is held.
    EXPECT_FALSE(module().held().hasPlanes());
}

TEST_F(MarrowsetTest, ClosingTheWindowUnloadsTheMenuHolderAndEndsTheProgram) {
    marrowset::Form1& window = openWindow();
    menu();
    ASSERT_TRUE(window.hasMenuHolder());
    fake().clearCalls();

    // The close box, as the program's event loop sees it: the loop ends by
    // itself once the window is gone (or the test gives up after a while).
    QTimer::singleShot(0, &window, [&window] { window.close(); });
    QTimer::singleShot(10000, qApp, [] { QCoreApplication::exit(7); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.hasMenuHolder());
    EXPECT_TRUE(fake().calls().empty());
}

} // namespace
} // namespace tests
