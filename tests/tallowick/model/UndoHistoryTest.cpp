// The undo history on its own: snapshots charged as the droppable part of
// the budget, dropped oldest first, a dropped one's storage taking the next,
// and room made for whatever else needs it.
#include "tallowick/model/UndoHistory.h"

#include "tests/tallowick/ErrorText.h"

#include <gtest/gtest.h>

namespace {

using tallowick::FramePosition;
using tallowick::MemoryBudget;
using tallowick::Rgba;
using tallowick::RgbaFrame;
using tallowick::UndoHistory;

// A 3 x 2 frame holds 4 planes of 4 x 3 bytes; a 5 x 4 one 4 planes of 6 x 5.
constexpr uint64_t kSmall = 48;
constexpr uint64_t kLarge = 120;

RgbaFrame small(uint8_t red) {
    return RgbaFrame(3, 2, Rgba{red, 2, 3, 4});
}

// Takes the latest snapshot and checks that it is `frame` from `position`.
void expectLatest(UndoHistory& history, const FramePosition& position, const RgbaFrame& frame) {
    const std::optional<UndoHistory::Snapshot> snapshot = history.takeLatest();
    ASSERT_TRUE(snapshot);
    EXPECT_EQ(snapshot->position, position);
    ASSERT_EQ(snapshot->planes.width(), frame.width());
    ASSERT_EQ(snapshot->planes.height(), frame.height());
    for (const tallowick::Channel channel : tallowick::kChannels)
        EXPECT_EQ(snapshot->planes.plane(channel), frame.plane(channel));
}

TEST(UndoHistory, SnapshotsBeyondTheBudgetAreDroppedOldestFirstAndTheDroppedStorageTakesTheNew) {
    MemoryBudget budget(2 * kSmall);
    UndoHistory history(budget);
    history.save({0, 0}, small(10));
    history.save({0, 1}, small(20));
    // No room for a third: the first goes, and its storage holds the third's
    // position and pixels, not its own.
    history.save({1, 0}, small(30));
    EXPECT_EQ(history.depth(), 2u);
    EXPECT_EQ(budget.inUse(), 2 * kSmall);
    EXPECT_EQ(budget.droppable(), 2 * kSmall);

    expectLatest(history, {1, 0}, small(30));
    EXPECT_EQ(budget.inUse(), kSmall);
    expectLatest(history, {0, 1}, small(20));
    EXPECT_FALSE(history.takeLatest());
    EXPECT_EQ(budget.inUse(), 0u);
    EXPECT_EQ(budget.droppable(), 0u);
}

TEST(UndoHistory, KeepsAtMostTheLimitHoweverLargeTheBudget) {
    MemoryBudget budget(UINT64_MAX);
    UndoHistory history(budget);
    for (int i = 0; i <= static_cast<int>(UndoHistory::kLimit); ++i)
        history.save({0, i}, small(static_cast<uint8_t>(i)));
    EXPECT_EQ(history.depth(), UndoHistory::kLimit);
    EXPECT_EQ(budget.droppable(), UndoHistory::kLimit * kSmall);
    // Frame 0's snapshot, the oldest, is the one that went.
    for (int i = static_cast<int>(UndoHistory::kLimit); i >= 1; --i)
        expectLatest(history, {0, i}, small(static_cast<uint8_t>(i)));
    EXPECT_FALSE(history.takeLatest());
}

TEST(UndoHistory, ALargerSnapshotDropsAsManyAsItNeedsAndKeepsItsOwnSize) {
    MemoryBudget budget(kLarge + kSmall - 1);
    UndoHistory history(budget);
    history.save({0, 0}, small(10));
    history.save({0, 1}, small(20));
    const RgbaFrame large(5, 4, Rgba{7, 8, 9, 10});
    history.save({2, 0}, large);
    EXPECT_EQ(history.depth(), 1u);
    EXPECT_EQ(budget.inUse(), kLarge);
    expectLatest(history, {2, 0}, large);
}

TEST(UndoHistory, WhatCannotFitEvenAloneIsRefusedAndTheHistoryKept) {
    MemoryBudget budget(kLarge - 1);
    budget.charge(kLarge - 1 - kSmall, QStringLiteral("a document"));
    UndoHistory history(budget);
    history.save({0, 0}, small(10));
    EXPECT_EQ(tests::errorText<tallowick::MemoryBudgetError>([&] {
                  history.save({0, 1}, RgbaFrame(5, 4, Rgba{}));
              }),
              "an undo snapshot of 5 x 4 pixels would take 120 bytes, more than the 48 bytes "
              "left of the memory budget of 119 bytes (71 bytes in use)");
    EXPECT_EQ(history.depth(), 1u);
    EXPECT_EQ(budget.inUse(), kLarge - 1);
    expectLatest(history, {0, 0}, small(10));
}

TEST(UndoHistory, RoomForSomethingElseDropsOnlyTheOldestItNeeds) {
    MemoryBudget budget(3 * kSmall);
    UndoHistory history(budget);
    for (int i = 0; i < 3; ++i)
        history.save({0, i}, small(static_cast<uint8_t>(i)));
    // 50 bytes need two snapshots' room, not three.
    history.makeRoom(50, QStringLiteral("a document"));
    EXPECT_EQ(history.depth(), 1u);
    EXPECT_EQ(budget.inUse(), kSmall);
    // Beyond the whole budget nothing is dropped.
    EXPECT_EQ(tests::errorText<tallowick::MemoryBudgetError>(
                  [&] { history.makeRoom(3 * kSmall + 1, QStringLiteral("a document")); }),
              "a document would take 145 bytes, more than the memory budget of 144 bytes allows");
    EXPECT_EQ(history.depth(), 1u);
    expectLatest(history, {0, 2}, small(2));
}

} // namespace
