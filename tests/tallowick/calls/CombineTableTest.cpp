#include "tallowick/calls/CombineTable.h"

#include "tallowick/calls/HostObject.h"
#include "tallowick/model/HostModel.h"
#include "tests/tallowick/CallRecording.h"
#include "tests/tallowick/TinyDocument.h"

#include <gtest/gtest.h>

namespace {

using host::ByteArray;

// Entry (s, d, m) read by the documented offset, not through at(), so the
// layout itself is checked.
int entry(const ByteArray& table, int s, int d, int m) {
    return table.data()[s + 256 * (d + 256 * m)];
}

TEST(CombineTable, InitlutsHandsOutTheWholeTableInItsDocumentedShape) {
    tests::RecordingCaller caller;
    tallowick::HostModel model(tests::tinyDocument(), std::nullopt, {}, {});
    tallowick::HostObject host(model, caller);
    const auto table = std::get<ByteArray>(host.Invoke("TAL_INITLUTS"));
    EXPECT_EQ(table.dimensions(), (std::vector<host::Dimension>{{0, 256}, {0, 256}, {0, 10}}));
    EXPECT_EQ(table, tallowick::combineTable());
}

TEST(CombineTable, EachModeFollowsItsRule) {
    const ByteArray& t = tallowick::combineTable();
    // 0 Add: 100 + 200 clips at 255.
    EXPECT_EQ(entry(t, 100, 50, 0), 150);
    EXPECT_EQ(entry(t, 100, 200, 0), 255);
    // 1 Subtract, image minus brush: 50 - 100 clips at 0.
    EXPECT_EQ(entry(t, 30, 100, 1), 70);
    EXPECT_EQ(entry(t, 100, 50, 1), 0);
    // 2 Multiply: 128 * 128 / 255 = 64.25 -> 64; 255 * 200 / 255 = 200;
    // 3 * 170 / 255 = 2 exactly; 1 * 128 / 255 = 0.502 -> 1.
    EXPECT_EQ(entry(t, 128, 128, 2), 64);
    EXPECT_EQ(entry(t, 255, 200, 2), 200);
    EXPECT_EQ(entry(t, 3, 170, 2), 2);
    EXPECT_EQ(entry(t, 1, 128, 2), 1);
    // 3 divide, image over brush: 100 * 255 / 200 = 127.5 -> 127 (fraction
    // dropped); s = 2, d = 255 clips at 255; s = 0 gives 0 for d = 0, else
    // 255.
    EXPECT_EQ(entry(t, 200, 100, 3), 127);
    EXPECT_EQ(entry(t, 2, 255, 3), 255);
    EXPECT_EQ(entry(t, 0, 0, 3), 0);
    EXPECT_EQ(entry(t, 0, 5, 3), 255);
    // 4 Screen: 255 - 155 * 55 / 255 = 221.57 -> 222; s = 0 leaves d.
    EXPECT_EQ(entry(t, 100, 200, 4), 222);
    EXPECT_EQ(entry(t, 0, 77, 4), 77);
    // 5 Greater than, 6 Less than.
    EXPECT_EQ(entry(t, 9, 200, 5), 200);
    EXPECT_EQ(entry(t, 9, 200, 6), 9);
    // 7 And, 8 Or, 9 Xor of 0b1100'1010 and 0b1010'0110.
    EXPECT_EQ(entry(t, 0xCA, 0xA6, 7), 0x82);
    EXPECT_EQ(entry(t, 0xCA, 0xA6, 8), 0xEE);
    EXPECT_EQ(entry(t, 0xCA, 0xA6, 9), 0x6C);
}

} // namespace
