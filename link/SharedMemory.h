#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace host {

class SharedMemoryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Throws SharedMemoryError naming `step` and the reason errno gives.
[[noreturn]] void failWithErrno(const std::string& step);

// Owns a file descriptor and closes it when destroyed.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd();

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Gives up ownership and returns the descriptor.
    int release() noexcept;

private:
    int fd_ = -1;
};

// A memory file that carries bytes to another process once: an anonymous
// memory file holding a copy of `size` bytes, sealed so that neither side can
// change its size or content afterwards. SharedMemoryError names the step that
// failed. Files that are lent again and again come from OutgoingMemory.
UniqueFd createSealedMemory(const uint8_t* bytes, std::size_t size);

// What the receiver learnt about a memory file it checked.
struct MemoryFileFacts {
    uint64_t device = 0;
    uint64_t inode = 0;
    std::size_t size = 0;
    // Sealed against writing too: its bytes can never change, so it is a
    // one-off file not worth keeping a mapping of.
    bool writeSealed = false;
};

// Checks a received descriptor before anything is read from it: it must be a
// memory file, sealed against shrinking and growing (so that a mapping of it
// can never fault), holding at least
// `neededSize` bytes. SharedMemoryError names both sizes when it is smaller,
// or the missing seals.
MemoryFileFacts checkMemoryFile(int fd, std::size_t neededSize);

// Copies the first `size` bytes of a checked memory file into `destination`.
// SharedMemoryError when the file holds fewer.
void readSealedMemory(int fd, uint8_t* destination, std::size_t size);

// What is sent for the memory file `fd` holds: a read-only open file
// description of its own, marked with a read lock of the whole file. The mark
// lives as long as some copy of that description does (in the sender until
// the message is written, in the bus daemon until the peer reads it, in the
// peer) unless the peer releases it first (markTaken); no other description
// of the file shares it. SharedMemoryError names the step that failed.
UniqueFd markedDescriptorOf(int fd);

// Whether no description of the file `fd` holds a mark any more: then every
// descriptor lent of it has been taken. `fd` must hold no mark itself.
bool allTaken(int fd);

// The receiver's word that it has taken a memory file lent to it: it has
// copied the bytes out, or refused them, and the sender may write the file
// again (see DBusWire.h). Closing every copy of the descriptor says the same.
// Anything else (a pipe, a closed descriptor) is left as it is.
void markTaken(int fd) noexcept;

// A shared mapping of the start of a memory file, unmapped when destroyed.
class MemoryMapping {
public:
    MemoryMapping() = default;
    // SharedMemoryError when the file cannot be mapped. The caller has made
    // sure that the file holds `length` bytes and can never shrink.
    MemoryMapping(int fd, std::size_t length, bool writable);
    MemoryMapping(MemoryMapping&& other) noexcept;
    MemoryMapping& operator=(MemoryMapping&& other) noexcept;
    MemoryMapping(const MemoryMapping&) = delete;
    MemoryMapping& operator=(const MemoryMapping&) = delete;
    ~MemoryMapping();

    uint8_t* bytes() const { return bytes_; }
    std::size_t length() const { return length_; }

private:
    uint8_t* bytes_ = nullptr;
    std::size_t length_ = 0;
};

} // namespace host
