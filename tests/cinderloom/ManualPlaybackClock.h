#pragma once

#include "cinderloom/PlaybackClock.h"

#include <chrono>
#include <functional>
#include <memory>

namespace tests {

// A playback clock that stands still until the test moves it. The test keeps
// the time it shares with the clock the player owns.
class ManualPlaybackClock : public cinderloom::PlaybackClock {
public:
    struct Time {
        std::chrono::nanoseconds now{0};
        std::chrono::nanoseconds due{0};
        std::function<void()> call;

        // Moves to `until`, running each call that falls due on the way at
        // its own time.
        void advanceTo(std::chrono::nanoseconds until) {
            while (call && due <= until) {
                now = due;
                const std::function<void()> dueCall = std::move(call);
                call = nullptr;
                dueCall();
            }
            now = until;
        }
    };

    explicit ManualPlaybackClock(std::shared_ptr<Time> time) : time_(std::move(time)) {}
    // As the steady clock's timer, the waiting call goes with the clock.
    ~ManualPlaybackClock() override { time_->call = nullptr; }

    std::chrono::nanoseconds now() const override { return time_->now; }
    void callAfter(std::chrono::nanoseconds delay, std::function<void()> due) override {
        time_->due = time_->now + delay;
        time_->call = std::move(due);
    }

private:
    std::shared_ptr<Time> time_;
};

} // namespace tests
