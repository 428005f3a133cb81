#include "maker/widgets/ButtonPainter.h"
#include "maker/widgets/ColorValue.h"
#include "maker/widgets/HPropScroller.h"
#include "maker/widgets/ScrollerGeometry.h"
#include "maker/widgets/ScrollerPainter.h"
#include "maker/widgets/VxButton.h"
#include "maker/widgets/VxDropSlider.h"

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

using namespace maker;

namespace {

// A widget shown in a window of its own, so that input reaches it as a
// user's would.
template <typename Widget> std::unique_ptr<Widget> shown(QSize size) {
    auto widget = std::make_unique<Widget>();
    widget->resize(size);
    widget->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(widget.get()));
    return widget;
}

struct MouseUpRecord {
    Qt::MouseButton button;
    Qt::KeyboardModifiers shift;
    int x;
    int y;
};

} // namespace

TEST(ColorValue, ReadsRedFromTheLowestByteAndRefusesOtherBits) {
    EXPECT_EQ(colorFromValue(10392975), QColor(143, 149, 158));
    EXPECT_EQ(colorFromValue(255), QColor(255, 0, 0));
    EXPECT_EQ(colorFromValue(0xFF0000), QColor(0, 0, 255));
    EXPECT_THROW(colorFromValue(-1), std::out_of_range);
    EXPECT_THROW(colorFromValue(0x1000000), std::out_of_range);
}

TEST(VxButton, LatchingButtonTogglesOnLeftClicksAndTakesItsStateFromCode) {
    auto button = shown<VxButton>({19, 19});
    button->setLatching(true);
    std::vector<bool> downAtClick;
    QObject::connect(button.get(), &VxButton::Click,
                     [&] { downAtClick.push_back(button->Down()); });

    QTest::mouseClick(button.get(), Qt::LeftButton);
    EXPECT_TRUE(button->Down());
    QTest::mouseClick(button.get(), Qt::RightButton);
    EXPECT_TRUE(button->Down());
    QTest::mouseClick(button.get(), Qt::LeftButton);
    EXPECT_FALSE(button->Down());
    EXPECT_EQ(downAtClick, (std::vector<bool>{true, false}));

    button->setDown(true);
    EXPECT_TRUE(button->Down());
    EXPECT_EQ(downAtClick.size(), 2u);
    button->setLatching(false);
    EXPECT_FALSE(button->Down());
}

