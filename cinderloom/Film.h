#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace cinderloom {

// The new roll of film: for each slot, in the order the slots are shot, the
// cell it shows. A negative cell shows nothing; a fresh slot holds kEmptySlot.
// Cells are kept in 16 bits, as the painting has always stored them.
class Film {
public:
    static constexpr int16_t kEmptySlot = -1;
    // More slots than this are refused: each slot becomes a host frame when
    // the film is shot.
    static constexpr int32_t kMaxLength = 1'000'000;

    // A film without slots.
    Film() = default;
    // A film of `length` empty slots. std::length_error for a length below 0
    // or above kMaxLength; std::bad_alloc when memory runs out.
    explicit Film(int32_t length);

    int32_t length() const { return static_cast<int32_t>(slots_.size()); }
    bool holds(int32_t slot) const { return slot >= 0 && slot < length(); }

    // The cell `slot` shows. std::out_of_range for a slot the film does not
    // hold.
    int16_t cellAt(int32_t slot) const;
    // Makes `slot` show `cell`; true when it showed another cell before.
    // std::out_of_range for a slot the film does not hold, and nothing
    // changes.
    bool set(int32_t slot, int16_t cell);

    // Every slot's cell, slot 0 first.
    std::span<const int16_t> slotCells() const { return slots_; }

    bool operator==(const Film&) const = default;

private:
    std::size_t indexOf(int32_t slot) const;

    std::vector<int16_t> slots_;
};

} // namespace cinderloom
