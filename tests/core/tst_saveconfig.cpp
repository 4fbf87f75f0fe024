#include "core/app/SaveConfig.h"
#include "core/files/AppPaths.h"
#include "core/files/Config.h"
#include "core/files/SettingsStore.h"
#include "core/sites/SiteLists.h"

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

} // namespace

class SaveConfigTest : public QObject {
    Q_OBJECT

private slots:
    // Duplicates are dropped from the files and reported once across saves.
    void writesEveryFileInOrder() {
        Scene s;
        s.config.MyLat = 42.5;
        s.sites.append(makeSite("W1DUP", "http://127.0.0.1/k1abc.jpg"));
        s.sites[0].LastPictureDate = "2024-05-01 10:00";
        s.wxSites.append(makeSite("NOAA 2", "http://127.0.0.1/wx/image1"));

        // Each message shows after the files before its list were written.
        QList<QByteArray> sstvFileAtMessage;
        s.prompts.onCall = [&](const FakePrompts::Call &) {
            QVERIFY(readBytes(s.paths.data("tavimo.cfg")).contains("42.5"));
            sstvFileAtMessage.append(readBytes(s.paths.data("tavimo.lst")));
            QVERIFY(!QFileInfo::exists(s.store->fileName()));
        };
        QVERIFY(s.save().ok);
        QCOMPARE(s.prompts.texts(), (QStringList{"Duplicate removed from SSTV list\r\n"
                                                 "W1DUP  http://127.0.0.1/k1abc.jpg",
                                                 "Duplicate removed from WX list\r\n"
                                                 "NOAA 2  http://127.0.0.1/wx/image1"}));
        QCOMPARE(s.prompts.calls[1].title, QString("Tavimo"));
        const QByteArray sstvFile = readBytes(s.paths.data("tavimo.lst"));
        QCOMPARE(sstvFileAtMessage, (QList<QByteArray>{kSstvBytes, sstvFile}));
        QCOMPARE(sstvFile, QByteArray(kSstvBytes).replace("-81.2**", "-81.2*2024-05-01 10:00*"));
        QCOMPARE(readConfig(s.paths.data("tavimo.cfg")).config, s.config);

        // The dropped record stays in memory but is reported only once.
        QVERIFY(s.save().ok);
        QCOMPARE(s.prompts.calls.size(), 2);
        QCOMPARE(s.sites.size(), 3);
        QCOMPARE(readBytes(s.paths.data("tavimo.lst")), sstvFile);
        QCOMPARE(readBytes(s.paths.data("WXsites.lst")), kWxBytes);

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

    // Folder permissions do not stop root, so each write is made to fail by
    // putting a folder where the file goes, or a file where a folder goes.
    void failedWriteKeepsOldFilesAndStops_data() {
        QTest::addColumn<QString>("blocked");
        for (const char *name :
             {"tavimo.cfg", "tavimo.lst", "WXsites.lst", "settings", "data folder"})
            QTest::newRow(name) << QString(name);
    }
    void failedWriteKeepsOldFilesAndStops() {
        QFETCH(QString, blocked);
        QTemporaryDir scratch;
        const QString blocker = scratch.filePath("not-a-folder");
        writeBytes(blocker, "x");
        Scene s(blocked == "settings" ? blocker + "/Tavimo.ini" : QString());
        s.store->setValue("LABELS", "1", "old"); // nothing reaches the file before sync
        QString blockedPath;
        if (blocked == "data folder") {
            s.paths.dataFolder = blocker;
            blockedPath = blocker + "/tavimo.cfg";
        } else if (blocked != "settings") {
            blockedPath = s.paths.data(blocked);
            QVERIFY(QFile::remove(blockedPath) && QDir().mkpath(blockedPath));
        }
        const auto before = s.files();
        // A duplicate would show a message of its own if its list were reached.
        if (blocked != "settings" && blocked != "WXsites.lst")
            s.wxSites.append(makeSite("NOAA 2", "http://127.0.0.1/wx/image1"));

        const SaveConfigResult result = s.save();
        QVERIFY(!result.ok);
        if (!blockedPath.isEmpty())
            QCOMPARE(result.failedFile, blockedPath);
        QCOMPARE(s.prompts.texts(), QStringList{result.error});
        QVERIFY2(result.error.contains(QFileInfo(result.failedFile).fileName()),
                 qPrintable(result.error));
        QCOMPARE(s.files(), before);
        // No temporary file is left behind.
        for (const QString &name : QDir(s.paths.dataFolder).entryList(QDir::Files | QDir::Hidden))
            QVERIFY2(before.contains(name), qPrintable(name));
    }
};

QTEST_GUILESS_MAIN(SaveConfigTest)
#include "tst_saveconfig.moc"
