#pragma once

#include <QSize>
#include <QWidget>
#include <cstdint>

class QComboBox;
class QLabel;

namespace platform {
class PictureBox;
}

namespace cinderloom {

// The window a film plays in: the picture, kept in the cells' shape and
// centred on black, and below it the rate to choose and the slot shown. It
// only shows what it is given; FilmPlayer decides what and when. Escape or
// closing it ends the playback.
class PlaybackWindow : public QWidget {
    Q_OBJECT

public:
    // For cells of `cellShape` pixels, at most 640 x 480 at first.
    explicit PlaybackWindow(QSize cellShape, QWidget* parent = nullptr);

    // The slot number shown below the picture.
    void setSlotNumber(int32_t slot);
    // The rate the choice shows, one of kPlaybackRates.
    void setRate(int32_t rate);
    // The proportions the picture keeps; the caller draws the picture anew.
    void setCellShape(QSize cellShape);

    platform::PictureBox* Picture = nullptr;
    QComboBox* RateChoice = nullptr;
    QLabel* SlotLabel = nullptr;

signals:
    void rateChosen(int32_t rate);
    // The picture changed size and shows its last frame stretched.
    void pictureResized();
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Fits the picture to the window; true when its size changed.
    bool placePicture();

    // The black area the picture sits in, and the row of controls below.
    QWidget* stage_ = nullptr;
    QWidget* controls_ = nullptr;
    QSize cellShape_;
};

} // namespace cinderloom
