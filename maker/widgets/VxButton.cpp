#include "maker/widgets/VxButton.h"

#include "maker/widgets/ButtonPainter.h"
#include "maker/widgets/ColorValue.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <cmath>
#include <stdexcept>
#include <string>

namespace maker {

VxButton::VxButton(QWidget* parent)
    : QWidget(parent), backColor_(palette().color(QPalette::Button)) {
    // Taking focus on a click makes an edit box elsewhere commit its text
    // before this button's Click handler reads it.
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void VxButton::setCaption(const QString& caption) {
    caption_ = caption;
    updateGeometry();
    update();
}

void VxButton::setPicture(const QImage& picture) {
    picture_ = picture;
    updateGeometry();
    update();
}

void VxButton::setBackColor(const QColor& color) {
    backColor_ = requireValidColor(color, "VxButton BackColor");
    update();
}

void VxButton::setGradientShading(double factor) {
    if (!std::isfinite(factor) || factor < 0.0)
        throw std::invalid_argument("VxButton GradientShading: " + std::to_string(factor) +
                                    " is not a finite factor of 0 or more");
    gradientShading_ = factor;
    update();
}

void VxButton::setLatching(bool latching) {
    latching_ = latching;
    if (!latching_)
        down_ = false;
    update();
}

bool VxButton::Down() const {
    return latching_ ? down_ : shownDown();
}

void VxButton::setDown(bool down) {
    down_ = down;
    update();
}

void VxButton::Refresh() {
    updateGeometry();
    update();
}

QSize VxButton::sizeHint() const {
    return buttonSizeHint(fontMetrics(), caption_, picture_.size());
}

bool VxButton::shownDown() const {
    return down_ || keyPressed_ || (mousePressed_ && pointerInside_);
}

void VxButton::paintEvent(QPaintEvent*) {
    ButtonFace face;
    face.caption = caption_;
    face.picture = picture_;
    face.backColor = backColor_;
    face.gradientShading = gradientShading_;
    face.down = shownDown();
    face.enabled = isEnabled();
    face.focused = hasFocus();
    face.font = font();
    face.textColor =
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText);
    QPainter painter(this);
    paintButton(painter, rect(), face);
}

void VxButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        mousePressed_ = true;
        pointerInside_ = true;
        update();
    }
    event->accept();
}

void VxButton::mouseMoveEvent(QMouseEvent* event) {
    if (!mousePressed_)
        return;
    const bool inside = rect().contains(event->position().toPoint());
    if (inside != pointerInside_) {
        pointerInside_ = inside;
        update();
    }
}

void VxButton::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const bool inside = rect().contains(at);
    const bool clicked = event->button() == Qt::LeftButton && mousePressed_ && inside;
    if (event->button() == Qt::LeftButton && mousePressed_) {
        mousePressed_ = false;
        finishPress(clicked);
    }
    // A handler may close or delete the window holding this button, so
    // nothing of this object is touched after a signal unless it still
    // exists.
    QPointer<VxButton> alive(this);
    if (inside)
        emit MouseUp(event->button(), event->modifiers(), at.x(), at.y());
    if (clicked && alive)
        emit Click();
}

void VxButton::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Space) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (!event->isAutoRepeat()) {
        keyPressed_ = true;
        update();
    }
}

void VxButton::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Space || event->isAutoRepeat() || !keyPressed_) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    keyPressed_ = false;
    finishPress(true);
    emit Click();
}

void VxButton::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void VxButton::focusOutEvent(QFocusEvent* event) {
    keyPressed_ = false;
    QWidget::focusOutEvent(event);
    update();
}

void VxButton::changeEvent(QEvent* event) {
    // A button disabled mid-press must not stay drawn pressed.
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        mousePressed_ = false;
        keyPressed_ = false;
        update();
    }
    QWidget::changeEvent(event);
}

void VxButton::finishPress(bool completed) {
    if (latching_ && completed)
        down_ = !down_;
    else if (!latching_)
        down_ = false;
    update();
}

} // namespace maker
