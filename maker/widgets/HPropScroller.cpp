#include "maker/widgets/HPropScroller.h"

#include "maker/widgets/ColorValue.h"
#include "maker/widgets/ScrollerPainter.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <stdexcept>
#include <string>

namespace maker {

namespace {

// The pause before a held arrow or track starts repeating, and the pace of
// the repeats.
constexpr int kRepeatDelayMs = 400;
constexpr int kRepeatIntervalMs = 60;
// One notch of a common mouse wheel.
constexpr int kWheelNotch = 120;

} // namespace

HPropScroller::HPropScroller(QWidget* parent)
    : QWidget(parent), backColor_(143, 149, 158), foreColor_(224, 224, 224),
      highlight_(224, 224, 224), shadow_(32, 32, 32) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(&repeatTimer_, &QTimer::timeout, this, &HPropScroller::repeatPressedPart);
}

void HPropScroller::setRange(int range) {
    range_ = std::max(range, 0);
    position_ = std::min(position_, lastScrollerPosition(range_));
    update();
}

void HPropScroller::setPosition(int position) {
    position_ = std::clamp(position, 0, lastScrollerPosition(range_));
    update();
}

void HPropScroller::setPageStep(int steps) {
    if (steps < 1)
        throw std::invalid_argument("HPropScroller PageStep: " + std::to_string(steps) +
                                    " is less than 1");
    pageStep_ = steps;
}

void HPropScroller::setBackColor(const QColor& color) {
    backColor_ = requireValidColor(color, "HPropScroller BackColor");
    update();
}

void HPropScroller::setForeColor(const QColor& color) {
    foreColor_ = requireValidColor(color, "HPropScroller ForeColor");
    update();
}

void HPropScroller::setHighlight(const QColor& color) {
    highlight_ = requireValidColor(color, "HPropScroller Highlight");
    update();
}

void HPropScroller::setShadow(const QColor& color) {
    shadow_ = requireValidColor(color, "HPropScroller Shadow");
    update();
}

void HPropScroller::Refresh() {
    // The layout follows from the current size at every paint, so a repaint
    // is all a width change needs.
    update();
}

QSize HPropScroller::sizeHint() const {
    return {753, 19};
}

QSize HPropScroller::minimumSizeHint() const {
    return {2 * 19 + kMinimumThumbWidth, 19};
}

void HPropScroller::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintScroller(painter, currentGeometry(), {backColor_, foreColor_, highlight_, shadow_},
                  pressedPart_, isEnabled());
}

void HPropScroller::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    pointer_ = event->position().toPoint();
    const ScrollerGeometry geometry = currentGeometry();
    pressedPart_ = scrollerPartAt(geometry, pointer_);
    if (pressedPart_ == ScrollerPart::Thumb) {
        thumbGrabOffset_ = pointer_.x() - geometry.thumb.left();
    } else if (pressedPart_ != ScrollerPart::None) {
        repeatTimer_.start(kRepeatDelayMs);
        stepPressedPart();
    }
    update();
}

void HPropScroller::mouseMoveEvent(QMouseEvent* event) {
    if (pressedPart_ == ScrollerPart::None)
        return;
    pointer_ = event->position().toPoint();
    if (pressedPart_ == ScrollerPart::Thumb)
        moveByUser(scrollerPositionForThumbLeft(currentGeometry(), range_,
                                                pointer_.x() - thumbGrabOffset_));
}

void HPropScroller::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        endPress();
}

void HPropScroller::wheelEvent(QWheelEvent* event) {
    const QPoint delta = event->angleDelta();
    // Turning the wheel away from the user, or tilting it left, scrolls
    // towards the start. Fine-grained wheels add up to whole notches.
    wheelRemainder_ += delta.y() != 0 ? delta.y() : delta.x();
    const int notches = wheelRemainder_ / kWheelNotch;
    wheelRemainder_ %= kWheelNotch;
    if (notches != 0)
        moveByUser(int64_t{position_} - notches);
    event->accept();
}

void HPropScroller::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        endPress();
    QWidget::changeEvent(event);
}

ScrollerGeometry HPropScroller::currentGeometry() const {
    return scrollerGeometry(size(), range_, position_);
}

void HPropScroller::stepPressedPart() {
    if (scrollerPartAt(currentGeometry(), pointer_) != pressedPart_)
        return;
    switch (pressedPart_) {
    case ScrollerPart::LeftArrow:
        moveByUser(int64_t{position_} - 1);
        break;
    case ScrollerPart::RightArrow:
        moveByUser(int64_t{position_} + 1);
        break;
    case ScrollerPart::PageLeft:
        moveByUser(int64_t{position_} - pageStep_);
        break;
    case ScrollerPart::PageRight:
        moveByUser(int64_t{position_} + pageStep_);
        break;
    case ScrollerPart::Thumb:
    case ScrollerPart::None:
        break;
    }
}

void HPropScroller::repeatPressedPart() {
    repeatTimer_.setInterval(kRepeatIntervalMs);
    stepPressedPart();
}

void HPropScroller::moveByUser(int64_t target) {
    const auto clamped =
        static_cast<int>(std::clamp<int64_t>(target, 0, lastScrollerPosition(range_)));
    if (clamped == position_)
        return;
    position_ = clamped;
    update();
    emit Scroll();
}

void HPropScroller::endPress() {
    repeatTimer_.stop();
    pressedPart_ = ScrollerPart::None;
    update();
}

} // namespace maker
