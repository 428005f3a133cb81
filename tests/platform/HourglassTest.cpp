#include "platform/Hourglass.h"

#include <QCursor>
#include <QGuiApplication>
#include <gtest/gtest.h>
#include <stdexcept>

using platform::HourglassGuard;

namespace {

// The application-wide pointer, or -1 when none overrides the widgets' own.
int overrideShape() {
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor ? static_cast<int>(cursor->shape()) : -1;
}

} // namespace

TEST(HourglassGuard, ShowsTheHourglassForItsScopeOnly) {
    ASSERT_EQ(overrideShape(), -1);
    {
        HourglassGuard hourglass;
        EXPECT_EQ(overrideShape(), Qt::WaitCursor);
        {
            HourglassGuard nested;
            EXPECT_EQ(overrideShape(), Qt::WaitCursor);
        }
        EXPECT_EQ(overrideShape(), Qt::WaitCursor);
    }
    EXPECT_EQ(overrideShape(), -1);
}

TEST(HourglassGuard, RestoresThePreviousPointerWhenAnErrorPassesThrough) {
    QGuiApplication::setOverrideCursor(QCursor(Qt::CrossCursor));
    EXPECT_THROW(
        {
            HourglassGuard hourglass;
            EXPECT_EQ(overrideShape(), Qt::WaitCursor);
            throw std::runtime_error("failed while busy");
        },
        std::runtime_error);
    EXPECT_EQ(overrideShape(), Qt::CrossCursor);
    QGuiApplication::restoreOverrideCursor();
    EXPECT_EQ(overrideShape(), -1);
}
