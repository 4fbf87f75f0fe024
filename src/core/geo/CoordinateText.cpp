#include "core/geo/CoordinateText.h"

#include "core/base/Numbers.h"
#include "core/sites/ListablePosition.h"
#include "core/text/ProgramTexts.h"

#include <cmath>

namespace tavimo {

namespace {

// +1 or -1 for a hemisphere letter of the axis, 0 for anything else.
int hemisphereSign(QChar c, CoordinateAxis axis) {
    const char16_t upper = c.toUpper().unicode();
    if (axis == CoordinateAxis::Latitude)
        return upper == u'N' ? 1 : upper == u'S' ? -1 : 0;
    return upper == u'E' ? 1 : upper == u'W' ? -1 : 0;
}

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

// What the user typed with "," as the point and the minus sign as "-".
QString pointedText(QStringView text) {
    QString pointed = text.toString();
    pointed.replace(u',', u'.');
    pointed.replace(QChar(0x2212), u'-'); // the minus sign some keyboards and locales give
    return pointed;
}

enum class Lead { Number, Unfinished, Nothing };

// Whether the leading-number reading (Val's: blanks skipped, also between the
// sign and the digits) finds a digit, or stops at a sign or point alone.
Lead leadOf(QStringView text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && isBlank(text[i]))
        ++i;
    if (i < n && (text[i] == u'-' || text[i] == u'+'))
        ++i;
    bool point = false;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (c >= u'0' && c <= u'9')
            return Lead::Number;
        if (c == u'.' && !point)
            point = true;
        else if (!isBlank(c))
            return Lead::Nothing;
    }
    return Lead::Unfinished;
}

} // namespace

double coordinateValue(QStringView text, CoordinateAxis axis) {
    QStringView rest = text.trimmed();
    int sign = rest.isEmpty() ? 0 : hemisphereSign(rest.front(), axis);
    if (sign != 0)
        rest = rest.mid(1);
    const double value = Val(rest);
    if (sign == 0) {
        // The first letter after the number, if any, may name the hemisphere.
        for (const QChar c : rest) {
            if (c.isLetter()) {
                sign = hemisphereSign(c, axis);
                break;
            }
        }
    }
    if (sign == 0)
        return value;
    return sign * std::fabs(value);
}

bool isCoordinate(double value, CoordinateAxis axis) {
    const double limit = axis == CoordinateAxis::Latitude ? kLatitudeLimit : kLongitudeLimit;
    return std::isfinite(value) && value >= -limit && value <= limit;
}

double coordinateOrZero(QStringView text, CoordinateAxis axis) {
    const double value = coordinateValue(text, axis);
    return isCoordinate(value, axis) ? value : 0.0;
}

double typedCoordinate(QStringView text, CoordinateAxis axis) {
    const double value = coordinateValue(pointedText(text), axis);
    return std::isfinite(value) ? value : 0.0;
}

CoordinateBox readCoordinateBox(QStringView text, CoordinateAxis axis) {
    const QString pointed = pointedText(text);
    QStringView rest = QStringView(pointed).trimmed();
    if (!rest.isEmpty() && hemisphereSign(rest.front(), axis) != 0)
        rest = rest.mid(1);
    switch (leadOf(rest)) {
    case Lead::Unfinished:
        return {};
    case Lead::Nothing:
        return {0, CoordinateRefusal::NoNumber};
    case Lead::Number:
        break;
    }
    const double value = coordinateValue(pointed, axis);
    if (!isCoordinate(value, axis))
        return {0, CoordinateRefusal::OutOfRange};
    return {value, CoordinateRefusal::None};
}

QString coordinateRefusalText(CoordinateRefusal refusal, CoordinateAxis axis, int languageIndex) {
    switch (refusal) {
    case CoordinateRefusal::None:
        return {};
    case CoordinateRefusal::NoNumber:
        return programText(ProgramText::CoordinateNoNumber, languageIndex);
    case CoordinateRefusal::OutOfRange:
        break;
    }
    return programText(axis == CoordinateAxis::Latitude ? ProgramText::LatitudeOutOfRange
                                                        : ProgramText::LongitudeOutOfRange,
                       languageIndex);
}

QString keptWhileRefusedText(const QString &value, int languageIndex) {
    return programText(ProgramText::KeptWhileRefused, languageIndex).arg(value);
}

QString regionalNumberText(double value, const QLocale &locale) {
    QString text = numberText(value);
    const QString point = locale.decimalPoint();
    if (point != u".")
        text.replace(u'.', point);
    return text;
}

} // namespace tavimo
