#include "core/PictureAge.h"

#include <QTest>

using namespace tavimo;

namespace {

LanguageTexts texts() {
    LanguageTexts t;
    t.LngCallSep = QStringLiteral(" -");
    t.LngDay = QStringLiteral(" day");
    t.LngDays = QStringLiteral(" days");
    return t;
}

QDateTime at(const QString &iso) {
    const QDateTime moment = QDateTime::fromString(iso, Qt::ISODate);
    Q_ASSERT(moment.isValid());
    return moment;
}

} // namespace

class PictureAgeTest : public QObject {
    Q_OBJECT

private slots:
    void readDate_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("date"); // null: unreadable

        QTest::newRow("trailer date") << "10/14/2009 12:34" << QDate(2009, 10, 14);
        QTest::newRow("two-digit year") << "10/14/09" << QDate(2009, 10, 14);
        QTest::newRow("dashes and seconds") << "10-14-2009 12:34:56" << QDate(2009, 10, 14);
        QTest::newRow("dots, day first") << "14.10.2009 12:34" << QDate(2009, 10, 14);
        QTest::newRow("one-digit parts") << "1/2/3 4:05" << QDate(2003, 1, 2);
        QTest::newRow("four-digit year after the year fix") << "10/14/202009 12:34" << QDate();
        QTest::newRow("no such day") << "02/30/2009 12:34" << QDate();
        QTest::newRow("two parts") << "10/14 12:34" << QDate();
        QTest::newRow("words") << "today" << QDate();
        QTest::newRow("empty") << "" << QDate();
    }
    void readDate() {
        QFETCH(QString, text);
        QFETCH(QDate, date);
        QCOMPARE(readPictureDate(text).value_or(QDate()), date);
    }

    void age_data() {
        QTest::addColumn<QString>("lastPictureDate");
        QTest::addColumn<QString>("stInfo");
        QTest::addColumn<bool>("always");
        QTest::addColumn<QString>("now");
        QTest::addColumn<int>("days"); // -999: no age
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("red");

        QTest::newRow("23:59 to 00:01 is one day")
            << "10/14/2009 23:59"
            << "OK" << false << "2009-10-15T00:01:00Z" << 1 << "XX9ABC - 1 day" << false;
        QTest::newRow("same day keeps the caption")
            << "10/14/2009 00:01"
            << "OK" << false << "2009-10-14T23:59:00Z" << 0 << "" << false;
        QTest::newRow("two days") << "10/14/2009 12:00"
                                  << "OK" << false << "2009-10-16T11:00:00Z" << 2
                                  << "XX9ABC - 2 days" << false;
        QTest::newRow("30 days, no colour")
            << "10/01/2009 12:00"
            << "OK" << false << "2009-10-31T12:00:00Z" << 30 << "XX9ABC - 30 days" << false;
        QTest::newRow("31 days, light red")
            << "10/01/2009 12:00"
            << "OK" << false << "2009-11-01T12:00:00Z" << 31 << "XX9ABC - 31 days" << true;
        QTest::newRow("+05:30, local date ahead: true UTC says same day")
            << "03/01/2024 10:00"
            << "OK" << false << "2024-03-02T02:00:00+05:30" << 0 << "" << false;
        QTest::newRow("-05:30, local date behind: true UTC says next day")
            << "03/01/2024 10:00"
            << "OK" << false << "2024-03-01T22:00:00-05:30" << 1 << "XX9ABC - 1 day" << false;
        QTest::newRow("picture without trailer gets no age")
            << "10/01/2009 12:00"
            << "Old" << false << "2009-11-01T12:00:00Z" << -999 << "" << false;
        QTest::newRow("animated picture gets no age")
            << "10/01/2009 12:00"
            << "Animated" << false << "2009-11-01T12:00:00Z" << -999 << "" << false;
        QTest::newRow("placeholder ages Old pictures too")
            << "10/01/2009 12:00"
            << "Old" << true << "2009-11-01T12:00:00Z" << 31 << "XX9ABC - 31 days" << true;
        QTest::newRow("date from the future")
            << "10/20/2009 12:00"
            << "OK" << false << "2009-10-14T12:00:00Z" << -6 << "" << false;
        QTest::newRow("unreadable date")
            << "10/14/202009 12:34"
            << "OK" << false << "2009-10-14T12:00:00Z" << -999 << "" << false;
        QTest::newRow("no date yet")
            << ""
            << "OK" << false << "2009-10-14T12:00:00Z" << -999 << "" << false;
    }
    void age() {
        QFETCH(QString, lastPictureDate);
        QFETCH(QString, stInfo);
        QFETCH(bool, always);
        QFETCH(QString, now);
        QFETCH(int, days);
        QFETCH(QString, caption);
        QFETCH(bool, red);

        const DateOrder monthFirst;
        const AgeDisplay display = ageDisplay(
            lastPictureDate, stInfo, QStringLiteral("XX9ABC"),
            always ? AgeRule::Always : AgeRule::SkipOldAndAnimated, monthFirst, texts(), at(now));
        QCOMPARE(display.days.value_or(-999), days);
        QCOMPARE(display.caption, caption);
        QCOMPARE(display.frameColour.has_value(), red);
        if (red)
            QCOMPARE(*display.frameColour, QColor(255, 136, 136));
        QCOMPARE(display.stTime, lastPictureDate);
    }

    // stTime is the date in the system's order; the record's own text keeps
    // month first but takes "/" for "-" and ".".
    void normalizedTime_data() {
        QTest::addColumn<int>("order");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("lastPictureDate");
        QTest::addColumn<QString>("stTime");
        QTest::addColumn<QString>("kept");

        QTest::newRow("day first with dots") << int(DateOrder::DayFirst) << "."
                                             << "10/14/2009 12:34"
                                             << "14.10.2009 12:34"
                                             << "10/14/2009 12:34";
        QTest::newRow("year first with dashes") << int(DateOrder::YearFirst) << "-"
                                                << "10-14-2009 12:34"
                                                << "2009-10-14 12:34"
                                                << "10/14/2009 12:34";
        QTest::newRow("month first") << int(DateOrder::MonthFirst) << "/"
                                     << "10.14.2009 12:34"
                                     << "10/14/2009 12:34"
                                     << "10/14/2009 12:34";
    }
    void normalizedTime() {
        QFETCH(int, order);
        QFETCH(QString, separator);
        QFETCH(QString, lastPictureDate);
        QFETCH(QString, stTime);
        QFETCH(QString, kept);

        DateOrder system;
        system.order = DateOrder::Order(order);
        system.separator = separator;
        const AgeDisplay display =
            ageDisplay(lastPictureDate, QStringLiteral("OK"), QStringLiteral("XX9ABC"),
                       AgeRule::SkipOldAndAnimated, system, texts(),
                       at(QStringLiteral("2009-10-16T12:00:00Z")));
        QCOMPARE(display.stTime, stTime);
        QCOMPARE(lastPictureDate, kept);
        QCOMPARE(display.days.value_or(-999), 2);
    }

    void firstFailureStamp() {
        // 02:00 on 2 March in India is 20:30 on 1 March in UTC.
        const QDateTime now = at(QStringLiteral("2024-03-02T02:00:00+05:30"));
        QString date;
        QVERIFY(stampFirstFailure(date, now));
        QCOMPARE(date, QStringLiteral("03/01/2024 20:30"));

        // Read back in every order, it is the present: 0 days, no caption.
        for (const auto order :
             {DateOrder::MonthFirst, DateOrder::DayFirst, DateOrder::YearFirst}) {
            DateOrder system;
            system.order = order;
            system.separator = QStringLiteral("/");
            QString copy = date;
            const AgeDisplay display =
                ageDisplay(copy, QStringLiteral("Old"), QStringLiteral("XX9ABC"), AgeRule::Always,
                           system, texts(), now);
            QCOMPARE(display.days.value_or(-999), 0);
            QVERIFY(display.stTime.endsWith(QStringLiteral(" 20:30")));
        }

        QString existing = QStringLiteral("10/14/2009 12:34");
        QVERIFY(!stampFirstFailure(existing, now));
        QCOMPARE(existing, QStringLiteral("10/14/2009 12:34"));
    }
};

QTEST_GUILESS_MAIN(PictureAgeTest)
#include "tst_pictureage.moc"
