#include "platform/SingleInstanceGuard.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace tavimo;

class SingleInstanceTest : public QObject {
    Q_OBJECT

private slots:
    void secondGuardRefusesUntilTheFirstLetsGo() {
        QTemporaryDir dir;
        const QString path = dir.filePath("tavimo.lock");
        SingleInstanceGuard first(path);
        SingleInstanceGuard second(path);
        QVERIFY(first.tryLock());
        QVERIFY(first.isLocked());
        QVERIFY(!second.tryLock());
        QVERIFY(!second.isLocked());
        first.unlock();
        QVERIFY(second.tryLock());
        QVERIFY(!first.tryLock());
    }

    void destroyingTheGuardReleasesTheLock() {
        QTemporaryDir dir;
        const QString path = dir.filePath("tavimo.lock");
        {
            SingleInstanceGuard first(path);
            QVERIFY(first.tryLock());
        }
        QVERIFY(!QFileInfo::exists(path));
        SingleInstanceGuard second(path);
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

        QTemporaryDir dir;
        const QString path = dir.filePath("tavimo.lock");
        QFile stale(path);
        QVERIFY(stale.open(QIODevice::WriteOnly));
        // The lock file's own format: process id, program name, host name.
        stale.write(QByteArray::number(deadPid) + '\n' +
                    QCoreApplication::applicationName().toUtf8() + '\n' +
                    QSysInfo::machineHostName().toUtf8() + '\n');
        stale.close();

        SingleInstanceGuard guard(path);
        QVERIFY(guard.tryLock());
        QVERIFY(guard.isLocked());
    }

    // A live holder keeps its lock however old the file is.
    void oldLockOfALiveProcessHolds() {
        QTemporaryDir dir;
        const QString path = dir.filePath("tavimo.lock");
        SingleInstanceGuard first(path);
        QVERIFY(first.tryLock());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime::currentDateTimeUtc().addDays(-2),
                                 QFileDevice::FileModificationTime));
        file.close();
        SingleInstanceGuard second(path);
        QVERIFY(!second.tryLock());
    }

    void unusableFolderDoesNotStopTheProgram() {
        SingleInstanceGuard guard("/nonexistent-folder-for-tavimo/tavimo.lock");
        QVERIFY(guard.tryLock());
        QVERIFY(!guard.isLocked());
    }
};

QTEST_GUILESS_MAIN(SingleInstanceTest)
#include "tst_singleinstance.moc"
