// Choosing the selected cell in the cell strip and painting it onto the film
// slots under the pointer.
#include "cinderloom/Cinderloom.h"
#include "cinderloom/Module1.h"
#include "platform/Conversions.h"
#include "platform/PictureBox.h"

namespace cinderloom {
namespace {

// Puts the redraw slot back to the whole film however the redraw ends, so
// that a failed slot redraw cannot turn later full redraws into slot ones.
class RedrawSlotScope {
public:
    RedrawSlotScope(int32_t& redrawSlot, int32_t slot) : redrawSlot_(redrawSlot) {
        redrawSlot_ = slot;
    }
    ~RedrawSlotScope() { redrawSlot_ = -1; }
    RedrawSlotScope(const RedrawSlotScope&) = delete;
    RedrawSlotScope& operator=(const RedrawSlotScope&) = delete;

private:
    int32_t& redrawSlot_;
};

std::optional<int32_t> indexUnder(float x, int32_t offset, const Module1& module,
                                  const platform::PictureBox& view) {
    const int32_t height = platform::toInt32(view.ScaleHeight());
    return hitIndex(x, offset, cellGeometry(module.width, module.height, height).exactWidth);
}

} // namespace

void Cinderloom::Picture1_MouseDown(int16_t button, int16_t, float x, float) {
    if (button <= 0)
        return;
    const std::optional<int32_t> cell = indexUnder(x, module_.stripOffset, module_, *Picture1);
    if (!cell)
        return;
    module_.selectedCell = *cell;
    Picture1_Paint();
}

void Cinderloom::Picture2_MouseDown(int16_t button, int16_t shift, float x, float y) {
    Picture2_MouseMove(button, shift, x, y);
}

void Cinderloom::Picture2_MouseMove(int16_t button, int16_t, float x, float) {
    if (button <= 0)
        return;
    const std::optional<int32_t> slot = indexUnder(x, module_.filmOffset, module_, *Picture2);
    if (!slot)
        return;
    SetFilmSlot(*slot, module_.selectedCell);
}

void Cinderloom::SetFilmSlot(int32_t slot, int32_t cell) {
    const auto length = static_cast<int64_t>(module_.film.size());
    if (slot > -1 && slot < module_.filmLength && slot < length)
        module_.film[static_cast<std::size_t>(slot)] = platform::low16Bits(cell);
    const RedrawSlotScope scope(module_.redrawSlot, slot);
    Picture2_Paint();
}

} // namespace cinderloom
