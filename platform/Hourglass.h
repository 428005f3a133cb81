#pragma once

namespace platform {

// Shows the hourglass (wait) pointer over the whole application for its
// lifetime and restores the previous pointer when it ends, also when an
// error passes through. Guards nest: each restores what it found.
class HourglassGuard {
public:
    HourglassGuard();
    ~HourglassGuard();
    HourglassGuard(const HourglassGuard&) = delete;
    HourglassGuard& operator=(const HourglassGuard&) = delete;
};

} // namespace platform
