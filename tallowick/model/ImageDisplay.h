#pragma once

#include "tallowick/documents/RgbaFrame.h"

#include <QObject>
#include <cstdint>

namespace tallowick {

// What the host lays over the image it shows, apart from the image's own
// pixels: the marquee, derived from a frame's alpha, and the alpha switch;
// and the redraws that plug-ins ask for.
class ImageDisplay : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // The marquee becomes the pixels of `frame` whose alpha is above 0.
    void initMarquee(const RgbaFrame& frame);
    int64_t marqueePixelCount() const { return marqueePixels_; }

    // Once on, the view shows frames over a checkerboard by their alpha.
    void switchAlphaOn();
    bool alphaOn() const { return alphaOn_; }
    void requestRefresh();

signals:
    // What the view of the current frame shows may have changed.
    void imageChanged();

private:
    int64_t marqueePixels_ = 0;
    bool alphaOn_ = false;
};

} // namespace tallowick
