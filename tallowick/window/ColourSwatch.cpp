#include "tallowick/window/ColourSwatch.h"

#include <QPainter>

namespace tallowick {

ColourSwatch::ColourSwatch(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void ColourSwatch::setColour(const QColor& colour) {
    colour_ = colour;
    setToolTip(
        QStringLiteral("%1, %2, %3").arg(colour.red()).arg(colour.green()).arg(colour.blue()));
    update();
}

void ColourSwatch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::WindowText));
    painter.fillRect(rect().adjusted(1, 1, -1, -1), colour_);
}

} // namespace tallowick
