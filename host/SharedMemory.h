#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>

namespace host {

class SharedMemoryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

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

// Shared memory that carries bytes to another process: an anonymous memory
// file holding a copy of `size` bytes, sealed so that neither side can change
// its size or content afterwards. SharedMemoryError names the step that
// failed.
UniqueFd createSealedMemory(const uint8_t* bytes, std::size_t size);

// Checks a received descriptor before anything is read from it: it must be a
// memory file sealed against shrinking, growing, writing and further sealing,
// of exactly `expectedSize` bytes. SharedMemoryError names both sizes on a
// mismatch, or the missing seals.
void checkSealedMemory(int fd, std::size_t expectedSize);

// Copies the first `size` bytes of a checked memory file into `destination`.
// SharedMemoryError when the file holds fewer.
void readSealedMemory(int fd, uint8_t* destination, std::size_t size);

} // namespace host
