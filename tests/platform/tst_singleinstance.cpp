#include "platform/SingleInstanceGuard.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include "support/TestFiles.h"

using namespace tavimo;

class SingleInstanceTest : public QObject {
    Q_OBJECT

private slots:
    void secondGuardRefusesUntilTheFirstLetsGo() {
        const QString path = dir_.filePath("held.lock");
        auto first = std::make_unique<SingleInstanceGuard>(path);
        SingleInstanceGuard second(path);
        QVERIFY(first->tryLock());
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

    // A live holder keeps its lock however old the file is.
    void oldLockOfALiveProcessHolds() {
        const QString path = dir_.filePath("old.lock");
        SingleInstanceGuard first(path);
        QVERIFY(first.tryLock());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime::currentDateTimeUtc().addDays(-2),
                                 QFileDevice::FileModificationTime));
        file.close();
        QVERIFY(!SingleInstanceGuard(path).tryLock());
    }

    void unusableFolderDoesNotStopTheProgram() {
        SingleInstanceGuard guard("/nonexistent-folder-for-tavimo/tavimo.lock");
        QVERIFY(guard.tryLock());
        QVERIFY(!guard.isLocked());
    }

private:
    QTemporaryDir dir_;
};

QTEST_GUILESS_MAIN(SingleInstanceTest)
#include "tst_singleinstance.moc"
