#pragma once

namespace cinderloom {

// The strip groups sit 8 pixels from the left and end 24 pixels before the
// window's outer right edge, so each is 32 pixels narrower than the window.
inline constexpr int kGroupMarginTotal = 32;
// A group's children are 4 pixels narrower than the group; a narrower group
// would give them a negative width.
inline constexpr int kMinimumGroupWidth = 4;

// The width of each strip group in a window `outerWidth` pixels wide,
// frame included.
constexpr int groupWidthFor(int outerWidth) {
    return outerWidth - kGroupMarginTotal;
}

// The smallest width of the drawing area that keeps both groups at least
// kMinimumGroupWidth wide, for a frame that adds `frameWidth` pixels.
constexpr int minimumClientWidth(int frameWidth) {
    const int client = kMinimumGroupWidth + kGroupMarginTotal - frameWidth;
    return client > 0 ? client : 0;
}

} // namespace cinderloom
