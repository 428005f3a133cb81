#include "tallowick/model/CallerPositions.h"

namespace tallowick {

FramePosition& CallerPositions::of(const QString& caller, const FramePosition& start) {
    return positions_.try_emplace(caller, start).first->second;
}

void CallerPositions::forget(const QString& caller) {
    positions_.erase(caller);
}

} // namespace tallowick
