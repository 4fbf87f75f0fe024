// Replacing a cached slot picture: the new bytes whole, nothing left beside
// them, and the old picture kept when the new one cannot be written.

#include "core/SlotPictures.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace tavimo;

class CachedPictureTest : public QObject {
    Q_OBJECT

private slots:
    void replacesWhole() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("7"));
        QVERIFY(replaceCachedPicture(path, QByteArray(9000, 'o')));
        QVERIFY(replaceCachedPicture(path, QByteArray("new")));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("new"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("7")});
    }

    void failedWriteKeepsTheOldPicture() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("7"));
        QVERIFY(replaceCachedPicture(path, QByteArray("old")));
        // A folder where the new bytes would go: they cannot be written.
        QVERIFY(QDir().mkpath(path + QStringLiteral(".part")));
        const WriteResult result = replaceCachedPicture(path, QByteArray("new"));
        QVERIFY(!result.ok);
        QVERIFY(result.error.contains(QDir::toNativeSeparators(path)));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("old"));
    }
};

QTEST_GUILESS_MAIN(CachedPictureTest)
#include "tst_cachedpicture.moc"
