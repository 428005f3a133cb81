#pragma once

#include "automation/AutomationObject.h"
#include "cinderloom/RetrievedCells.h"

#include <stdexcept>

namespace cinderloom {

// A retrieval that failed once the frames were being copied: the reason (a
// call that failed, a plane that does not cover its frame, sizes the store
// cannot hold), then what the user is left with, the cells retrieved before.
class RetrievalError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Fills `cells` from every frame of the host's current animation under the
// host's progress display. Fewer than 2 frames: "No animation", the sizes
// read are kept and the store is left as it was. Sizes the host reports
// wrongly are refused as they arrive, naming the call, and change nothing.
// The new cells are built aside from the old: a failure after that (a plane
// that does not cover its frame, sizes the store cannot hold, a failing
// call) is a RetrievalError, and the old cells and sizes stay. Progress
// reports that fail are ignored.
void retrieveFrames(host::AutomationObject& hostCalls, RetrievedCells& cells);

} // namespace cinderloom
