#include "platform/ClockSetter.h"
#include "support/FakeTimedated.h"

#include <QStandardPaths>
#include <QTest>

using namespace tavimo;
using namespace std::chrono_literals;

namespace {

QDateTime utc(const char *text) {
    QDateTime value = QDateTime::fromString(QString::fromLatin1(text), Qt::ISODateWithMs);
    value.setTimeSpec(Qt::UTC);
    return value;
}

} // namespace

// The correction read from the time page, and the clock moved through timedated on a private
// bus, never the machine's own.
class ClockSetterTest : public QObject {
    Q_OBJECT

private slots:
    // Without dbus-daemon the tests of the bus skip themselves.
    void initTestCase() {
        if (!QStandardPaths::findExecutable("dbus-daemon").isEmpty())
            QVERIFY2(bus_.start(), "the private D-Bus daemon did not come up");
    }

    // A correction of 0 means none is applied.
    void correction_data() {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<qint64>("correctionMs");
        const QDateTime noon = utc("2024-06-10T12:00:00.000");
        QTest::newRow("page behind, just after midnight")
            << "23:59:58" << utc("2024-03-01T00:00:01.000") << qint64(-3000);
        QTest::newRow("page ahead, just before midnight")
            << "00:00:02" << utc("2024-02-29T23:59:59.000") << qint64(3000);
        QTest::newRow("year end") << "00:00:01" << utc("2023-12-31T23:59:58.000") << qint64(3000);
        QTest::newRow("same day") << "13:05:09" << utc("2024-06-10T13:00:00.000") << qint64(309000);
        QTest::newRow("two seconds is applied") << "12:00:02" << noon << qint64(2000);
        QTest::newRow("under two seconds is left alone")
            << "12:00:02" << utc("2024-06-10T12:00:00.500") << qint64(0);
        QTest::newRow("just under 12 hours back, across midnight")
            << "12:00:01" << utc("2024-06-10T00:00:00.000") << qint64(-43199000);
        QTest::newRow("exactly 12 hours is left alone") << "00:00:00" << noon << qint64(0);
        QTest::newRow("local time is turned into UTC first")
            << "10:00:00" << QDateTime(QDate(2024, 6, 10), QTime(12, 0, 3), Qt::OffsetFromUTC, 7200)
            << qint64(-3000);
        QTest::newRow("empty") << "" << noon << qint64(0);
        QTest::newRow("hour out of range") << "24:00:00" << noon << qint64(0);
        QTest::newRow("one-digit fields") << "1:02:03 " << noon << qint64(0);
        QTest::newRow("html around it") << "12:00:0<" << noon << qint64(0);
        QTest::newRow("invalid now") << "12:00:00" << QDateTime() << qint64(0);
    }
    void correction() {
        QFETCH(QString, page);
        QFETCH(QDateTime, now);
        QFETCH(qint64, correctionMs);
        const auto result = clockCorrection(page, now);
        QCOMPARE(result.has_value(), correctionMs != 0);
        if (result)
            QCOMPARE(result->count(), correctionMs);
    }

    void setTime_data() {
        QTest::addColumn<bool>("ntp");
        QTest::addColumn<bool>("synchronized");
        QTest::addColumn<bool>("refuse");
        QTest::addColumn<ClockSetter::Result>("result");
        using R = ClockSetter::Result;
        QTest::newRow("moves the clock") << false << false << false << R::Adjusted;
        QTest::newRow("network time on") << true << false << false << R::SkippedNetworkSync;
        QTest::newRow("network synchronised") << false << true << false << R::SkippedNetworkSync;
        QTest::newRow("permission refused") << false << false << true << R::Failed;
    }
    void setTime() {
        if (!bus_.isRunning())
            QSKIP("dbus-daemon is not installed");
        QFETCH(bool, ntp);
        QFETCH(bool, synchronized);
        QFETCH(bool, refuse);
        bus_.service().reset({ntp, synchronized, refuse, {}});
        QTEST(setter().adjustBy(-3000ms), "result");
        const QList<QList<qlonglong>> moved{{-3000000, 1, 0}};
        QCOMPARE(bus_.service().state().calls,
                 !ntp && !synchronized ? moved : QList<QList<qlonglong>>());
    }

    void missingServiceFails() {
        if (!bus_.isRunning())
            QSKIP("dbus-daemon is not installed");
        bus_.serviceConnection().unregisterService("org.freedesktop.timedate1");
        QCOMPARE(setter().adjustBy(5000ms), ClockSetter::Result::Failed);
        QVERIFY(bus_.serviceConnection().registerService("org.freedesktop.timedate1"));
    }

    void noBusIsUnavailable() {
        DbusClockSetter setter(QDBusConnection("not connected"), 5s);
        QCOMPARE(setter.adjustBy(5000ms), ClockSetter::Result::Unavailable);
    }

private:
    DbusClockSetter setter() { return DbusClockSetter(bus_.clientConnection(), 5s); }

    test::PrivateTimedatedBus bus_;
};

QTEST_GUILESS_MAIN(ClockSetterTest)
#include "tst_clocksetter.moc"
