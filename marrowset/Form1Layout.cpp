#include "marrowset/Form1Layout.h"

#include "platform/Conversions.h"

#include <algorithm>

namespace marrowset {

std::optional<Form1Geometry> form1Geometry(double clientWidth, double clientHeight) {
    if (!(clientWidth >= 23 && clientHeight >= 23))
        return std::nullopt;
    // Upper limits first, then lower ones; with the area at least 23 x 23 the
    // order never decides anything, but the limits are kept as designed.
    double previewWidth = std::min(clientWidth - 1, 640.0);
    double previewHeight = std::min(clientHeight - 23, 480.0);
    double buttonTop = std::min(clientHeight - 20, 481.0);
    double buttonWidthBase = std::min(clientWidth - 1, 640.0);
    previewWidth = std::max(previewWidth, 10.0);
    previewHeight = std::max(previewHeight, 10.0);
    buttonWidthBase = std::max(buttonWidthBase, 10.0);
    buttonTop = std::max(buttonTop, 10.0);
    // "Functions..." starts at column 20 and is 21 narrower than the base,
    // so it ends two columns short of the window's right edge.
    return Form1Geometry{platform::toInt32(previewWidth), platform::toInt32(previewHeight),
                         platform::toInt32(buttonTop), platform::toInt32(buttonWidthBase - 21)};
}

} // namespace marrowset
