#include "maker/widgets/Bevel.h"

#include <QPainter>

namespace maker {

void drawBevel(QPainter& painter, const QRect& rect, const QColor& topLeft,
               const QColor& bottomRight) {
    if (rect.width() < 2 || rect.height() < 2)
        return;
    // Whole-pixel fills rather than lines, so that no pen width or
    // antialiasing setting can move an edge by a pixel.
    painter.fillRect(QRect(rect.left(), rect.top(), rect.width(), 1), topLeft);
    painter.fillRect(QRect(rect.left(), rect.top(), 1, rect.height()), topLeft);
    painter.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), bottomRight);
    painter.fillRect(QRect(rect.right(), rect.top() + 1, 1, rect.height() - 1), bottomRight);
}

} // namespace maker
