#pragma once

#include <QFrame>

class QSlider;

namespace maker {

// The pop-up under a drop-down slider's box: a horizontal slider in whole
// steps. It closes on a click outside it, on Escape and on Enter.
class DropSliderPopup : public QFrame {
    Q_OBJECT

public:
    explicit DropSliderPopup(QWidget* parent);

    // Shows the pop-up with its top-left corner at `globalTopLeft`, at least
    // `width` wide, the slider spanning minimum..maximum at `value`.
    void open(const QPoint& globalTopLeft, int width, int minimum, int maximum, int value);

signals:
    // The user moved the slider to `value`.
    void valueChosen(int value);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QSlider* slider_;
};

} // namespace maker
