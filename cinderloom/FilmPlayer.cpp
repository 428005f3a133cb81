#include "cinderloom/FilmPlayer.h"

#include "cinderloom/Film.h"
#include "cinderloom/FrameDevelopment.h"
#include "cinderloom/PlaybackWindow.h"
#include "cinderloom/RetrievedCells.h"
#include "imaging/DibRelated.h"
#include "platform/FatalError.h"
#include "platform/PictureBox.h"

#include <algorithm>

namespace cinderloom {

FilmPlayer::FilmPlayer(const Film& film, const RetrievedCells& cells,
                       std::unique_ptr<PlaybackClock> clock)
    : film_(film), cells_(cells), clock_(std::move(clock)),
      playback_(clock_->now(), kDefaultPlaybackRate),
      window_(std::make_unique<PlaybackWindow>(QSize(cells.sizes().width, cells.sizes().height))) {
    connect(window_.get(), &PlaybackWindow::rateChosen, this, &FilmPlayer::changeRate);
    connect(window_.get(), &PlaybackWindow::closed, this, &FilmPlayer::windowClosed);
    connect(window_.get(), &PlaybackWindow::pictureResized, this, [this] {
        platform::runOrEnd(QStringLiteral("Playback_Resize"), [this] { showDueFrame(); });
    });
}

FilmPlayer::~FilmPlayer() = default;

void FilmPlayer::start() {
    window_->show();
    // Escape stops the playback only in its own window, so that window takes
    // the keyboard rather than leaving it with the main window.
    window_->raise();
    window_->activateWindow();
    showDueFrame();
}

void FilmPlayer::stop() {
    window_->close();
    // A window that was never shown may close without a word.
    windowClosed();
}

void FilmPlayer::windowClosed() {
    if (!playing_)
        return;
    playing_ = false;
    emit stopped();
}

void FilmPlayer::changeRate(int32_t rate) {
    platform::runOrEnd(QStringLiteral("Playback_Rate"), [this, rate] {
        playback_.setRate(rate, clock_->now());
        showDueFrame();
    });
}

void FilmPlayer::showDueFrame() {
    if (!playing_)
        return;
    const Playback::DueFrame due = playback_.frameAt(clock_->now(), film_.length());
    drawSlot(due.slot);
    window_->setSlotNumber(due.slot);
    emit frameShown(due.frame, due.slot);
    // Timed from after the drawing, so that its cost does not push every
    // later frame back.
    const auto wait =
        std::max(playback_.dueTime(due.frame + 1) - clock_->now(), std::chrono::nanoseconds(0));
    clock_->callAfter(wait, [this] {
        platform::runOrEnd(QStringLiteral("Playback_Timer"), [this] { showDueFrame(); });
    });
}

void FilmPlayer::drawSlot(int32_t slot) {
    const FrameSizes& sizes = cells_.sizes();
    window_->setCellShape(QSize(sizes.width, sizes.height));
    const FramePlanes frame =
        developFrame(cells_.store(), film_.cellAt(slot), sizes.width, sizes.height);
    imaging::DisplayPlanes(*window_->Picture, sizes.width, sizes.height, frame[0], frame[1],
                           frame[2]);
    window_->Picture->Refresh();
}

} // namespace cinderloom
