#pragma once

#include "platform/DrawTarget.h"

#include <QColor>
#include <QImage>
#include <QWidget>

namespace platform {

// A window area that keeps a persistent image, its device context. All
// drawing lands in that image; painting the widget only shows it. The image
// is always the widget's size: a resize keeps the content in the top-left
// corner and fills new area with the back colour.
class PictureBox : public QWidget, public DrawTarget {
    Q_OBJECT

public:
    explicit PictureBox(QWidget* parent = nullptr);

    // The drawing area in pixels, the widget's size.
    double ScaleWidth() const override;
    double ScaleHeight() const override;

    QImage& deviceContext() override;
    // The persistent image for reading, e.g. the colour of a pixel.
    const QImage& image() const;

    QColor BackColor() const { return backColor_; }
    // The colour of Cls and of new area after a resize; the image keeps what
    // it shows until then.
    void setBackColor(const QColor& color);

    // Schedules a repaint that shows the image as it is now.
    void Refresh();
    // Fills the whole image with the back colour.
    void Cls();
    // Draws `picture` at its own size with its top-left corner at (x, y),
    // clipped to the image. Throws std::invalid_argument for a null picture.
    void PaintPicture(const QImage& picture, int x, int y);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // A hidden widget learns of its new size only when shown, so every access
    // to the image first makes it match the current size.
    void fitImageToSize() const;

    QColor backColor_;
    mutable QImage image_;
};

} // namespace platform
