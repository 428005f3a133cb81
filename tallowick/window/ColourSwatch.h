#pragma once

#include <QColor>
#include <QWidget>

namespace tallowick {

// A framed square of one colour.
class ColourSwatch : public QWidget {
    Q_OBJECT

public:
    explicit ColourSwatch(QWidget* parent = nullptr);

    void setColour(const QColor& colour);
    QColor colour() const { return colour_; }

    QSize sizeHint() const override { return {32, 32}; }
    QSize minimumSizeHint() const override { return {16, 16}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor colour_{Qt::black};
};

} // namespace tallowick
