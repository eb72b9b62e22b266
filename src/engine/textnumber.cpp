#include "textnumber.h"

#include <charconv>
#include <cmath>
#include <string>

namespace sonvera {

std::optional<double> scanLeadingNumber(QStringView text, qsizetype *end)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == u' ' || text[i] == u'\t'))
        ++i;

    std::string number;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        if (text[i] == u'-')
            number += '-'; // from_chars takes no "+"
        ++i;
    }
    bool digits = false;
    bool point = false;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (c.isDigit() && c.unicode() < 128) {
            number += static_cast<char>(c.unicode());
            digits = true;
        } else if (c == u'.' && !point) {
            number += '.';
            point = true;
        } else {
            break;
        }
    }
    if (!digits) {
        if (end)
            *end = 0;
        return std::nullopt;
    }
    // An exponent counts only when digits follow it.
    if (i + 1 < n && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        std::string exponent = "e";
        if (j < n && (text[j] == u'+' || text[j] == u'-'))
            exponent += static_cast<char>(text[j++].unicode());
        bool expDigits = false;
        while (j < n && text[j].isDigit() && text[j].unicode() < 128) {
            exponent += static_cast<char>(text[j++].unicode());
            expDigits = true;
        }
        if (expDigits) {
            number += exponent;
            i = j;
        }
    }
    if (end)
        *end = i;
    // from_chars reads "12.7" the same under every locale; strtod would stop
    // at the point under a locale whose decimal separator is a comma.
    double value = 0;
    const auto [rest, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc::result_out_of_range)
        return std::nullopt;
    return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

double leadingNumber(QStringView text)
{
    return scanLeadingNumber(text).value_or(0.0);
}

double roundHalfEven(double value)
{
    // nearbyint rounds in the current mode, which is to-nearest-even by default.
    return std::nearbyint(value);
}

} // namespace sonvera
