#pragma once

#include "cinderloom/Playback.h"
#include "cinderloom/PlaybackClock.h"

#include <QObject>
#include <cstdint>
#include <memory>

namespace cinderloom {

class Film;
class PlaybackWindow;
class RetrievedCells;

// Plays the film in a window of its own, looping, each frame drawn from the
// cell store through the preview blitter at the moment it is due, so that a
// slot painted meanwhile shows its new cell on the next pass. Empty slots
// show white, as the shot makes them.
class FilmPlayer : public QObject {
    Q_OBJECT

public:
    // A player for `film` of `cells`, which outlive it; the film keeps at
    // least one slot while it plays. Its window opens with start().
    FilmPlayer(const Film& film, const RetrievedCells& cells, std::unique_ptr<PlaybackClock> clock);
    ~FilmPlayer() override;

    // Opens the window and shows slot 0 at the default rate.
    void start();

    PlaybackWindow& window() { return *window_; }
    const Playback& playback() const { return playback_; }
    bool isPlaying() const { return playing_; }
    // Ends the playback and closes its window.
    void stop();

signals:
    // `frame` counts from the start; `slot` is what it showed.
    void frameShown(int64_t frame, int32_t slot);
    void stopped();

private:
    void showDueFrame();
    void drawSlot(int32_t slot);
    void changeRate(int32_t rate);
    void windowClosed();

    const Film& film_;
    const RetrievedCells& cells_;
    std::unique_ptr<PlaybackClock> clock_;
    Playback playback_;
    std::unique_ptr<PlaybackWindow> window_;
    bool playing_ = true;
};

} // namespace cinderloom
