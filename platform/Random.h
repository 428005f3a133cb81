#pragma once

#include <cstdint>

namespace platform {

// The program's pseudo-random generator. It starts from the same fixed state
// in every run, so everything drawn from it repeats from run to run and from
// machine to machine; the program never seeds it.
class RandomGenerator {
public:
    // The next value, uniform in [0, 1) on a grid of 2^-24.
    float next();

private:
    uint64_t state_ = 0x853c49e6748fea9bULL;
};

// The process-wide generator, used from the GUI thread only.
RandomGenerator& programRandom();

} // namespace platform
