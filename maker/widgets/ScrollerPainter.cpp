#include "maker/widgets/ScrollerPainter.h"

#include "maker/widgets/Bevel.h"

#include <QPainter>
#include <QPolygon>
#include <algorithm>

namespace maker {

namespace {

// A mark that stands out on the fore colour, whatever the theme makes it.
QColor markColor(const QColor& fore, bool enabled) {
    if (!enabled)
        return QColor(128, 128, 128);
    return fore.lightness() > 128 ? QColor(0, 0, 0) : QColor(255, 255, 255);
}

void paintArrowButton(QPainter& painter, const QRect& button, const ScrollerColors& colors,
                      bool pointsLeft, bool pressed, bool enabled) {
    if (button.isEmpty())
        return;
    painter.fillRect(button, colors.fore);
    if (pressed)
        drawBevel(painter, button, colors.shadow, colors.highlight);
    else
        drawBevel(painter, button, colors.highlight, colors.shadow);

    // A triangle a quarter of the button's smaller side in half-height,
    // shifted like the rest of a pressed button.
    const int half = std::min(button.width(), button.height()) / 4;
    if (half < 1)
        return;
    const QPoint centre = button.center() + (pressed ? QPoint(1, 1) : QPoint(0, 0));
    const int tip = pointsLeft ? centre.x() - half / 2 : centre.x() + half / 2;
    const int base = pointsLeft ? tip + half : tip - half;
    const QPolygon triangle({QPoint(tip, centre.y()), QPoint(base, centre.y() - half),
                             QPoint(base, centre.y() + half)});
    painter.setPen(Qt::NoPen);
    painter.setBrush(markColor(colors.fore, enabled));
    painter.drawPolygon(triangle);
}

} // namespace

void paintScroller(QPainter& painter, const ScrollerGeometry& geometry,
                   const ScrollerColors& colors, ScrollerPart pressed, bool enabled) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(geometry.track, colors.back);
    if (!geometry.thumb.isEmpty()) {
        painter.fillRect(geometry.thumb, colors.fore);
        drawBevel(painter, geometry.thumb, colors.highlight, colors.shadow);
    }
    paintArrowButton(painter, geometry.leftArrow, colors, true, pressed == ScrollerPart::LeftArrow,
                     enabled);
    paintArrowButton(painter, geometry.rightArrow, colors, false,
                     pressed == ScrollerPart::RightArrow, enabled);
    painter.restore();
}

} // namespace maker
