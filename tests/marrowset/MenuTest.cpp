// The "Functions..." menu: its whole tree as the user sees it, and the
// button that pops it up.
#include "maker/widgets/VxButton.h"
#include "marrowset/Form1.h"
#include "marrowset/Form2.h"
#include "tests/marrowset/MarrowsetTestSupport.h"

#include <QAction>
#include <QMenu>
#include <QTest>

namespace tests {
namespace {

// The menu as lines: "name caption" for an item, "name -" for a separator,
// a submenu's items indented under it; "(off)" marks a disabled item, and a
// control array's element carries its index.
QStringList describe(const QMenu& menu, const QString& indent = {}) {
    QStringList lines;
    for (const QAction* action : menu.actions()) {
        QString line = indent + action->objectName() + ' ';
        line += action->isSeparator() ? QStringLiteral("-") : action->text();
        if (action->property("Index").isValid())
            line += QStringLiteral(" [%1]").arg(action->property("Index").toInt());
        if (!action->isEnabled())
            line += QStringLiteral(" (off)");
        lines << line;
        if (action->menu())
            lines << describe(*action->menu(), indent + "  ");
    }
    return lines;
}

TEST_F(MarrowsetTest, TheMenuHoldsEveryOperationInItsPlace) {
    openWindow();
    EXPECT_EQ(describe(*menu().Menu),
              (QStringList{
                  "Overlay Paste image",
                  "RI_Center Paste image (Center)",
                  "RI_Scale Paste image (Scale to buffer)",
                  "Add Combine",
                  "  CombineModes Add [1]",
                  "  CombineModes Subtract [2]",
                  "  CombineModes Multiply [3]",
                  "  CombineModes divide [4]",
                  "  CombineModes Screen [5]",
                  "  CombineModes Greater than [6]",
                  "  CombineModes Less than [7]",
                  "  CombineModes And [8]",
                  "  CombineModes Or [9]",
                  "  CombineModes Xor [10]",
                  "alphabar -",
                  "ReplaceAlpha Replace alpha",
                  "UseAsAlpha Use image as alpha",
                  "bar0 -",
                  "Replacebuffer Replace existing image (creates new image)",
                  "bar -",
                  "RGBchannels RGB channels",
                  "  Addred Add red channel",
                  "  Addgreen Add green channel",
                  "  Addblue Add blue channel",
                  "  bar2 -",
                  "  UseRed Use red (as greyscale)",
                  "  UseGreen Use green (as greyscale)",
                  "  UseBlue Use blue (as greyscale)",
                  "HSVChannels HSV channels",
                  "  UseHue Use hue (as greyscale)",
                  "  UseSat Use saturation (as greyscale)",
                  "  UseValue Use value (as greyscale)",
                  "YUVChannels YUV channels",
                  "  Usey Use Y (as greyscale)",
                  "  UseU Use U (as greyscale)",
                  "  UseV Use V (as greyscale)",
              }));
    // The holder itself is never shown.
    EXPECT_FALSE(menu().isVisible());
}

TEST_F(MarrowsetTest, AnyButtonReleasedOverFunctionsPopsTheMenuUp) {
    marrowset::Form1& window = openWindow();
    for (const Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        QMenu* popup = menu().Menu;
        popup->hide();
        QTest::mouseRelease(window.vx_button1, button, {}, QPoint(30, 9));
        EXPECT_TRUE(popup->isVisible()) << "button " << button;
        popup->hide();
    }
    // Choosing an item runs its command.
    menu().RI_Center->trigger();
    EXPECT_EQ(fake().callNames().mid(fake().callNames().indexOf("Tal_SaveUndo")).first(2),
              (QStringList{"Tal_SaveUndo", "Tal_BufferWidth"}));
}

} // namespace
} // namespace tests
