#include "core/base/Numbers.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace tavimo {
namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

template <typename Int> std::optional<Int> toWhole(double value) {
    if (!std::isfinite(value))
        return std::nullopt;
    const double rounded = roundHalfEven(value);
    if (rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<Int>::max()))
        return std::nullopt;
    return static_cast<Int>(rounded);
}

} // namespace

double Val(QStringView text) {
    // Gather the characters of the leading number, then let from_chars convert
    // them: it is locale-independent and exact.
    std::string digits;
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto skipBlanks = [&] {
        while (i < n && isBlank(text[i]))
            ++i;
    };
    skipBlanks();
    if (i < n && (text[i] == u'-' || text[i] == u'+')) {
        if (text[i] == u'-')
            digits += '-';
        ++i;
    }
    bool mantissaDigits = false;
    bool point = false;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (isBlank(c))
            continue;
        if (c >= u'0' && c <= u'9') {
            digits += static_cast<char>(c.unicode());
            mantissaDigits = true;
        } else if (c == u'.' && !point) {
            digits += '.';
            point = true;
        } else {
            break;
        }
    }
    if (!mantissaDigits)
        return 0.0;
    if (i < n && (text[i] == u'e' || text[i] == u'E' || text[i] == u'd' || text[i] == u'D')) {
        std::string exponent = "e";
        qsizetype j = i + 1;
        if (j < n && (text[j] == u'-' || text[j] == u'+'))
            exponent += static_cast<char>(text[j++].unicode());
        bool expDigits = false;
        for (; j < n && text[j] >= u'0' && text[j] <= u'9'; ++j) {
            exponent += static_cast<char>(text[j].unicode());
            expDigits = true;
        }
        if (expDigits)
            digits += exponent;
    }
    double value = 0.0;
    const char *first = digits.data();
    const char *last = digits.data() + digits.size();
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec == std::errc::result_out_of_range)
        return digits.front() == '-' ? -std::numeric_limits<double>::infinity()
                                     : std::numeric_limits<double>::infinity();
    if (ec != std::errc())
        return 0.0;
    return value == 0.0 ? 0.0 : value; // no negative zero
}

std::optional<int> digitsValue(QStringView text) {
    if (text.isEmpty() || text.size() > 6)
        return std::nullopt;
    int value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

double roundHalfEven(double value) {
    // nearbyint follows the current rounding mode, which is round-to-nearest-even
    // unless someone changed it; rint would raise an inexact flag, nothing else.
    return std::nearbyint(value);
}

std::optional<std::int16_t> toInt16(double value) {
    return toWhole<std::int16_t>(value);
}
std::optional<std::int32_t> toInt32(double value) {
    return toWhole<std::int32_t>(value);
}

QString numberText(double value) {
    if (!std::isfinite(value) || value == 0.0)
        return QStringLiteral("0");
    char buffer[400];
    // Fifteen significant digits, as the files have always held; fixed
    // notation with just enough decimals for them.
    auto general =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    std::string text(buffer, general.ptr);
    const auto e = text.find('e');
    if (e != std::string::npos) {
        const int exponent = std::stoi(text.substr(e + 1));
        const int decimals = exponent >= 14 ? 0 : 14 - exponent;
        auto fixed = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed,
                                   decimals);
        text.assign(buffer, fixed.ptr);
        if (text.find('.') != std::string::npos) {
            while (text.back() == '0')
                text.pop_back();
            if (text.back() == '.')
                text.pop_back();
        }
    }
    if (text == "-0")
        text = "0";
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace tavimo
