#include "cinderloom/FilmPlayback.h"

#include "cinderloom/FilmPlayer.h"
#include "cinderloom/PlaybackWindow.h"
#include "cinderloom/RetrievedCells.h"
#include "cinderloom/SlotMarker.h"

#include <stdexcept>

namespace cinderloom {

FilmPlayback::FilmPlayback(const Film& film, const RetrievedCells& cells, SlotMarker& marker,
                           std::function<QRect(int32_t)> slotRect, QAction& play)
    : film_(film), cells_(cells), marker_(marker), slotRect_(std::move(slotRect)), play_(play) {}

FilmPlayback::~FilmPlayback() = default;

bool FilmPlayback::isPlaying() const {
    return player_ && player_->isPlaying();
}

void FilmPlayback::toggle() {
    if (isPlaying())
        stop();
    else
        start(std::make_unique<SteadyPlaybackClock>());
}

void FilmPlayback::start(std::unique_ptr<PlaybackClock> clock) {
    if (cells_.store().empty())
        throw std::logic_error("The film cannot play before any cells were retrieved.");
    stop();
    player_ = std::make_unique<FilmPlayer>(film_, cells_, std::move(clock));
    connect(player_.get(), &FilmPlayer::frameShown, this, [this](int64_t, int32_t slot) {
        shownSlot_ = slot;
        placeMarker();
    });
    connect(player_.get(), &FilmPlayer::stopped, this, [this] {
        shownSlot_.reset();
        placeMarker();
        emit changed();
    });
    player_->window().addAction(&play_);
    player_->start();
    emit changed();
}

void FilmPlayback::stop() {
    if (player_)
        player_->stop();
}

void FilmPlayback::placeMarker() {
    marker_.mark(shownSlot_ ? slotRect_(*shownSlot_) : QRect());
}

} // namespace cinderloom
