#pragma once

#include <QEvent>
#include <Qt>
#include <cstdint>

namespace plugin {

// The button bit set the windows' mouse handlers take: 1 left, 2 right,
// 4 middle.
inline int16_t buttonBits(Qt::MouseButtons buttons) {
    int16_t bits = 0;
    if (buttons & Qt::LeftButton)
        bits |= 1;
    if (buttons & Qt::RightButton)
        bits |= 2;
    if (buttons & Qt::MiddleButton)
        bits |= 4;
    return bits;
}

// The shift bit set: 1 shift, 2 control, 4 alt.
inline int16_t shiftBits(Qt::KeyboardModifiers modifiers) {
    int16_t bits = 0;
    if (modifiers & Qt::ShiftModifier)
        bits |= 1;
    if (modifiers & Qt::ControlModifier)
        bits |= 2;
    if (modifiers & Qt::AltModifier)
        bits |= 4;
    return bits;
}

// The second press of a double click arrives as a double click; it is a
// press all the same.
inline bool isPress(const QEvent& event) {
    return event.type() == QEvent::MouseButtonPress || event.type() == QEvent::MouseButtonDblClick;
}

} // namespace plugin