TEST(VxButton, PlainButtonIsDownWhilePressedAndClicksOnlyOnAReleaseInside) {
    auto button = shown<VxButton>({105, 21});
    QSignalSpy clicks(button.get(), &VxButton::Click);
    QSignalSpy mouseUps(button.get(), &VxButton::MouseUp);

    QTest::mousePress(button.get(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(button->Down());
    EXPECT_EQ(clicks.count(), 0);
    QTest::mouseRelease(button.get(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_FALSE(button->Down());
    EXPECT_EQ(clicks.count(), 1);

    // Sliding off before letting go cancels the click.
    QTest::mousePress(button.get(), Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(button.get(), QPoint(300, 10));
    EXPECT_FALSE(button->Down());
    QTest::mouseRelease(button.get(), Qt::LeftButton, {}, QPoint(300, 10));
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(mouseUps.count(), 1);

    QTest::keyClick(button.get(), Qt::Key_Space);
    EXPECT_EQ(clicks.count(), 2);
    EXPECT_EQ(mouseUps.count(), 1);
}

TEST(VxButton, MouseUpReportsEveryButtonWithModifiersAndPositionBeforeClick) {
    auto button = shown<VxButton>({111, 19});
    std::vector<MouseUpRecord> mouseUps;
    std::vector<std::string> order;
    QObject::connect(button.get(), &VxButton::MouseUp,
                     [&](Qt::MouseButton b, Qt::KeyboardModifiers shift, int x, int y) {
                         mouseUps.push_back({b, shift, x, y});
                         order.push_back("up");
                     });
    QObject::connect(button.get(), &VxButton::Click, [&] { order.push_back("click"); });

    QTest::mouseClick(button.get(), Qt::RightButton, Qt::ShiftModifier, QPoint(7, 5));
    QTest::mouseClick(button.get(), Qt::MiddleButton, {}, QPoint(60, 12));
    QTest::mouseClick(button.get(), Qt::LeftButton, {}, QPoint(3, 4));

    ASSERT_EQ(mouseUps.size(), 3u);
    EXPECT_EQ(mouseUps[0].button, Qt::RightButton);
    EXPECT_EQ(mouseUps[0].shift, Qt::ShiftModifier);
    EXPECT_EQ(QPoint(mouseUps[0].x, mouseUps[0].y), QPoint(7, 5));
    EXPECT_EQ(mouseUps[1].button, Qt::MiddleButton);
    EXPECT_EQ(QPoint(mouseUps[1].x, mouseUps[1].y), QPoint(60, 12));
    EXPECT_EQ(mouseUps[2].button, Qt::LeftButton);
    EXPECT_EQ(order, (std::vector<std::string>{"up", "up", "up", "click"}));
}

TEST(ButtonPainter, ShadesTheFaceCentresThePictureAndSinksWhenDown) {
    const QColor grey(176, 176, 176);
    EXPECT_EQ(faceGradient(grey, 1.3).top, QColor(229, 229, 229));
    EXPECT_EQ(faceGradient(grey, 1.3).bottom, grey);
    EXPECT_EQ(faceGradient(grey, 0.0).top, grey);
    EXPECT_EQ(faceGradient(QColor(200, 100, 0), 1.3).top, QColor(255, 130, 0));

    QImage picture(19, 19, QImage::Format_RGB32);
    picture.fill(QColor(255, 0, 0));
    ButtonFace face;
    face.backColor = grey;
    face.gradientShading = 1.3;
    face.picture = picture;
    const auto render = [&face] {
        QImage image(40, 30, QImage::Format_RGB32);
        QPainter painter(&image);
        paintButton(painter, image.rect(), face);
        return image;
    };

    QImage up = render();
    EXPECT_EQ(up.pixelColor(20, 15), QColor(255, 0, 0));
    EXPECT_GT(up.pixelColor(5, 1).red(), up.pixelColor(5, 28).red());
    face.down = true;
    EXPECT_NE(render().pixelColor(0, 0), up.pixelColor(0, 0));
    face.down = false;
    face.gradientShading = 1.0;
    QImage flat = render();
    EXPECT_EQ(flat.pixelColor(5, 1), flat.pixelColor(5, 28));

    VxButton button;
    EXPECT_THROW(button.setGradientShading(-0.5), std::invalid_argument);
    EXPECT_THROW(button.setGradientShading(std::nan("")), std::invalid_argument);
    EXPECT_THROW(button.setBackColor(QColor()), std::invalid_argument);
}

TEST(VxDropSlider, TypedTextIsReadClampedOrRestored) {
    auto slider = shown<VxDropSlider>({53, 19});
    slider->setMax(32);
    slider->setValue(16);
    QSignalSpy changes(slider.get(), &VxDropSlider::Change);
    auto* box = slider->findChild<QLineEdit*>("textBox");
    ASSERT_NE(box, nullptr);
    const auto type = [box](const QString& text) {
        box->selectAll();
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Return);
    };

    type("12");
    EXPECT_EQ(slider->Value(), 12.0);
    EXPECT_EQ(slider->Text(), "12");
    type("99");
    EXPECT_EQ(slider->Value(), 32.0);
    EXPECT_EQ(slider->Text(), "32");
    EXPECT_EQ(changes.count(), 2);
    type("abc");
    EXPECT_EQ(slider->Value(), 32.0);
    EXPECT_EQ(slider->Text(), "32");
    type("32");
    EXPECT_EQ(changes.count(), 2);
    type(" 2.5 ");
    EXPECT_EQ(slider->Value(), 2.5);
    EXPECT_EQ(slider->Text(), "2.5");
    EXPECT_EQ(changes.count(), 3);

    // Leaving the box commits too.
    QWidget window;
    auto* inWindow = new VxDropSlider(&window);
    auto* elsewhere = new QLineEdit(&window);
    elsewhere->move(0, 30);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    auto* windowBox = inWindow->findChild<QLineEdit*>("textBox");
    windowBox->setFocus();
    windowBox->selectAll();
    QTest::keyClicks(windowBox, "42");
    elsewhere->setFocus();
    EXPECT_EQ(inWindow->Value(), 42.0);
}

TEST(VxDropSlider, SettersClampAndKeepTheValueWithinMinAndMax) {
    VxDropSlider slider;
    EXPECT_EQ(slider.Min(), 0);
    EXPECT_EQ(slider.Max(), 100);
    EXPECT_EQ(slider.Text(), "0");
    QSignalSpy changes(&slider, &VxDropSlider::Change);

    slider.setMin(1);
    EXPECT_EQ(slider.Value(), 1.0);
    slider.setMax(20);
    slider.setValue(50);
    EXPECT_EQ(slider.Value(), 20.0);
    EXPECT_EQ(slider.Text(), "20");
    slider.setValue(-3);
    EXPECT_EQ(slider.Value(), 1.0);
    slider.setValue(4.5);
    EXPECT_EQ(slider.Value(), 4.5);
    slider.setText("7");
    EXPECT_EQ(slider.Value(), 7.0);
    slider.setMax(5);
    EXPECT_EQ(slider.Value(), 5.0);
    EXPECT_EQ(slider.Text(), "5");
    slider.setMin(10);
    EXPECT_EQ(slider.Max(), 10);
    EXPECT_EQ(slider.Value(), 10.0);

    EXPECT_THROW(slider.setValue(std::numeric_limits<double>::quiet_NaN()), std::invalid_argument);
    EXPECT_THROW(slider.setText("abc"), std::invalid_argument);
    EXPECT_EQ(slider.Value(), 10.0);
    EXPECT_EQ(changes.count(), 0);
}

TEST(VxDropSlider, PopupSliderMovesTheValueInWholeSteps) {
    auto slider = shown<VxDropSlider>({53, 19});
    slider->setMin(1);
    slider->setMax(20);
    slider->setValue(4);
    QSignalSpy changes(slider.get(), &VxDropSlider::Change);
    auto* box = slider->findChild<QLineEdit*>("textBox");
    auto* dropButton = slider->findChild<QToolButton*>("dropButton");
    auto* popupSlider = slider->findChild<QSlider*>("popupSlider");
    ASSERT_TRUE(box && dropButton && popupSlider);

    // Text typed without Enter is taken before the slider opens.
    box->selectAll();
    QTest::keyClicks(box, "9");
    QTest::mouseClick(dropButton, Qt::LeftButton);
    ASSERT_TRUE(popupSlider->isVisible());
    EXPECT_EQ(popupSlider->minimum(), 1);
    EXPECT_EQ(popupSlider->maximum(), 20);
    EXPECT_EQ(popupSlider->value(), 9);
    EXPECT_EQ(changes.count(), 1);

    QTest::keyClick(popupSlider, Qt::Key_Right);
    EXPECT_EQ(slider->Value(), 10.0);
    EXPECT_EQ(slider->Text(), "10");
    QTest::keyClick(popupSlider, Qt::Key_End);
    EXPECT_EQ(slider->Value(), 20.0);
    EXPECT_EQ(changes.count(), 3);
    QTest::keyClick(popupSlider, Qt::Key_Escape);
    EXPECT_FALSE(popupSlider->isVisible());
}

TEST(HPropScroller, PositionStaysWithinZeroAndTheLastStepWithoutScroll) {
    HPropScroller scroller;
    QSignalSpy scrolls(&scroller, &HPropScroller::Scroll);
    EXPECT_EQ(scroller.BackColor(), QColor(143, 149, 158));
    EXPECT_EQ(scroller.ForeColor(), QColor(224, 224, 224));

    scroller.setPosition(3);
    EXPECT_EQ(scroller.Position(), 0);
    scroller.setRange(12);
    scroller.setPosition(-5);
    EXPECT_EQ(scroller.Position(), 0);
    scroller.setPosition(40);
    EXPECT_EQ(scroller.Position(), 11);
    scroller.setRange(4);
    EXPECT_EQ(scroller.Position(), 3);
    scroller.setRange(-2);
    EXPECT_EQ(scroller.Range(), 0);
    EXPECT_EQ(scroller.Position(), 0);
    EXPECT_EQ(scrolls.count(), 0);

    EXPECT_THROW(scroller.setPageStep(0), std::invalid_argument);
    EXPECT_THROW(scroller.setShadow(QColor()), std::invalid_argument);
}

TEST(HPropScroller, UserActionsMoveItAndEmitScrollOnlyOnAChange) {
    auto scroller = shown<HPropScroller>({200, 19});
    scroller->setRange(30);
    QSignalSpy scrolls(scroller.get(), &HPropScroller::Scroll);

    QTest::mouseClick(scroller.get(), Qt::LeftButton, {}, QPoint(5, 9));
    EXPECT_EQ(scroller->Position(), 0);
    EXPECT_EQ(scrolls.count(), 0);
    QTest::mouseClick(scroller.get(), Qt::LeftButton, {}, QPoint(195, 9));
    EXPECT_EQ(scroller->Position(), 1);
    EXPECT_EQ(scrolls.count(), 1);
    QTest::mouseClick(scroller.get(), Qt::LeftButton, {}, QPoint(150, 9));
    EXPECT_EQ(scroller->Position(), 1 + scroller->PageStep());
    QTest::mouseClick(scroller.get(), Qt::LeftButton, {}, QPoint(22, 9));
    EXPECT_EQ(scroller->Position(), 1);
    EXPECT_EQ(scrolls.count(), 3);

    const QRect thumb = scrollerGeometry(scroller->size(), 30, 1).thumb;
    QTest::mousePress(scroller.get(), Qt::LeftButton, {}, thumb.center());
    QTest::mouseMove(scroller.get(), thumb.center() + QPoint(400, 0));
    QTest::mouseRelease(scroller.get(), Qt::LeftButton, {}, thumb.center() + QPoint(400, 0));
    EXPECT_EQ(scroller->Position(), 29);
    EXPECT_EQ(scrolls.count(), 4);

    QWheelEvent wheelUp(QPointF(100, 9), scroller->mapToGlobal(QPointF(100, 9)), {}, QPoint(0, 120),
                        Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(scroller.get(), &wheelUp);
    EXPECT_EQ(scroller->Position(), 28);
    EXPECT_EQ(scrolls.count(), 5);

    scroller->setPosition(3);
    EXPECT_EQ(scrolls.count(), 5);
}

TEST(ScrollerGeometry, PartsTileTheWidthAndTheThumbFollowsThePosition) {
    const auto full = scrollerGeometry({753, 19}, 12, 11);
    EXPECT_EQ(full.track, QRect(19, 0, 715, 19));
    EXPECT_EQ(full.thumb, QRect(675, 0, 59, 19));
    EXPECT_EQ(scrollerGeometry({753, 19}, 12, 99).thumb, full.thumb);
    EXPECT_EQ(scrollerGeometry({753, 19}, 12, -4).thumb.left(), 19);

    for (int width : {753, 200, 40, 5, 2, 1, 0, -3}) {
        for (int range : {-1, 0, 1, 2, 12, 30, 1000}) {
            const QSize size(width, 19);
            const int last = lastScrollerPosition(range);
            int previousLeft = -1;
            for (int position : std::set<int>{0, 1, last / 2, last - 1, last}) {
                SCOPED_TRACE(testing::Message() << "width " << width << ", range " << range
                                                << ", position " << position);
                const ScrollerGeometry g = scrollerGeometry(size, range, position);
                const int clampedWidth = std::max(width, 0);
                EXPECT_GE(g.leftArrow.width(), 0);
                EXPECT_GE(g.track.width(), 0);
                EXPECT_EQ(g.leftArrow.left() + g.leftArrow.width(), g.track.left());
                EXPECT_EQ(g.track.left() + g.track.width(), g.rightArrow.left());
                EXPECT_EQ(g.rightArrow.left() + g.rightArrow.width(), clampedWidth);
                EXPECT_GE(g.thumb.left(), g.track.left());
                EXPECT_LE(g.thumb.left() + g.thumb.width(), g.track.left() + g.track.width());
                if (range <= 1) {
                    EXPECT_EQ(g.thumb, g.track);
                }
                if (std::clamp(position, 0, last) == last) {
                    EXPECT_EQ(g.thumb.left() + g.thumb.width(), g.track.left() + g.track.width());
                }
                EXPECT_GE(g.thumb.left(), previousLeft);
                previousLeft = g.thumb.left();
                // Where every step has a pixel of its own, dragging the thumb
                // to a position's place gives that position back.
                if (g.track.width() - g.thumb.width() >= last && position >= 0 &&
                    position <= last) {
                    EXPECT_EQ(scrollerPositionForThumbLeft(g, range, g.thumb.left()), position);
                }
            }
        }
    }

    const auto g = scrollerGeometry({200, 19}, 30, 10);
    EXPECT_EQ(scrollerPartAt(g, {3, 9}), ScrollerPart::LeftArrow);
    EXPECT_EQ(scrollerPartAt(g, {198, 9}), ScrollerPart::RightArrow);
    EXPECT_EQ(scrollerPartAt(g, g.thumb.center()), ScrollerPart::Thumb);
    EXPECT_EQ(scrollerPartAt(g, {g.thumb.left() - 1, 9}), ScrollerPart::PageLeft);
    EXPECT_EQ(scrollerPartAt(g, {g.thumb.right() + 1, 9}), ScrollerPart::PageRight);
    EXPECT_EQ(scrollerPositionForThumbLeft(g, 30, -50), 0);
    EXPECT_EQ(scrollerPositionForThumbLeft(g, 30, 5000), 29);
}

TEST(ScrollerPainter, PaintsEachPartInItsOwnColour) {
    const ScrollerColors colors{QColor(255, 0, 0), QColor(0, 255, 0), QColor(0, 0, 255),
                                QColor(255, 255, 0)};
    const ScrollerGeometry g = scrollerGeometry({200, 19}, 30, 0);
    const auto render = [&](ScrollerPart pressed) {
        QImage image(200, 19, QImage::Format_RGB32);
        image.fill(Qt::black);
        QPainter painter(&image);
        paintScroller(painter, g, colors, pressed, true);
        return image;
    };

    const QImage image = render(ScrollerPart::None);
    EXPECT_EQ(image.pixelColor(150, 9), colors.back);
    EXPECT_EQ(image.pixelColor(g.thumb.center()), colors.fore);
    EXPECT_EQ(image.pixelColor(g.thumb.topLeft()), colors.highlight);
    EXPECT_EQ(image.pixelColor(g.thumb.bottomRight()), colors.shadow);
    EXPECT_EQ(image.pixelColor(0, 0), colors.highlight);
    EXPECT_EQ(render(ScrollerPart::LeftArrow).pixelColor(0, 0), colors.shadow);
}
