#pragma once

#include "automation/AutomationObject.h"
#include "cinderloom/RetrievedCells.h"

namespace cinderloom {

// Fills `cells` from every frame of the host's current animation under the
// host's progress display. Fewer than 2 frames: "No animation", the sizes
// read are kept and the store is left as it was. A plane that does not cover
// its frame is a host::PlaneShapeError naming the method; sizes the store
// cannot hold are a CellStoreError naming the host calls they came from.
// Progress reports that fail are ignored; every other failing call goes on
// to the caller.
void retrieveFrames(host::AutomationObject& hostCalls, RetrievedCells& cells);

} // namespace cinderloom
