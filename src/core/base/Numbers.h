#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>

namespace tavimo {

// The numeric value of the number that leads a text: blanks and tabs are
// skipped, "." is the decimal point, an optional sign and exponent are taken,
// and anything else ends the number. A text that does not start with a number
// gives 0. Never depends on the locale.
double Val(QStringView text);

// The value of a text made of ASCII digits only (no sign, blank or point) and
// at most six of them; nothing otherwise. For the fixed fields of dates and
// version numbers, where Val's leniency would let garbage through.
std::optional<int> digitsValue(QStringView text);

// Rounds to the nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
double roundHalfEven(double value);

// The whole number that Val(text) rounds to, when it fits the given width;
// nothing when it does not (or the text holds infinity or NaN).
std::optional<std::int16_t> toInt16(double value);
std::optional<std::int32_t> toInt32(double value);

// A number as text for files and web addresses: "." as decimal separator, no
// thousands separator, no exponent, no leading blank, at most 15 significant
// digits (42.5, -81.25, 0). Infinity and NaN are written as 0.
QString numberText(double value);

} // namespace tavimo
