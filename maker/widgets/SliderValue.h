#pragma once

#include <QString>
#include <optional>

namespace maker {

// The number a drop-down slider's box text stands for: a finite decimal
// number, blanks around it allowed, read the same in every locale. Nothing
// for anything else.
std::optional<double> readSliderText(const QString& text);

// The box text for a value: whole numbers without a decimal point, fractions
// with as many digits as they need.
QString sliderText(double value);

} // namespace maker
