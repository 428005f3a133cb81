#include "cinderloom/ViewState.h"

#include "platform/Conversions.h"

namespace cinderloom {

void ScrollOffset::scrollTo(int position, const CellGeometry& geometry) {
    pixels_ = platform::toInt32(0 - geometry.exactWidth * position);
}

} // namespace cinderloom
