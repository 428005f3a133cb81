#pragma once

#include "link/SharedMemory.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <list>
#include <memory>
#include <vector>

namespace host {

// How much memory one side of the link keeps for one peer, in each
// direction: the files it lends, and the mappings of the files it receives.
inline constexpr std::size_t kPeerMemoryBound = std::size_t{256} << 20;

// How much one peer may hold of what this side sent it and it has not taken
// yet (see DBusWire.h): the descriptors, and the bytes of their files. Every
// descriptor a peer has not taken is also held by the bus daemon until the
// peer reads the message it came in, so a peer that never reads would
// otherwise make the daemon run out of descriptors.
inline constexpr std::size_t kMaxUntakenFiles = 256;
inline constexpr std::size_t kMaxUntakenBytes = std::size_t{1} << 30;

// The peer already holds as much untaken memory as it may; nothing more is
// lent to it until it takes some.
class UntakenMemoryError : public SharedMemoryError {
public:
    using SharedMemoryError::SharedMemoryError;
};

// The memory files this side lends one peer. A file's first bytes are
// overwritten for each transfer, so the kernel does not allocate, fill and
// free its pages every time: a file is lent for one transfer and written
// again only once the peer has taken it (markTaken, or every copy of the
// descriptor closed). Each descriptor lent is an open file description of
// its own, read-only, carrying the mark. Files are kept up to `boundBytes`
// in all, the least recently used dropped first; a transfer that does not
// fit goes in a one-off file, which is marked the same way.
class OutgoingMemory {
public:
    explicit OutgoingMemory(std::size_t boundBytes = kPeerMemoryBound,
                            std::size_t maxUntakenFiles = kMaxUntakenFiles,
                            std::size_t maxUntakenBytes = kMaxUntakenBytes);
    OutgoingMemory(OutgoingMemory&&) = default;
    OutgoingMemory& operator=(OutgoingMemory&&) = default;

    // A descriptor to send, of a memory file whose first `size` bytes are a
    // copy of `bytes`. UntakenMemoryError, naming the bounds, when the peer
    // has not taken `maxUntakenFiles` descriptors lent before, or would then
    // hold more than `maxUntakenBytes`; SharedMemoryError naming the step
    // that failed otherwise.
    UniqueFd lend(const uint8_t* bytes, std::size_t size);

    // How many of the descriptors lent the peer has not taken yet.
    std::size_t untakenFiles();
    // The bytes and the number of the files kept for reuse, lent or not.
    std::size_t bytesKept() const { return bytesKept_; }
    std::size_t filesKept() const { return files_.size(); }

private:
    struct File {
        UniqueFd fd;
        MemoryMapping mapping;
        bool lent = false;
        uint64_t lastUse = 0;
    };
    // A descriptor lent and not known to be taken: of a kept file, or of a
    // one-off file held here only to see when it is taken.
    struct Lending {
        File* file = nullptr;
        UniqueFd oneOff;
        std::size_t bytes = 0;
    };

    File* reusableFile(std::size_t size);
    File* newFile(std::size_t size);
    // Forgets the lendings the peer has taken: the oldest ones until one is
    // still untaken (peers read in order), or every one when `thorough`.
    void forgetTaken(bool thorough);
    void refuseWhenFull(std::size_t size);

    std::size_t boundBytes_;
    std::size_t maxUntakenFiles_;
    std::size_t maxUntakenBytes_;
    std::size_t bytesKept_ = 0;
    std::size_t untakenBytes_ = 0;
    uint64_t uses_ = 0;
    // A list, so that a lending's pointer to its file stays valid.
    std::list<File> files_;
    std::deque<Lending> untaken_;
};

// The mappings this side keeps of the memory files one peer sends, keyed by
// the file's identity, so that a reused file is mapped once. At most
// `boundBytes` are kept mapped, the least recently used dropped first.
class IncomingMemory {
public:
    explicit IncomingMemory(std::size_t boundBytes = kPeerMemoryBound);

    // Copies the first `size` bytes of a received memory file into
    // `destination`, after checking it (checkMemoryFile). The bytes are read
    // once, straight into `destination`, which nothing reads before this
    // returns. SharedMemoryError names what is wrong with the file. Either
    // way the file is marked taken (markTaken): the sender may write it
    // again, and a mapping kept of it does not count as holding it.
    void read(int fd, uint8_t* destination, std::size_t size);
    // The first `size` bytes of a received memory file, checked as read()
    // checks it, left in the kept mapping of the file instead of copied out:
    // for a receiver that reads them once, straight into storage of its own.
    // The file stays marked, held from the sender, until the pointer and
    // every copy of it are gone, and so does the mapping, whether or not the
    // bound still keeps it. Null when the file is not to be kept mapped
    // (sealed against writing, or no mapping of `size` bytes fits the bound)
    // or `size` is 0: the caller reads it with read(), which marks it taken.
    // SharedMemoryError as read(), the file then marked taken.
    std::shared_ptr<const uint8_t> borrow(int fd, std::size_t size);

    std::size_t bytesMapped() const { return bytesMapped_; }
    std::size_t mappingsKept() const { return mappings_.size(); }

private:
    struct Mapped {
        uint64_t device = 0;
        uint64_t inode = 0;
        // Shared with the loans of borrow().
        std::shared_ptr<const MemoryMapping> mapping;
        uint64_t lastUse = 0;
    };

    // The kept mapping of the file, made within the bound if need be;
    // nullptr when no mapping of `size` bytes can fit, and the file is to be
    // read without one.
    const Mapped* mappingOf(int fd, const MemoryFileFacts& facts, std::size_t size);

    std::size_t boundBytes_;
    std::size_t bytesMapped_ = 0;
    uint64_t uses_ = 0;
    std::vector<Mapped> mappings_;
};

// What one side of the link keeps for one peer.
struct PeerMemory {
    OutgoingMemory outgoing;
    IncomingMemory incoming;
};

} // namespace host
