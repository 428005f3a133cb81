#pragma once

#include <QStringView>

namespace platform {

// The leading number of a text, as users type it into a number field.
// Blanks, tabs and line feeds are skipped anywhere in the text; then come an
// optional sign, digits with an optional decimal point and exponent, or a
// hexadecimal number after "&H" or an octal one after "&O" (either case).
// Whatever follows the number is ignored; a text with no leading number
// reads as 0.
double textToNumber(QStringView text);

} // namespace platform
