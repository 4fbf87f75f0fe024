#include "core/app/SaveConfig.h"
#include "core/files/AppPaths.h"
#include "core/files/Config.h"
#include "core/files/SettingsStore.h"
#include "core/sites/SiteLists.h"

#include "FileSizeLimit.h"
#include "support/FakePrompts.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace tavimo;
using tavimo::test::FakePrompts;
using tavimo::test::makeSite;
using tavimo::test::readBytes;
using tavimo::test::writeBytes;

namespace {

const QByteArray kConfigBytes = "1\r\n2\r\n1\r\n60\r\n0\r\n0\r\n41.5\r\n-81.2\r\n0\r\n0\r\n0\r\n"
                                "K1ABC\r\n0\r\n0\r\n0\r\n";
const QByteArray kSstvBytes = "K1ABC*1000000000*0000000000*0000000000*0000000000*41.5*-81.2**\r\n"
                              "http://127.0.0.1/k1abc.jpg\r\n"
                              "SM0XYZ*2000000000*0000000000*0000000000*0000000000*0*0**\r\n"
                              "http://127.0.0.1/sm0xyz.jpg\r\n";
const QByteArray kWxBytes = "NOAA*1*1*1*1\r\nhttp://127.0.0.1/wx/image1\r\n";

// A data folder and a settings file holding the files above, loaded as at start-up.
struct Scene {
    QTemporaryDir dir;
    AppPaths paths;
    std::unique_ptr<SettingsStore> store;
    Config config;
    SiteList sites;
    WxSiteList wxSites;
    FakePrompts prompts;
    WindowSideValues window{{0, 3, 100, 100, 10, 20, 810, 620},
                            QStringList(10, "P"),
                            "/home/u/Pictures/",
                            0,
                            {"K9BAD"}};

    explicit Scene(const QString &settingsFile = QString()) {
        paths.dataFolder = dir.filePath("data");
        writeBytes(paths.data("tavimo.cfg"), kConfigBytes);
        writeBytes(paths.data("tavimo.lst"), kSstvBytes);
        writeBytes(paths.data("WXsites.lst"), kWxBytes);
        store = std::make_unique<SettingsStore>(settingsFile.isEmpty() ? dir.filePath("s.ini")
                                                                       : settingsFile);
        config = readConfig(paths.data("tavimo.cfg")).config;
        sites = readSiteList(paths.data("tavimo.lst")).sites;
        wxSites = readWxSiteList(paths.data("WXsites.lst")).sites;
    }

    SaveConfigResult save(bool windowVisible = true) {
        return SaveConfig({&paths, &config, &sites, &wxSites, store.get(), &prompts,
                           windowVisible ? &window : nullptr});
    }

    QMap<QString, QByteArray> files() const {
        QMap<QString, QByteArray> result;
        for (const QString name : {"tavimo.cfg", "tavimo.lst", "WXsites.lst"})
            result[name] = readBytes(paths.data(name));
        result["settings"] = readBytes(store->fileName());
        return result;
    }
};

// What a save changed: each file's name, "changed" or "kept".
QStringList changes(const QMap<QString, QByteArray> &before,
                    const QMap<QString, QByteArray> &after) {
    QStringList result;
    for (auto it = before.begin(); it != before.end(); ++it)
        result.append(it.key() + (after.value(it.key()) == it.value() ? " kept" : " changed"));
    return result;
}

// A change to every file, so that a save has something to write to each.
void changeEverything(Scene &s) {
    s.config.GuiSize = 3;
    s.sites[0].LastPictureDate = "2024-05-01 10:00";
    s.wxSites[0].SlotMap[4] = "2";
}

} // namespace

class SaveConfigTest : public QObject {
    Q_OBJECT

private slots:
    // The record that came first in the file stays, whatever its callsign.
    // All removals of one save are named in one message, shown once every
    // file is written, and each only once in a run.
    void duplicatesInOneMessage() {
        Scene s;
        s.config.MyLat = 42.5;
        s.sites.append(makeSite("A1DUP", "http://127.0.0.1/k1abc.jpg")); // sorts first
        SortSiteList(s.sites);
        s.sites[1].LastPictureDate = "2024-05-01 10:00";
        for (int i = 0; i < 30; ++i)
            s.wxSites.append(makeSite(QString("NOAA %1").arg(i), "http://127.0.0.1/wx/image1"));
        const QByteArray sstvFile =
            QByteArray(kSstvBytes).replace("-81.2**", "-81.2*2024-05-01 10:00*");
        s.prompts.onCall = [&](const FakePrompts::Call &) {
            QCOMPARE(readBytes(s.paths.data("tavimo.lst")), sstvFile);
            QCOMPARE(readBytes(s.paths.data("WXsites.lst")), kWxBytes);
            QVERIFY(QFileInfo::exists(s.store->fileName()));
        };
        QVERIFY(s.save().ok);
        QCOMPARE(s.prompts.calls.size(), 1);
        QCOMPARE(s.prompts.calls[0].title, QString("Tavimo"));
        const QStringList lines = s.prompts.calls[0].text.split("\r\n");
        QCOMPARE(lines.mid(0, 5), (QStringList{"Duplicate removed from SSTV list",
                                               "A1DUP  http://127.0.0.1/k1abc.jpg", "",
                                               "Duplicate removed from WX list",
                                               "NOAA 0  http://127.0.0.1/wx/image1"}));
        QCOMPARE(lines.size(), 4 + 20 + 1);
        QCOMPARE(lines.last(), QString("... (10 more)"));
        QCOMPARE(readConfig(s.paths.data("tavimo.cfg")).config, s.config);

        QVERIFY(s.save().ok);
        QCOMPARE(s.prompts.calls.size(), 1);
        QCOMPARE(readBytes(s.paths.data("tavimo.lst")), sstvFile);
        SettingsStore back(s.store->fileName());
        QCOMPARE(readWindowPlacement(back), s.window.placement);
        QCOMPARE(readBlockedCallsigns(back), s.window.blockedCallsigns);
    }

