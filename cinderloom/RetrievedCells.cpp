#include "cinderloom/RetrievedCells.h"

namespace cinderloom {

CellStore& RetrievedCells::storeToOverwrite() {
    if (!store_.hasExtents(sizes_.columns(), sizes_.rows(), sizes_.count)) {
        releaseStore();
        store_ = CellStore(sizes_.columns(), sizes_.rows(), sizes_.count);
    }
    return store_;
}

} // namespace cinderloom
