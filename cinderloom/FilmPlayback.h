#pragma once

#include "cinderloom/PlaybackClock.h"

#include <QObject>
#include <QRect>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QAction;

namespace cinderloom {

class Film;
class FilmPlayer;
class RetrievedCells;
class SlotMarker;

// The main window's playback: at most one player at a time, and the mark on
// the film view over the slot it shows.
class FilmPlayback : public QObject {
    Q_OBJECT

public:
    // `slotRect` gives the film view's rectangle of a slot, empty when it is
    // out of sight; `play` is the action that starts and stops playing, which
    // the player's window takes too. All outlive the playback.
    FilmPlayback(const Film& film, const RetrievedCells& cells, SlotMarker& marker,
                 std::function<QRect(int32_t slot)> slotRect, QAction& play);
    ~FilmPlayback() override;

    // Starts with the steady clock, or stops what plays.
    void toggle();
    // Starts playing on `clock`, ending a playback that runs.
    // std::logic_error before any cells were retrieved.
    void start(std::unique_ptr<PlaybackClock> clock);
    void stop();
    bool isPlaying() const;
    // The last player started, playing or not; null before.
    FilmPlayer* player() const { return player_.get(); }

    // Moves the mark to where the slot shown lies now, after the film view
    // scrolled or changed size.
    void placeMarker();

signals:
    // The playback started or stopped.
    void changed();

private:
    const Film& film_;
    const RetrievedCells& cells_;
    SlotMarker& marker_;
    std::function<QRect(int32_t)> slotRect_;
    QAction& play_;
    std::unique_ptr<FilmPlayer> player_;
    std::optional<int32_t> shownSlot_;
};

} // namespace cinderloom
