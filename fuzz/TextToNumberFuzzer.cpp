// Text to number, as users type numbers into fields: any text, as UTF-8 or
// as UTF-16 code units. Blanks, tabs and line feeds are skipped anywhere, so
// the text without them reads as the same number.
#include "platform/TextToNumber.h"

#include <QString>
#include <cmath>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    QString text;
    if (data[0] & 1) {
        text = QString::fromUtf8(reinterpret_cast<const char*>(data + 1),
                                 static_cast<qsizetype>(size - 1));
    } else {
        text.resize(static_cast<qsizetype>((size - 1) / 2));
        std::memcpy(text.data(), data + 1, static_cast<std::size_t>(text.size()) * 2);
    }
    const double value = platform::textToNumber(text);
    QString compact = text;
    compact.remove(QLatin1Char(' ')).remove(QLatin1Char('\t')).remove(QLatin1Char('\n'));
    const double again = platform::textToNumber(compact);
    if (std::isnan(value) || !(value == again || (std::isnan(again) && std::isnan(value))))
        std::abort();
    return 0;
}
