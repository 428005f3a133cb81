#include "platform/DisplayCheck.h"

#include <gtest/gtest.h>
#include <string>

using platform::missingDisplay;

namespace {

QProcessEnvironment
environmentWith(std::initializer_list<std::pair<const char*, const char*>> set) {
    QProcessEnvironment environment;
    for (const auto& [name, value] : set)
        environment.insert(name, value);
    return environment;
}

std::string why(const QStringList& arguments, const QProcessEnvironment& environment) {
    const auto reason = missingDisplay(arguments, environment);
    return reason ? reason->toStdString() : "a display is there or none is needed";
}

} // namespace

TEST(DisplayCheck, APlatformThatNeedsADisplayFindsNoneWithoutDisplayVariables) {
    const QStringList program{"Cinderloom_pm"};
    for (const auto& environment :
         {environmentWith({}), environmentWith({{"QT_QPA_PLATFORM", "xcb"}}),
          environmentWith({{"QT_QPA_PLATFORM", ""}, {"DISPLAY", ""}}),
          environmentWith({{"QT_QPA_PLATFORM", "wayland;xcb"}}),
          environmentWith({{"QT_QPA_PLATFORM", "xcb:nomitshm"}})}) {
        const auto reason = missingDisplay(program, environment);
        ASSERT_TRUE(reason.has_value()) << environment.toStringList().join(' ').toStdString();
        EXPECT_TRUE(reason->startsWith("no display: DISPLAY and WAYLAND_DISPLAY are unset"))
            << reason->toStdString();
    }
    EXPECT_EQ(why(program, environmentWith({{"QT_QPA_PLATFORM", "xcb"}})),
              "no display: DISPLAY and WAYLAND_DISPLAY are unset, and the Qt platform \"xcb\" "
              "needs one");
    EXPECT_EQ(why(program, environmentWith({})),
              "no display: DISPLAY and WAYLAND_DISPLAY are unset, and the default Qt platform "
              "needs one");
}

TEST(DisplayCheck, ADisplayOrAPlatformWithoutOneLetsTheProgramStart) {
    const QStringList program{"tallowick"};
    const std::string fine = "a display is there or none is needed";
    EXPECT_EQ(why(program, environmentWith({{"DISPLAY", ":0"}})), fine);
    EXPECT_EQ(why(program, environmentWith({{"WAYLAND_DISPLAY", "wayland-0"}})), fine);
    EXPECT_EQ(why(program, environmentWith({{"QT_QPA_PLATFORM", "offscreen"}})), fine);
    EXPECT_EQ(why(program, environmentWith({{"QT_QPA_PLATFORM", "minimal"}})), fine);
    // A fallback list starts when any of its entries can.
    EXPECT_EQ(why(program, environmentWith({{"QT_QPA_PLATFORM", "xcb;offscreen"}})), fine);
}

TEST(DisplayCheck, ThePlatformOptionOnTheCommandLineOverridesTheEnvironment) {
    const auto xcb = environmentWith({{"QT_QPA_PLATFORM", "xcb"}});
    const auto offscreen = environmentWith({{"QT_QPA_PLATFORM", "offscreen"}});
    const std::string fine = "a display is there or none is needed";
    EXPECT_EQ(why({"tallowick", "-platform", "offscreen"}, xcb), fine);
    EXPECT_EQ(why({"tallowick", "--platform", "minimal"}, xcb), fine);
    EXPECT_NE(why({"Marrowset_pm", "-platform", "xcb"}, offscreen), fine);
    // The program's own name, and an option without its value, are no choice
    // of platform.
    EXPECT_NE(why({"-platform", "offscreen"}, xcb), fine);
    EXPECT_EQ(why({"Marrowset_pm", "x.png", "-platform"}, offscreen), fine);
}
