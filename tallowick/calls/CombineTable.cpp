#include "tallowick/calls/CombineTable.h"

#include "automation/CombineTableLayout.h"

#include <algorithm>

namespace tallowick {

namespace {

using host::CombineMode;

uint8_t combine(int s, int d, CombineMode mode) {
    switch (mode) {
    case CombineMode::Add:
        return static_cast<uint8_t>(std::min(s + d, 255));
    case CombineMode::Subtract:
        return static_cast<uint8_t>(std::max(d - s, 0));
    case CombineMode::Multiply:
        // Adding 127 before dividing by 255 rounds to nearest: the remainder
        // carries over exactly when it is 128 or more, above one half.
        return static_cast<uint8_t>((s * d + 127) / 255);
    case CombineMode::Divide:
        if (s == 0)
            return d == 0 ? 0 : 255;
        return static_cast<uint8_t>(std::min(d * 255 / s, 255));
    case CombineMode::Screen:
        return static_cast<uint8_t>(255 - ((255 - s) * (255 - d) + 127) / 255);
    case CombineMode::GreaterThan:
        return static_cast<uint8_t>(std::max(s, d));
    case CombineMode::LessThan:
        return static_cast<uint8_t>(std::min(s, d));
    case CombineMode::And:
        return static_cast<uint8_t>(s & d);
    case CombineMode::Or:
        return static_cast<uint8_t>(s | d);
    case CombineMode::Xor:
        return static_cast<uint8_t>(s ^ d);
    }
    return 0;
}

host::ByteArray buildCombineTable() {
    host::ByteArray table(host::combineTableDimensions());
    const host::CombineTableLayout layout(table.dimensions());
    for (int32_t mode = 0; mode < host::kCombineModes; ++mode) {
        uint8_t* slice = table.data() + layout.sliceOffset(mode);
        for (int32_t d = 0; d < host::kCombineValues; ++d)
            for (int32_t s = 0; s < host::kCombineValues; ++s)
                slice[s + layout.valueStride() * d] = combine(s, d, static_cast<CombineMode>(mode));
    }
    return table;
}

} // namespace

const host::ByteArray& combineTable() {
    static const host::ByteArray table = buildCombineTable();
    return table;
}

} // namespace tallowick
