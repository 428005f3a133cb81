#include "automation/ResultConversions.h"

#include "platform/Conversions.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>

namespace {

using host::ByteArray;
using host::resultToInt32;
using host::resultToPlane;
using host::ResultTypeError;

template <typename Error, typename Call> std::string messageOf(Call call) {
    try {
        call();
    } catch (const Error& error) {
        return error.what();
    }
    return "no error";
}

TEST(ResultToInt32, IntegersPassAndHalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(resultToInt32("m", 2.5), 2);
    EXPECT_EQ(resultToInt32("m", 3.5), 4);
    EXPECT_EQ(resultToInt32("m", -2.5), -2);
    EXPECT_EQ(resultToInt32("m", int16_t{-32768}), -32768);
}

TEST(ResultToInt32, ThirtyTwoBitEdges) {
    EXPECT_EQ(resultToInt32("m", 2147483647.4), 2147483647);
    // -2147483648.5 is a half between -2147483649 and -2147483648; the even
    // one is in range.
    EXPECT_EQ(resultToInt32("m", -2147483648.5), -2147483648);
    EXPECT_THROW(resultToInt32("m", 2147483647.5), platform::OverflowError);
    EXPECT_THROW(resultToInt32("m", -2147483648.6), platform::OverflowError);
    EXPECT_THROW(resultToInt32("m", std::nan("")), platform::OverflowError);
}

TEST(ResultToInt32, OverflowNamesTheMethod) {
    const std::string message =
        messageOf<platform::OverflowError>([] { resultToInt32("tal_GetTotalFrames", 1e10); });
    EXPECT_EQ(message.rfind("tal_GetTotalFrames: ", 0), 0u) << message;
}

TEST(ResultToInt32, BooleansFollowTheAutomationConvention) {
    EXPECT_EQ(resultToInt32("m", true), -1);
    EXPECT_EQ(resultToInt32("m", false), 0);
}

TEST(ResultToInt32, OtherTypesNameMethodAndType) {
    const auto check = [](const host::Variant& value, const char* type) {
        const std::string message =
            messageOf<ResultTypeError>([&] { resultToInt32("Tal_BufferWidth", value); });
        EXPECT_EQ(message, std::string("Tal_BufferWidth: expected a number, got ") + type);
    };
    check(host::Empty{}, "Empty");
    check(QStringLiteral("12"), "String");
    check(ByteArray::plane(2, 2), "Byte()");
    check(host::ObjectRef{}, "Object");
}

TEST(ResultToSize, RefusesANegativeSizeNamingTheCallAndTheValue) {
    EXPECT_EQ(host::resultToSize("tal_GetTotalFrames", int16_t{0}), 0);
    EXPECT_EQ(host::resultToSize("tal_GetTotalFrames", 2.5), 2);
    try {
        host::resultToSize("tal_BufferWidth", int32_t{-4});
        FAIL() << "a negative width was taken";
    } catch (const host::ResultValueError& error) {
        EXPECT_STREQ(error.what(), "tal_BufferWidth: returned -4; a size or count cannot be "
                                   "negative");
    }
    // True is -1 by the automation convention, so it is no size either.
    EXPECT_THROW(host::resultToSize("Tal_BufferHeight", true), host::ResultValueError);
}

TEST(ResultToPlane, TakesTheArrayWhole) {
    ByteArray plane = ByteArray::plane(3, 2);
    plane.at(2, 1) = 200;
    const ByteArray taken = resultToPlane("tal_GetRBuffer", host::Variant(plane));
    EXPECT_EQ(taken, plane);
}

TEST(ResultToPlane, RefusesWhatIsNotAPlane) {
    const auto messageFor = [](host::Variant value) {
        return messageOf<ResultTypeError>(
            [&] { resultToPlane("tal_GetGbuffer", std::move(value)); });
    };
    const std::string expected = "tal_GetGbuffer: expected a two-dimensional byte array";
    for (const auto& [value, received] : std::vector<std::pair<host::Variant, std::string>>{
             {host::Empty{}, "got Empty"},
             {int32_t{5}, "got Long"},
             {ByteArray({{0, 4}}), "got Byte() with bounds (0 To 3)"},
             {ByteArray({{0, 2}, {0, 2}, {0, 2}}),
              "got Byte() with bounds (0 To 1, 0 To 1, 0 To 1)"},
             {ByteArray({{1, 2}, {0, 2}}), "got Byte() with bounds (1 To 2, 0 To 1)"},
         }) {
        const std::string message = messageFor(value);
        EXPECT_EQ(message.rfind(expected, 0), 0u) << message;
        EXPECT_NE(message.find(received), std::string::npos) << message;
    }
}

TEST(ResultToArray, KeepsAnyBoundsOfTheRankAsked) {
    const ByteArray offset({{1, 2}, {-3, 2}});
    EXPECT_EQ(host::resultToArray("tal_GetbrushRBuffer", host::Variant(offset), 2), offset);
    const std::string message = messageOf<ResultTypeError>(
        [] { host::resultToArray("tal_initluts", host::Variant(ByteArray::plane(2, 2)), 3); });
    EXPECT_EQ(message, "tal_initluts: expected a byte array of 3 dimensions, got Byte() with "
                       "bounds (0 To 1, 0 To 1)");
}

} // namespace
