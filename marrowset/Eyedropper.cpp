#include "marrowset/Eyedropper.h"

#include <QPainter>

namespace marrowset {

QImage eyedropperPicture() {
    QImage picture(19, 19, QImage::Format_RGB888);
    picture.fill(QColor(192, 192, 192));
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);

    // The glass tube, from the tip at the lower left up to the collar: a
    // dark outline under a lighter body.
    const QPointF tip(3.5, 15.5);
    const QPointF collar(11.5, 7.5);
    painter.setPen(QPen(QColor(32, 32, 32), 5, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(tip, collar);
    painter.setPen(QPen(QColor(214, 234, 248), 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(tip, collar);
    // The liquid drawn up into the lower half of the tube.
    painter.setPen(QPen(QColor(200, 30, 30), 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(tip, QPointF(6.5, 12.5));

    // The collar across the tube, and the rubber bulb above it.
    painter.setPen(QPen(QColor(32, 32, 32), 3, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(QPointF(9.5, 6.5), QPointF(12.5, 9.5));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(40, 40, 48));
    painter.drawEllipse(QPointF(14.5, 4.5), 3.5, 3.5);

    // A drop at the tip.
    painter.setBrush(QColor(200, 30, 30));
    painter.drawEllipse(QPointF(1.8, 17.2), 1.3, 1.3);
    return picture;
}

} // namespace marrowset
