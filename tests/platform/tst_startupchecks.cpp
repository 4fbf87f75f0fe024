#include "platform/ClockSetter.h"
#include "platform/ConnectionChecker.h"
#include "platform/SingleInstanceGuard.h"
#include "platform/TerminationSignals.h"
#include "support/FakeTimedated.h"
#include "support/SilentListener.h"
#include "support/TestFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <cstring>

using namespace tavimo;
using namespace std::chrono_literals;

Q_DECLARE_METATYPE(std::optional<ProbeEndpoint>)

namespace {

QDateTime utc(const char *text) {
    QDateTime value = QDateTime::fromString(QString::fromLatin1(text), Qt::ISODateWithMs);
    value.setTimeSpec(Qt::UTC);
    return value;
}

void (*currentHandler(int signalNumber))(int) {
    struct sigaction action {};
    ::sigaction(signalNumber, nullptr, &action);
    return action.sa_handler;
}

} // namespace

// What start-up asks of the outside world: whether the internet can be reached, and how far
// to move the clock after the time page, moved through timedated on a private bus, never the
// machine's own clock. And the program's process: one instance at a time, and a clean end on a
// termination signal.
class StartupChecksTest : public QObject {
    Q_OBJECT

private slots:
    // Without dbus-daemon the tests of the bus skip themselves.
    void initTestCase() {
        if (!QStandardPaths::findExecutable("dbus-daemon").isEmpty())
            QVERIFY2(bus_.start(), "the private D-Bus daemon did not come up");
    }

