#include "automation/CombineTableLayout.h"

#include <gtest/gtest.h>
#include <string>

namespace {

using host::CombineTableLayout;
using host::Dimension;

TEST(CombineTableLayout, AddressesEntriesThroughTheTablesOwnBoundsAndExtents) {
    // Bounds (-1 To 256, -2 To 255, 0 To 10): extents 258 and 258; entry
    // (s, d, m) at (s + 1) + 258 * ((d + 2) + 258 * m).
    const CombineTableLayout layout({{-1, 258}, {-2, 258}, {0, 11}});
    EXPECT_EQ(layout.offsetOf(0, 0, 0), 1u + 258u * 2u);
    EXPECT_EQ(layout.offsetOf(255, 255, 9), 256u + 258u * (257u + 258u * 9u));
    EXPECT_EQ(layout.valueStride(), 258u);
    EXPECT_EQ(layout.sliceOffset(3) + 5 + 258 * 7, layout.offsetOf(5, 7, 3));

    const CombineTableLayout own(host::combineTableDimensions());
    EXPECT_EQ(own.offsetOf(1, 2, 3), 1u + 256u * (2u + 256u * 3u));
}

TEST(CombineTableLayout, RefusesBoundsThatMissAnEntry) {
    const std::vector<std::vector<Dimension>> refused{
        {{0, 256}, {0, 256}},                  // two dimensions
        {{0, 255}, {0, 256}, {0, 10}},         // s stops at 254
        {{1, 256}, {0, 256}, {0, 10}},         // s starts at 1
        {{0, 256}, {0, 256}, {0, 9}},          // mode 9 missing
        {{0, 256}, {0, 256}, {0, 10}, {0, 1}}, // four dimensions
    };
    for (const auto& bounds : refused) {
        try {
            CombineTableLayout layout(bounds);
            ADD_FAILURE() << "accepted " << host::ByteArray::boundsText(bounds).toStdString();
        } catch (const host::CombineTableShapeError& error) {
            EXPECT_NE(
                std::string(error.what()).find(host::ByteArray::boundsText(bounds).toStdString()),
                std::string::npos)
                << error.what();
        }
    }
}

} // namespace
