#include "platform/ClockSetter.h"

#include <QTest>

using namespace tavimo;
using std::chrono::milliseconds;

namespace {

QDateTime utc(const char *text) {
    QDateTime value = QDateTime::fromString(QString::fromLatin1(text), Qt::ISODateWithMs);
    value.setTimeSpec(Qt::UTC);
    return value;
}

} // namespace

class ClockCorrectionTest : public QObject {
    Q_OBJECT

private slots:
    void correction_data() {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<bool>("applied");
        QTest::addColumn<qint64>("correctionMs");

        QTest::newRow("page behind, just after midnight")
            << "23:59:58" << utc("2024-03-01T00:00:01.000") << true << qint64(-3000);
        QTest::newRow("page ahead, just before midnight")
            << "00:00:02" << utc("2024-02-29T23:59:59.000") << true << qint64(3000);
        QTest::newRow("same day forward")
            << "13:05:09" << utc("2024-06-10T13:00:00.000") << true << qint64(309000);
        QTest::newRow("same day back")
            << "08:00:00" << utc("2024-06-10T08:00:05.000") << true << qint64(-5000);
        QTest::newRow("two seconds is applied")
            << "12:00:02" << utc("2024-06-10T12:00:00.000") << true << qint64(2000);
        QTest::newRow("one second is left alone")
            << "12:00:01" << utc("2024-06-10T12:00:00.000") << false << qint64(0);
        QTest::newRow("under two seconds with milliseconds is left alone")
            << "12:00:02" << utc("2024-06-10T12:00:00.500") << false << qint64(0);
        QTest::newRow("exact is left alone")
            << "12:00:00" << utc("2024-06-10T12:00:00.000") << false << qint64(0);
        QTest::newRow("just under 12 hours forward")
            << "23:59:59" << utc("2024-06-10T12:00:00.000") << true << qint64(43199000);
        QTest::newRow("just under 12 hours back, across midnight")
            << "12:00:01" << utc("2024-06-10T00:00:00.000") << true << qint64(-43199000);
        QTest::newRow("exactly 12 hours is left alone")
            << "00:00:00" << utc("2024-06-10T12:00:00.000") << false << qint64(0);
        QTest::newRow("year end") << "00:00:01" << utc("2023-12-31T23:59:58.000") << true
                                  << qint64(3000);
        QTest::newRow("local time is turned into UTC first")
            << "10:00:00" << QDateTime(QDate(2024, 6, 10), QTime(12, 0, 3), Qt::OffsetFromUTC, 7200)
            << true << qint64(-3000);

        QTest::newRow("empty") << "" << utc("2024-06-10T12:00:00.000") << false << qint64(0);
        QTest::newRow("hour out of range")
            << "24:00:00" << utc("2024-06-10T12:00:00.000") << false << qint64(0);
        QTest::newRow("minute out of range")
            << "12:60:00" << utc("2024-06-10T12:00:00.000") << false << qint64(0);
        QTest::newRow("one-digit fields")
            << "1:02:03 " << utc("2024-06-10T12:00:00.000") << false << qint64(0);
        QTest::newRow("other separators")
            << "12.00.00" << utc("2024-06-10T12:00:00.000") << false << qint64(0);
        QTest::newRow("html around it")
            << "12:00:0<" << utc("2024-06-10T12:00:00.000") << false << qint64(0);
        QTest::newRow("invalid now") << "12:00:00" << QDateTime() << false << qint64(0);
    }
    void correction() {
        QFETCH(QString, page);
        QFETCH(QDateTime, now);
        QFETCH(bool, applied);
        QFETCH(qint64, correctionMs);
        const std::optional<milliseconds> result = clockCorrection(page, now);
        QCOMPARE(result.has_value(), applied);
        if (applied)
            QCOMPARE(result->count(), correctionMs);
    }
};

QTEST_APPLESS_MAIN(ClockCorrectionTest)
#include "tst_clockcorrection.moc"
