#pragma once

#include <QImage>

namespace marrowset {

// The pick toggle's picture: a small eyedropper, 19 x 19 pixels of 24-bit
// colour on the classic button grey.
QImage eyedropperPicture();

} // namespace marrowset
