#include "core/text/DateOrder.h"

#include <QTest>

using namespace tavimo;

class DatesTest : public QObject {
    Q_OBJECT

private slots:
    // Short dates of Qt 6.4 for 14 October 2009: en_US 10/14/09, en_GB and fr_FR 14/10/2009,
    // de_DE 14.10.09, es_ES 14/10/09, nl_NL 14-10-2009, sv_SE 2009-10-14, ko_KR 09. 10. 14., hu_HU
    // 2009. 10. 14., C 14 Oct 2009.
    void detection_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<DateOrder::Order>("order");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("zeroChar");
        const QString slashedO = QStringLiteral("\u00D8");
        const auto row = [&](const char *locale, DateOrder::Order order, const char *separator) {
            QTest::newRow(locale) << locale << order << separator
                                  << (order == DateOrder::YearFirst ? "0" : slashedO);
        };
        row("en_US", DateOrder::MonthFirst, "/");
        row("en_GB", DateOrder::DayFirst, "/");
        row("de_DE", DateOrder::DayFirst, ".");
        row("es_ES", DateOrder::DayFirst, "/");
        row("fr_FR", DateOrder::DayFirst, "/");
        row("nl_NL", DateOrder::DayFirst, "-");
        row("sv_SE", DateOrder::YearFirst, "-");
        row("ko_KR", DateOrder::YearFirst, "."); // two-digit year first
        row("hu_HU", DateOrder::YearFirst, "."); // dot before blank
        row("C", DateOrder::DayFirst, " ");      // month as a word
    }
    void detection() {
        QFETCH(QString, locale);
        const DateOrder detected = DateOrder::fromLocale(QLocale(locale));
        QTEST(detected.order, "order");
        QTEST(detected.separator, "separator");
        QTEST(detected.zeroChar(), "zeroChar");
    }

    // `inPlace` is what the caller's text holds afterwards: dashes and dots became slashes.
    void normalizeDate_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("inPlace");
        const auto row = [](const char *name, const char *locale, const char *date,
                            const char *result, const char *inPlace) {
            QTest::newRow(name) << locale << date << result << inPlace;
        };
        row("en_US", "en_US", "10-14-2009 13:05", "10/14/2009 13:05", "10/14/2009 13:05");
        row("en_GB", "en_GB", "10/14/09 13:05", "14/10/09 13:05", "10/14/09 13:05");
        row("de_DE", "de_DE", "10.14.2009 13:05", "14.10.2009 13:05", "10/14/2009 13:05");
        row("es_ES", "es_ES", "10/14/09 13:05", "14/10/09 13:05", "10/14/09 13:05");
        row("fr_FR", "fr_FR", "1/2/2024 08:00", "2/1/2024 08:00", "1/2/2024 08:00");
        row("nl_NL", "nl_NL", "10/14/2009", "14-10-2009", "10/14/2009");
        row("sv_SE", "sv_SE", "10/14/2009 13:05", "2009-10-14 13:05", "10/14/2009 13:05");
        row("sv_SE two-digit year", "sv_SE", "10-14-09 13:05", "09-10-14 13:05", "10/14/09 13:05");
        // Malformed dates come back as they stand after the replacement.
        row("one separator", "de_DE", "10-14", "10/14", "10/14");
        row("no separator", "en_GB", "yesterday", "yesterday", "yesterday");
        row("empty", "en_GB", "", "", "");
        row("no time", "sv_SE", "10.14.2009", "10/14/2009", "10/14/2009");
        row("time too short", "sv_SE", "10/14/2009 1:5", "10/14/2009 1:5", "10/14/2009 1:5");
    }
    void normalizeDate() {
        QFETCH(QString, locale);
        QFETCH(QString, date);
        QTEST(NormalizeDate(date, DateOrder::fromLocale(QLocale(locale))), "result");
        QTEST(date, "inPlace");
    }
};

QTEST_GUILESS_MAIN(DatesTest)
#include "tst_dates.moc"
