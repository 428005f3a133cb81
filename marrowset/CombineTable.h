#pragma once

#include "automation/ByteArray.h"
#include "automation/CombineTableLayout.h"

#include <QString>
#include <cstddef>
#include <cstdint>

namespace marrowset {

// The combine table the host handed out, held with where its entries lie.
// The layout is made from the bounds of the very array held, and only when
// they hold every entry the modes address, so that no look-up can read
// outside the table or through another table's layout.
class CombineTable {
public:
    // host::CombineTableShapeError naming `method`, the call that handed the
    // table out, and the table's bounds when they miss an entry.
    CombineTable(const QString& method, host::ByteArray entries);

    // Made in place where it is held and never copied or moved: a table
    // moved from would keep its layout without its entries.
    CombineTable(const CombineTable&) = delete;
    CombineTable& operator=(const CombineTable&) = delete;

    // The entries of `mode`, in which entry (s, d) lies at
    // s + valueStride() * d. Callers keep mode in 0..9.
    const uint8_t* slice(int32_t mode) const { return entries_.data() + layout_.sliceOffset(mode); }
    std::size_t valueStride() const { return layout_.valueStride(); }
    // Entry (s, d, mode); callers keep s and d in 0..255 and mode in 0..9.
    uint8_t entry(int32_t s, int32_t d, int32_t mode) const {
        return entries_.data()[layout_.offsetOf(s, d, mode)];
    }

    const host::ByteArray& entries() const { return entries_; }

private:
    // In this order: the layout is made from the entries already held.
    host::ByteArray entries_;
    host::CombineTableLayout layout_;
};

} // namespace marrowset
