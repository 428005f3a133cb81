#pragma once

#include <QImage>

namespace marrowset {

// The menu holder's invisible picture box: it takes the size of the picture
// put into it, in pixels, and holds nothing between captures.
class PictureHolder {
public:
    void setPicture(QImage picture) { picture_ = std::move(picture); }
    const QImage& Picture() const { return picture_; }
    void clearPicture() { picture_ = QImage(); }

    // The inner size: the picture's, 0 without one.
    double ScaleWidth() const { return picture_.width(); }
    double ScaleHeight() const { return picture_.height(); }

private:
    QImage picture_;
};

} // namespace marrowset
