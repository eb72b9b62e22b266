#pragma once

#include <QStringView>

#include <optional>

namespace sonvera {

// The number at the start of a text, read the way the settings files and the
// encoders' status fields are read: leading blanks are skipped, an optional
// sign, digits with at most one decimal point and an optional exponent; the
// reading stops at the first character that cannot continue the number.
// A text without a number gives 0 ("42%" gives 42, " 5%" 5, "abc" 0, "1a" 1).
double leadingNumber(QStringView text);

// The same reading, but nothing when the text has no leading number; `end`
// (when given) receives the index just past the number.
std::optional<double> scanLeadingNumber(QStringView text, qsizetype *end = nullptr);

// Rounds to the nearest whole number, a half going to the even neighbour.
double roundHalfEven(double value);

} // namespace sonvera
