#include "cinderloom/FilmHistory.h"

#include <algorithm>
#include <utility>

namespace cinderloom {
namespace {

// One change per slot: the first cell the stroke found there and the last it
// left, sorted by slot. Slots painted back to what they showed drop out.
std::vector<SlotChange> collapse(std::vector<SlotChange> changes) {
    std::stable_sort(changes.begin(), changes.end(),
                     [](const SlotChange& a, const SlotChange& b) { return a.slot < b.slot; });
    std::vector<SlotChange> collapsed;
    for (const SlotChange& change : changes) {
        if (!collapsed.empty() && collapsed.back().slot == change.slot)
            collapsed.back().after = change.after;
        else
            collapsed.push_back(change);
    }
    std::erase_if(collapsed,
                  [](const SlotChange& change) { return change.before == change.after; });
    collapsed.shrink_to_fit();
    return collapsed;
}

FilmRestoration restore(Film& film, const std::vector<SlotChange>& changes, bool forward) {
    FilmRestoration restoration;
    restoration.changedSlots.reserve(changes.size());
    for (const SlotChange& change : changes) {
        film.set(change.slot, forward ? change.after : change.before);
        restoration.changedSlots.push_back(change.slot);
    }
    return restoration;
}

} // namespace

FilmHistory::FilmHistory(std::size_t maxBytes, std::size_t maxSteps)
    : maxBytes_(maxBytes), maxSteps_(maxSteps) {}

bool FilmHistory::paint(Film& film, int32_t slot, int16_t cell) {
    const int16_t before = film.cellAt(slot);
    if (!film.set(slot, cell))
        return false;
    openStroke_.push_back({slot, before, cell});
    return true;
}

void FilmHistory::closeStroke() {
    if (openStroke_.empty())
        return;
    std::vector<SlotChange> changes = collapse(std::exchange(openStroke_, {}));
    if (!changes.empty())
        record(std::move(changes));
}

void FilmHistory::replace(Film& film, Film replacement) {
    closeStroke();
    Replacement step{film, std::move(replacement)};
    film = step.after;
    record(std::move(step));
}

bool FilmHistory::canUndo() const {
    return applied_ > 0 || !openStroke_.empty();
}

bool FilmHistory::canRedo() const {
    return openStroke_.empty() && applied_ < steps_.size();
}

FilmRestoration FilmHistory::undo(Film& film) {
    closeStroke();
    if (applied_ == 0)
        return {};
    const Step& step = steps_[--applied_];
    if (const auto* changes = std::get_if<std::vector<SlotChange>>(&step))
        return restore(film, *changes, false);
    film = std::get<Replacement>(step).before;
    return {true, {}};
}

FilmRestoration FilmHistory::redo(Film& film) {
    closeStroke();
    if (applied_ == steps_.size())
        return {};
    const Step& step = steps_[applied_++];
    if (const auto* changes = std::get_if<std::vector<SlotChange>>(&step))
        return restore(film, *changes, true);
    film = std::get<Replacement>(step).after;
    return {true, {}};
}

std::size_t FilmHistory::bytesOf(const Step& step) {
    if (const auto* changes = std::get_if<std::vector<SlotChange>>(&step))
        return changes->size() * sizeof(SlotChange);
    const Replacement& replacement = std::get<Replacement>(step);
    return (replacement.before.slotCells().size() + replacement.after.slotCells().size()) *
           sizeof(int16_t);
}

void FilmHistory::record(Step step) {
    // A new step makes the undone ones unreachable.
    while (steps_.size() > applied_) {
        recordedBytes_ -= bytesOf(steps_.back());
        steps_.pop_back();
    }
    recordedBytes_ += bytesOf(step);
    steps_.push_back(std::move(step));
    applied_ = steps_.size();
    while (!steps_.empty() && (recordedBytes_ > maxBytes_ || steps_.size() > maxSteps_))
        dropOldest();
}

void FilmHistory::dropOldest() {
    recordedBytes_ -= bytesOf(steps_.front());
    steps_.pop_front();
    --applied_;
}

} // namespace cinderloom
