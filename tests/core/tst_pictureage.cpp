#include "core/thumbs/PictureAge.h"

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
    return QDateTime::fromString(iso, Qt::ISODate);
}

DateOrder order(DateOrder::Order o, const QString &separator) {
    DateOrder system;
    system.order = o;
    system.separator = separator;
    return system;
}

} // namespace

class PictureAgeTest : public QObject {
    Q_OBJECT

private slots:
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

        QTest::newRow("23:59 to 00:01 is one day")
            << "10/14/2009 23:59" << false << false << "2009-10-15T00:01:00Z" << 1
            << "XX9ABC - 1 day";
        QTest::newRow("30 days, no colour") << "10/01/2009 12:00" << false << false
                                            << "2009-10-31T12:00:00Z" << 30 << "XX9ABC - 30 days";
        QTest::newRow("31 days, light red") << "10/01/2009 12:00" << false << false
                                            << "2009-11-01T12:00:00Z" << 31 << "XX9ABC - 31 days";
        QTest::newRow("+05:30, local date ahead: true UTC says same day")
            << "03/01/2024 10:00" << false << false << "2024-03-02T02:00:00+05:30" << 0 << "";
        QTest::newRow("-05:30, local date behind: true UTC says next day")
            << "03/01/2024 10:00" << false << false << "2024-03-01T22:00:00-05:30" << 1
            << "XX9ABC - 1 day";
        QTest::newRow("picture without trailer gets no age")
            << "10/01/2009 12:00" << true << false << "2009-11-01T12:00:00Z" << -999 << "";
        QTest::newRow("placeholder ages Old pictures too")
            << "10/01/2009 12:00" << true << true << "2009-11-01T12:00:00Z" << 31
            << "XX9ABC - 31 days";
        QTest::newRow("date from the future")
            << "10/20/2009 12:00" << false << false << "2009-10-14T12:00:00Z" << -6 << "";
        QTest::newRow("unreadable date")
            << "10/14/202009 12:34" << false << false << "2009-10-14T12:00:00Z" << -999 << "";
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

    // stTime is the date in the system's order; the record's own text keeps
    // month first but takes "/" for "-" and ".".
    void normalizedTime_data() {
        QTest::addColumn<int>("order");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("lastPictureDate");
        QTest::addColumn<QString>("stTime");

        QTest::newRow("day first with dots") << int(DateOrder::DayFirst) << "."
                                             << "10/14/2009 12:34"
                                             << "14.10.2009 12:34";
        QTest::newRow("year first with dashes") << int(DateOrder::YearFirst) << "-"
                                                << "10-14-2009 12:34"
                                                << "2009-10-14 12:34";
    }
    void normalizedTime() {
        QFETCH(int, order);
        QFETCH(QString, separator);
        QFETCH(QString, lastPictureDate);
        const AgeDisplay display =
            ageDisplay(lastPictureDate, QStringLiteral("OK"), QStringLiteral("XX9ABC"),
                       AgeRule::SkipOldAndAnimated, ::order(DateOrder::Order(order), separator),
                       texts(), at(QStringLiteral("2009-10-16T12:00:00Z")));
        QTEST(display.stTime, "stTime");
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

QTEST_GUILESS_MAIN(PictureAgeTest)
#include "tst_pictureage.moc"
