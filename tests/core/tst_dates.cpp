#include "core/DateOrder.h"

#include <QTest>

using namespace tavimo;

namespace {
const QString slashedO = QStringLiteral("\u00D8");
}

class DatesTest : public QObject {
    Q_OBJECT

private slots:
    // Short dates of Qt 6.4 for 14 October 2009: en_US 10/14/09, en_GB and
    // fr_FR 14/10/2009, de_DE 14.10.09, es_ES 14/10/09, nl_NL 14-10-2009,
    // sv_SE 2009-10-14, ko_KR 09. 10. 14., hu_HU 2009. 10. 14., C 14 Oct 2009.
    void detection_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("order");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("zeroChar");

        QTest::newRow("en_US") << "en_US" << int(DateOrder::MonthFirst) << "/" << slashedO;
        QTest::newRow("en_GB") << "en_GB" << int(DateOrder::DayFirst) << "/" << slashedO;
        QTest::newRow("de_DE two-digit year")
            << "de_DE" << int(DateOrder::DayFirst) << "." << slashedO;
        QTest::newRow("es_ES two-digit year")
            << "es_ES" << int(DateOrder::DayFirst) << "/" << slashedO;
        QTest::newRow("fr_FR") << "fr_FR" << int(DateOrder::DayFirst) << "/" << slashedO;
        QTest::newRow("nl_NL") << "nl_NL" << int(DateOrder::DayFirst) << "-" << slashedO;
        QTest::newRow("sv_SE") << "sv_SE" << int(DateOrder::YearFirst) << "-"
                               << "0";
        QTest::newRow("ko_KR two-digit year first") << "ko_KR" << int(DateOrder::YearFirst) << "."
                                                    << "0";
        QTest::newRow("hu_HU dot before blank") << "hu_HU" << int(DateOrder::YearFirst) << "."
                                                << "0";
        QTest::newRow("C, month as a word") << "C" << int(DateOrder::DayFirst) << " " << slashedO;
    }
    void detection() {
        QFETCH(QString, locale);
        QFETCH(int, order);
        QFETCH(QString, separator);
        QFETCH(QString, zeroChar);

        const DateOrder detected = DateOrder::fromLocale(QLocale(locale));
        QCOMPARE(int(detected.order), order);
        QCOMPARE(detected.separator, separator);
        QCOMPARE(detected.zeroChar(), zeroChar);
    }

    void normalizeDate_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("inPlace");

        QTest::newRow("en_US keeps the order") << "en_US"
                                               << "10/14/09 13:05"
                                               << "10/14/09 13:05"
                                               << "10/14/09 13:05";
        QTest::newRow("en_US dashes become slashes") << "en_US"
                                                     << "10-14-2009 13:05"
                                                     << "10/14/2009 13:05"
                                                     << "10/14/2009 13:05";
        QTest::newRow("en_GB") << "en_GB"
                               << "10/14/09 13:05"
                               << "14/10/09 13:05"
                               << "10/14/09 13:05";
        QTest::newRow("de_DE") << "de_DE"
                               << "10/14/09 13:05"
                               << "14.10.09 13:05"
                               << "10/14/09 13:05";
        QTest::newRow("de_DE from dots") << "de_DE"
                                         << "10.14.2009 13:05"
                                         << "14.10.2009 13:05"
                                         << "10/14/2009 13:05";
        QTest::newRow("es_ES") << "es_ES"
                               << "10/14/09 13:05"
                               << "14/10/09 13:05"
                               << "10/14/09 13:05";
        QTest::newRow("fr_FR") << "fr_FR"
                               << "1/2/2024 08:00"
                               << "2/1/2024 08:00"
                               << "1/2/2024 08:00";
        QTest::newRow("nl_NL") << "nl_NL"
                               << "10/14/09 13:05"
                               << "14-10-09 13:05"
                               << "10/14/09 13:05";
        QTest::newRow("nl_NL date only") << "nl_NL"
                                         << "10/14/2009"
                                         << "14-10-2009"
                                         << "10/14/2009";
        QTest::newRow("sv_SE") << "sv_SE"
                               << "10/14/2009 13:05"
                               << "2009-10-14 13:05"
                               << "10/14/2009 13:05";
        QTest::newRow("sv_SE two-digit year") << "sv_SE"
                                              << "10-14-09 13:05"
                                              << "09-10-14 13:05"
                                              << "10/14/09 13:05";

        // Malformed dates come back as they stand after the replacement.
        QTest::newRow("de_DE one separator") << "de_DE"
                                             << "10-14"
                                             << "10/14"
                                             << "10/14";
        QTest::newRow("en_GB no separator") << "en_GB"
                                            << "yesterday"
                                            << "yesterday"
                                            << "yesterday";
        QTest::newRow("en_GB empty") << "en_GB"
                                     << ""
                                     << ""
                                     << "";
        QTest::newRow("sv_SE no time") << "sv_SE"
                                       << "10.14.2009"
                                       << "10/14/2009"
                                       << "10/14/2009";
        QTest::newRow("sv_SE time too short") << "sv_SE"
                                              << "10/14/2009 1:5"
                                              << "10/14/2009 1:5"
                                              << "10/14/2009 1:5";
        QTest::newRow("sv_SE one separator") << "sv_SE"
                                             << "10-14 13:05"
                                             << "10/14 13:05"
                                             << "10/14 13:05";
    }
    void normalizeDate() {
        QFETCH(QString, locale);
        QFETCH(QString, date);
        QFETCH(QString, result);
        QFETCH(QString, inPlace);

        const DateOrder order = DateOrder::fromLocale(QLocale(locale));
        QCOMPARE(NormalizeDate(date, order), result);
        QCOMPARE(date, inPlace);
    }
};

QTEST_GUILESS_MAIN(DatesTest)
#include "tst_dates.moc"
