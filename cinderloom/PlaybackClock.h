#pragma once

#include <QTimer>
#include <chrono>
#include <functional>

namespace cinderloom {

// The time a playback keeps and the timer that wakes it: the steady clock
// and a Qt timer in the program, a clock the test moves in tests.
class PlaybackClock {
public:
    virtual ~PlaybackClock() = default;
    virtual std::chrono::nanoseconds now() const = 0;
    // Calls `due` once `delay` has passed, from the event loop. A new call
    // replaces the one waiting; destroying the clock cancels it.
    virtual void callAfter(std::chrono::nanoseconds delay, std::function<void()> due) = 0;
};

// std::chrono::steady_clock, woken by a precise single-shot timer.
class SteadyPlaybackClock : public PlaybackClock {
public:
    SteadyPlaybackClock();
    std::chrono::nanoseconds now() const override;
    void callAfter(std::chrono::nanoseconds delay, std::function<void()> due) override;

private:
    QTimer timer_;
    std::function<void()> due_;
};

} // namespace cinderloom
