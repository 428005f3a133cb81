#include "tallowick/model/UndoHistory.h"

#include <utility>

namespace tallowick {

namespace {

uint64_t bytesOf(const RgbaFrame& frame) {
    return MemoryBudget::frameBytes(frame.width(), frame.height());
}

QString snapshotText(const RgbaFrame& frame) {
    return QStringLiteral("an undo snapshot of %1 x %2 pixels")
        .arg(frame.width())
        .arg(frame.height());
}

} // namespace

void UndoHistory::makeRoom(uint64_t bytes, const QString& request) {
    dropOldest(bytes, request, kLimit);
}

std::optional<UndoHistory::Snapshot> UndoHistory::dropOldest(uint64_t bytes, const QString& request,
                                                             std::size_t snapshotsKept) {
    budget_.checkFits(bytes, request);
    std::optional<Snapshot> dropped;
    while (!snapshots_.empty() && (snapshots_.size() > snapshotsKept || !budget_.fitsNow(bytes))) {
        budget_.releaseDroppable(bytesOf(snapshots_.front().planes));
        dropped = std::move(snapshots_.front());
        snapshots_.pop_front();
    }
    return dropped;
}

void UndoHistory::save(const FramePosition& position, const RgbaFrame& frame) {
    const uint64_t bytes = bytesOf(frame);
    const QString request = snapshotText(frame);
    // The last snapshot dropped takes the new one in place when the sizes
    // agree, which saves a fresh allocation; one of another size would only
    // add to what the copy holds.
    std::optional<Snapshot> spare = dropOldest(bytes, request, kLimit - 1);
    if (spare &&
        (spare->planes.width() != frame.width() || spare->planes.height() != frame.height()))
        spare.reset();
    budget_.chargeDroppable(bytes, request);
    try {
        if (spare) {
            spare->position = position;
            spare->planes = frame;
            snapshots_.push_back(std::move(*spare));
        } else {
            snapshots_.push_back(Snapshot{position, frame});
        }
    } catch (...) {
        budget_.releaseDroppable(bytes);
        throw;
    }
}

std::optional<UndoHistory::Snapshot> UndoHistory::takeLatest() {
    if (snapshots_.empty())
        return std::nullopt;
    Snapshot snapshot = std::move(snapshots_.back());
    snapshots_.pop_back();
    budget_.releaseDroppable(bytesOf(snapshot.planes));
    return snapshot;
}

} // namespace tallowick
