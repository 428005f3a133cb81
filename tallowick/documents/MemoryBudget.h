#pragma once

#include <QString>
#include <cstdint>
#include <stdexcept>

namespace tallowick {

// A request the memory budget cannot hold; the message names the request,
// what it needs, the budget and what is already in use.
class MemoryBudgetError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The one allowance of memory for everything the host holds in frames:
// documents and undo snapshots together. Each new document checked on its
// own would let a plug-in open one document after another until the kernel
// ends the host; one shared figure stops that at the first request too many.
// Part of what is in use may be droppable (undo snapshots): a request that
// fits once that part is given back is allowed, and its owner drops what it
// must before it charges. The budget only counts: its owner charges what it
// is about to allocate and releases what it frees.
class MemoryBudget {
public:
    explicit MemoryBudget(uint64_t limitBytes) : limit_(limitBytes) {}
    // Half of the machine's physical memory: room for the rest of the system
    // and for the copies a call makes while it runs.
    static MemoryBudget ofPhysicalMemory();

    uint64_t limit() const { return limit_; }
    // Everything charged, droppable or not.
    uint64_t inUse() const { return inUse_; }
    uint64_t droppable() const { return droppable_; }

    // MemoryBudgetError naming `request` unless `bytes` more fit once every
    // droppable byte has been given back.
    void checkFits(uint64_t bytes, const QString& request) const;
    // Whether `bytes` more fit beside everything in use now.
    bool fitsNow(uint64_t bytes) const;
    // Counts `bytes` as in use; MemoryBudgetError naming `request`, with
    // nothing counted, unless they fit now.
    void charge(uint64_t bytes, const QString& request);
    void chargeDroppable(uint64_t bytes, const QString& request);
    // Gives back bytes charged before; never below zero.
    void release(uint64_t bytes);
    void releaseDroppable(uint64_t bytes);

    // The store of frames: four planes of (W + 1) x (H + 1) bytes each. A
    // size too large to count comes out as UINT64_MAX, which no budget holds.
    static uint64_t frameBytes(int32_t width, int32_t height);
    static uint64_t framesBytes(int64_t count, int32_t width, int32_t height);

private:
    [[noreturn]] void refuse(uint64_t bytes, const QString& request, uint64_t held) const;

    uint64_t limit_;
    uint64_t inUse_ = 0;
    uint64_t droppable_ = 0;
};

// "1 frame of 640 x 480 pixels", "800 frames of 2000 x 2000 pixels".
QString framesText(int64_t count, int32_t width, int32_t height);
// "12.5 MiB", "48 bytes".
QString bytesText(uint64_t bytes);

} // namespace tallowick
