#include "platform/TextToNumber.h"

#include <cmath>
#include <gtest/gtest.h>

using platform::textToNumber;

TEST(TextToNumber, ReadsTheLeadingNumberAndIgnoresTheRest) {
    EXPECT_EQ(textToNumber(u"30"), 30.0);
    EXPECT_EQ(textToNumber(u"12 frames"), 12.0);
    EXPECT_EQ(textToNumber(u"2.5"), 2.5);
    EXPECT_EQ(textToNumber(u"3.5"), 3.5);
    EXPECT_EQ(textToNumber(u"7x9"), 7.0);
    EXPECT_EQ(textToNumber(u"1.2.3"), 1.2);
}

TEST(TextToNumber, TextWithoutANumberReadsAsZero) {
    EXPECT_EQ(textToNumber(u""), 0.0);
    EXPECT_EQ(textToNumber(u"frames"), 0.0);
    EXPECT_EQ(textToNumber(u"-"), 0.0);
    EXPECT_EQ(textToNumber(u"."), 0.0);
    EXPECT_EQ(textToNumber(u"&"), 0.0);
    EXPECT_EQ(textToNumber(u"&Hxyz"), 0.0);
    EXPECT_EQ(textToNumber(u"\u00e912"), 0.0);
}

TEST(TextToNumber, SkipsBlanksTabsAndLineFeedsAnywhere) {
    EXPECT_EQ(textToNumber(u"  \t\n42"), 42.0);
    EXPECT_EQ(textToNumber(u"1 2\t3\n4"), 1234.0);
    EXPECT_EQ(textToNumber(u"- 5"), -5.0);
    // A carriage return is not among the skipped characters: it ends the number.
    EXPECT_EQ(textToNumber(u"1\r2"), 1.0);
}

TEST(TextToNumber, SignsDecimalsAndExponents) {
    EXPECT_EQ(textToNumber(u"-17"), -17.0);
    EXPECT_EQ(textToNumber(u"+17"), 17.0);
    EXPECT_EQ(textToNumber(u".25"), 0.25);
    EXPECT_EQ(textToNumber(u"5."), 5.0);
    EXPECT_EQ(textToNumber(u"1e3"), 1000.0);
    EXPECT_EQ(textToNumber(u"2.5E-1"), 0.25);
    EXPECT_EQ(textToNumber(u"1E+2"), 100.0);
    // An exponent without digits is not part of the number.
    EXPECT_EQ(textToNumber(u"4e"), 4.0);
    EXPECT_EQ(textToNumber(u"4e+"), 4.0);
    EXPECT_EQ(textToNumber(u"1e-400"), 0.0);
    EXPECT_TRUE(std::isinf(textToNumber(u"1e400")));
}

TEST(TextToNumber, HexadecimalAndOctalPrefixes) {
    EXPECT_EQ(textToNumber(u"&H10"), 16.0);
    EXPECT_EQ(textToNumber(u"&hff"), 255.0);
    EXPECT_EQ(textToNumber(u"&HFFFFFF"), 16777215.0);
    EXPECT_EQ(textToNumber(u"&H1G"), 1.0);
    EXPECT_EQ(textToNumber(u"&O17"), 15.0);
    EXPECT_EQ(textToNumber(u"&o78"), 7.0);
    EXPECT_EQ(textToNumber(u" & H 1 0"), 16.0);
}
