#include "core/thumbs/SlotPictures.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace tavimo;

class CachedPictureTest : public QObject {
    Q_OBJECT

private slots:
    void failedWriteKeepsTheOldPicture() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("7"));
        QVERIFY(replaceCachedPicture(path, QByteArray("old")));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("7")});
        // A folder where the new bytes would go: they cannot be written.
        QVERIFY(QDir().mkpath(path + QStringLiteral(".part")));
        const WriteResult result = replaceCachedPicture(path, QByteArray("new"));
        QVERIFY(!result.ok);
        QVERIFY(result.error.contains(QDir::toNativeSeparators(path)));
        QCOMPARE(test::readBytes(path), QByteArray("old"));
    }
};

QTEST_GUILESS_MAIN(CachedPictureTest)
#include "tst_cachedpicture.moc"
