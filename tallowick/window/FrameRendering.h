#pragma once

#include "tallowick/documents/RgbaFrame.h"

#include <QImage>
#include <QRect>
#include <QSize>

namespace tallowick {

// The frame as the host window shows it, W x H, Format_RGB32. With the alpha
// switch off the colour planes are shown as they are; with it on, the frame
// is laid over a grey checkerboard of 8-pixel squares by its alpha.
QImage renderFrame(const RgbaFrame& frame, bool alphaOn);

// The largest rectangle of `image`'s aspect that fits into `area`, centred in
// it; empty when either is empty.
QRect fitRect(QSize image, QRect area);

} // namespace tallowick
