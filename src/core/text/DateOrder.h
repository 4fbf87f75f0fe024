#pragma once

#include <QLocale>
#include <QString>

namespace tavimo {

// The order and separator of the system's short date, as far as picture dates
// need them.
struct DateOrder {
    enum Order { MonthFirst, DayFirst, YearFirst };
    Order order = MonthFirst;
    // The first character of the locale's short date below "0" ("/", ".", "-",
    // a blank); empty when there is none.
    QString separator;

    // Reads the locale's short date for 14 October 2009: 14 then 10 means day
    // first, 2009 or 09 then 10 year first; anything else (10 first, or a month
    // written as a word) counts as month first.
    static DateOrder fromLocale(const QLocale &locale = QLocale::system());

    // The character that stands for "0" in shown callsigns: "0" on year-first
    // systems, whose dates would otherwise be hard to tell apart, else "Ø".
    QString zeroChar() const;
};

// Rewrites a month/day/year picture date ("10/14/09 13:05") into the system's
// order and separator. Every "-" and "." in `date` is first replaced by "/"
// in place; the result is returned. A date without two "/" (or, on a
// year-first system, without a blank and a time after the year) comes back as
// it stands after that replacement.
QString NormalizeDate(QString &date, const DateOrder &order);

} // namespace tavimo
