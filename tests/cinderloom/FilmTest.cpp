// The program's small state types: the film's slots, the views' scroll
// offsets and the cells with the sizes they were retrieved at.
#include "cinderloom/Film.h"

#include "cinderloom/RetrievedCells.h"
#include "cinderloom/ViewState.h"
#include "platform/Conversions.h"
#include "tests/cinderloom/FilmSlots.h"

#include <gtest/gtest.h>
#include <limits>
#include <stdexcept>
#include <vector>

namespace {

using tests::slotsOf;

using cinderloom::Film;

TEST(FilmTest, AFreshFilmHasItsLengthInEmptySlotsAndRefusesLengthsOutsideItsRange) {
    EXPECT_EQ(slotsOf(Film(3)), (std::vector<int16_t>{-1, -1, -1}));
    EXPECT_EQ(Film(0).length(), 0);
    EXPECT_EQ(Film().length(), 0);
    EXPECT_EQ(Film(Film::kMaxLength).length(), Film::kMaxLength);
    EXPECT_THROW(Film(-1), std::length_error);
    EXPECT_THROW(Film(Film::kMaxLength + 1), std::length_error);
    EXPECT_THROW(Film(std::numeric_limits<int32_t>::max()), std::length_error);
}

TEST(FilmTest, SettingASlotSaysWhetherItChangedAndSlotsOutsideTheFilmAreRefused) {
    Film film(3);
    EXPECT_TRUE(film.set(0, 2));
    EXPECT_FALSE(film.set(0, 2));
    EXPECT_TRUE(film.set(2, -25536));
    EXPECT_FALSE(film.set(1, Film::kEmptySlot));
    EXPECT_EQ(slotsOf(film), (std::vector<int16_t>{2, -1, -25536}));
    EXPECT_EQ(film.cellAt(2), -25536);

    for (const int32_t outside : {-1, 3, std::numeric_limits<int32_t>::min()}) {
        SCOPED_TRACE(outside);
        EXPECT_FALSE(film.holds(outside));
        EXPECT_THROW(film.set(outside, 1), std::out_of_range);
        EXPECT_THROW((void)film.cellAt(outside), std::out_of_range);
    }
    EXPECT_EQ(slotsOf(film), (std::vector<int16_t>{2, -1, -25536}));
    EXPECT_THROW((void)Film(0).cellAt(0), std::out_of_range);
}

TEST(ScrollOffsetTest, ScrollsWholeCellsRoundingHalfToEvenAndKeepsItsPlaceOnOverflow) {
    // 320 / 240 × 76 = 101.33 per cell.
    const auto geometry = cinderloom::cellGeometry(320, 240, 76);
    cinderloom::ScrollOffset offset;
    EXPECT_EQ(offset.pixels(), 0);
    offset.scrollTo(3, geometry);
    EXPECT_EQ(offset.pixels(), -304);
    // 0 + 304 = 304, 304 / 101 = 3 remainder 1.
    EXPECT_EQ(offset.indexAt(0, geometry), 3);
    EXPECT_EQ(offset.indexAt(99, geometry), 3);
    EXPECT_EQ(offset.indexAt(100, geometry), 4);

    // −2.5 goes to −2, −3.5 to −4.
    cinderloom::CellGeometry halves;
    halves.exactWidth = 2.5;
    offset.scrollTo(1, halves);
    EXPECT_EQ(offset.pixels(), -2);
    halves.exactWidth = 3.5;
    offset.scrollTo(1, halves);
    EXPECT_EQ(offset.pixels(), -4);

    offset.scrollTo(0, geometry);
    EXPECT_EQ(offset.pixels(), 0);
    offset.scrollTo(3, geometry);
    EXPECT_THROW(offset.scrollTo(std::numeric_limits<int>::max(), geometry),
                 platform::OverflowError);
    EXPECT_EQ(offset.pixels(), -304);
    // Cells that round to no width hit nothing.
    EXPECT_EQ(offset.indexAt(10, cinderloom::cellGeometry(1, 240, 76)), std::nullopt);
}

TEST(RetrievedCellsTest, SizesAloneLeaveTheStoreAndKeptCellsReplaceBoth) {
    cinderloom::RetrievedCells cells;
    cells.keep({3, 2, 2}, cinderloom::CellStore(4, 3, 2));
    EXPECT_TRUE(cells.store().hasExtents(4, 3, 2));

    // The sizes of a retrieval that stopped early are kept beside the old
    // store.
    cells.recordSizes({1, 1, 5});
    EXPECT_EQ(cells.sizes().count, 5);
    EXPECT_TRUE(cells.store().hasExtents(4, 3, 2));

    cells.keep({1, 1, 5}, cinderloom::CellStore(2, 2, 5));
    EXPECT_TRUE(cells.store().hasExtents(2, 2, 5));
    cells.releaseStore();
    EXPECT_TRUE(cells.store().empty());
    EXPECT_EQ(cells.sizes().width, 1);
}

TEST(RetrievedCellsTest, TheStoreReplacedIsTheSpareForARetrievalOfTheSameExtentsOnly) {
    cinderloom::RetrievedCells cells;
    cells.keep({3, 2, 2}, cinderloom::CellStore(4, 3, 2));
    const uint8_t* first = cells.store().cell(cinderloom::Channel::Blue, 1);
    EXPECT_TRUE(cells.takeSpare(4, 3, 2).empty());

    cells.keep({3, 2, 2}, cinderloom::CellStore(4, 3, 2));
    cinderloom::CellStore spare = cells.takeSpare(4, 3, 2);
    ASSERT_TRUE(spare.hasExtents(4, 3, 2));
    EXPECT_EQ(spare.cell(cinderloom::Channel::Blue, 1), first);
    // Taken, it is no one else's; and a spare of other extents is dropped.
    EXPECT_TRUE(cells.takeSpare(4, 3, 2).empty());
    EXPECT_TRUE(cells.store().hasExtents(4, 3, 2));
    cells.keep({3, 2, 2}, std::move(spare));
    EXPECT_TRUE(cells.takeSpare(4, 3, 3).empty());
    EXPECT_TRUE(cells.takeSpare(4, 3, 2).empty());
}

} // namespace
