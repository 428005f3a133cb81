#include "tallowick/window/FrameView.h"

#include "tallowick/window/FrameRendering.h"

#include <QPainter>
#include <utility>

namespace tallowick {

FrameView::FrameView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void FrameView::setImage(QImage image) {
    image_ = std::move(image);
    update();
}

void FrameView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(48, 48, 52));
    if (image_.isNull())
        return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(fitRect(image_.size(), rect()), image_);
}

} // namespace tallowick
