#pragma once

#include <QColor>
#include <QRect>

class QPainter;

namespace maker {

// Draws a one-pixel bevel on the edges of `rect`: the top row and left column
// in `topLeft`, the bottom row and right column in `bottomRight`. Raised
// parts pass the light colour first, sunken parts the dark one. A rect too
// small to have an inside gets no bevel.
void drawBevel(QPainter& painter, const QRect& rect, const QColor& topLeft,
               const QColor& bottomRight);

} // namespace maker
