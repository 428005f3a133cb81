#include "tallowick/CombineTable.h"

#include <algorithm>

namespace tallowick {

namespace {

uint8_t combine(int s, int d, int mode) {
    switch (mode) {
    case 0:
        return static_cast<uint8_t>(std::min(s + d, 255));
    case 1:
        return static_cast<uint8_t>(std::max(d - s, 0));
    case 2:
        // Adding 127 before dividing by 255 rounds to nearest: the remainder
        // carries over exactly when it is 128 or more, above one half.
        return static_cast<uint8_t>((s * d + 127) / 255);
    case 3:
        if (s == 0)
            return d == 0 ? 0 : 255;
        return static_cast<uint8_t>(std::min(d * 255 / s, 255));
    case 4:
        return static_cast<uint8_t>(255 - ((255 - s) * (255 - d) + 127) / 255);
    case 5:
        return static_cast<uint8_t>(std::max(s, d));
    case 6:
        return static_cast<uint8_t>(std::min(s, d));
    case 7:
        return static_cast<uint8_t>(s & d);
    case 8:
        return static_cast<uint8_t>(s | d);
    default:
        return static_cast<uint8_t>(s ^ d);
    }
}

host::ByteArray buildCombineTable() {
    host::ByteArray table({{0, 256}, {0, 256}, {0, kCombineModes}});
    uint8_t* entry = table.data();
    for (int mode = 0; mode < kCombineModes; ++mode)
        for (int d = 0; d < 256; ++d)
            for (int s = 0; s < 256; ++s)
                *entry++ = combine(s, d, mode);
    return table;
}

} // namespace

const host::ByteArray& combineTable() {
    static const host::ByteArray table = buildCombineTable();
    return table;
}

} // namespace tallowick
