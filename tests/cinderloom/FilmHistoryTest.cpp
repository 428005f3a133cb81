// The film's undo history, without a window: strokes and replacements as
// steps, undone and redone, within their bounds.
#include "cinderloom/FilmHistory.h"

#include "tests/cinderloom/FilmSlots.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <vector>

namespace {

using tests::filmOf;
using tests::slotsOf;

using cinderloom::Film;
using cinderloom::FilmHistory;
using cinderloom::FilmRestoration;
using cinderloom::SlotChange;

// One closed stroke painting `cell` over `slots`.
void stroke(FilmHistory& history, Film& film, const std::vector<int32_t>& slots, int16_t cell) {
    for (const int32_t slot : slots)
        history.paint(film, slot, cell);
    history.closeStroke();
}

TEST(FilmHistoryTest, AStrokeOverSeveralSlotsIsOneStepUndoneAndRedoneExactly) {
    Film film = filmOf({-1, 0, 4, -1, 2});
    FilmHistory history;
    EXPECT_FALSE(history.canUndo());
    EXPECT_TRUE(history.paint(film, 3, 4));
    // Slot 2 shows 4 already: no change, nothing to restore there.
    EXPECT_FALSE(history.paint(film, 2, 4));
    EXPECT_TRUE(history.paint(film, 1, 4));
    // The open stroke can be undone before its release.
    EXPECT_TRUE(history.canUndo());
    EXPECT_FALSE(history.canRedo());
    history.closeStroke();
    EXPECT_EQ(history.stepCount(), 1u);
    EXPECT_EQ(history.recordedBytes(), 2 * sizeof(SlotChange));
    EXPECT_EQ(slotsOf(film), (std::vector<int16_t>{-1, 4, 4, 4, 2}));

    EXPECT_EQ(history.undo(film), (FilmRestoration{false, {1, 3}}));
    EXPECT_EQ(slotsOf(film), (std::vector<int16_t>{-1, 0, 4, -1, 2}));
    EXPECT_FALSE(history.canUndo());
    EXPECT_TRUE(history.canRedo());
    EXPECT_TRUE(history.undo(film).empty());

    EXPECT_EQ(history.redo(film), (FilmRestoration{false, {1, 3}}));
    EXPECT_EQ(slotsOf(film), (std::vector<int16_t>{-1, 4, 4, 4, 2}));
    EXPECT_TRUE(history.redo(film).empty());
    EXPECT_EQ(history.stepCount(), 1u);
}

TEST(FilmHistoryTest, AStrokeThatChangedNothingMakesNoStepAndRepaintsKeepFirstAndLast) {
    Film film = filmOf({-1, 3, -1});
    FilmHistory history;
    stroke(history, film, {1}, 3);
    EXPECT_FALSE(history.canUndo());
    // Painted and painted back within one stroke: no change is left.
    history.paint(film, 0, 5);
    history.paint(film, 0, -1);
    history.closeStroke();
    EXPECT_FALSE(history.canUndo());
    EXPECT_EQ(history.stepCount(), 0u);

    // Slot 2 goes −1 → 2 → 6 in one stroke: undo goes back to −1 in one go.
    history.paint(film, 2, 2);
    history.paint(film, 0, 2);
    history.paint(film, 2, 6);
    history.closeStroke();
    EXPECT_EQ(history.recordedBytes(), 2 * sizeof(SlotChange));
    EXPECT_EQ(history.undo(film), (FilmRestoration{false, {0, 2}}));
    EXPECT_EQ(slotsOf(film), (std::vector<int16_t>{-1, 3, -1}));
    history.redo(film);
    EXPECT_EQ(slotsOf(film), (std::vector<int16_t>{2, 3, 6}));

    // A slot outside the film is refused before anything is noted.
    EXPECT_THROW(history.paint(film, 3, 1), std::out_of_range);
    history.closeStroke();
    EXPECT_EQ(history.stepCount(), 1u);
}

TEST(FilmHistoryTest, BoundsDropTheOldestStepsFirst) {
    // Room for three single-slot strokes.
    Film film(6);
    FilmHistory byBytes(3 * sizeof(SlotChange), 1000);
    for (int32_t slot = 0; slot < 4; ++slot)
        stroke(byBytes, film, {slot}, 1);
    EXPECT_EQ(byBytes.stepCount(), 3u);
    EXPECT_EQ(byBytes.recordedBytes(), 3 * sizeof(SlotChange));
    for (int undo = 0; undo < 3; ++undo)
        byBytes.undo(film);
    EXPECT_FALSE(byBytes.canUndo());
    // The first stroke was dropped: its slot keeps its cell.
    EXPECT_EQ(slotsOf(film), (std::vector<int16_t>{1, -1, -1, -1, -1, -1}));

    // A step larger than the whole bound is not kept, nor anything before it.
    stroke(byBytes, film, {1}, 2);
    stroke(byBytes, film, {2, 3, 4, 5}, 2);
    EXPECT_EQ(byBytes.stepCount(), 0u);
    EXPECT_EQ(byBytes.recordedBytes(), 0u);
    EXPECT_FALSE(byBytes.canUndo());

    Film counted(3);
    FilmHistory bySteps(FilmHistory::kMaxBytes, 2);
    for (int32_t slot = 0; slot < 3; ++slot)
        stroke(bySteps, counted, {slot}, 7);
    EXPECT_EQ(bySteps.stepCount(), 2u);
    bySteps.undo(counted);
    bySteps.undo(counted);
    EXPECT_TRUE(bySteps.undo(counted).empty());
    EXPECT_EQ(slotsOf(counted), (std::vector<int16_t>{7, -1, -1}));
}

TEST(FilmHistoryTest, TheDefaultBoundsAreEightMebibytesAndAThousandStepsAndALongStrokeIsOneStep) {
    EXPECT_EQ(FilmHistory::kMaxBytes, 8u * 1024 * 1024);
    EXPECT_EQ(FilmHistory::kMaxSteps, 1000u);
    Film film(30000);
    FilmHistory history;
    for (int32_t slot = 0; slot < film.length(); ++slot)
        history.paint(film, slot, 1);
    history.closeStroke();
    EXPECT_EQ(history.stepCount(), 1u);
    EXPECT_EQ(history.recordedBytes(), 30000 * sizeof(SlotChange));
    EXPECT_EQ(history.undo(film).changedSlots.size(), 30000u);
    EXPECT_EQ(film, Film(30000));

    FilmHistory steps;
    Film small(1);
    for (int step = 0; step < 1001; ++step)
        stroke(steps, small, {0}, static_cast<int16_t>(step % 2));
    EXPECT_EQ(steps.stepCount(), 1000u);
}

TEST(FilmHistoryTest, ANewStepAfterAnUndoDropsTheStepsThatCouldHaveBeenRedone) {
    Film film(3);
    FilmHistory history;
    stroke(history, film, {0}, 1);
    stroke(history, film, {1}, 2);
    history.undo(film);
    EXPECT_TRUE(history.canRedo());
    stroke(history, film, {2}, 3);
    EXPECT_FALSE(history.canRedo());
    EXPECT_TRUE(history.redo(film).empty());
    EXPECT_EQ(history.stepCount(), 2u);
    EXPECT_EQ(history.recordedBytes(), 2 * sizeof(SlotChange));
    EXPECT_EQ(slotsOf(film), (std::vector<int16_t>{1, -1, 3}));
    history.undo(film);
    history.undo(film);
    EXPECT_EQ(film, Film(3));

    // An open stroke hides the redo until it is closed, when it drops it.
    history.redo(film);
    history.paint(film, 1, 5);
    EXPECT_FALSE(history.canRedo());
    history.closeStroke();
    EXPECT_FALSE(history.canRedo());
}

TEST(FilmHistoryTest, AnOpenedFilmIsOneStepThatUndoRestoresInLengthAndSlots) {
    Film film = filmOf({0, 1, 2});
    FilmHistory history;
    // A stroke still open when the film is replaced is a step of its own,
    // taken back after the replacement.
    history.paint(film, 0, 5);
    history.replace(film, filmOf({3, -1, 3, 3, 0}));
    EXPECT_EQ(slotsOf(film), (std::vector<int16_t>{3, -1, 3, 3, 0}));
    EXPECT_EQ(history.stepCount(), 2u);
    // The old film of 3 slots and the new one of 5, two bytes each.
    EXPECT_EQ(history.recordedBytes(), sizeof(SlotChange) + (3 + 5) * sizeof(int16_t));

    EXPECT_EQ(history.undo(film), (FilmRestoration{true, {}}));
    EXPECT_EQ(slotsOf(film), (std::vector<int16_t>{5, 1, 2}));
    EXPECT_EQ(history.undo(film), (FilmRestoration{false, {0}}));
    EXPECT_EQ(slotsOf(film), (std::vector<int16_t>{0, 1, 2}));
    history.redo(film);
    EXPECT_EQ(history.redo(film), (FilmRestoration{true, {}}));
    EXPECT_EQ(film.length(), 5);
    EXPECT_EQ(slotsOf(film), (std::vector<int16_t>{3, -1, 3, 3, 0}));
}

} // namespace
