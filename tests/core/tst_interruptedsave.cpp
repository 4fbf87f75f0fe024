#include "core/app/StartupFiles.h"

#include "SaveVersions.h"
#include "support/FakePrompts.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <cerrno>
#include <cstring>

using namespace tavimo;
using namespace tavimo::test;

namespace {

const QString kHelper = QStringLiteral(TAVIMO_SAVEHELPER_PATH);

} // namespace

class InterruptedSaveTest : public QObject {
    Q_OBJECT

private slots:
    // A save killed at any moment leaves each file as it was or as it was to
    // become, never cut; the next start removes what the killed saves left.
    void killedSavesLeaveOldOrNewFiles() {
        QTemporaryDir dir;
        QMap<QString, QByteArray> versions[2];
        for (int v : {0, 1}) {
            AppPaths paths;
            paths.dataFolder = dir.filePath(QString("v%1").arg(v));
            QVERIFY(QDir().mkpath(paths.dataFolder));
            SavedState state = savedState(v);
            FakePrompts prompts;
            QVERIFY(saveVersion(paths, state, prompts).ok);
            for (const QString &name : savedFileNames())
                versions[v][name] = readBytes(paths.data(name));
        }
        const QString data = dir.filePath("data");
        for (const QString &name : savedFileNames())
            QVERIFY(writeBytes(data + '/' + name, versions[0][name]));

        const quint32 seed = QRandomGenerator::global()->generate();
        qInfo() << "seed" << seed;
        QRandomGenerator random(seed);
        QSet<QByteArray> seen;
        for (int kill = 0; kill < 200; ++kill) {
            QProcess helper;
            helper.start(kHelper, {"save-loop", data, QString::number(kill % 2)});
            QVERIFY(helper.waitForReadyRead(10000));
            QThread::usleep(random.bounded(15000));
            helper.kill();
            QVERIFY(helper.waitForFinished(10000));
            for (const QString &name : savedFileNames()) {
                const QByteArray bytes = readBytes(data + '/' + name);
                QVERIFY2(bytes == versions[0][name] || bytes == versions[1][name],
                         qPrintable(
                             QString("%1 after kill %2 (seed %3)").arg(name).arg(kill).arg(seed)));
                seen.insert(bytes);
            }
        }
        // Every file was replaced at least once, or the kills proved nothing.
        QCOMPARE(seen.size(), 6);

        const QStringList before = QDir(data).entryList(QDir::Files | QDir::Hidden);
        removeSaveLeftovers(data);
        // Only a leftover that reads like a word a person chose may stay.
        for (const QString &name : QDir(data).entryList(QDir::Files | QDir::Hidden)) {
            const QString suffix = name.section('.', -1);
            QVERIFY2(savedFileNames().contains(name) || suffix == suffix.toLower() ||
                         suffix == suffix.toUpper(),
                     qPrintable(name));
        }
        qInfo() << before.size() - 3 << "files left by killed saves";
    }

    // A real full disk, where the system allows a private tmpfs: each old
    // file stays whole, and one message names them all.
    void realFullDisk() {
        QTemporaryDir dir;
        QProcess helper;
        helper.start(kHelper, {"full-disk", dir.path()});
        QVERIFY(helper.waitForFinished(30000));
        if (helper.exitCode() == 77)
            QSKIP("this system lets no test mount a tmpfs");
        QCOMPARE(helper.exitCode(), 0);
        const QStringList lines =
            QString::fromLocal8Bit(helper.readAllStandardOutput()).split('\n');
        QCOMPARE(lines.mid(0, 5),
                 (QStringList{"tavimo.cfg kept", "tavimo.lst kept", "WXsites.lst kept",
                              "Tavimo.ini kept", "messages 1"}));
        const QString error = lines.value(5);
        QVERIFY2(error.contains("tavimo.lst") && error.contains("Tavimo.ini") &&
                     error.contains(QString::fromLocal8Bit(std::strerror(ENOSPC))),
                 qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(InterruptedSaveTest)
#include "tst_interruptedsave.moc"
