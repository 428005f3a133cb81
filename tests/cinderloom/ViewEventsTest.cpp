// The routing of the views' events to the window's handlers.
#include "cinderloom/ViewEvents.h"

#include "platform/FatalError.h"
#include "tests/support/MessageBoxRecorder.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QResizeEvent>
#include <QWidget>
#include <gtest/gtest.h>
#include <optional>
#include <stdexcept>

namespace {

struct Press {
    int16_t button, shift;
    float x, y;
    bool operator==(const Press&) const = default;
};

void sendMouse(QWidget& view, QEvent::Type type, Qt::MouseButtons held,
               Qt::KeyboardModifiers modifiers, QPointF at) {
    QMouseEvent event(type, at, view.mapToGlobal(at), Qt::LeftButton, held, modifiers);
    QCoreApplication::sendEvent(&view, &event);
}

TEST(ViewEventRouterTest, EachEventReachesTheHandlerOfItsViewAndKind) {
    QWidget strip;
    QWidget film;
    cinderloom::ViewEventRouter router;
    std::vector<Press> stripPresses, filmPresses, filmMoves, filmReleases;
    int resizes = 0;
    int paints = 0;
    bool resizeCounts = false;
    const auto recordInto = [](std::vector<Press>& presses) {
        return [&presses](int16_t b, int16_t s, float x, float y) {
            presses.push_back({b, s, x, y});
        };
    };
    router.onPress(strip, "StripDown", recordInto(stripPresses));
    router.onPress(film, "FilmDown", recordInto(filmPresses));
    router.onMove(film, "FilmMove", recordInto(filmMoves));
    router.onRelease(film, "FilmUp", recordInto(filmReleases));
    router.onResize(
        film, "FilmResize", [&] { return resizeCounts; }, [&] { ++resizes; });
    router.onPaint(strip, "StripPaint", [&] { ++paints; });

    // Buttons 1 left + 4 middle, shift 2 control, the position in pixels.
    sendMouse(film, QEvent::MouseButtonPress, Qt::LeftButton | Qt::MiddleButton,
              Qt::ControlModifier, {7.5, 3});
    sendMouse(film, QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::NoModifier, {1, 2});
    sendMouse(film, QEvent::MouseMove, Qt::RightButton, Qt::ShiftModifier, {-4, 0});
    sendMouse(strip, QEvent::MouseMove, Qt::LeftButton, Qt::NoModifier, {1, 1});
    EXPECT_TRUE(stripPresses.empty());
    EXPECT_EQ(filmPresses, (std::vector<Press>{{5, 2, 7.5f, 3.0f}, {1, 0, 1.0f, 2.0f}}));
    EXPECT_EQ(filmMoves, (std::vector<Press>{{2, 1, -4.0f, 0.0f}}));
    // A release carries the buttons still held: none once the last is up.
    EXPECT_TRUE(filmReleases.empty());
    sendMouse(film, QEvent::MouseButtonRelease, Qt::MiddleButton, Qt::NoModifier, {2, 1});
    sendMouse(film, QEvent::MouseButtonRelease, Qt::NoButton, Qt::NoModifier, {3, 1});
    sendMouse(strip, QEvent::MouseButtonRelease, Qt::NoButton, Qt::NoModifier, {3, 1});
    EXPECT_EQ(filmReleases, (std::vector<Press>{{4, 0, 2.0f, 1.0f}, {0, 0, 3.0f, 1.0f}}));
    EXPECT_EQ(filmPresses.size(), 2u);

    QResizeEvent resize(QSize(10, 10), QSize(5, 5));
    QCoreApplication::sendEvent(&film, &resize);
    EXPECT_EQ(resizes, 0);
    resizeCounts = true;
    QCoreApplication::sendEvent(&film, &resize);
    QCoreApplication::sendEvent(&strip, &resize);
    EXPECT_EQ(resizes, 1);

    QPaintEvent paint(QRect(0, 0, 1, 1));
    QCoreApplication::sendEvent(&strip, &paint);
    QCoreApplication::sendEvent(&film, &paint);
    EXPECT_EQ(paints, 1);
}

TEST(ViewEventRouterTest, AFailingHandlerEndsTheProgramUnderItsName) {
    tests::MessageBoxRecorder messageBoxes;
    std::optional<int> exitStatus;
    platform::ScopedExitHandler exitHandler([&](int status) { exitStatus = status; });
    testing::internal::CaptureStderr();
    QWidget view;
    cinderloom::ViewEventRouter router;
    router.onPress(view, "Picture1_MouseDown",
                   [](int16_t, int16_t, float, float) { throw std::runtime_error("no cell"); });

    sendMouse(view, QEvent::MouseButtonPress, Qt::LeftButton, Qt::NoModifier, {0, 0});

    testing::internal::GetCapturedStderr();
    ASSERT_TRUE(exitStatus.has_value());
    EXPECT_NE(*exitStatus, 0);
    ASSERT_EQ(messageBoxes.requests().size(), 1u);
    EXPECT_EQ(messageBoxes.requests()[0].text, "Picture1_MouseDown: no cell");
}

} // namespace
