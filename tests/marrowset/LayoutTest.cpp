// The main window's layout: the controls at every size the layout step
// meets, and the preview redrawn at its new size after each change.
#include "maker/widgets/VxButton.h"
#include "marrowset/Form1.h"
#include "marrowset/Form1Layout.h"
#include "platform/PictureBox.h"
#include "tests/marrowset/MarrowsetTestSupport.h"

namespace tests {
namespace {

// A brush of 9 x 9 whose left five columns are one colour and the right
// five another: a preview drawn at its current size shows the first at its
// left edge and the second at its right edge.
void scriptTwoColourBrush(FakeHost& fake) {
    fake.setResult("Tal_GetBrushWidth", 9);
    fake.setResult("Tal_GetBrushHeight", 9);
    host::ByteArray red = host::ByteArray::plane(10, 10);
    host::ByteArray green = host::ByteArray::plane(10, 10);
    host::ByteArray blue = host::ByteArray::plane(10, 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            red.at(x, y) = x < 5 ? 10 : 200;
            green.at(x, y) = 50;
            blue.at(x, y) = 90;
        }
    fake.setResult("Tal_GetbrushABuffer", host::ByteArray::plane(10, 10));
    fake.setResult("tal_GetbrushRBuffer", red);
    fake.setResult("tal_GetbrushGBuffer", green);
    fake.setResult("tal_GetbrushBBuffer", blue);
}

TEST_F(MarrowsetTest, TheControlsFollowTheWindowWithinTheirLimitsAndThePreviewIsRedrawn) {
    scriptTwoColourBrush(fake());
    marrowset::Form1& window = openWindow();
    struct Case {
        QSize client;
        QSize preview;
        int buttonTop;
        int functionsWidth;
    };
    // 22 x 200 is too narrow for the layout: everything stays as the design
    // size left it.
    const Case cases[] = {
        {{131, 124}, {130, 101}, 104, 109}, {{22, 200}, {130, 101}, 104, 109},
        {{23, 23}, {22, 10}, 10, 1},        {{1000, 800}, {640, 480}, 481, 619},
        {{300, 30}, {299, 10}, 10, 278},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.client.width() << " x " << c.client.height());
        window.resize(c.client);
        ASSERT_EQ(window.size(), c.client);
        EXPECT_EQ(window.Picture1->geometry(), QRect(QPoint(0, 2), c.preview));
        EXPECT_EQ(window.vx_button1->geometry(), QRect(20, c.buttonTop, c.functionsWidth, 19));
        EXPECT_EQ(window.vx_button2->geometry(), QRect(0, c.buttonTop, 19, 19));

        const QImage& shown = window.Picture1->image();
        ASSERT_EQ(shown.size(), c.preview);
        EXPECT_EQ(shown.pixel(0, 0), qRgb(10, 50, 90));
        EXPECT_EQ(shown.pixel(c.preview.width() - 1, c.preview.height() - 1), qRgb(200, 50, 90));
    }
}

TEST(Form1Geometry, TheLimitsHoldAtTheirEdges) {
    using marrowset::Form1Geometry;
    using marrowset::form1Geometry;
    EXPECT_FALSE(form1Geometry(200, 22.9).has_value());
    // The preview stops growing beyond a client width of 641 and a client
    // height of 503; the buttons' top stops at 481 beyond a height of 501.
    EXPECT_EQ(form1Geometry(641, 503), (Form1Geometry{640, 480, 481, 619}));
    EXPECT_EQ(form1Geometry(642, 502), (Form1Geometry{640, 479, 481, 619}));
    EXPECT_EQ(form1Geometry(640, 501), (Form1Geometry{639, 478, 481, 618}));
    EXPECT_EQ(form1Geometry(640, 500), (Form1Geometry{639, 477, 480, 618}));
}

} // namespace
} // namespace tests
