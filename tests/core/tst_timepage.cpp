#include "core/net/TimePage.h"

#include <QTest>

using namespace tavimo;

// The time page: the first "BR" is followed by ten characters, then the UTC time.
class TimePageTest : public QObject {
    Q_OBJECT

private slots:
    void utcTime_data() {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<QString>("time"); // empty: clock left alone
        const auto page = [](const QByteArray &time) {
            return "<html><body>15:05:09<BR>UTC now: " + time + "<BR>bye</body></html>";
        };
        QTest::newRow("midnight") << page("00:00:00") << "00:00:00";
        QTest::newRow("before midnight") << page("23:59:59") << "23:59:59";
        QTest::newRow("after midnight") << page("00:00:01") << "00:00:01";
        QTest::newRow("first marker")
            << QByteArray("xBR012345678908:15:00 BR012345678909:00:00") << "08:15:00";
        QTest::newRow("invalid time") << page("25:61:00") << "";
        QTest::newRow("24:00:00") << page("24:00:00") << "";
        QTest::newRow("no marker") << QByteArray("<br>UTC now:  13:05:09") << "";
        QTest::newRow("empty page") << QByteArray() << "";
        QTest::newRow("cut inside the time") << QByteArray("BR012345678913:05") << "";
        QTest::newRow("one place off") << QByteArray("BR01234567813:05:09") << "";
    }
    void utcTime() {
        QFETCH(QByteArray, page);
        QFETCH(QString, time);
        QCOMPARE(timePageUtcTime(page).value_or(QString()), time);
    }
};

QTEST_GUILESS_MAIN(TimePageTest)
#include "tst_timepage.moc"
