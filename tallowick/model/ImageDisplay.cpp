#include "tallowick/model/ImageDisplay.h"

namespace tallowick {

void ImageDisplay::initMarquee(const RgbaFrame& frame) {
    const uint8_t* row = frame.samples(Channel::Alpha);
    const std::size_t stride = frame.stride();
    const int32_t width = frame.width();
    int64_t count = 0;
    for (int32_t y = 0; y < frame.height(); ++y, row += stride) {
        // A narrow counter per row lets the loop run on whole vectors of
        // bytes; a row holds fewer than 2^31 of them.
        uint32_t inRow = 0;
        for (int32_t x = 0; x < width; ++x)
            inRow += row[x] != 0 ? 1u : 0u;
        count += inRow;
    }
    marqueePixels_ = count;
}

void ImageDisplay::switchAlphaOn() {
    alphaOn_ = true;
    emit imageChanged();
}

void ImageDisplay::requestRefresh() {
    emit imageChanged();
}

} // namespace tallowick
