#pragma once

#include <QString>
#include <QWidget>

class QLineEdit;
class QToolButton;

namespace maker {

class DropSliderPopup;

// A small box showing a number, with a drop button that opens a slider
// between Min and Max. The user changes the value by dragging the slider
// (whole steps) or by typing a number and pressing Enter or leaving the box:
// a number outside Min..Max is clamped, text that is not a number brings the
// previous value back. Value is always within Min..Max and may be fractional
// when set from code.
class VxDropSlider : public QWidget {
    Q_OBJECT

public:
    explicit VxDropSlider(QWidget* parent = nullptr);
    ~VxDropSlider() override;

    double Value() const { return value_; }
    // Clamps to Min..Max and shows the value in the box. Throws
    // std::invalid_argument for NaN.
    void setValue(double value);

    // The text in the box, which may be mid-edit.
    QString Text() const;
    // Sets the value the text names, as if typed, but without Change. Throws
    // std::invalid_argument, quoting the text, when it is not a number.
    void setText(const QString& text);

    // As with Qt's own sliders, a Min above Max moves Max up to it and a Max
    // below Min moves Min down; Value is clamped into the new range.
    int Min() const { return min_; }
    void setMin(int minimum);
    int Max() const { return max_; }
    void setMax(int maximum);

    QSize sizeHint() const override;

signals:
    // The user changed the value, by typing or with the slider.
    void Change();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void commitTypedText();
    void openPopup();
    // Takes a value from the user: clamps it, shows it and emits Change if
    // it differs from the current one.
    void applyUserValue(double value);
    void setClampedValue(double value);
    QRect boxRect() const;

    double value_ = 0.0;
    int min_ = 0;
    int max_ = 100;
    QLineEdit* edit_;
    QToolButton* dropButton_;
    DropSliderPopup* popup_;
};

} // namespace maker
