#include "maker/widgets/DropSliderPopup.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QSlider>
#include <algorithm>

namespace maker {

namespace {

constexpr int kMinimumWidth = 150;

} // namespace

DropSliderPopup::DropSliderPopup(QWidget* parent)
    : QFrame(parent, Qt::Popup), slider_(new QSlider(Qt::Horizontal, this)) {
    setFrameShape(QFrame::Box);
    // The click that closes the pop-up on its own drop button must not open
    // it again at once.
    setAttribute(Qt::WA_NoMouseReplay);
    slider_->setObjectName("popupSlider");
    slider_->setSingleStep(1);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(slider_);
    connect(slider_, &QSlider::valueChanged, this, &DropSliderPopup::valueChosen);
}

void DropSliderPopup::open(const QPoint& globalTopLeft, int width, int minimum, int maximum,
                           int value) {
    {
        // Placing the slider is not the user's choice.
        const QSignalBlocker quiet(slider_);
        slider_->setRange(minimum, maximum);
        slider_->setValue(value);
        // A tenth of the span per click on the groove, in whole steps.
        const long long span = static_cast<long long>(maximum) - minimum;
        slider_->setPageStep(static_cast<int>(std::max(1LL, span / 10)));
    }
    resize(std::max(width, kMinimumWidth), sizeHint().height());
    move(globalTopLeft);
    show();
    slider_->setFocus(Qt::PopupFocusReason);
}

void DropSliderPopup::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        close();
        break;
    default:
        QFrame::keyPressEvent(event);
    }
}

} // namespace maker
