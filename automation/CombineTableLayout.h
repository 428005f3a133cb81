#pragma once

#include "automation/ByteArray.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace host {

// The combine table the host hands out with tal_initluts: a three-dimensional
// byte array whose entry (s, d, m) is the result of combining a brush value s
// with an image value d under mode m. s and d run over 0..255, m over the ten
// modes; s varies fastest in memory, then d, then m.
inline constexpr int32_t kCombineValues = 256;
inline constexpr int32_t kCombineModes = 10;

enum class CombineMode : int32_t {
    Add,
    Subtract,
    Multiply,
    Divide,
    Screen,
    GreaterThan,
    LessThan,
    And,
    Or,
    Xor,
};

// The modes' names in the table's order, as the plug-in's commands show them.
inline constexpr std::array<const char*, kCombineModes> kCombineModeCaptions{
    "Add",          "Subtract",  "Multiply", "divide", "Screen",
    "Greater than", "Less than", "And",      "Or",     "Xor"};

// The bounds the host gives its own table: (0 To 255, 0 To 255, 0 To 9).
std::vector<Dimension> combineTableDimensions();

// A table whose bounds do not hold every (s, d, m) the modes address.
class CombineTableShapeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Where the entries lie in a table of given bounds: with lower bounds s0, d0,
// m0 and extents n_s, n_d, entry (s, d, m) lies at
// (s - s0) + n_s * ((d - d0) + n_d * (m - m0)).
class CombineTableLayout {
public:
    // CombineTableShapeError, naming the bounds, unless there are three
    // dimensions whose bounds hold 0..255, 0..255 and 0..9, so that every
    // entry addressed lies inside the table.
    explicit CombineTableLayout(const std::vector<Dimension>& dimensions);

    // The offset of entry (0, 0, mode): a mode's slice, in which entry (s, d)
    // lies at s + valueStride() * d. Callers keep mode in 0..9.
    std::size_t sliceOffset(int32_t mode) const;
    std::size_t valueStride() const { return valueStride_; }
    // The offset of entry (s, d, mode); callers keep s and d in 0..255.
    std::size_t offsetOf(int32_t s, int32_t d, int32_t mode) const {
        return sliceOffset(mode) + static_cast<std::size_t>(s) +
               valueStride_ * static_cast<std::size_t>(d);
    }

private:
    std::size_t origin_ = 0;
    std::size_t valueStride_ = 0;
    std::size_t modeStride_ = 0;
};

} // namespace host
