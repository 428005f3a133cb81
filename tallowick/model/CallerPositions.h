#pragma once

#include "tallowick/model/FramePosition.h"

#include <QString>
#include <cstddef>
#include <map>

namespace tallowick {

// The current document and frame of each program that calls the host over
// the bus, by the program's unique bus name, so that programs working at the
// same time never move each other's current image. An entry lives from the
// program's first call until forget(), which the host calls when the program
// leaves the bus.
class CallerPositions {
public:
    // The position of `caller`; a caller not seen before starts at `start`.
    // The reference stays valid until `caller` is forgotten.
    FramePosition& of(const QString& caller, const FramePosition& start);
    void forget(const QString& caller);

    bool knows(const QString& caller) const { return positions_.contains(caller); }
    std::size_t size() const { return positions_.size(); }

private:
    // Node-based, so that adding a caller leaves the references handed out
    // for others in place.
    std::map<QString, FramePosition> positions_;
};

} // namespace tallowick
