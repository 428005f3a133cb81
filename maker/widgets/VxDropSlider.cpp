#include "maker/widgets/VxDropSlider.h"

#include "maker/widgets/Bevel.h"
#include "maker/widgets/DropSliderPopup.h"
#include "maker/widgets/SliderValue.h"

#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace maker {

namespace {

constexpr int kDropButtonWidth = 13;

} // namespace

VxDropSlider::VxDropSlider(QWidget* parent)
    : QWidget(parent), edit_(new QLineEdit(this)), dropButton_(new QToolButton(this)),
      popup_(new DropSliderPopup(this)) {
    edit_->setObjectName("textBox");
    // The box draws its own thin border: a framed line edit needs more
    // height than the 19 pixels this widget is used at.
    edit_->setFrame(false);
    edit_->setTextMargins(1, 0, 0, 0);
    dropButton_->setObjectName("dropButton");
    dropButton_->setArrowType(Qt::DownArrow);
    dropButton_->setFocusPolicy(Qt::NoFocus);
    setFocusProxy(edit_);

    connect(edit_, &QLineEdit::editingFinished, this, &VxDropSlider::commitTypedText);
    connect(dropButton_, &QToolButton::clicked, this, &VxDropSlider::openPopup);
    connect(popup_, &DropSliderPopup::valueChosen, this,
            [this](int value) { applyUserValue(value); });
    setClampedValue(value_);
}

VxDropSlider::~VxDropSlider() {
    // The children outlive this part of the object: the box, losing focus
    // as the base class deletes it, would otherwise commit its text into a
    // half-destroyed slider.
    QObject::disconnect(edit_, nullptr, this, nullptr);
    QObject::disconnect(popup_, nullptr, this, nullptr);
}

void VxDropSlider::setValue(double value) {
    if (std::isnan(value))
        throw std::invalid_argument("VxDropSlider Value: NaN is not a value");
    setClampedValue(value);
}

QString VxDropSlider::Text() const {
    return edit_->text();
}

void VxDropSlider::setText(const QString& text) {
    const std::optional<double> value = readSliderText(text);
    if (!value)
        throw std::invalid_argument("VxDropSlider Text: \"" + text.toStdString() +
                                    "\" is not a number");
    setClampedValue(*value);
}

void VxDropSlider::setMin(int minimum) {
    min_ = minimum;
    max_ = std::max(max_, min_);
    setClampedValue(value_);
}

void VxDropSlider::setMax(int maximum) {
    max_ = maximum;
    min_ = std::min(min_, max_);
    setClampedValue(value_);
}

QSize VxDropSlider::sizeHint() const {
    return {53, 19};
}

void VxDropSlider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect box = boxRect();
    painter.fillRect(box, palette().color(QPalette::Base));
    drawBevel(painter, box, palette().color(QPalette::Dark), palette().color(QPalette::Light));
}

void VxDropSlider::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int buttonWidth = std::min(kDropButtonWidth, width());
    dropButton_->setGeometry(width() - buttonWidth, 0, buttonWidth, height());
    const QRect box = boxRect();
    edit_->setGeometry(box.left() + 1, box.top() + 1, std::max(0, box.width() - 2),
                       std::max(0, box.height() - 2));
}

void VxDropSlider::commitTypedText() {
    if (const std::optional<double> typed = readSliderText(edit_->text()))
        applyUserValue(*typed);
    else
        setClampedValue(value_);
}

void VxDropSlider::openPopup() {
    // Text typed but not yet committed counts before the slider shows.
    QPointer<VxDropSlider> alive(this);
    commitTypedText();
    if (!alive)
        return;
    const int position = static_cast<int>(std::nearbyint(value_));
    popup_->open(mapToGlobal(QPoint(0, height())), width(), min_, max_,
                 std::clamp(position, min_, max_));
}

void VxDropSlider::applyUserValue(double value) {
    const double previous = value_;
    setClampedValue(value);
    if (value_ != previous)
        emit Change();
}

void VxDropSlider::setClampedValue(double value) {
    value_ = std::clamp(value, static_cast<double>(min_), static_cast<double>(max_));
    edit_->setText(sliderText(value_));
    update();
}

QRect VxDropSlider::boxRect() const {
    return QRect(0, 0, std::max(0, width() - std::min(kDropButtonWidth, width())), height());
}

} // namespace maker
