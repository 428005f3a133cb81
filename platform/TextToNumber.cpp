#include "platform/TextToNumber.h"

#include <charconv>
#include <cmath>
#include <string>

namespace platform {

namespace {

bool isSkipped(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n';
}

// The text without the characters that are skipped anywhere, as ASCII; any
// other character ends the scan, since no number can go on past it.
std::string compactAscii(QStringView text) {
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    for (QChar c : text) {
        if (isSkipped(c))
            continue;
        if (c.unicode() > 0x7F)
            break;
        out.push_back(static_cast<char>(c.unicode()));
    }
    return out;
}

bool isDigitInBase(char c, int base) {
    if (base == 8)
        return c >= '0' && c <= '7';
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int digitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    return (c | 0x20) - 'a' + 10;
}

double radixNumber(const std::string& s, std::size_t start, int base) {
    double value = 0.0;
    for (std::size_t i = start; i < s.size() && isDigitInBase(s[i], base); ++i)
        value = value * base + digitValue(s[i]);
    return value;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The length of the longest prefix of s that is a decimal number, 0 if none.
std::size_t decimalPrefixLength(const std::string& s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    std::size_t digits = 0;
    while (i < s.size() && isDigit(s[i]))
        ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && isDigit(s[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return 0;
    // An exponent counts only when at least one digit follows it.
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-'))
            ++j;
        if (j < s.size() && isDigit(s[j])) {
            while (j < s.size() && isDigit(s[j]))
                ++j;
            i = j;
        }
    }
    return i;
}

} // namespace

double textToNumber(QStringView text) {
    const std::string s = compactAscii(text);
    if (s.size() >= 2 && s[0] == '&') {
        const char prefix = static_cast<char>(s[1] | 0x20);
        if (prefix == 'h')
            return radixNumber(s, 2, 16);
        if (prefix == 'o')
            return radixNumber(s, 2, 8);
        return 0.0;
    }
    const std::size_t length = decimalPrefixLength(s);
    if (length == 0)
        return 0.0;
    // from_chars ignores the locale (the GUI may have set a decimal comma)
    // but does not take a leading plus.
    std::size_t begin = s[0] == '+' ? 1 : 0;
    double value = 0.0;
    const auto result = std::from_chars(s.data() + begin, s.data() + length, value);
    if (result.ec == std::errc::result_out_of_range) {
        // Too small to represent is 0; too large is infinite, which every
        // conversion to a whole number then refuses as an overflow.
        const std::string number = s.substr(0, length);
        const auto e = number.find_first_of("eE");
        if (e != std::string::npos && e + 1 < number.size() && number[e + 1] == '-')
            return 0.0;
        return s[begin] == '-' ? -HUGE_VAL : HUGE_VAL;
    }
    return value;
}

} // namespace platform
