#include "cinderloom/Playback.h"

#include <algorithm>
#include <string>

namespace cinderloom {
namespace {

constexpr int64_t kNanosecondsPerSecond = 1'000'000'000;

int32_t checkedRate(int32_t rate) {
    if (rate < 1)
        throw PlaybackError("A playback cannot run at " + std::to_string(rate) +
                            " frames per second.");
    return rate;
}

} // namespace

Playback::Playback(Nanoseconds start, int32_t rate) : epoch_(start), rate_(checkedRate(rate)) {}

int64_t Playback::frameCountedAt(Nanoseconds now) const {
    const int64_t elapsed = std::max<int64_t>(0, (now - epoch_).count());
    return epochFrame_ + elapsed * rate_ / kNanosecondsPerSecond;
}

Playback::Nanoseconds Playback::dueTime(int64_t frame) const {
    const int64_t frames = frame - epochFrame_;
    // Rounded up, so that a frame counted at a time is never due after it.
    const int64_t offset = (frames * kNanosecondsPerSecond + rate_ - 1) / rate_;
    return epoch_ + Nanoseconds(offset);
}

Playback::Nanoseconds Playback::period() const {
    return Nanoseconds(kNanosecondsPerSecond / rate_);
}

void Playback::setRate(int32_t rate, Nanoseconds now) {
    const int32_t checked = checkedRate(rate);
    epochFrame_ = frameCountedAt(now);
    epoch_ = std::max(now, epoch_);
    rate_ = checked;
}

Playback::DueFrame Playback::frameAt(Nanoseconds now, int32_t length) const {
    if (length < 1)
        throw PlaybackError("A film of " + std::to_string(length) + " slots cannot be played.");
    DueFrame due;
    due.frame = frameCountedAt(now);
    due.slot = static_cast<int32_t>(due.frame % length);
    // Before the start frame 0 waits, not late.
    due.lateness = std::max(now - dueTime(due.frame), Nanoseconds(0));
    due.untilNext = dueTime(due.frame + 1) - now;
    return due;
}

QRect fitKeepingShape(QSize shape, const QRect& area) {
    if (shape.isEmpty() || area.isEmpty())
        return {};
    const QSize fitted = shape.scaled(area.size(), Qt::KeepAspectRatio);
    if (fitted.isEmpty())
        return {};
    QRect placed(QPoint(0, 0), fitted);
    placed.moveCenter(area.center());
    return placed;
}

} // namespace cinderloom
