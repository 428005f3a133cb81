// Choosing the selected cell in the cell strip and painting it onto the film
// slots under the pointer.
#include "cinderloom/Cinderloom.h"
#include "cinderloom/Film.h"
#include "cinderloom/FilmHistory.h"
#include "cinderloom/ViewState.h"
#include "platform/Conversions.h"

namespace cinderloom {
namespace {

// A drag left of slot 0 can land on slot −1, which has always redrawn the
// whole film rather than one slot.
constexpr int32_t kSlotThatRedrawsTheWholeFilm = -1;

} // namespace

void Cinderloom::Picture1_MouseDown(int16_t button, int16_t, float x, float) {
    if (button <= 0)
        return;
    const std::optional<int32_t> cell = view_.strip.indexAt(x, geometryOf(*Picture1));
    if (!cell)
        return;
    view_.selectedCell = *cell;
    Picture1_Paint();
}

void Cinderloom::Picture2_MouseDown(int16_t button, int16_t shift, float x, float y) {
    Picture2_MouseMove(button, shift, x, y);
}

void Cinderloom::Picture2_MouseMove(int16_t button, int16_t, float x, float) {
    if (button <= 0)
        return;
    const std::optional<int32_t> slot = view_.film.indexAt(x, geometryOf(*Picture2));
    if (!slot)
        return;
    SetFilmSlot(*slot, view_.selectedCell);
}

void Cinderloom::Picture2_MouseUp(int16_t button, int16_t, float, float) {
    if (button != 0)
        return;
    history_.closeStroke();
    updateActionStates();
}

void Cinderloom::SetFilmSlot(int32_t slot, int32_t cell) {
    if (film_.holds(slot) && history_.paint(film_, slot, platform::low16Bits(cell)))
        updateActionStates();
    if (slot == kSlotThatRedrawsTheWholeFilm)
        paintFilm(std::nullopt);
    else
        paintFilm(slot);
}

} // namespace cinderloom
