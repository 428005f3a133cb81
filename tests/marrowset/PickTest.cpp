// Colour picking on the preview, and the click that pastes when the pick
// toggle is up.
#include "maker/widgets/VxButton.h"
#include "marrowset/Form1.h"
#include "platform/PictureBox.h"
#include "tests/marrowset/MarrowsetTestSupport.h"

#include <QCursor>
#include <QGuiApplication>
#include <QTest>

namespace tests {
namespace {

using host::Variant;

// The colour arguments of a pick of brush sample (x, y).
std::vector<Variant> colourOf(int x, int y) {
    return {int16_t{brushSample(kRed, x, y)}, int16_t{brushSample(kGreen, x, y)},
            int16_t{brushSample(kBlue, x, y)}};
}

// A brush of 100 x 50 in a preview of 200 x 100 pixels: two preview pixels
// to a held sample, across and down.
class Pick : public MarrowsetTest {
protected:
    Pick() {
        scriptBrush(fake(), 100, 50);
        window = &openWindow();
        window->resize(201, 123);
        fake().clearCalls();
    }

    void press(QPointF at, Qt::MouseButton button, Qt::MouseButtons held) {
        sendMouse(window->Picture1, QEvent::MouseButtonPress, at, button, held);
    }
    void move(QPointF at, Qt::MouseButtons held) {
        sendMouse(window->Picture1, QEvent::MouseMove, at, Qt::NoButton, held);
    }
    void release(QPointF at, Qt::MouseButton button) {
        sendMouse(window->Picture1, QEvent::MouseButtonRelease, at, button, Qt::NoButton);
    }
    void toggleDown() {
        QTest::mouseClick(window->vx_button2, Qt::LeftButton);
        ASSERT_TRUE(window->vx_button2->Down());
    }

