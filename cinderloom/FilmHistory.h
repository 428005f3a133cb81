#pragma once

#include "cinderloom/Film.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <variant>
#include <vector>

namespace cinderloom {

// One slot a step changed: the cell it showed before and after.
struct SlotChange {
    int32_t slot = 0;
    int16_t before = Film::kEmptySlot;
    int16_t after = Film::kEmptySlot;

    bool operator==(const SlotChange&) const = default;
};

// What an undo or redo changed, for the views to redraw: the slots, in
// ascending order, or the whole film when its length may have changed.
struct FilmRestoration {
    bool wholeFilm = false;
    std::vector<int32_t> changedSlots;

    bool empty() const { return !wholeFilm && changedSlots.empty(); }
    bool operator==(const FilmRestoration&) const = default;
};

// The film's undo history for the life of the program. A step is one paint
// stroke (every slot painted from a press to its release) or one replacement
// of the whole film (a film file opened). The history keeps at most
// `maxSteps` steps and `maxBytes` of recorded changes, dropping the oldest
// steps first; a step larger than the whole bound is not kept at all.
class FilmHistory {
public:
    static constexpr std::size_t kMaxBytes = std::size_t{8} << 20;
    static constexpr std::size_t kMaxSteps = 1000;

    explicit FilmHistory(std::size_t maxBytes = kMaxBytes, std::size_t maxSteps = kMaxSteps);

    // Makes `slot` of `film` show `cell` as part of the open stroke, opening
    // one if none is. True when the slot changed. std::out_of_range for a
    // slot the film does not hold, and nothing is noted.
    bool paint(Film& film, int32_t slot, int16_t cell);
    // Ends the open stroke as one step of every slot it left changed; a
    // stroke that changed nothing (or painted slots back) makes no step.
    void closeStroke();

    // Replaces `film` by `replacement` as one step, after closing the open
    // stroke. The whole old and new film are recorded.
    void replace(Film& film, Film replacement);

    // Whether a step (or the open stroke) can be taken back, or re-applied.
    bool canUndo() const;
    bool canRedo() const;
    // Closes the open stroke, then takes the last step back (or re-applies
    // the last undone one) on `film`. Nothing to do: an empty restoration.
    FilmRestoration undo(Film& film);
    FilmRestoration redo(Film& film);

    // The steps kept, undone ones included, and the bytes their changes take.
    std::size_t stepCount() const { return steps_.size(); }
    std::size_t recordedBytes() const { return recordedBytes_; }

private:
    struct Replacement {
        Film before;
        Film after;
    };
    using Step = std::variant<std::vector<SlotChange>, Replacement>;

    static std::size_t bytesOf(const Step& step);
    void record(Step step);
    void dropOldest();

    std::size_t maxBytes_;
    std::size_t maxSteps_;
    std::deque<Step> steps_;
    // Steps [0, applied_) are done; the rest were undone and can be redone.
    std::size_t applied_ = 0;
    std::size_t recordedBytes_ = 0;
    // The changes of the stroke in progress, in the order they were made.
    std::vector<SlotChange> openStroke_;
};

} // namespace cinderloom
