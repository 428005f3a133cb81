#include "maker/widgets/SliderValue.h"

#include <QLocale>
#include <cmath>

namespace maker {

std::optional<double> readSliderText(const QString& text) {
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString sliderText(double value) {
    // Negative zero would show as "-0".
    if (value == 0.0)
        value = 0.0;
    return QString::number(value, 'g', 15);
}

} // namespace maker
