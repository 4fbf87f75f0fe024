#include "core/text/DateOrder.h"
#include "core/thumbs/PictureAge.h"

#include <QTest>

using namespace tavimo;

namespace {

const QString slashedO = QStringLiteral("\u00D8");

LanguageTexts texts() {
    LanguageTexts t;
    t.LngCallSep = QStringLiteral(" -");
    t.LngDay = QStringLiteral(" day");
    t.LngDays = QStringLiteral(" days");
    return t;
}

QDateTime at(const QString &iso) {
    return QDateTime::fromString(iso, Qt::ISODate);
}

DateOrder order(DateOrder::Order o, const QString &separator) {
    DateOrder system;
    system.order = o;
    system.separator = separator;
    return system;
}

} // namespace

// The system's date order, and the age of a picture from the date in its trailer.
class DatesTest : public QObject {
    Q_OBJECT

private slots:
    // Short dates of Qt 6.4 for 14 October 2009: en_US 10/14/09, en_GB 14/10/2009, de_DE
    // 14.10.09, nl_NL 14-10-2009, sv_SE 2009-10-14, ko_KR 09. 10. 14., hu_HU 2009. 10. 14.,
    // C 14 Oct 2009.
    void detection_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<DateOrder::Order>("order");
        QTest::addColumn<QString>("separator");
        const auto row = [&](const char *locale, DateOrder::Order order, const char *separator) {
            QTest::newRow(locale) << locale << order << separator;
        };
        row("en_US", DateOrder::MonthFirst, "/");
        row("en_GB", DateOrder::DayFirst, "/");
        row("de_DE", DateOrder::DayFirst, ".");
        row("nl_NL", DateOrder::DayFirst, "-");
        row("sv_SE", DateOrder::YearFirst, "-");
        row("ko_KR", DateOrder::YearFirst, "."); // two-digit year first
        row("hu_HU", DateOrder::YearFirst, "."); // dot before blank
        row("C", DateOrder::DayFirst, " ");      // month as a word
    }
    void detection() {
        QFETCH(QString, locale);
        QFETCH(DateOrder::Order, order);
        const DateOrder detected = DateOrder::fromLocale(QLocale(locale));
        QCOMPARE(detected.order, order);
        QTEST(detected.separator, "separator");
        QCOMPARE(detected.zeroChar(), order == DateOrder::YearFirst ? "0" : slashedO);
    }

    // `inPlace` is what the caller's text holds afterwards: dashes and dots became slashes.
    void normalizeDate_data() {
        for (const char *column : {"locale", "date", "result", "inPlace"})
            QTest::addColumn<QString>(column);
        const auto row = [](const char *name, const char *locale, const char *date,
                            const char *result, const char *inPlace) {
            QTest::newRow(name) << locale << date << result << inPlace;
        };
        row("en_US", "en_US", "10-14-2009 13:05", "10/14/2009 13:05", "10/14/2009 13:05");
        row("en_GB", "en_GB", "10/14/09 13:05", "14/10/09 13:05", "10/14/09 13:05");
        row("de_DE", "de_DE", "10.14.2009 13:05", "14.10.2009 13:05", "10/14/2009 13:05");
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

    void readDate_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("date"); // null: unreadable
        QTest::newRow("two-digit year") << "10/14/09" << QDate(2009, 10, 14);
        QTest::newRow("dots, day first") << "14.10.2009 12:34" << QDate(2009, 10, 14);
        QTest::newRow("one-digit parts") << "1/2/3 4:05" << QDate(2003, 1, 2);
        QTest::newRow("four-digit year after the year fix") << "10/14/202009 12:34" << QDate();
        QTest::newRow("no such day") << "02/30/2009 12:34" << QDate();
    }
    void readDate() {
        QFETCH(QString, text);
        QTEST(readPictureDate(text).value_or(QDate()), "date");
    }

    void age_data() {
        QTest::addColumn<QString>("lastPictureDate");
        QTest::addColumn<bool>("old"); // stInfo "Old" rather than "OK"
        QTest::addColumn<bool>("always");
        QTest::addColumn<QString>("now");
        QTest::addColumn<int>("days"); // -999: no age
        QTest::addColumn<QString>("caption");
        const auto row = [](const char *name, const char *date, bool old, bool always,
                            const char *now, int days, const char *caption) {
            QTest::newRow(name) << date << old << always << now << days << caption;
        };
        row("23:59 to 00:01 is one day", "10/14/2009 23:59", false, false, "2009-10-15T00:01:00Z",
            1, "XX9ABC - 1 day");
        row("30 days, no colour", "10/01/2009 12:00", false, false, "2009-10-31T12:00:00Z", 30,
            "XX9ABC - 30 days");
        row("31 days, light red", "10/01/2009 12:00", false, false, "2009-11-01T12:00:00Z", 31,
            "XX9ABC - 31 days");
        row("+05:30, local date ahead: true UTC says same day", "03/01/2024 10:00", false, false,
            "2024-03-02T02:00:00+05:30", 0, "");
        row("-05:30, local date behind: true UTC says next day", "03/01/2024 10:00", false, false,
            "2024-03-01T22:00:00-05:30", 1, "XX9ABC - 1 day");
        row("picture without trailer gets no age", "10/01/2009 12:00", true, false,
            "2009-11-01T12:00:00Z", -999, "");
        row("placeholder ages Old pictures too", "10/01/2009 12:00", true, true,
            "2009-11-01T12:00:00Z", 31, "XX9ABC - 31 days");
        row("date from the future", "10/20/2009 12:00", false, false, "2009-10-14T12:00:00Z", -6,
            "");
        row("unreadable date", "10/14/202009 12:34", false, false, "2009-10-14T12:00:00Z", -999,
            "");
    }
    void age() {
        QFETCH(QString, lastPictureDate);
        QFETCH(bool, old);
        QFETCH(bool, always);
        QFETCH(QString, now);
        QFETCH(int, days);
        const AgeDisplay display = ageDisplay(
            lastPictureDate, old ? "Old" : "OK", QStringLiteral("XX9ABC"),
            always ? AgeRule::Always : AgeRule::SkipOldAndAnimated, DateOrder(), texts(), at(now));
        QCOMPARE(display.days.value_or(-999), days);
        QTEST(display.caption, "caption");
        QCOMPARE(display.frameColour.value_or(QColor()),
                 days > 30 ? QColor(255, 136, 136) : QColor());
        QCOMPARE(display.stTime, lastPictureDate);
    }

    // stTime is the date in the system's order; the record's own text keeps month first but
    // takes "/" for "-" and ".".
    void ageInTheSystemsOrder() {
        QString lastPictureDate = QStringLiteral("10-14-2009 12:34");
        const AgeDisplay display =
            ageDisplay(lastPictureDate, QStringLiteral("OK"), QStringLiteral("XX9ABC"),
                       AgeRule::SkipOldAndAnimated, order(DateOrder::DayFirst, "."), texts(),
                       at(QStringLiteral("2009-10-16T12:00:00Z")));
        QCOMPARE(display.stTime, QStringLiteral("14.10.2009 12:34"));
        QCOMPARE(lastPictureDate, QStringLiteral("10/14/2009 12:34"));
        QCOMPARE(display.days.value_or(-999), 2);
    }

    void firstFailureStamp() {
        // 02:00 on 2 March in India is 20:30 on 1 March in UTC.
        const QDateTime now = at(QStringLiteral("2024-03-02T02:00:00+05:30"));
        QString date;
        QVERIFY(stampFirstFailure(date, now));
        QCOMPARE(date, QStringLiteral("03/01/2024 20:30"));
        // Read back in every order, it is the present.
        for (const auto o : {DateOrder::MonthFirst, DateOrder::DayFirst, DateOrder::YearFirst}) {
            QString copy = date;
            const AgeDisplay display = ageDisplay(copy, QStringLiteral("Old"), "XX9ABC",
                                                  AgeRule::Always, order(o, "/"), texts(), now);
            QCOMPARE(display.days.value_or(-999), 0);
        }
        QString existing = QStringLiteral("10/14/2009 12:34");
        QVERIFY(!stampFirstFailure(existing, now));
        QCOMPARE(existing, QStringLiteral("10/14/2009 12:34"));
    }
};

QTEST_GUILESS_MAIN(DatesTest)
#include "tst_dates.moc"
