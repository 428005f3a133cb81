#pragma once

#include "maker/widgets/ScrollerGeometry.h"

#include <QColor>
#include <QPoint>
#include <QTimer>
#include <QWidget>
#include <cstdint>

namespace maker {

// A horizontal scroller over Range whole steps. Position counts the steps
// scrolled past and always lies in 0..max(Range - 1, 0). The user moves it
// with the arrow buttons, by clicking the track (a page of PageStep steps
// towards the click), by dragging the thumb and with the mouse wheel;
// holding an arrow or the track repeats. Scroll is emitted only when the
// user's action changes Position, never for changes made from code.
class HPropScroller : public QWidget {
    Q_OBJECT

public:
    explicit HPropScroller(QWidget* parent = nullptr);

    int Range() const { return range_; }
    // A negative range counts as 0. Position is pulled back within the new
    // range, without Scroll.
    void setRange(int range);

    int Position() const { return position_; }
    // Clamped to 0..max(Range - 1, 0); no Scroll.
    void setPosition(int position);

    // Steps per click on the track, 5 at first. Throws std::invalid_argument
    // for less than 1.
    int PageStep() const { return pageStep_; }
    void setPageStep(int steps);

    // The track; the thumb and arrow buttons; the light and dark edges of
    // raised parts. Each setter throws std::invalid_argument for an invalid
    // colour.
    QColor BackColor() const { return backColor_; }
    void setBackColor(const QColor& color);
    QColor ForeColor() const { return foreColor_; }
    void setForeColor(const QColor& color);
    QColor Highlight() const { return highlight_; }
    void setHighlight(const QColor& color);
    QColor Shadow() const { return shadow_; }
    void setShadow(const QColor& color);

    // Lays the scroller out again for its current width and repaints.
    void Refresh();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void Scroll();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    ScrollerGeometry currentGeometry() const;
    // Steps the pressed arrow or pages the pressed track once, if the
    // pointer is still over that part.
    void stepPressedPart();
    void repeatPressedPart();
    // Moves to `target` (clamped) for the user; emits Scroll on a change.
    void moveByUser(int64_t target);
    void endPress();

    int range_ = 0;
    int position_ = 0;
    int pageStep_ = 5;
    QColor backColor_;
    QColor foreColor_;
    QColor highlight_;
    QColor shadow_;

    ScrollerPart pressedPart_ = ScrollerPart::None;
    QPoint pointer_;
    int thumbGrabOffset_ = 0;
    int wheelRemainder_ = 0;
    QTimer repeatTimer_;
};

} // namespace maker
