#pragma once

#include <optional>

namespace marrowset {

// Where the layout step puts the main window's controls for a client area
// of a given size: the preview's size, the buttons' top and the width of
// "Functions...". The preview's left and top, and the buttons' lefts and
// heights, never change.
struct Form1Geometry {
    int previewWidth = 0;
    int previewHeight = 0;
    int buttonTop = 0;
    int functionsWidth = 0;
    bool operator==(const Form1Geometry&) const = default;
};

// None for a client area under 23 pixels in either direction: nothing moves.
// Otherwise the preview fills the window above the buttons, at most 640 x 480
// and at least 10 x 10, and the buttons sit at the bottom, their top at most
// 481 and at least 10.
std::optional<Form1Geometry> form1Geometry(double clientWidth, double clientHeight);

} // namespace marrowset