    void probeEndpoint_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<ProbeEndpoint>>("endpoint");
        QTest::newRow("address with port")
            << "http://127.0.0.1:8080/x" << std::optional(ProbeEndpoint{"127.0.0.1", 8080});
        QTest::newRow("https default port")
            << "https://example.org" << std::optional(ProbeEndpoint{"example.org", 443});
        QTest::newRow("bare host")
            << "example.org" << std::optional(ProbeEndpoint{"example.org", 80});
        QTest::newRow("ipv6") << "http://[::1]:82/" << std::optional(ProbeEndpoint{"::1", 82});
        QTest::newRow("no host") << "http:///path" << std::optional<ProbeEndpoint>();
        QTest::newRow("port out of range") << "127.0.0.1:70000" << std::optional<ProbeEndpoint>();
        QTest::newRow("blank inside") << "exa mple.org" << std::optional<ProbeEndpoint>();
    }
    void probeEndpoint() {
        QFETCH(QString, text);
        QTEST(parseProbeEndpoint(text), "endpoint");
    }

    // target: "open" (a listening port), "closed" (a port closed again) or "silent" (connection
    // attempts hang); %1 in the address is its port.
    void connectionCheck_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("online");
        const auto row = [](const char *name, const char *target, const char *address,
                            bool online) {
            QTest::newRow(name) << QString(target) << QString(address) << online;
        };
        row("listening address", "open", "http://127.0.0.1:%1/", true);
        row("listening name to look up", "open", "localhost:%1", true);
        // Refused at once, not after the timeout; a silent host after its 300 ms.
        row("closed port", "closed", "http://127.0.0.1:%1/", false);
        row("silent host", "silent", "127.0.0.1:%1", false);
        // No probe address configured: nothing to hold the downloads back.
        row("empty is online", "", "   ", true);
        row("unreadable is offline", "", "http://", false);
    }
    void connectionCheck() {
        QFETCH(QString, target);
        QFETCH(QString, address);
        QTcpServer server;
        std::optional<test::SilentListener> silent;
        if (target == "silent") {
            silent.emplace();
            if (!silent->isSilent())
                QSKIP("this system does not leave a full listen queue silent");
            address = address.arg(silent->port());
        } else if (!target.isEmpty()) {
            QVERIFY(server.listen(QHostAddress::LocalHost));
            address = address.arg(server.serverPort());
            if (target == "closed")
                server.close();
        }
        TcpConnectionChecker checker(address, silent ? 300ms : 60s);
        QElapsedTimer clock;
        clock.start();
        QTEST(checker.check(), "online");
        QVERIFY2(clock.elapsed() < 20000,
                 "a refused connection waited, or the timeout was not honoured");
        QVERIFY(!silent || clock.elapsed() >= 250);
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

    // A live holder keeps its lock however old the file is, until it lets go.
    void secondGuardRefusesUntilTheFirstLetsGo() {
        const QString path = dir_.filePath("held.lock");
        auto first = std::make_unique<SingleInstanceGuard>(path);
        SingleInstanceGuard second(path);
        QVERIFY(first->tryLock());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime::currentDateTimeUtc().addDays(-2),
                                 QFileDevice::FileModificationTime));
        file.close();
        QVERIFY(!second.tryLock());
        QVERIFY(!second.isLocked());
        QCOMPARE(second.lockProblem(), QString());
        first.reset();
        QVERIFY(!QFileInfo::exists(path));
        QVERIFY(second.tryLock());
    }

    // The program's own guard: a second start on the same data folder is refused whatever
    // runtime folder its session gives it (another X session, ssh, su, none at all).
    void onePerDataFolderWhateverTheRuntimeFolder_data() {
        QTest::addColumn<QString>("secondRuntime"); // "-": none set
        QTest::newRow("same runtime folder") << "run1";
        QTest::newRow("another runtime folder") << "run2";
        QTest::newRow("no runtime folder") << "-";
    }
    void onePerDataFolderWhateverTheRuntimeFolder() {
        QFETCH(QString, secondRuntime);
        QTemporaryDir home;
        const QByteArray savedData = qgetenv("XDG_DATA_HOME");
        const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
        const auto useRuntime = [&](const QString &name) {
            if (name == "-") {
                qunsetenv("XDG_RUNTIME_DIR");
                return;
            }
            QVERIFY(QDir().mkpath(home.filePath(name)));
            QFile::setPermissions(home.filePath(name),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            qputenv("XDG_RUNTIME_DIR", home.filePath(name).toLocal8Bit());
        };
        qputenv("XDG_DATA_HOME", home.filePath("data").toLocal8Bit());
        QVERIFY(QDir().mkpath(home.filePath("data/tavimo")));

        useRuntime("run1");
        auto first = std::make_unique<SingleInstanceGuard>();
        const bool firstLocked = first->tryLock();
        useRuntime(secondRuntime);
        SingleInstanceGuard second;
        const bool secondLocked = second.tryLock();
        const bool lockInDataFolder = QFileInfo::exists(home.filePath("data/tavimo/tavimo.lock"));
        first.reset();
        const bool secondAfterFirst = second.tryLock();
        second.unlock();
        qputenv("XDG_DATA_HOME", savedData);
        qputenv("XDG_RUNTIME_DIR", savedRuntime);

        QVERIFY(firstLocked);
        QVERIFY(!secondLocked);
        QVERIFY(secondAfterFirst);
        QVERIFY(lockInDataFolder);
    }

    void lockOfAProcessThatEndedIsTakenOver() {
        // A process id that surely belongs to nobody now: a child that has run and been reaped.
        QProcess child;
        child.start("sleep", {"30"});
        QVERIFY(child.waitForStarted());
        const qint64 deadPid = child.processId();
        child.kill();
        QVERIFY(child.waitForFinished());
        // The lock file's own format: process id, program name, host name.
        const QString path = dir_.filePath("stale.lock");
        QVERIFY(test::writeBytes(path, QByteArray::number(deadPid) + '\n' +
                                           QCoreApplication::applicationName().toUtf8() + '\n' +
                                           QSysInfo::machineHostName().toUtf8() + '\n'));
        SingleInstanceGuard guard(path);
        QVERIFY(guard.tryLock());
        QVERIFY(guard.isLocked());
    }

    // A lock file no running copy holds is taken over once it is a few seconds old, even when
    // nothing in it can be read (a power cut soon after a start leaves it empty); a running
    // copy keeps its lock, readable or not, however old the file.
    void lockFileThatNoCopyHolds_data() {
        QTest::addColumn<QByteArray>("content"); // "<dead>": the lock of a process that ended
        QTest::addColumn<bool>("holderRuns");    // a second copy of the program holds it
        QTest::addColumn<int>("ageSeconds");
        QTest::addColumn<bool>("taken");
        QTest::newRow("empty") << QByteArray() << false << 300 << true;
        QTest::newRow("garbage") << QByteArray("tavimo was here\n") << false << 300 << true;
        QTest::newRow("dead process") << QByteArray("<dead>") << false << 300 << true;
        QTest::newRow("empty, just made") << QByteArray() << false << 0 << false;
        QTest::newRow("running copy") << QByteArray("<held>") << true << 300 << false;
        QTest::newRow("running copy, emptied") << QByteArray() << true << 300 << false;
    }
    void lockFileThatNoCopyHolds() {
        QFETCH(QByteArray, content);
        QFETCH(bool, holderRuns);
        QFETCH(int, ageSeconds);
        QFETCH(bool, taken);
        QTemporaryDir dir;
        const QString path = dir.filePath("tavimo.lock");
        QProcess holder;
        if (holderRuns) {
            holder.start(QCoreApplication::applicationFilePath(), {"--hold-lock", path});
            QVERIFY(holder.waitForReadyRead(10000));
            QCOMPARE(holder.readAllStandardOutput(), QByteArray("locked\n"));
        }
        if (content == "<dead>") {
            QProcess child;
            child.start("sleep", {"30"});
            QVERIFY(child.waitForStarted());
            content = QByteArray::number(child.processId()) + "\nsleep\n" +
                      QSysInfo::machineHostName().toUtf8() + '\n';
            child.kill();
            QVERIFY(child.waitForFinished());
        }
        if (content != "<held>") {
            // In place, as an editor or a power cut would: the holder keeps its open file.
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            QCOMPARE(file.write(content), content.size());
        }
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-ageSeconds),
                                     QFileDevice::FileModificationTime));
        }
        SingleInstanceGuard guard(path);
        QCOMPARE(guard.tryLock(), taken);
        QCOMPARE(guard.isLocked(), taken);
        if (holderRuns) {
            holder.closeWriteChannel();
            QVERIFY(holder.waitForFinished(10000));
            QCOMPARE(holder.exitCode(), 0);
        }
    }

    // A lock file that no running copy could hold is named with what to remove, and never
    // waited on: a named pipe would stop the start for good, a device be read without end.
    // The guard runs in a child, bounded in time and memory, so that a hang fails the test.
    void fileThatIsNoLockIsNamed_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("remove");
        QTest::newRow("folder") << "folder"
                                << "remove the folder";
        QTest::newRow("link to nothing") << "link"
                                         << "remove the link";
        QTest::newRow("fifo") << "fifo"
                              << "remove the file";
        QTest::newRow("link to /dev/zero") << "zero"
                                           << "remove the link";
    }
    void fileThatIsNoLockIsNamed() {
        QFETCH(QString, kind);
        QFETCH(QString, remove);
        const QString path = dir_.filePath(kind + ".lock");
        QVERIFY(kind == "folder" ? QDir().mkpath(path)
                : kind == "fifo" ? test::makeFifo(path)
                                 : QFile::link(kind == "link" ? dir_.filePath("nothing")
                                                              : QStringLiteral("/dev/zero"),
                                               path));
        QProcess start;
        test::limitChildMemory(start);
        start.start(QCoreApplication::applicationFilePath(), {"--hold-lock", path});
        const bool answered = start.waitForReadyRead(10000);
        if (!answered)
            start.kill();
        start.closeWriteChannel();
        QVERIFY(start.waitForFinished(10000));
        QVERIFY2(answered, "the start waits on the lock file");
        const QString said = QString::fromLocal8Bit(start.readAllStandardOutput());
        QVERIFY2(said.startsWith("refused: ") && said.contains(QDir::toNativeSeparators(path)) &&
                     said.contains(remove),
                 qPrintable(said));
    }

    void unusableFolderDoesNotStopTheProgram() {
        SingleInstanceGuard guard("/nonexistent-folder-for-tavimo/tavimo.lock");
        QVERIFY(guard.tryLock());
        QVERIFY(!guard.isLocked());
    }

    void everySignalArrivesInTheEventLoop() {
        const auto termBefore = currentHandler(SIGTERM);
        const auto intBefore = currentHandler(SIGINT);
        {
            TerminationSignals watcher;
            QVERIFY(watcher.isActive());
            QVERIFY(!TerminationSignals().isActive()); // one watcher at a time
            QSignalSpy spy(&watcher, &TerminationSignals::terminationRequested);
            QCOMPARE(::raise(SIGTERM), 0);
            QCOMPARE(::raise(SIGINT), 0);
            // Nothing is emitted from inside the signal handler.
            QCOMPARE(spy.count(), 0);
            QTRY_COMPARE(spy.count(), 2);
            QCOMPARE(spy.at(0).at(0).toInt(), SIGTERM);
            QCOMPARE(spy.at(1).at(0).toInt(), SIGINT);
        }
        // The handlers from before come back.
        QVERIFY(currentHandler(SIGTERM) == termBefore);
        QVERIFY(currentHandler(SIGINT) == intBefore);
    }

private:
    DbusClockSetter setter() { return DbusClockSetter(bus_.clientConnection(), 5s); }

    test::PrivateTimedatedBus bus_;
    QTemporaryDir dir_;
};

// Started with "--hold-lock <path>", this program stands in for a running copy of Tavimo:
// it holds the lock, says so (or why not), and lets go when its input ends.
int main(int argc, char *argv[]) {
    if (argc == 3 && std::strcmp(argv[1], "--hold-lock") == 0) {
        SingleInstanceGuard guard(QString::fromLocal8Bit(argv[2]));
        if (guard.tryLock())
            std::fputs("locked\n", stdout);
        else
            std::printf("refused: %s\n", qPrintable(guard.lockProblem().replace(u'\n', u'|')));
        std::fflush(stdout);
        while (std::getchar() != EOF) {
        }
        return 0;
    }
    QCoreApplication app(argc, argv);
    StartupChecksTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_startupchecks.moc"
