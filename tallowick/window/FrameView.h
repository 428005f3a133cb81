#pragma once

#include <QImage>
#include <QWidget>

namespace tallowick {

// Shows one rendered frame scaled to fit the widget, keeping its aspect, on
// a dark surround.
class FrameView : public QWidget {
    Q_OBJECT

public:
    explicit FrameView(QWidget* parent = nullptr);

    void setImage(QImage image);
    const QImage& image() const { return image_; }

    QSize sizeHint() const override { return {480, 360}; }
    QSize minimumSizeHint() const override { return {160, 120}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage image_;
};

} // namespace tallowick
