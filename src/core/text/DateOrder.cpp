#include "core/text/DateOrder.h"

#include <QDate>
#include <QList>

namespace tavimo {

namespace {

// The values of the runs of decimal digits in a text (any script's digits),
// in order.
QList<int> numbersIn(const QString &text) {
    QList<int> numbers;
    qsizetype i = 0;
    while (i < text.size()) {
        if (!text.at(i).isDigit()) {
            ++i;
            continue;
        }
        int value = 0;
        for (; i < text.size() && text.at(i).isDigit(); ++i) {
            if (value < 100000)
                value = value * 10 + text.at(i).digitValue();
        }
        numbers.append(value);
    }
    return numbers;
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
    // Reading the numbers rather than matching whole probe texts keeps
    // two-digit-year formats ("14.10.09", "09/10/14") in the right order. Day
    // and year first need the month as a number after them; a probe that
    // writes the month as a word ("14 Oct 2009") tells no order a picture
    // date could be turned into, and leaves the dates month first.
    const QList<int> numbers = numbersIn(probe);
    const int first = numbers.value(0, -1);
    const int second = numbers.value(1, -1);
    if (first == 14 && second == 10)
        result.order = DayFirst;
    else if ((first == 2009 || first == 9) && second == 10)
        result.order = YearFirst;
    else
        result.order = MonthFirst;
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
