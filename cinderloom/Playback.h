#pragma once

#include <QRect>
#include <QSize>
#include <array>
#include <chrono>
#include <cstdint>
#include <stdexcept>

namespace cinderloom {

// The rates a playback offers, in frames per second, and the one it starts at.
inline constexpr std::array<int32_t, 6> kPlaybackRates{6, 8, 12, 24, 25, 30};
inline constexpr int32_t kDefaultPlaybackRate = 12;

// A rate of no frames per second, or a film without slots to play.
class PlaybackError : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

// Which slot a looping playback shows when. Frames are counted from the
// start; frame f is due at start + ceil(f / rate) seconds (to the
// nanosecond) and shows slot f mod length, so the pace follows the clock
// rather than the timer's punctuality and a late frame never delays the
// next ones.
class Playback {
public:
    using Nanoseconds = std::chrono::nanoseconds;

    // A frame due now, and when the one after it is due.
    struct DueFrame {
        int64_t frame = 0;
        int32_t slot = 0;
        // How long after its due time `now` is.
        Nanoseconds lateness{0};
        // How long from `now` until the next frame is due; always positive.
        Nanoseconds untilNext{0};
    };

    // Starts at `start` with frame 0. PlaybackError for a rate below 1.
    Playback(Nanoseconds start, int32_t rate);

    int32_t rate() const { return rate_; }
    // Goes on at `rate` from the frame due at `now`, which is due again now.
    void setRate(int32_t rate, Nanoseconds now);

    // The frame due at `now` (not before the start) of a film of `length`
    // slots, which may change between calls. PlaybackError for a length
    // below 1.
    DueFrame frameAt(Nanoseconds now, int32_t length) const;
    // When frame `frame` is due.
    Nanoseconds dueTime(int64_t frame) const;
    // One frame's share of a second at the current rate, rounded down.
    Nanoseconds period() const;

private:
    int64_t frameCountedAt(Nanoseconds now) const;

    Nanoseconds epoch_;
    int64_t epochFrame_ = 0;
    int32_t rate_;
};

// The largest rectangle of `shape`'s proportions that fits `area`, centred
// in it; empty for an empty shape or area.
QRect fitKeepingShape(QSize shape, const QRect& area);

} // namespace cinderloom
