#include "platform/Conversions.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace platform;

TEST(RoundHalfEven, ExactHalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(roundHalfEven(0.5), 0.0);
    EXPECT_EQ(roundHalfEven(1.5), 2.0);
    EXPECT_EQ(roundHalfEven(2.5), 2.0);
    EXPECT_EQ(roundHalfEven(3.5), 4.0);
    EXPECT_EQ(roundHalfEven(-0.5), 0.0);
    EXPECT_EQ(roundHalfEven(-1.5), -2.0);
    EXPECT_EQ(roundHalfEven(-2.5), -2.0);
}

TEST(RoundHalfEven, OtherValuesGoToTheNearest) {
    EXPECT_EQ(roundHalfEven(2.4999999), 2.0);
    EXPECT_EQ(roundHalfEven(2.5000001), 3.0);
    EXPECT_EQ(roundHalfEven(-2.5000001), -3.0);
    EXPECT_EQ(roundHalfEven(7.0), 7.0);
    // 2^52 + 1 is whole already; the arithmetic must not disturb it.
    EXPECT_EQ(roundHalfEven(4503599627370497.0), 4503599627370497.0);
}

TEST(ToInt16, RoundsAndRefusesOutsideTheRange) {
    EXPECT_EQ(toInt16(2.5), 2);
    EXPECT_EQ(toInt16(3.5), 4);
    EXPECT_EQ(toInt16(32767.4), 32767);
    // 32767.5 rounds to 32768 (even), one past the top.
    EXPECT_THROW(toInt16(32767.5), OverflowError);
    // -32768.5 rounds to -32768 (even), still in range.
    EXPECT_EQ(toInt16(-32768.5), -32768);
    EXPECT_THROW(toInt16(-32769.0), OverflowError);
}

TEST(ToInt32, RoundsAndRefusesOutsideTheRange) {
    EXPECT_EQ(toInt32(-3.5), -4);
    EXPECT_EQ(toInt32(2147483647.4), 2147483647);
    EXPECT_THROW(toInt32(2147483647.5), OverflowError);
    EXPECT_EQ(toInt32(-2147483648.5), std::numeric_limits<int32_t>::min());
    EXPECT_THROW(toInt32(-2147483649.0), OverflowError);
}

TEST(ToByte, RoundsAndRefusesOutsideTheRange) {
    EXPECT_EQ(toByte(254.5), 254);
    EXPECT_EQ(toByte(255.4), 255);
    EXPECT_THROW(toByte(255.5), OverflowError);
    // -0.5 rounds to 0, which is a byte; -0.6 rounds to -1, which is not.
    EXPECT_EQ(toByte(-0.5), 0);
    EXPECT_THROW(toByte(-0.6), OverflowError);
}

TEST(RoundToByteHalfEven, AgreesWithTheCheckedConversionOverTheByteRange) {
    // Every half and quarter from 0 to 255.25: the pixel loops' rounding
    // must be the checked one's.
    for (int quarters = 0; quarters <= 4 * 255 + 1; ++quarters) {
        const double value = quarters / 4.0;
        EXPECT_EQ(platform::roundToByteHalfEven(value), platform::toByte(value)) << value;
    }
}

TEST(Conversions, NotANumberAndInfinityAreOverflows) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_THROW(toInt16(nan), OverflowError);
    EXPECT_THROW(toInt32(nan), OverflowError);
    EXPECT_THROW(toByte(nan), OverflowError);
    EXPECT_THROW(toInt32(inf), OverflowError);
    EXPECT_THROW(toInt32(-inf), OverflowError);
}

TEST(Low16Bits, WrapsIntoTheSigned16BitRange) {
    // 40000 = 0x9C40; as a signed 16-bit value 0x9C40 - 0x10000 = -25536.
    EXPECT_EQ(low16Bits(40000), -25536);
    EXPECT_EQ(low16Bits(65536), 0);
    EXPECT_EQ(low16Bits(-1), -1);
    EXPECT_EQ(low16Bits(32767), 32767);
}
