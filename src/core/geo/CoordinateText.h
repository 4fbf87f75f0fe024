#pragma once

// Latitudes and longitudes written as text: on callbook pages, in the boxes
// of the own-position window.

#include <QLocale>
#include <QString>
#include <QStringView>

namespace tavimo {

enum class CoordinateAxis { Latitude, Longitude };

// The number that leads the text ("." as the decimal point, blanks skipped, 0
// when no number leads), with the sign of a hemisphere letter before or after
// it: "42.35 N" and "N 42.35" are 42.35, "33.87 S" and "S 33.87" -33.87; "E"
// and "W" do the same for a longitude. A letter of the other axis is ignored.
double coordinateValue(QStringView text, CoordinateAxis axis);

// True for a finite value inside -90..90 (latitude) or -180..180 (longitude).
bool isCoordinate(double value, CoordinateAxis axis);

// coordinateValue, or 0 (no position) when the value is no coordinate.
double coordinateOrZero(QStringView text, CoordinateAxis axis);

// What a position box holds, as the user typed it: every "," is read as the
// decimal point, so "52,5" is 52.5 whatever the locale. Not range-checked,
// but a number too large to hold is 0.
double typedCoordinate(QStringView text, CoordinateAxis axis);

// What a position box that the user types into holds. The reading is
// typedCoordinate's (the leading number, "," as the point); a box is refused
// when it holds no number at all ("abc") or one off the globe (latitude 95,
// longitude 200), and its value must then not be stored. An empty box, a
// hemisphere letter alone and a number begun but not finished ("-", "+", ".",
// "-,") are no error: they read as 0, as does the empty box. "52," reads 52.
enum class CoordinateRefusal { None, NoNumber, OutOfRange };

struct CoordinateBox {
    double value = 0;
    CoordinateRefusal refusal = CoordinateRefusal::None;

    bool refused() const { return refusal != CoordinateRefusal::None; }
};

CoordinateBox readCoordinateBox(QStringView text, CoordinateAxis axis);

// Why a position box is refused, in a language as programText picks it; empty
// when it is not.
QString coordinateRefusalText(CoordinateRefusal refusal, CoordinateAxis axis, int languageIndex);

// Says which value stands while a box is refused: the one the window opened
// with, as the box shows numbers.
QString keptWhileRefusedText(const QString &value, int languageIndex);

// A number as a box shows it: the decimal separator of the locale, no
// grouping, no exponent, at most 15 significant digits, "-" for negatives
// ("52,5" and "-0,12" in German).
QString regionalNumberText(double value, const QLocale &locale = QLocale());

} // namespace tavimo
