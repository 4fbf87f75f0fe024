#include "core/files/AppPaths.h"
#include "core/files/Config.h"
#include "core/sites/SiteLists.h"

#include "support/FakePrompts.h"
#include "support/TestFiles.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace tavimo;
using tavimo::test::readBytes;
using tavimo::test::writeBytes;

class ProvisioningTest : public QObject {
    Q_OBJECT

private slots:
    void copiesMissingFilesAndOverwritesNothing() {
        QTemporaryDir bundled;
        QTemporaryDir home;
        for (const char *name :
             {"tavimo.cfg", "tavimo.lst", "WXsites.lst", "Languages/tavimo_English.Language"})
            writeBytes(bundled.filePath(name), QByteArray("bundled ") + name);
        AppPaths paths;
        paths.bundledDataFolder = bundled.path();
        paths.dataFolder = home.filePath("tavimo");
        writeBytes(paths.data("tavimo.lst"), "the user's list");
        writeBytes(paths.data("Languages/tavimo_English.Language"), "the user's words");

        ProvisionResult result = provisionDataFolder(paths);
        QVERIFY(result.ok);
        result.copied.sort();
        QCOMPARE(result.copied, (QStringList{"WXsites.lst", "tavimo.cfg"}));
        QCOMPARE(readBytes(paths.data("tavimo.lst")), QByteArray("the user's list"));
        QCOMPARE(readBytes(paths.data("Languages/tavimo_English.Language")),
                 QByteArray("the user's words"));
        QCOMPARE(readBytes(paths.data("tavimo.cfg")), QByteArray("bundled tavimo.cfg"));
        for (const QString &folder : AppPaths::dataSubfolders())
            QVERIFY2(QFileInfo(paths.data(folder)).isDir(), qPrintable(folder));

        // The next start finds everything in place and changes nothing.
        writeBytes(paths.data("tavimo.cfg"), "changed by the user");
        result = provisionDataFolder(paths);
        QVERIFY(result.ok && result.copied.isEmpty());
        QCOMPARE(readBytes(paths.data("tavimo.cfg")), QByteArray("changed by the user"));

        writeBytes(home.filePath("file"), "x");
        paths.dataFolder = home.filePath("file/tavimo");
        result = provisionDataFolder(paths);
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
        QCOMPARE(file.config.RefreshSeconds, 60);
        QCOMPARE(configLines(file.config).join("\r\n").toLatin1() + "\r\n", cfg);

        tavimo::test::FakePrompts prompts;
        const StartupLists lists = loadSiteLists(paths, prompts);
        QVERIFY(prompts.calls.isEmpty());
        QVERIFY(!lists.endProgram && lists.sitesLoaded && lists.wxSitesLoaded);
        QVERIFY(lists.sites.isEmpty() && lists.wxSites.isEmpty());
    }
};

QTEST_GUILESS_MAIN(ProvisioningTest)
#include "tst_provisioning.moc"
