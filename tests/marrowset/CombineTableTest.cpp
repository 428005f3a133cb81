// The checked combine table: every entry read through it is the array's own
// at (s, d, m), whatever the bounds, and a table that misses entries is
// refused naming the call and the bounds.
#include "marrowset/CombineTable.h"

#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

namespace {

using host::Dimension;

// A table of the given bounds whose every element holds a value of its own
// place (wrapping at 256), so that an offset that is wrong by any amount
// reads another value.
host::ByteArray numberedTable(const std::vector<Dimension>& dimensions) {
    host::ByteArray table(dimensions);
    for (std::size_t i = 0; i < table.size(); ++i)
        table.data()[i] = static_cast<uint8_t>(i * 7 + i / 256);
    return table;
}

std::string refusalOf(const std::vector<Dimension>& dimensions) {
    try {
        const marrowset::CombineTable table(QStringLiteral("tal_initluts"),
                                            numberedTable(dimensions));
    } catch (const host::CombineTableShapeError& error) {
        return error.what();
    }
    return "not refused";
}

TEST(CombineTable, ReadsEachEntryWhereItsOwnArrayHoldsIt) {
    for (const std::vector<Dimension>& bounds :
         {host::combineTableDimensions(), std::vector<Dimension>{{-1, 258}, {-2, 259}, {-1, 12}}}) {
        SCOPED_TRACE(host::ByteArray::boundsText(bounds).toStdString());
        const host::ByteArray array = numberedTable(bounds);
        const marrowset::CombineTable table(QStringLiteral("tal_initluts"), array);
        EXPECT_EQ(table.entries(), array);
        for (const auto& [s, d, m] :
             {std::tuple{0, 0, 0}, std::tuple{255, 0, 0}, std::tuple{0, 255, 0},
              std::tuple{0, 0, 9}, std::tuple{255, 255, 9}, std::tuple{17, 200, 4}}) {
            EXPECT_EQ(table.entry(s, d, m), array.at(s, d, m)) << s << ", " << d << ", " << m;
            EXPECT_EQ(table.slice(m)[s + table.valueStride() * d], array.at(s, d, m))
                << s << ", " << d << ", " << m;
        }
    }
}

TEST(CombineTable, ATableThatMissesEntriesIsRefusedNamingTheCallAndTheBounds) {
    EXPECT_EQ(refusalOf({{0, 256}, {0, 256}, {0, 9}}),
              "tal_initluts: The combine table has the bounds (0 To 255, 0 To 255, 0 To 8); it "
              "needs three dimensions that hold (0 To 255, 0 To 255, 0 To 9)");
    // No brush value 0, no image value 255, a plane, and the entries' count
    // in one dimension.
    for (const std::vector<Dimension>& bounds :
         {std::vector<Dimension>{{1, 256}, {0, 256}, {0, 10}},
          std::vector<Dimension>{{0, 256}, {0, 255}, {0, 10}},
          std::vector<Dimension>{{0, 256}, {0, 256}}, std::vector<Dimension>{{0, 655360}}}) {
        const std::string refusal = refusalOf(bounds);
        EXPECT_EQ(refusal.rfind("tal_initluts: The combine table has the bounds " +
                                    host::ByteArray::boundsText(bounds).toStdString(),
                                0),
                  0u)
            << refusal;
    }
}

// A copy or a move could leave a table whose layout outlives its entries.
static_assert(!std::is_copy_constructible_v<marrowset::CombineTable>);
static_assert(!std::is_move_constructible_v<marrowset::CombineTable>);
static_assert(!std::is_copy_assignable_v<marrowset::CombineTable>);
static_assert(!std::is_move_assignable_v<marrowset::CombineTable>);

} // namespace
