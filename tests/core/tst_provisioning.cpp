#include "core/files/AppPaths.h"
#include "core/files/Config.h"
#include "core/sites/SiteLists.h"

#include "support/FakePrompts.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace tavimo;
using tavimo::test::readBytes;
using tavimo::test::writeBytes;

class ProvisioningTest : public QObject {
    Q_OBJECT

private slots:
    // fresh: the data folder holds nothing yet; present: the user's files there before the
    // start; copied: what provisioning brings in. The lists come only into a new folder: a
    // list that vanished later is the user's to hear about.
    void copiesMissingFilesAndOverwritesNothing_data() {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("copied");
        QTest::addColumn<bool>("newFolder");
        const QStringList all{"Languages/tavimo_English.Language", "WXsites.lst", "tavimo.cfg",
                              "tavimo.lst"};
        QTest::newRow("first start") << QStringList{} << all << true;
        QTest::newRow("list gone, configuration kept")
            << QStringList{"tavimo.cfg", "WXsites.lst"}
            << QStringList{"Languages/tavimo_English.Language"} << false;
        QTest::newRow("configuration gone, lists kept")
            << QStringList{"tavimo.lst", "WXsites.lst", "Languages/tavimo_English.Language"}
            << QStringList{"tavimo.cfg"} << false;
        QTest::newRow("only the WX list kept")
            << QStringList{"WXsites.lst"}
            << QStringList{"Languages/tavimo_English.Language", "tavimo.cfg"} << false;
        QTest::newRow("only the languages kept")
            << QStringList{"Languages/tavimo_English.Language"}
            << QStringList{"WXsites.lst", "tavimo.cfg", "tavimo.lst"} << true;
    }
    void copiesMissingFilesAndOverwritesNothing() {
        QFETCH(QStringList, present);
        QFETCH(QStringList, copied);
        QFETCH(bool, newFolder);
        QTemporaryDir bundled;
        QTemporaryDir home;
        for (const char *name : {"tavimo.cfg", "tavimo.lst", "WXsites.lst",
                                 "Languages/tavimo_English.Language", "desktop/tavimo.desktop"})
            writeBytes(bundled.filePath(name), QByteArray("bundled ") + name);
        AppPaths paths;
        paths.bundledDataFolder = bundled.path();
        paths.dataFolder = home.filePath("tavimo");
        for (const QString &name : present)
            writeBytes(paths.data(name), "the user's " + name.toUtf8());

        ProvisionResult result = provisionDataFolder(paths);
        QVERIFY(result.ok);
        QCOMPARE(result.newFolder, newFolder);
        result.copied.sort();
        QCOMPARE(result.copied, copied);
        for (const QString &name : present)
            QCOMPARE(readBytes(paths.data(name)), "the user's " + name.toUtf8());
        for (const QString &name : copied)
            QCOMPARE(readBytes(paths.data(name)), "bundled " + name.toUtf8());
        QVERIFY(!QFileInfo::exists(paths.data("desktop")));
        for (const QString &folder : AppPaths::dataSubfolders())
            QVERIFY2(QFileInfo(paths.data(folder)).isDir(), qPrintable(folder));

        // The next start finds everything in place and changes nothing.
        writeBytes(paths.data("Languages/tavimo_English.Language"), "changed by the user");
        result = provisionDataFolder(paths);
        QVERIFY(result.ok && result.copied.isEmpty() && !result.newFolder);
        QCOMPARE(readBytes(paths.data("Languages/tavimo_English.Language")),
                 QByteArray("changed by the user"));
    }

    void aFolderThatCannotBeMadeIsReported() {
        QTemporaryDir home;
        AppPaths paths;
        writeBytes(home.filePath("file"), "x");
        paths.dataFolder = home.filePath("file/tavimo");
        const ProvisionResult result = provisionDataFolder(paths);
        QVERIFY(!result.ok);
        QVERIFY(result.error.contains("tavimo"));
    }

    // A list deleted after the first start is reported, not replaced by an empty one.
    void aVanishedListIsReported() {
        QTemporaryDir home;
        AppPaths paths;
        paths.bundledDataFolder = TAVIMO_SOURCE_DATA_DIR;
        paths.dataFolder = home.filePath("tavimo");
        QVERIFY(provisionDataFolder(paths).ok);
        QVERIFY(QFile::remove(paths.data("tavimo.lst")));
        QVERIFY(provisionDataFolder(paths).ok);
        QVERIFY(!QFileInfo::exists(paths.data("tavimo.lst")));
        tavimo::test::FakePrompts prompts;
        QVERIFY(loadSiteLists(paths, prompts).endProgram);
        QCOMPARE(prompts.calls.size(), 1);
        QCOMPARE(prompts.calls[0].text, QStringLiteral(".lst file not found"));
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
