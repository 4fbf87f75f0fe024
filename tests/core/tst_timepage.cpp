#include "core/TimePage.h"

#include <QTest>

using namespace tavimo;

namespace {

// The time page: the first "BR" is followed by ten characters, then the UTC time.
QByteArray timePage(const QByteArray &time) {
    return "<html><body>Local time 15:05:09<BR>UTC now: " + time +
           "<BR>Have a nice day</body></html>";
}

} // namespace

class TimePageTest : public QObject {
    Q_OBJECT

private slots:
    void utcTime_data() {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<QString>("time"); // empty: clock left alone

        QTest::newRow("afternoon") << timePage("13:05:09") << "13:05:09";
        QTest::newRow("midnight") << timePage("00:00:00") << "00:00:00";
        QTest::newRow("just before midnight") << timePage("23:59:59") << "23:59:59";
        QTest::newRow("just after midnight") << timePage("00:00:01") << "00:00:01";
        QTest::newRow("marker at the start") << QByteArray("BR0123456789"
                                                           "08:15:00")
                                             << "08:15:00";
        QTest::newRow("first marker counts") << QByteArray("xxBR0123456789"
                                                           "08:15:00 BR0123456789"
                                                           "09:00:00")
                                             << "08:15:00";
        QTest::newRow("invalid time 25:61:00") << timePage("25:61:00") << "";
        QTest::newRow("24:00:00 is no time of day") << timePage("24:00:00") << "";
        QTest::newRow("seconds 60") << timePage("12:00:60") << "";
        QTest::newRow("no marker")
            << QByteArray("<html><body><br>UTC now:  13:05:09</body></html>") << "";
        QTest::newRow("empty page") << QByteArray() << "";
        QTest::newRow("page ends inside the time") << QByteArray("BR0123456789"
                                                                 "13:05")
                                                   << "";
        QTest::newRow("one digit hour") << QByteArray("BR0123456789"
                                                      "1:05:09x")
                                        << "";
        QTest::newRow("blank instead of a digit") << timePage("13: 5:09") << "";
        QTest::newRow("points instead of colons") << timePage("13.05.09") << "";
        QTest::newRow("time one place off") << QByteArray("BR012345678"
                                                          "13:05:09")
                                            << "";
    }
    void utcTime() {
        QFETCH(QByteArray, page);
        QFETCH(QString, time);
        QCOMPARE(timePageUtcTime(page).value_or(QString()), time);
    }
};

QTEST_GUILESS_MAIN(TimePageTest)
#include "tst_timepage.moc"
