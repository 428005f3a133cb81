#include "cinderloom/Film.h"

#include <stdexcept>
#include <string>

namespace cinderloom {

Film::Film(int32_t length) {
    if (length < 0 || length > kMaxLength)
        throw std::length_error("A film cannot have " + std::to_string(length) +
                                " frames: it takes 0 to " + std::to_string(kMaxLength) + ".");
    slots_.assign(static_cast<std::size_t>(length), kEmptySlot);
}

std::size_t Film::indexOf(int32_t slot) const {
    if (!holds(slot))
        throw std::out_of_range("The film has no slot " + std::to_string(slot) + ": it has " +
                                std::to_string(length()) + ".");
    return static_cast<std::size_t>(slot);
}

int16_t Film::cellAt(int32_t slot) const {
    return slots_[indexOf(slot)];
}

bool Film::set(int32_t slot, int16_t cell) {
    int16_t& shown = slots_[indexOf(slot)];
    const bool changed = shown != cell;
    shown = cell;
    return changed;
}

} // namespace cinderloom
