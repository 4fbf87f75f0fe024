#include "core/AppPaths.h"
#include "core/Config.h"
#include "core/SiteLists.h"

#include "support/FakePrompts.h"

#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace tavimo;
using tavimo::test::FakePrompts;

using tavimo::test::readBytes;
using tavimo::test::writeBytes;

class ProvisioningTest : public QObject {
    Q_OBJECT

private slots:
    void copiesMissingFilesAndOverwritesNothing() {
        QTemporaryDir bundled;
        QTemporaryDir home;
        writeBytes(bundled.filePath("tavimo.cfg"), "bundled cfg\r\n");
        writeBytes(bundled.filePath("tavimo.lst"), "bundled lst\r\n");
        writeBytes(bundled.filePath("WXsites.lst"), "");
        writeBytes(bundled.filePath("Languages/tavimo_English.Language"), "bundled language\r\n");
        AppPaths paths;
        paths.bundledDataFolder = bundled.path();
        paths.dataFolder = home.filePath("tavimo");
        writeBytes(paths.data("tavimo.lst"), "the user's list\r\n");
        writeBytes(paths.data("Languages/tavimo_English.Language"), "the user's words\r\n");

        ProvisionResult result = provisionDataFolder(paths);
        QVERIFY(result.ok);
        result.copied.sort();
        QCOMPARE(result.copied, (QStringList{"WXsites.lst", "tavimo.cfg"}));
        QCOMPARE(readBytes(paths.data("tavimo.lst")), QByteArray("the user's list\r\n"));
        QCOMPARE(readBytes(paths.data("Languages/tavimo_English.Language")),
                 QByteArray("the user's words\r\n"));
        QCOMPARE(readBytes(paths.data("tavimo.cfg")), QByteArray("bundled cfg\r\n"));
        QVERIFY(QFileInfo::exists(paths.data("WXsites.lst")));
        for (const QString &folder : AppPaths::dataSubfolders())
            QVERIFY2(QFileInfo(paths.data(folder)).isDir(), qPrintable(folder));

        // The next start finds everything in place and changes nothing.
        writeBytes(paths.data("tavimo.cfg"), "changed by the user\r\n");
        result = provisionDataFolder(paths);
        QVERIFY(result.ok);
        QVERIFY(result.copied.isEmpty());
        QCOMPARE(readBytes(paths.data("tavimo.cfg")), QByteArray("changed by the user\r\n"));
    }

    void dataFolderThatCannotBeMade() {
        QTemporaryDir home;
        writeBytes(home.filePath("file"), "x");
        AppPaths paths;
        paths.dataFolder = home.filePath("file/tavimo");
        const ProvisionResult result = provisionDataFolder(paths);
        QVERIFY(!result.ok);
        QVERIFY(result.error.contains("tavimo"));
    }

    // The defaults we ship give a working first start.
    void bundledDefaultsStartCleanly() {
        QTemporaryDir home;
        AppPaths paths;
        paths.bundledDataFolder = TAVIMO_SOURCE_DATA_DIR;
        paths.dataFolder = home.filePath("tavimo");
        QVERIFY(provisionDataFolder(paths).ok);

        const QByteArray cfg = readBytes(paths.data("tavimo.cfg"));
        QCOMPARE(cfg, QByteArray("1\r\n2\r\n1\r\n60\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n\r\n"
                                 "0\r\n0\r\n0\r\n"));
        const ConfigFile file = readConfig(paths.data("tavimo.cfg"));
        QVERIFY(file.read);
        QCOMPARE(file.config.GuiSize, 1);
        QCOMPARE(file.config.ThumbSetting, 2);
        QCOMPARE(file.config.AutoRefreshMode, 1);
        QCOMPARE(file.config.RefreshSeconds, 60);
        QCOMPARE(file.config.LanguageIndex, 0);
        QVERIFY(file.config.MyCall.isEmpty());
        QCOMPARE(file.CurrentPage, 1);
        QCOMPARE(configLines(file.config).join("\r\n").toLatin1() + "\r\n", cfg);

        FakePrompts prompts;
        const StartupLists lists = loadSiteLists(paths, prompts);
        QVERIFY(prompts.calls.isEmpty());
        QVERIFY(!lists.endProgram && lists.sitesLoaded && lists.wxSitesLoaded);
        QVERIFY(lists.sites.isEmpty() && lists.wxSites.isEmpty());
    }
};

QTEST_GUILESS_MAIN(ProvisioningTest)
#include "tst_provisioning.moc"
