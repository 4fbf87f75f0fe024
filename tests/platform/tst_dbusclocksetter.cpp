#include "platform/ClockSetter.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QMutex>
#include <QMutexLocker>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace tavimo;
using namespace std::chrono_literals;

// Stands in for systemd-timedated on a private bus: never the machine's own clock.
class FakeTimedated : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.timedate1")
    Q_PROPERTY(bool NTP READ ntp)
    Q_PROPERTY(bool NTPSynchronized READ ntpSynchronized)

public:
    struct Call {
        qlonglong usec = 0;
        bool relative = false;
        bool interactive = true;
    };

    void configure(bool ntp, bool synchronized, bool refuse) {
        const QMutexLocker lock(&mutex_);
        ntp_ = ntp;
        synchronized_ = synchronized;
        refuse_ = refuse;
        calls_.clear();
    }
    QList<Call> calls() const {
        const QMutexLocker lock(&mutex_);
        return calls_;
    }
    bool ntp() const {
        const QMutexLocker lock(&mutex_);
        return ntp_;
    }
    bool ntpSynchronized() const {
        const QMutexLocker lock(&mutex_);
        return synchronized_;
    }

public slots:
    void SetTime(qlonglong usec, bool relative, bool interactive) {
        const QMutexLocker lock(&mutex_);
        calls_.append({usec, relative, interactive});
        if (refuse_)
            sendErrorReply(QDBusError::AccessDenied, "Interactive authentication required.");
    }

private:
    mutable QMutex mutex_;
    bool ntp_ = false;
    bool synchronized_ = false;
    bool refuse_ = false;
    QList<Call> calls_;
};

class DbusClockSetterTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        const QString program = QStandardPaths::findExecutable("dbus-daemon");
        if (program.isEmpty())
            QSKIP("dbus-daemon is not installed");
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

        // The service answers on a thread of its own: the setter blocks the test's thread.
        serviceThread_.start();
        service_.moveToThread(&serviceThread_);
        QDBusConnection serviceBus = QDBusConnection::connectToBus(address_, "timedated");
        QVERIFY(serviceBus.isConnected());
        QVERIFY(serviceBus.registerObject("/org/freedesktop/timedate1", &service_,
                                          QDBusConnection::ExportAllSlots |
                                              QDBusConnection::ExportAllProperties));
        QVERIFY(serviceBus.registerService("org.freedesktop.timedate1"));
    }

    void cleanupTestCase() {
        QDBusConnection::disconnectFromBus("timedated");
        QDBusConnection::disconnectFromBus("client");
        serviceThread_.quit();
        serviceThread_.wait();
        if (daemon_.state() != QProcess::NotRunning) {
            daemon_.terminate();
            daemon_.waitForFinished(5000);
        }
    }

    void setTime_data() {
        QTest::addColumn<bool>("ntp");
        QTest::addColumn<bool>("synchronized");
        QTest::addColumn<bool>("refuse");
        QTest::addColumn<int>("result");
        QTest::addColumn<bool>("called");
        QTest::newRow("moves the clock")
            << false << false << false << int(ClockSetter::Result::Adjusted) << true;
        QTest::newRow("network time switched on")
            << true << false << false << int(ClockSetter::Result::SkippedNetworkSync) << false;
        QTest::newRow("synchronised by network time")
            << false << true << false << int(ClockSetter::Result::SkippedNetworkSync) << false;
        QTest::newRow("permission refused")
            << false << false << true << int(ClockSetter::Result::Failed) << true;
    }
    void setTime() {
        QFETCH(bool, ntp);
        QFETCH(bool, synchronized);
        QFETCH(bool, refuse);
        QFETCH(int, result);
        QFETCH(bool, called);
        service_.configure(ntp, synchronized, refuse);
        DbusClockSetter setter(QDBusConnection::connectToBus(address_, "client"), 5s);
        QCOMPARE(int(setter.adjustBy(-3000ms)), result);
        const QList<FakeTimedated::Call> calls = service_.calls();
        QCOMPARE(calls.size(), called ? 1 : 0);
        if (called) {
            QCOMPARE(calls.front().usec, qlonglong(-3000000));
            QVERIFY(calls.front().relative);
            QVERIFY(!calls.front().interactive);
        }
    }

    void missingServiceFails() {
        QDBusConnection::connectToBus(address_, "timedated")
            .unregisterService("org.freedesktop.timedate1");
        DbusClockSetter setter(QDBusConnection::connectToBus(address_, "client"), 5s);
        QCOMPARE(setter.adjustBy(5000ms), ClockSetter::Result::Failed);
        QVERIFY(QDBusConnection::connectToBus(address_, "timedated")
                    .registerService("org.freedesktop.timedate1"));
    }

    void noBusIsUnavailable() {
        DbusClockSetter setter(QDBusConnection("not connected"), 5s);
        QCOMPARE(setter.adjustBy(5000ms), ClockSetter::Result::Unavailable);
    }

private:
    QTemporaryDir socketDir_;
    QProcess daemon_;
    QString address_;
    QThread serviceThread_;
    FakeTimedated service_;
};

QTEST_GUILESS_MAIN(DbusClockSetterTest)
#include "tst_dbusclocksetter.moc"
