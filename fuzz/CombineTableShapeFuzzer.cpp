// The combine table's shape check: any bounds a peer may send with a table.
// Bounds the check takes must hold every entry the modes address, so that no
// read of the table can leave it.
#include "automation/CombineTableLayout.h"

#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    std::vector<host::Dimension> dimensions;
    for (int d = in.ConsumeIntegralInRange(0, 4); d > 0; --d)
        dimensions.push_back({in.ConsumeIntegral<int32_t>(), in.ConsumeIntegral<int32_t>()});
    std::optional<host::CombineTableLayout> layout;
    try {
        layout.emplace(dimensions);
    } catch (const host::CombineTableShapeError&) {
        return 0;
    }
    std::size_t tableSize = 0;
    try {
        tableSize = host::ByteArray::sizeOf(dimensions);
    } catch (const host::ByteArrayError&) {
        return 0; // no such table can exist to be read
    }
    const int32_t last = host::kCombineValues - 1;
    for (int32_t mode = 0; mode < host::kCombineModes; ++mode)
        if (layout->offsetOf(0, 0, mode) >= tableSize ||
            layout->offsetOf(last, last, mode) >= tableSize)
            std::abort();
    return 0;
}
