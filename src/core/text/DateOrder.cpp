#include "core/text/DateOrder.h"

#include <QDate>

namespace tavimo {

namespace {

// The value of the first run of decimal digits in a text (any script's
// digits), or -1 when there is none.
int firstNumber(const QString &text) {
    qsizetype i = 0;
    while (i < text.size() && !text.at(i).isDigit())
        ++i;
    if (i == text.size())
        return -1;
    int value = 0;
    for (; i < text.size() && text.at(i).isDigit() && value < 100000; ++i)
        value = value * 10 + text.at(i).digitValue();
    return value;
}

} // namespace

DateOrder DateOrder::fromLocale(const QLocale &locale) {
    const QString probe = locale.toString(QDate(2009, 10, 14), QLocale::ShortFormat);

    DateOrder result;
    for (const QChar ch : probe) {
        if (ch.unicode() < u'0') {
            result.separator = ch;
            break;
        }
    }
    // Reading the leading number rather than matching whole probe texts keeps
    // two-digit-year formats ("14.10.09", "09/10/14") in the right order.
    switch (firstNumber(probe)) {
    case 14:
        result.order = DayFirst;
        break;
    case 2009:
    case 9:
        result.order = YearFirst;
        break;
    default:
        result.order = MonthFirst;
        break;
    }
    return result;
}

QString DateOrder::zeroChar() const {
    return order == YearFirst ? QStringLiteral("0") : QStringLiteral("\u00D8");
}

QString NormalizeDate(QString &date, const DateOrder &order) {
    date.replace(u'-', u'/').replace(u'.', u'/');

    const qsizetype firstSlash = date.indexOf(u'/');
    const qsizetype secondSlash = firstSlash < 0 ? -1 : date.indexOf(u'/', firstSlash + 1);
    if (secondSlash < 0)
        return date;
    const QString month = date.left(firstSlash);
    const QString day = date.mid(firstSlash + 1, secondSlash - firstSlash - 1);
    const QString &sep = order.separator;

    switch (order.order) {
    case DateOrder::DayFirst:
        return day + sep + month + sep + date.mid(secondSlash + 1);
    case DateOrder::YearFirst: {
        const qsizetype blank = date.indexOf(u' ', secondSlash + 1);
        if (blank < 0 || date.size() - blank - 1 < 5)
            return date;
        const QString year = date.mid(secondSlash + 1, blank - secondSlash - 1);
        return year + sep + month + sep + day + u' ' + date.right(5);
    }
    case DateOrder::MonthFirst:
        break;
    }
    return date;
}

} // namespace tavimo
