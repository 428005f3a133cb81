#pragma once

#include "host/ByteArray.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <vector>

namespace bench {

// Counts `plane`'s bytes once per iteration, so results read as bytes/s.
inline void countPlaneBytes(benchmark::State& state, const host::ByteArray& plane) {
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(plane.size()));
}

// The baseline the transfers are measured against: memcpy of the same bytes.
inline void copyPlaneWithMemcpy(benchmark::State& state, const host::ByteArray& plane) {
    std::vector<uint8_t> target(plane.size());
    for (auto _ : state) {
        std::memcpy(target.data(), plane.data(), target.size());
        benchmark::ClobberMemory();
    }
    countPlaneBytes(state, plane);
}

} // namespace bench
