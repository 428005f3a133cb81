#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>

namespace cinderloom {

enum class Channel { Red = 0, Green = 1, Blue = 2 };
inline constexpr std::array<Channel, 3> kChannels{Channel::Red, Channel::Green, Channel::Blue};

// Extents the store cannot hold: negative sizes, or more bytes than an
// address can count.
class CellStoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The cell planes: for each of red, green and blue, the samples (x, y, c)
// with x the column, y the row and c the cell, x fastest in memory, then y,
// then c. The store keeps its own extents, which may differ from the sizes the
// host reported last, so readers ask the store, never W, H or N.
class CellStore {
public:
    // No cells.
    CellStore() = default;
    // `columns` × `rows` samples per cell and channel, their values unset:
    // the retrieval writes every one. CellStoreError for a negative extent or
    // a size beyond memory's range; std::bad_alloc when memory runs out.
    CellStore(int64_t columns, int64_t rows, int64_t cells);

    int64_t columns() const { return columns_; }
    int64_t rows() const { return rows_; }
    int64_t cells() const { return cells_; }
    bool empty() const { return cells_ == 0; }

    // The samples of one cell of one channel, row after row, each row
    // columns() bytes long. The cell must lie within 0..cells()-1.
    uint8_t* cell(Channel channel, int64_t cell);
    const uint8_t* cell(Channel channel, int64_t cell) const;

    // True when a store of these extents would have exactly this one's
    // shape, so a new retrieval can overwrite it instead of making another.
    bool hasExtents(int64_t columns, int64_t rows, int64_t cells) const {
        return columns == columns_ && rows == rows_ && cells == cells_;
    }

    // Leaves the samples unset and lets the system take the pages back when
    // memory runs short: a store kept only to be overwritten later costs no
    // memory anything else needs, and writing a page it still has takes no
    // fresh, zeroed page.
    void letSystemReclaim();

private:
    struct FreeBytes {
        void operator()(uint8_t* bytes) const noexcept;
    };
    using Plane = std::unique_ptr<uint8_t[], FreeBytes>;
    static Plane allocatePlane(std::size_t size);
    // The bytes a plane of `size` samples takes: whole huge pages.
    static std::size_t allocatedSize(std::size_t size);

    std::size_t cellSize() const { return static_cast<std::size_t>(columns_ * rows_); }

    int64_t columns_ = 0;
    int64_t rows_ = 0;
    int64_t cells_ = 0;
    std::array<Plane, 3> planes_;
};

} // namespace cinderloom