    // A hidden window and lists that failed to load leave their files alone.
    void writesOnlyWhatWasLoaded() {
        Scene s;
        s.config.GuiSize = 3;
        QVERIFY(s.save(false).ok);
        QVERIFY(!QFileInfo::exists(s.store->fileName()));
        QCOMPARE(readConfig(s.paths.data("tavimo.cfg")).config.GuiSize, 3);

        QVERIFY(SaveConfig(
                    {&s.paths, &s.config, nullptr, nullptr, s.store.get(), &s.prompts, &s.window})
                    .ok);
        QCOMPARE(readBytes(s.paths.data("tavimo.lst")), kSstvBytes);
        QCOMPARE(readBytes(s.paths.data("WXsites.lst")), kWxBytes);
        QVERIFY(QFileInfo::exists(s.store->fileName()));
    }

    // Each file that cannot be written stays as it was, and the others are
    // saved all the same; one message names the failures, the lists first.
    // Folder permissions do not stop root, so a write is made to fail by
    // putting a folder where the file goes, or a file where a folder goes.
    void failedWriteKeepsOldFileAndSavesTheRest_data() {
        QTest::addColumn<QStringList>("blocked");
        QTest::addColumn<QStringList>("named"); // in the message, in this order
        for (const char *name : {"tavimo.cfg", "tavimo.lst", "WXsites.lst", "settings"})
            QTest::newRow(name) << QStringList{name} << QStringList{name};
        QTest::newRow("configuration and a list")
            << QStringList{"tavimo.cfg", "WXsites.lst"} << QStringList{"WXsites.lst", "tavimo.cfg"};
        QTest::newRow("data folder")
            << QStringList{"data folder"} << QStringList{"tavimo.lst", "WXsites.lst", "tavimo.cfg"};
    }
    void failedWriteKeepsOldFileAndSavesTheRest() {
        QFETCH(QStringList, blocked);
        QFETCH(QStringList, named);
        QTemporaryDir scratch;
        const QString blocker = scratch.filePath("not-a-folder");
        writeBytes(blocker, "x");
        Scene s(blocked.contains("settings") ? blocker + "/Tavimo.ini" : QString());
        changeEverything(s);
        if (blocked.contains("data folder"))
            s.paths.dataFolder = blocker;
        for (const QString &name : blocked) {
            if (name.contains('.'))
                QVERIFY(QFile::remove(s.paths.data(name)) && QDir().mkpath(s.paths.data(name)));
        }
        const auto before = s.files();

        const SaveConfigResult result = s.save();
        QVERIFY(!result.ok);
        QCOMPARE(s.prompts.texts(), QStringList{result.error});
        QCOMPARE(s.prompts.calls[0].icon, Prompts::Icon::Exclamation);
        qsizetype at = -1;
        for (const QString &name : named) {
            const qsizetype next = result.error.indexOf(name == "settings" ? "Tavimo.ini" : name);
            QVERIFY2(next > at, qPrintable(name + " in " + result.error));
            at = next;
        }
        const bool allFiles = blocked.contains("data folder");
        QStringList expected;
        for (const QString name : {"WXsites.lst", "settings", "tavimo.cfg", "tavimo.lst"})
            expected.append(name + (blocked.contains(name) || (allFiles && name != "settings")
                                        ? " kept"
                                        : " changed"));
        QCOMPARE(changes(before, s.files()), expected);
        // No temporary file is left behind.
        for (const QString &name : QDir(s.paths.dataFolder).entryList(QDir::Files | QDir::Hidden))
            QVERIFY2(before.contains(name), qPrintable(name));
    }

    // A full disk that fails only at the last flush, as Qt buffers small
    // files: every old file stays whole, and one message names them all.
    void fullDiskKeepsEveryOldFile() {
        Scene s;
        changeEverything(s);
        s.store->setValue("LABELS", "1", "old");
        QVERIFY(s.store->sync());
        const auto before = s.files();
        SaveConfigResult result;
        {
            tavimo::test::FileSizeLimit full(4);
            result = s.save();
        }
        QVERIFY(!result.ok);
        QCOMPARE(changes(before, s.files()), (QStringList{"WXsites.lst kept", "settings kept",
                                                          "tavimo.cfg kept", "tavimo.lst kept"}));
        QCOMPARE(s.prompts.texts(), QStringList{result.error});
        const QStringList order{"tavimo.lst", "WXsites.lst", "tavimo.cfg", "s.ini"};
        for (int i = 1; i < order.size(); ++i)
            QVERIFY2(result.error.indexOf(order[i - 1]) < result.error.indexOf(order[i]),
                     qPrintable(result.error));
    }
};

QTEST_GUILESS_MAIN(SaveConfigTest)
#include "tst_saveconfig.moc"
