#pragma once

#include "link/SharedMemory.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace host {

// How much memory one side of the link keeps for one peer, in each
// direction: the files it lends, and the mappings of the files it receives.
inline constexpr std::size_t kPeerMemoryBound = std::size_t{256} << 20;

// The memory files this side lends one peer. A file's first bytes are
// overwritten for each transfer, so the kernel does not allocate, fill and
// free its pages every time: a file is lent for one transfer and reused once
// the peer is done with it (see DBusWire.h for when that is). Files are kept
// up to `boundBytes` in all, the least recently used dropped first; a transfer
// that does not fit goes in a one-off file.
class OutgoingMemory {
public:
    explicit OutgoingMemory(std::size_t boundBytes = kPeerMemoryBound);

    // A descriptor to send, of a memory file whose first `size` bytes are a
    // copy of `bytes`; the file is not reused before releaseAll().
    // SharedMemoryError names the step that failed.
    UniqueFd lend(const uint8_t* bytes, std::size_t size);
    // The peer is done with every file lent so far.
    void releaseAll();

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

    File* reusableFile(std::size_t size);
    File* newFile(std::size_t size);

    std::size_t boundBytes_;
    std::size_t bytesKept_ = 0;
    uint64_t uses_ = 0;
    std::vector<File> files_;
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
    // returns. SharedMemoryError names what is wrong with the file.
    void read(int fd, uint8_t* destination, std::size_t size);

    std::size_t bytesMapped() const { return bytesMapped_; }
    std::size_t mappingsKept() const { return mappings_.size(); }

private:
    struct Mapped {
        uint64_t device = 0;
        uint64_t inode = 0;
        MemoryMapping mapping;
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
