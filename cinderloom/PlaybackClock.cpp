#include "cinderloom/PlaybackClock.h"

#include <utility>

namespace cinderloom {

SteadyPlaybackClock::SteadyPlaybackClock() {
    // Coarse timers may fire 5 % of the interval late, which at 24 frames
    // per second is 2 ms of every frame's margin.
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] {
        // The call may ask for the next one, which replaces `due_`.
        const std::function<void()> due = std::move(due_);
        due_ = nullptr;
        if (due)
            due();
    });
}

std::chrono::nanoseconds SteadyPlaybackClock::now() const {
    return std::chrono::steady_clock::now().time_since_epoch();
}

void SteadyPlaybackClock::callAfter(std::chrono::nanoseconds delay, std::function<void()> due) {
    due_ = std::move(due);
    // Rounded up to whole milliseconds: waking early would only find the
    // same frame still due.
    const auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(delay);
    timer_.start(std::max<std::chrono::milliseconds>(milliseconds, std::chrono::milliseconds(0)));
}

} // namespace cinderloom
