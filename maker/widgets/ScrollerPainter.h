#pragma once

#include "maker/widgets/ScrollerGeometry.h"

#include <QColor>

class QPainter;

namespace maker {

// The scroller's four colour properties. When highlight, shadow and back
// are one colour the scroller looks flat.
struct ScrollerColors {
    QColor back;      // the track
    QColor fore;      // the thumb and the arrow buttons
    QColor highlight; // top and left edges of raised parts
    QColor shadow;    // bottom and right edges of raised parts
};

// Paints the scroller laid out by `geometry`: the track in the back colour,
// the arrow buttons and the thumb raised in the fore colour, the `pressed`
// arrow sunken. Arrow marks are greyed when `enabled` is false.
void paintScroller(QPainter& painter, const ScrollerGeometry& geometry,
                   const ScrollerColors& colors, ScrollerPart pressed, bool enabled);

} // namespace maker
