#pragma once

#include "cinderloom/Film.h"

#include <cstdint>
#include <vector>

namespace tests {

// The film's slots, for comparisons that print them when they fail.
inline std::vector<int16_t> slotsOf(const cinderloom::Film& film) {
    const auto cells = film.slotCells();
    return {cells.begin(), cells.end()};
}

// A film whose slots show `cells`, slot 0 first.
inline cinderloom::Film filmOf(const std::vector<int16_t>& cells) {
    cinderloom::Film film(static_cast<int32_t>(cells.size()));
    for (std::size_t slot = 0; slot < cells.size(); ++slot)
        film.set(static_cast<int32_t>(slot), cells[slot]);
    return film;
}

} // namespace tests