    marrowset::Form1* window = nullptr;
};

TEST_F(Pick, HalvesGoToTheEvenSampleAndTheExtraColumnCanBePicked) {
    ASSERT_EQ(window->Picture1->size(), QSize(200, 100));
    // (100 / 200) x: 0.5 -> 0, 1.5 -> 2, 2.5 -> 2, 100 -> 100.
    const std::pair<int, int> expected[] = {{1, 0}, {3, 2}, {5, 2}, {200, 100}};
    for (const auto& [x, column] : expected)
        window->DoColorPick(x, 0, 1);
    const auto calls = fake().callsOf("tal_setPrimaryColor");
    ASSERT_EQ(calls.size(), 4u);
    for (std::size_t i = 0; i < calls.size(); ++i)
        EXPECT_EQ(calls[i].args, colourOf(expected[i].second, 0)) << "x = " << expected[i].first;

    // Row H too, and nothing beyond either.
    window->DoColorPick(0, 100, 2);
    EXPECT_EQ(fake().callsOf("tal_setSecondaryColor").back().args, colourOf(0, 50));
    fake().clearCalls();
    for (const auto& [x, y] : {std::pair{202, 0}, std::pair{0, 102}, std::pair{-2, 0},
                               std::pair{0, -2}, std::pair{2147483647, 0}})
        window->DoColorPick(x, y, 1);
    EXPECT_TRUE(fake().calls().empty());
}

TEST_F(Pick, WithTheToggleDownEveryPressDragAndReleasePicks) {
    toggleDown();
    press({10, 10}, Qt::LeftButton, Qt::LeftButton);
    move({150, 20}, Qt::LeftButton);
    // Beyond the preview's right edge, and above its top: off the brush.
    move({260, 20}, Qt::LeftButton);
    move({150, -6}, Qt::LeftButton);
    release({150, 20}, Qt::LeftButton);

    const auto picks = fake().callsOf("tal_setPrimaryColor");
    ASSERT_EQ(picks.size(), 3u);
    EXPECT_EQ(picks[0].args, colourOf(5, 5));
    EXPECT_EQ(picks[1].args, colourOf(75, 10));
    EXPECT_EQ(picks[2].args, colourOf(75, 10));
    // A click with the toggle down pastes nothing.
    EXPECT_EQ(fake().countOf("Tal_SaveUndo"), 0);
}

TEST_F(Pick, TheRightButtonPicksTheSecondaryColourAndOtherButtonsNothing) {
    toggleDown();
    press({40, 40}, Qt::RightButton, Qt::RightButton);
    release({40, 40}, Qt::RightButton);
    EXPECT_EQ(fake().callsOf("tal_setSecondaryColor").size(), 2u);
    EXPECT_EQ(fake().callsOf("tal_setSecondaryColor")[0].args, colourOf(20, 20));
    fake().clearCalls();

    press({40, 40}, Qt::MiddleButton, Qt::MiddleButton);
    release({40, 40}, Qt::MiddleButton);
    press({40, 40}, Qt::LeftButton, Qt::LeftButton);
    fake().clearCalls();
    move({44, 40}, Qt::LeftButton | Qt::RightButton);
    move({48, 40}, Qt::NoButton);
    EXPECT_TRUE(fake().calls().empty()) << fake().callNames().join(' ').toStdString();
}

TEST_F(Pick, WithTheToggleUpOnlyAClickActsAndItPastesUnderTheHourglass) {
    std::vector<Qt::CursorShape> shapesWhilePasting;
    fake().setHandler("Tal_SaveUndo", [&](const auto&) {
        const QCursor* cursor = QGuiApplication::overrideCursor();
        shapesWhilePasting.push_back(cursor ? cursor->shape() : Qt::ArrowCursor);
        return Variant{};
    });
    press({10, 10}, Qt::LeftButton, Qt::LeftButton);
    move({12, 10}, Qt::LeftButton);
    EXPECT_TRUE(fake().calls().empty());
    release({12, 10}, Qt::LeftButton);

    EXPECT_EQ(shapesWhilePasting, std::vector<Qt::CursorShape>{Qt::WaitCursor});
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(fake().countOf("tal_setPrimaryColor"), 0);
    // The brush landed at the image's origin.
    EXPECT_EQ(image.planes[kRed].at(0, 0), brushSample(kRed, 0, 0));
    EXPECT_EQ(image.planes[kBlue].at(5, 4), brushSample(kBlue, 5, 4));

    // A press that ends outside the preview is no click.
    fake().clearCalls();
    press({10, 10}, Qt::LeftButton, Qt::LeftButton);
    release({400, 10}, Qt::LeftButton);
    EXPECT_TRUE(fake().calls().empty());
}

TEST_F(Pick, TheHostMayPickOverTheBus) {
    window->automation().Invoke("DOCOLORPICK", {int32_t{3}, int16_t{0}, 2.0});
    EXPECT_EQ(fake().callsOf("tal_setSecondaryColor").at(0).args, colourOf(2, 0));
    EXPECT_THROW(window->automation().Invoke("DoColorPick", {int32_t{3}, int32_t{0}}),
                 host::HostCallError);
    EXPECT_THROW(
        window->automation().Invoke("DoColorPick", {QStringLiteral("3"), int32_t{0}, int32_t{1}}),
        host::HostCallError);
    EXPECT_THROW(window->automation().Invoke("Paste", {}), host::HostCallError);
    EXPECT_TRUE(fake().callsOf("tal_setPrimaryColor").empty());

    // Over the bus, a call of the wrong shape is refused before its
    // arguments are read, and no operation takes a byte array.
    host::AutomationObject& automation = window->automation();
    EXPECT_EQ(automation.admit(":1.9", "docolorpick", 3).maxByteArrayBytes, 0u);
    EXPECT_EQ(automation.admit(":1.9", "DisplayBrush", 0).maxByteArrayBytes, 0u);
    EXPECT_THROW(automation.admit(":1.9", "DoColorPick", 4), host::HostCallError);
    EXPECT_THROW(automation.admit(":1.9", "CommandLineProcess", 1), host::HostCallError);
    EXPECT_THROW(automation.admit(":1.9", "Paste", 0), host::UnknownOperationError);
}

} // namespace
} // namespace tests
