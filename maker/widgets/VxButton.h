#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <QWidget>

namespace maker {

// A push button with a caption and/or a centred picture, a back colour with
// optional gradient shading, and an optional latching mode in which each
// click toggles a down state that stays until the next click. Font, tool tip
// and the enabled state are the QWidget's own.
class VxButton : public QWidget {
    Q_OBJECT

public:
    explicit VxButton(QWidget* parent = nullptr);

    QString Caption() const { return caption_; }
    void setCaption(const QString& caption);

    QImage Picture() const { return picture_; }
    // A null image removes the picture.
    void setPicture(const QImage& picture);

    QColor BackColor() const { return backColor_; }
    // Throws std::invalid_argument for an invalid colour.
    void setBackColor(const QColor& color);

    // How much lighter the top of the face is than the bottom (1.3: 30 %
    // lighter); 0 and 1 are flat. Throws std::invalid_argument for a negative
    // or non-finite factor.
    double GradientShading() const { return gradientShading_; }
    void setGradientShading(double factor);

    // Latching buttons toggle their down state on each click. Turning
    // latching off lets a latched button up.
    bool Latching() const { return latching_; }
    void setLatching(bool latching);

    // A latching button's state; a non-latching button is down while it is
    // pressed (or from setDown(true) until the next press ends).
    bool Down() const;
    void setDown(bool down);

    // Lays the face out again for the current size and repaints.
    void Refresh();

    QSize sizeHint() const override;

signals:
    // A left-button press released inside, or Space. A latching button has
    // already toggled when this arrives.
    void Click();
    // Any mouse button released over the button, with the modifiers held and
    // the pointer's position in the button's pixels. Emitted before Click.
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Whether the face is drawn pressed right now.
    bool shownDown() const;
    // Ends a press by mouse or key; a completed press toggles a latch.
    void finishPress(bool completed);

    QString caption_;
    QImage picture_;
    QColor backColor_;
    double gradientShading_ = 0.0;
    bool latching_ = false;
    bool down_ = false;
    bool mousePressed_ = false;
    bool pointerInside_ = false;
    bool keyPressed_ = false;
};

} // namespace maker
