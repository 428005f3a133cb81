#include "platform/Random.h"

namespace platform {

float RandomGenerator::next() {
    // A 64-bit linear congruential step with a permuted 32-bit output (the
    // PCG "XSH RR" scheme): small, fast, and the same on every platform.
    const uint64_t old = state_;
    state_ = old * 6364136223846793005ULL + 1442695040888963407ULL;
    const auto xorShifted = static_cast<uint32_t>(((old >> 18u) ^ old) >> 27u);
    const auto rotation = static_cast<uint32_t>(old >> 59u);
    const uint32_t output = (xorShifted >> rotation) | (xorShifted << ((32u - rotation) & 31u));
    // The top 24 bits fill a float's mantissa exactly, so the value is
    // uniform on [0, 1) and never rounds up to 1.
    return static_cast<float>(output >> 8) * (1.0f / 16777216.0f);
}

RandomGenerator& programRandom() {
    static RandomGenerator generator;
    return generator;
}

} // namespace platform
