#include "platform/ClockSetter.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QMutex>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace tavimo;
using namespace std::chrono_literals;

namespace {

QDateTime utc(const char *text) {
    QDateTime value = QDateTime::fromString(QString::fromLatin1(text), Qt::ISODateWithMs);
    value.setTimeSpec(Qt::UTC);
    return value;
}

} // namespace

// Stands in for systemd-timedated on a private bus: never the machine's own clock. It answers
// on its own thread, so every field is read and written under the mutex.
class FakeTimedated : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.timedate1")
    Q_PROPERTY(bool NTP READ ntp)
    Q_PROPERTY(bool NTPSynchronized READ ntpSynchronized)

public:
    struct State {
        bool ntp = false, synchronized = false, refuse = false;
        QList<QList<qlonglong>> calls; // usec, relative, interactive
    };
    State state() const {
        QMutexLocker lock(&mutex_);
        return state_;
    }
    void reset(State state) {
        QMutexLocker lock(&mutex_);
        state_ = state;
    }
    bool ntp() const { return state().ntp; }
    bool ntpSynchronized() const { return state().synchronized; }

public slots:
    void SetTime(qlonglong usec, bool relative, bool interactive) {
        QMutexLocker lock(&mutex_);
        state_.calls.append({usec, relative, interactive});
        if (state_.refuse)
            sendErrorReply(QDBusError::AccessDenied, "Interactive authentication required.");
    }

private:
    mutable QMutex mutex_;
    State state_;
};

class ClockSetterTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        const QString program = QStandardPaths::findExecutable("dbus-daemon");
        if (program.isEmpty())
            return; // the tests of the bus skip themselves
        QVERIFY(socketDir_.isValid());
        daemon_.setStandardErrorFile(QProcess::nullDevice());
        daemon_.start(program, {"--session", "--nofork", "--print-address=1",
                                "--address=unix:dir=" + socketDir_.path()});
        QVERIFY(daemon_.waitForStarted(10000));
        QByteArray address;
        while (!address.contains('\n') && daemon_.waitForReadyRead(10000))
            address += daemon_.readAllStandardOutput();
        QVERIFY2(address.contains('\n'), "the private bus named no address");
        address_ = QString::fromUtf8(address.trimmed());

        // The setter blocks the test's thread while it waits for the answer.
        serviceThread_.start();
        service_.moveToThread(&serviceThread_);
        QVERIFY(serviceBus().registerObject("/org/freedesktop/timedate1", &service_,
                                            QDBusConnection::ExportAllSlots |
                                                QDBusConnection::ExportAllProperties));
        QVERIFY(serviceBus().registerService("org.freedesktop.timedate1"));
        busReady_ = true;
    }

    void cleanupTestCase() {
        QDBusConnection::disconnectFromBus("timedated");
        QDBusConnection::disconnectFromBus("client");
        serviceThread_.quit();
        serviceThread_.wait();
        daemon_.kill();
        daemon_.waitForFinished();
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
        if (!busReady_)
            QSKIP("dbus-daemon is not installed");
        QFETCH(bool, ntp);
        QFETCH(bool, synchronized);
        QFETCH(bool, refuse);
        service_.reset({ntp, synchronized, refuse, {}});
        QTEST(setter().adjustBy(-3000ms), "result");
        const QList<QList<qlonglong>> moved{{-3000000, 1, 0}};
        QCOMPARE(service_.state().calls, !ntp && !synchronized ? moved : QList<QList<qlonglong>>());
    }

    void missingServiceFails() {
        if (!busReady_)
            QSKIP("dbus-daemon is not installed");
        serviceBus().unregisterService("org.freedesktop.timedate1");
        QCOMPARE(setter().adjustBy(5000ms), ClockSetter::Result::Failed);
        QVERIFY(serviceBus().registerService("org.freedesktop.timedate1"));
    }

    void noBusIsUnavailable() {
        DbusClockSetter setter(QDBusConnection("not connected"), 5s);
        QCOMPARE(setter.adjustBy(5000ms), ClockSetter::Result::Unavailable);
    }

private:
    QDBusConnection serviceBus() { return QDBusConnection::connectToBus(address_, "timedated"); }
    DbusClockSetter setter() {
        return DbusClockSetter(QDBusConnection::connectToBus(address_, "client"), 5s);
    }

    QTemporaryDir socketDir_;
    QProcess daemon_;
    QString address_;
    bool busReady_ = false;
    QThread serviceThread_;
    FakeTimedated service_;
};

QTEST_GUILESS_MAIN(ClockSetterTest)
#include "tst_clocksetter.moc"
