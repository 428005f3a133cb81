#pragma once

#include "tallowick/documents/MemoryBudget.h"
#include "tallowick/documents/RgbaFrame.h"
#include "tallowick/model/FramePosition.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>

namespace tallowick {

// Snapshots of frames, newest last, and the room they take in the memory
// budget they share with the documents. Snapshots are the budget's droppable
// part: beyond kLimit of them, or where a new snapshot or a new document
// needs the room, the oldest are dropped first.
class UndoHistory {
public:
    // The oldest snapshots are dropped beyond this many, so that a plug-in
    // that snapshots every step cannot exhaust memory.
    static constexpr std::size_t kLimit = 16;

    struct Snapshot {
        FramePosition position;
        RgbaFrame planes;
    };

    // Charges the snapshots to `budget`, which must outlive the history.
    explicit UndoHistory(MemoryBudget& budget) : budget_(budget) {}
    UndoHistory(const UndoHistory&) = delete;
    UndoHistory& operator=(const UndoHistory&) = delete;

    // Keeps a copy of `frame`, the frame at `position`. A snapshot that would
    // not fit even with every older one dropped is refused with a
    // MemoryBudgetError and the history is left as it was: the caller learns,
    // before it changes anything, that the change could not be undone.
    void save(const FramePosition& position, const RgbaFrame& frame);
    // The latest snapshot, taken out of the history and its bytes given
    // back; none when the history is empty.
    std::optional<Snapshot> takeLatest();
    std::size_t depth() const { return snapshots_.size(); }

    // Drops the oldest snapshots until `bytes` more fit the budget beside
    // what is in use, for something else to charge them. MemoryBudgetError
    // naming `request`, with nothing dropped, when they would not fit even
    // with every snapshot gone.
    void makeRoom(uint64_t bytes, const QString& request);

private:
    // makeRoom, keeping at most `snapshotsKept`. Returns the last snapshot
    // dropped, whose storage the caller may reuse.
    std::optional<Snapshot> dropOldest(uint64_t bytes, const QString& request,
                                       std::size_t snapshotsKept);

    MemoryBudget& budget_;
    std::deque<Snapshot> snapshots_;
};

} // namespace tallowick
