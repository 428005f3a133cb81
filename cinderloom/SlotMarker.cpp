#include "cinderloom/SlotMarker.h"

#include <QPainter>

namespace cinderloom {
namespace {

const QColor kMarkColour(255, 64, 32);
constexpr int kMarkWidth = 2;

} // namespace

SlotMarker::SlotMarker(QWidget* view) : QWidget(view) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    hide();
}

void SlotMarker::mark(const QRect& span) {
    if (span.isEmpty()) {
        hide();
        return;
    }
    setGeometry(span);
    show();
    update();
}

void SlotMarker::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(QPen(kMarkColour, kMarkWidth));
    painter.setBrush(Qt::NoBrush);
    const int inset = kMarkWidth / 2;
    painter.drawRect(rect().adjusted(inset, inset, -inset, -inset));
}

} // namespace cinderloom
