#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <stdexcept>
#include <utility>
#include <vector>

namespace host {

// One dimension of an automation byte array: its lower bound and its number
// of elements (the upper bound is lower + count - 1).
struct Dimension {
    int32_t lower = 0;
    int32_t count = 0;
    bool operator==(const Dimension&) const = default;
};

class ByteArrayError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A byte array of one to three dimensions, the first index varying fastest in
// memory. Channel planes are the two-dimensional case with lower bounds 0:
// sample (x, y) lies at byte y * count(0) + x.
//
// A copy is a copy of every byte. sharedCopy() instead gives an array that
// shares the storage until one of the two is written: a host hands out a
// plane of a frame without copying it, and the frame takes storage of its own
// only if it is written while the plane is still out. Writing means any
// non-const access to the bytes (data(), at()), so a pointer from data() is
// for writing at once, not to keep across a sharedCopy(). Sharers may live on
// different threads; the shared storage itself is only ever read.
//
// A borrowed array reads bytes it does not own: a received transfer left in
// the sender's memory file (borrowing()). Its bytes may change under it while
// the sender writes, so it is for reading once, at once, by a plain copy into
// storage of the reader's own; it holds the sender's file until it is gone.
// It never shares its loan: a copy, a sharedCopy() and any write take storage
// of their own.
class ByteArray {
public:
    // No dimensions and no bytes.
    ByteArray() = default;
    // Copies move the bytes as one block: the allocator's element-wise
    // construction would otherwise make the library copy byte by byte.
    ByteArray(const ByteArray& other);
    ByteArray& operator=(const ByteArray& other);
    ByteArray(ByteArray&&) noexcept = default;
    ByteArray& operator=(ByteArray&&) noexcept = default;
    // Zero-filled. Throws ByteArrayError for a rank outside 1..3, a negative
    // count, an upper bound beyond the 32-bit range, or a total size that does
    // not fit in memory.
    explicit ByteArray(std::vector<Dimension> dimensions);
    // A plane with bounds (0..width-1, 0..height-1); ByteArrayError for a
    // negative width or height.
    static ByteArray plane(int32_t width, int32_t height);
    // An array whose bytes `fill` writes, without zero-filling them first: for
    // moving bytes in from elsewhere (shared memory, a file). `fill` receives
    // the storage and its size and must write every byte; what it throws
    // propagates. ByteArrayError for bounds the constructor refuses.
    static ByteArray filledBy(std::vector<Dimension> dimensions,
                              const std::function<void(uint8_t* bytes, std::size_t size)>& fill);
    // The number of bytes an array of these bounds holds; ByteArrayError for
    // bounds the constructor refuses.
    static std::size_t sizeOf(const std::vector<Dimension>& dimensions);
    // An array that borrows `bytes` (see above), which must hold
    // sizeOf(dimensions) bytes for as long as the pointer or a copy of it
    // lives. ByteArrayError for bounds the constructor refuses.
    static ByteArray borrowing(std::vector<Dimension> dimensions,
                               std::shared_ptr<const uint8_t> bytes);

    // The same array without copying a byte (see above).
    ByteArray sharedCopy() const;
    // Whether the storage is not the array's own alone: still shared with a
    // sharedCopy(), or borrowed.
    bool sharesStorage() const;
    bool borrows() const { return bytes_ && bytes_->lent(); }

    const std::vector<Dimension>& dimensions() const { return dimensions_; }
    int rank() const { return static_cast<int>(dimensions_.size()); }
    // ByteArrayError for a dimension the array does not have.
    int32_t count(int dimension) const;
    int32_t lower(int dimension) const;
    std::size_t size() const { return bytes_ ? bytes_->size() : 0; }
    bool empty() const { return size() == 0; }

    // Two dimensions, both with lower bound 0: what the host exchanges as a
    // channel plane.
    bool isPlane() const;

    // The element at the given indexes, each within its dimension's bounds;
    // ByteArrayError for the wrong number of indexes or one out of bounds.
    uint8_t& at(int32_t i);
    uint8_t& at(int32_t x, int32_t y);
    uint8_t& at(int32_t x, int32_t y, int32_t z);
    uint8_t at(int32_t i) const;
    uint8_t at(int32_t x, int32_t y) const;
    uint8_t at(int32_t x, int32_t y, int32_t z) const;

    // The storage to write into, taken out of any sharing first (a copy).
    uint8_t* data();
    const uint8_t* data() const { return bytes_ ? bytes_->data() : nullptr; }
    // The storage to write into for a writer that overwrites every byte: out
    // of sharing, it is fresh storage whose bytes are not copied first (nor
    // zeroed). Nothing may read it before the writer is done.
    uint8_t* dataToOverwrite();

    // The bounds in the automation notation, for messages: "(0 To 4, 1 To 3)".
    QString boundsText() const;
    static QString boundsText(const std::vector<Dimension>& dimensions);

    // The same bounds and bytes.
    bool operator==(const ByteArray& other) const;

private:
    // Bytes of the array's own, not zero-filled, or bytes lent by whatever
    // `lender` keeps alive, which are only ever read.
    class Bytes {
    public:
        explicit Bytes(std::size_t size) : own_(new uint8_t[size]), data_(own_.get()), size_(size) {}
        Bytes(const uint8_t* lent, std::size_t size, std::shared_ptr<const void> lender)
            : data_(const_cast<uint8_t*>(lent)), size_(size), lender_(std::move(lender)) {}
        uint8_t* data() { return data_; }
        const uint8_t* data() const { return data_; }
        std::size_t size() const { return size_; }
        bool lent() const { return lender_ != nullptr; }

    private:
        std::unique_ptr<uint8_t[]> own_;
        uint8_t* data_ = nullptr;
        std::size_t size_ = 0;
        std::shared_ptr<const void> lender_;
    };

    // Storage of `size` bytes, not zero-filled; ByteArrayError naming
    // `dimensions` when it cannot be allocated.
    static std::shared_ptr<Bytes> allocate(const std::vector<Dimension>& dimensions,
                                           std::size_t size);
    // Storage of its own holding the same bytes as `bytes` (null for none).
    static std::shared_ptr<Bytes> copyOf(const std::vector<Dimension>& dimensions,
                                         const std::shared_ptr<Bytes>& bytes);
    bool ownsAlone() const;
    const Dimension& dimensionAt(int dimension) const;
    std::size_t offsetOf(const int32_t* indexes, int indexCount) const;

    std::vector<Dimension> dimensions_;
    // Null when there are no bytes.
    std::shared_ptr<Bytes> bytes_;
};

} // namespace host
