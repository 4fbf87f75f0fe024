#include "platform/SingleInstanceGuard.h"
#include "platform/TerminationSignals.h"
#include "support/TestFiles.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace tavimo;

namespace {

void (*currentHandler(int signalNumber))(int) {
    struct sigaction action {};
    ::sigaction(signalNumber, nullptr, &action);
    return action.sa_handler;
}

} // namespace

// The program's process: one instance at a time, and a clean end on a termination signal.
class ProcessTest : public QObject {
    Q_OBJECT

private slots:
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
        first.reset();
        QVERIFY(!QFileInfo::exists(path));
        QVERIFY(second.tryLock());
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
    QTemporaryDir dir_;
};

QTEST_GUILESS_MAIN(ProcessTest)
#include "tst_process.moc"
