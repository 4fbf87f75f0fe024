#include "core/app/SaveConfig.h"
#include "core/app/StartupFiles.h"
#include "core/base/TextFile.h"
#include "core/files/AppPaths.h"
#include "core/files/Config.h"
#include "core/files/SettingsStore.h"
#include "core/sites/SiteLists.h"

#include "FileSizeLimit.h"
#include "SaveVersions.h"
#include "support/FakePrompts.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <array>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>

using namespace tavimo;
using namespace tavimo::test;

namespace {

// Makes a file, or for a path ending in "/" a folder, below root.
void make(const QString &root, const QString &relative, const QByteArray &bytes = "x") {
    if (relative.endsWith('/'))
        QVERIFY(QDir().mkpath(root + '/' + relative));
    else
        QVERIFY(writeBytes(root + '/' + relative, bytes));
}

// Every file and folder below root, relative, folders with a trailing "/".
QStringList tree(const QString &root) {
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QString relative = QDir(root).relativeFilePath(it.filePath());
        entries.append(it.fileInfo().isDir() ? relative + '/' : relative);
    }
    entries.sort();
    return entries;
}

QStringList sorted(QStringList list) {
    list.sort();
    return list;
}

// A program folder and a data folder, with its Backups folder unless told otherwise.
struct Folders {
    QTemporaryDir root;
    QString program = root.filePath("program");
    QString data = root.filePath("data");
    explicit Folders(bool backups = true) {
        QDir().mkpath(program);
        QDir().mkpath(backups ? data + "/Backups" : data);
    }
    LegacyMoveResult move(bool writable = true) const {
        return moveLegacyFiles(program, data, [=](const QString &) { return writable; });
    }
};

// A data folder below a scratch home, provisioned from `bundled`.
struct Home {
    QTemporaryDir dir;
    AppPaths paths;
    explicit Home(const QString &bundled = TAVIMO_SOURCE_DATA_DIR) {
        paths.bundledDataFolder = bundled;
        paths.dataFolder = dir.filePath("tavimo");
    }
};

const QString kHelper = QStringLiteral(TAVIMO_SAVEHELPER_PATH);
const QByteArray kLegacyBytes("line 1\r\n\xD8\x00\xFF\r\n", 12);
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
        store = std::make_unique<SettingsStore>(settingsFile.isEmpty() ? dir.filePath("Tavimo.ini")
                                                                       : settingsFile);
        config = readConfig(paths.data("tavimo.cfg")).config;
        sites = readSiteList(paths.data("tavimo.lst")).sites;
        wxSites = readWxSiteList(paths.data("WXsites.lst")).sites;
    }

    SaveConfigResult save() {
        return SaveConfig({&paths, &config, &sites, &wxSites, store.get(), &prompts, &window});
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

// What the save helper printed, run on a tmpfs of its own (exit code 77:
// this system lets it mount none).
struct TmpfsRun {
    int exitCode = -1;
    QStringList lines;
};
TmpfsRun onTmpfs(const QStringList &arguments) {
    QProcess helper;
    helper.start(kHelper, arguments);
    if (!helper.waitForFinished(30000))
        return {};
    return {helper.exitCode(), QString::fromLocal8Bit(helper.readAllStandardOutput()).split('\n')};
}

} // namespace

// The files of the data folder: what a start finds and sets in order (the data folder itself,
// files from the program folder, leftovers of killed saves, cached files, the map list), and how
// a save replaces them whatever happens to it.
class DataFilesTest : public QObject {
    Q_OBJECT

private slots:
    // existing: the data folder's file before (null: none); one whose bytes differ is kept aside.
    void legacyFileMoves_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QByteArray>("existing");
        for (auto [source, target] : {std::pair{"tavimo.lst", "tavimo.lst"},
                                      {"WxSites.lst", "WXsites.lst"},
                                      {"wxsites.lst", "WXsites.lst"},
                                      {"Tavimo.CFG", "tavimo.cfg"}})
            QTest::newRow(source) << QString(source) << QString(target) << QByteArray();
        QTest::newRow("different bytes are kept aside") << "tavimo.lst"
                                                        << "tavimo.lst" << QByteArray("mine");
        QTest::newRow("same bytes need no copy") << "tavimo.lst"
                                                 << "tavimo.lst" << kLegacyBytes;
    }
    void legacyFileMoves() {
        QFETCH(QString, source);
        QFETCH(QString, target);
        QFETCH(QByteArray, existing);
        Folders f;
        QVERIFY(isFolderWritable(f.program) && !isFolderWritable(f.program + "/missing"));
        make(f.program, source, kLegacyBytes);
        make(f.program, "tavimo.cfg.bak"); // no file of ours: it stays
        if (!existing.isNull())
            make(f.data, target, existing);
        const LegacyMoveResult result = f.move();
        QCOMPARE(result.moved, QStringList{target});
        QVERIFY(result.failed.isEmpty());
        QCOMPARE(readBytes(f.data + '/' + target), kLegacyBytes);
        QCOMPARE(readBytes(f.data + "/Backups/" + target), kLegacyBytes);
        QCOMPARE(tree(f.program), QStringList{"tavimo.cfg.bak"});
        const QString keptAside = "Backups/" + target + ".replaced";
        const bool replaced = !existing.isNull() && existing != kLegacyBytes;
        QCOMPARE(tree(f.data), sorted(QStringList{"Backups/", "Backups/" + target, target} +
                                      (replaced ? QStringList{keptAside} : QStringList())));
        QCOMPARE(readBytes(f.data + '/' + keptAside), replaced ? existing : "<unreadable>");
    }

    // Nothing is moved that could not first be copied into both places.
    void failedCopyKeepsTheSource_data() {
        QTest::addColumn<QString>("obstacle");
        for (const char *obstacle : {"", "Backups", "Backups/tavimo.lst/", "tavimo.lst/"})
            QTest::newRow(obstacle) << QString(obstacle);
    }
    void failedCopyKeepsTheSource() {
        QFETCH(QString, obstacle);
        Folders f(!obstacle.isEmpty() && obstacle != "Backups");
        make(f.program, "tavimo.lst", "theirs");
        if (obstacle != "tavimo.lst/")
            make(f.data, "tavimo.lst", "mine");
        if (!obstacle.isEmpty())
            make(f.data, obstacle);
        const LegacyMoveResult result = f.move();
        QVERIFY(result.moved.isEmpty());
        QCOMPARE(result.failed.size(), 1);
        QCOMPARE(readBytes(f.program + "/tavimo.lst"), QByteArray("theirs"));
        if (obstacle != "tavimo.lst/")
            QCOMPARE(readBytes(f.data + "/tavimo.lst"), QByteArray("mine"));
    }

    // Nothing is guessed: of two spellings neither moves, and a program folder inside the data
    // folder keeps its only copy. From a program folder that cannot be written nothing moves:
    // the file would come back over the user's newer copy on every start.
    void movesThatAreNotMade() {
        Folders f;
        make(f.program, "tavimo.lst", "theirs");
        QVERIFY(f.move(false).moved.isEmpty());
        make(f.program, "WxSites.lst", "a");
        make(f.program, "wxsites.lst", "b");
        const LegacyMoveResult result = f.move();
        QCOMPARE(result.moved, QStringList{"tavimo.lst"});
        QCOMPARE(result.failed.size(), 1);
        QCOMPARE(tree(f.program), (QStringList{"WxSites.lst", "wxsites.lst"}));
        QVERIFY(!QFileInfo::exists(f.data + "/WXsites.lst"));
        for (const QString below : {"", "/Backups"}) {
            make(f.data + below, "tavimo.lst", "only copy");
            QVERIFY(moveLegacyFiles(f.data + below, f.data, [](auto &) {
                        return true;
                    }).moved.isEmpty());
            QCOMPARE(readBytes(f.data + below + "/tavimo.lst"), QByteArray("only copy"));
        }
    }

    void mapList() {
        QCOMPARE(
            mapListFromNames({"World Map.bmp", "asia Map.jpg", "readme.txt", "europe map.jpg",
                              "Map", "ap.", "Map.png", "B Map.jpeg", "b Map.png", "World Map"}),
            (QStringList{"asia Map.jpg", "b Map.png", "Map.png", "World Map.bmp"}));
        QCOMPARE(mapListFromNames({"b Map.png", "B Map.png", "Old Map1234"}),
                 (QStringList{"B Map.png", "b Map.png", "Old Map1234"}));
        QTemporaryDir dir;
        make(dir.path(), "World Map.png");
        make(dir.path(), "Old Map.dir/"); // folders are no pictures
        QCOMPARE(buildMapList(dir.path()), QStringList{"World Map.png"});
        QCOMPARE(buildMapList(dir.filePath("missing")), QStringList{});
    }

    // What a save cut short leaves is in a staging folder of ours and goes at the
    // next start. Every other file stays byte for byte, whatever its name: a copy
    // made by hand before an edit ("tavimo.lst.Backup") is no leftover, and
    // neither is a file of another name in our folder, nor one behind a link.
    void saveLeftoversGo() {
        const QStringList kept =
            QString(
                "Backups/ Backups/tavimo.lst Backups/tavimo.lst.Backup Backups/tavimo.lst.backup "
                "Ham.bmp.Photos TextFiles/ TextFiles/DL1ABC-3.txt TextFiles/DL1ABC-3.txt.Backup "
                "WXsites.lst WXsites.lst.Before WXsites.lst.riYbjI config/ config/Tavimo.ini "
                "config/Tavimo.ini.Backup config/Tavimo.ini.XyZabc images/ "
                "images/Map.bmp.Latest images/paste.gif.XyZzyA tavimo.cfg tavimo.cfg.Sunday "
                "tavimo.lst tavimo.lst.Backup tavimo.lst.abcdeF .tavimo-saving/ "
                ".tavimo-saving/notes.txt .tavimo-saving/save-AbCdE "
                ".tavimo-saving/save-AbCdEfGh12.notes "
                "elsewhere/ "
                "elsewhere/save-AbCdEfGh12")
                .split(u' ');
        const QStringList leftovers =
            QString(
                ".tavimo-saving/save-AbCdEfGh12 Backups/.tavimo-saving/save-0123456789 "
                "images/.tavimo-saving/save-qWeRtYuIoP config/.tavimo-saving/save-ZZZZZZZZZZ "
                "config/.tavimo-saving/save-ZZZZZZZZZy config/.tavimo-saving/save-ZZZZZZZZZy.lock "
                "config/.tavimo-saving/save-ZZZZZZZZZy.AbC12x")
                .split(u' ');
        QTemporaryDir dir;
        for (const QString &path : kept + leftovers)
            make(dir.path(), path, path.toUtf8());
        // A link where our folder would be leads elsewhere: nothing there is ours.
        QVERIFY(QFile::link(dir.filePath("elsewhere"), dir.filePath("TextFiles/.tavimo-saving")));

        QStringList removed = removeSaveLeftovers(dir.path(), dir.filePath("config/Tavimo.ini"));
        for (QString &path : removed)
            path = QDir(dir.path()).relativeFilePath(path);
        QCOMPARE(sorted(removed), sorted(leftovers));
        QCOMPARE(tree(dir.path()), sorted(kept + QStringList{"TextFiles/.tavimo-saving/"}));
        for (const QString &path : kept) {
            if (!path.endsWith('/'))
                QCOMPARE(readBytes(dir.filePath(path)), path.toUtf8());
        }
        QVERIFY(removeSaveLeftovers(QString()).isEmpty());
    }

    // A save into a folder the start does not sweep (the user's own, or where a linked
    // settings file lies) first removes what killed saves left in that folder, and only that.
    void aSaveSweepsItsOwnFolder_data() {
        QTest::addColumn<QString>("saved"); // the path saved to; the file lies in "user/"
        QTest::newRow("a folder of the user's") << "user/Ham.jpg";
        QTest::newRow("a link into it") << "config/Tavimo.ini";
    }
    void aSaveSweepsItsOwnFolder() {
        QFETCH(QString, saved);
        QTemporaryDir dir;
        make(dir.path(), "user/.tavimo-saving/save-AbCdEfGh12");
        make(dir.path(), "user/.tavimo-saving/notes.txt");
        make(dir.path(), "config/");
        QVERIFY(QFile::link(dir.filePath("user/Tavimo.ini"), dir.filePath("config/Tavimo.ini")));
        QVERIFY(writeFileAtomically(dir.filePath(saved), "new"));
        QCOMPARE(readBytes(dir.filePath(saved)), "new");
        QCOMPARE(tree(dir.filePath("user")), sorted({".tavimo-saving/", ".tavimo-saving/notes.txt",
                                                     QFileInfo(saved).fileName()}));
    }

    void cachedFilesGo() {
        const QStringList kept =
            QString("Backups/ Backups/tavimo.lst Maps/ Maps/Asia.png TextFiles/ "
                    "TextFiles/AB1CD-1.txt WXsites.lst images/ images/other/ "
                    "images/other/deeper.jpg images/sstv/ images/wx/ tavimo.cfg tavimo.lst "
                    // copies a person keeps beside the program's pictures
                    "images/Map.bmp.Latest images/.hidden images/sstv/7.Backup images/last15/ "
                    "images/last15/best.jpg images/sstv/.part images/sstv/7.part.jpg")
                .split(u' ');
        QTemporaryDir dir;
        for (const QString &path :
             kept + QStringList{"images/sstv/1", "images/wx/3", "images/Map.bmp",
                                "images/paste.gif", "images/last15/29", "Sites.txt",
                                "DiscontinuedSites.txt/",
                                // pictures a kill left half written
                                "images/wx/2.part", "images/last15/3.part"})
            make(dir.path(), path);
        const CleanupResult result = deleteCachedFiles(dir.path());
        QCOMPARE(result.removed, 8);
        QVERIFY(result.failed.isEmpty());
        // A list file name that is a folder stays.
        QCOMPARE(tree(dir.path()), sorted(kept + QStringList{"DiscontinuedSites.txt/"}));
    }

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
        for (const char *name : {"tavimo.cfg", "tavimo.lst", "WXsites.lst",
                                 "Languages/tavimo_English.Language", "desktop/tavimo.desktop"})
            writeBytes(bundled.filePath(name), QByteArray("bundled ") + name);
        Home home(bundled.path());
        const AppPaths &paths = home.paths;
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
        Home home;
        writeBytes(home.dir.filePath("file"), "x");
        home.paths.dataFolder = home.dir.filePath("file/tavimo");
        const ProvisionResult result = provisionDataFolder(home.paths);
        QVERIFY(!result.ok);
        QVERIFY(result.error.contains("tavimo"));
    }

    // A list deleted after the first start is reported, not replaced by an empty one.
    void aVanishedListIsReported() {
        Home home;
        const AppPaths &paths = home.paths;
        QVERIFY(provisionDataFolder(paths).ok);
        QVERIFY(QFile::remove(paths.data("tavimo.lst")));
        QVERIFY(provisionDataFolder(paths).ok);
        QVERIFY(!QFileInfo::exists(paths.data("tavimo.lst")));
        FakePrompts prompts;
        QVERIFY(loadSiteLists(paths, prompts).endProgram);
        QCOMPARE(prompts.calls.size(), 1);
        QCOMPARE(prompts.calls[0].text, QStringLiteral(".lst file not found"));
    }

    // The defaults we ship give a working first start.
    void bundledDefaultsStartCleanly() {
        Home home;
        const AppPaths &paths = home.paths;
        QVERIFY(provisionDataFolder(paths).ok);

        const QByteArray cfg = readBytes(paths.data("tavimo.cfg"));
        QCOMPARE(cfg, QByteArray("1\r\n2\r\n1\r\n60\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n\r\n"
                                 "0\r\n0\r\n0\r\n"));
        const ConfigFile file = readConfig(paths.data("tavimo.cfg"));
        QVERIFY(file.read);
        QCOMPARE(file.config.RefreshSeconds, 60);
        QCOMPARE(configLines(file.config).join("\r\n").toLatin1() + "\r\n", cfg);

        FakePrompts prompts;
        const StartupLists lists = loadSiteLists(paths, prompts);
        QVERIFY(prompts.calls.isEmpty());
        QVERIFY(!lists.endProgram && lists.sitesLoaded && lists.wxSitesLoaded);
        QVERIFY(lists.sites.isEmpty() && lists.wxSites.isEmpty());
        // The map pictures make the map list; the note beside them is no map.
        QCOMPARE(buildMapList(paths.data("Maps")),
                 (QStringList{"Asia Map.png", "Australia Map.png", "Europe Map.png",
                              "Japan Map.png", "New Zealand Map.png", "North America Map.png",
                              "UK Map.png", "World Map.png"}));
    }

    // ---- Saving ----------------------------------------------------------------------

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

        // Lists that failed to load leave their files alone. (A hidden window's settings are the
        // main window's life-cycle test.)
        QVERIFY(SaveConfig(
                    {&s.paths, &s.config, nullptr, nullptr, s.store.get(), &s.prompts, &s.window})
                    .ok);
        QCOMPARE(readBytes(s.paths.data("tavimo.lst")), sstvFile);
        QCOMPARE(readBytes(s.paths.data("WXsites.lst")), kWxBytes);
    }

    // Each file that cannot be written stays as it was, and the others are saved all the same;
    // one message names the failures, the lists first. Folder permissions do not stop root, so a
    // folder stands where the file goes, or a file where a folder goes; or the disk is full.
    void failedWriteKeepsOldFileAndSavesTheRest_data() {
        QTest::addColumn<QStringList>("blocked");
        QTest::addColumn<QStringList>("named"); // in the message, in this order
        for (const char *name : {"tavimo.cfg", "tavimo.lst", "WXsites.lst", "settings"})
            QTest::newRow(name) << QStringList{name} << QStringList{name};
        QTest::newRow("configuration and a list")
            << QStringList{"tavimo.cfg", "WXsites.lst"} << QStringList{"WXsites.lst", "tavimo.cfg"};
        QTest::newRow("data folder")
            << QStringList{"data folder"} << QStringList{"tavimo.lst", "WXsites.lst", "tavimo.cfg"};
        QTest::newRow("full disk")
            << QStringList{"full disk"}
            << QStringList{"tavimo.lst", "WXsites.lst", "tavimo.cfg", "settings"};
    }
    void failedWriteKeepsOldFileAndSavesTheRest() {
        QFETCH(QStringList, blocked);
        QFETCH(QStringList, named);
        QTemporaryDir scratch;
        const QString blocker = scratch.filePath("not-a-folder");
        writeBytes(blocker, "x");
        Scene s(blocked.contains("settings") ? blocker + "/Tavimo.ini" : QString());
        // A change to every file, so that the save has something to write to each.
        s.config.GuiSize = 3;
        s.sites[0].LastPictureDate = "2024-05-01 10:00";
        s.wxSites[0].SlotMap[4] = "2";
        if (blocked.contains("data folder"))
            s.paths.dataFolder = blocker;
        for (const QString &name : blocked) {
            if (name.contains('.'))
                QVERIFY(QFile::remove(s.paths.data(name)) && QDir().mkpath(s.paths.data(name)));
        }
        const bool full = blocked.contains("full disk");
        if (full) {
            s.store->setValue("LABELS", "1", "old");
            QVERIFY(s.store->sync());
        }
        const auto before = s.files();

        SaveConfigResult result;
        {
            std::optional<FileSizeLimit> limit;
            if (full)
                limit.emplace(4);
            result = s.save();
        }
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
            expected.append(name +
                            (blocked.contains(name) || full || (allFiles && name != "settings")
                                 ? " kept"
                                 : " changed"));
        QCOMPARE(changes(before, s.files()), expected);
        // No temporary file is left behind.
        for (const QString &name : QDir(s.paths.dataFolder).entryList(QDir::Files | QDir::Hidden))
            QVERIFY2(before.contains(name), qPrintable(name));
    }

    // A device that takes only part of the settings file: the old file stays
    // whole and the failure is told (QSettings put the cut file in place and
    // reported no error when the device took all but a few bytes).
    void settingsCutByTheDeviceStayWhole_data() {
        QTest::addColumn<int>("missing"); // bytes the device leaves out; -2: half
        QTest::newRow("all but one byte") << 1;
        QTest::newRow("half") << -2;
        QTest::newRow("nothing") << 0;
    }
    void settingsCutByTheDeviceStayWhole() {
        QFETCH(int, missing);
        QTemporaryDir dir;
        SettingsStore store(dir.filePath("Tavimo.ini"));
        for (int i = 1; i <= 10; ++i)
            store.setValue("LABELS", QString::number(i), QString("Page %1").arg(i));
        QVERIFY(store.sync());
        const QByteArray old = readBytes(store.fileName());
        store.setValue("LABELS", "1", "Europe and Asia");
        const qsizetype size = old.size() + 9; // the new file
        QString error;
        {
            FileSizeLimit limit(missing > 0 ? size - missing : missing < 0 ? size / -missing : 0);
            QVERIFY(!store.sync(&error));
        }
        QCOMPARE(readBytes(store.fileName()), old);
        QVERIFY2(error.contains("Tavimo.ini"), qPrintable(error));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Tavimo.ini"});
        // The change is not forgotten: the next sync writes it.
        QVERIFY(store.sync());
        QCOMPARE(SettingsStore(store.fileName()).value("LABELS", "1"), QString("Europe and Asia"));
    }

    // A settings file or lock file that is no file is named with what to remove, and never
    // waited on: a named pipe would stop the start or the save for good, a device be read
    // without end. The user's store runs in the save helper, bounded in time and memory, so
    // that a hang fails the test.
    void settingsFilesThatAreNoFilesAreNamed_data() {
        QTest::addColumn<QString>("file");   // what is no file: Tavimo.ini or Tavimo.ini.lock
        QTest::addColumn<QString>("target"); // what it is, or links to
        QTest::addColumn<QString>("remove");
        for (const auto &[name, file, target, remove] :
             {std::array{"settings file: fifo", "Tavimo.ini", "fifo", "remove the file"},
              {"settings file: link to /dev/zero", "Tavimo.ini", "/dev/zero", "remove the link"},
              {"lock: link to a fifo", "Tavimo.ini.lock", "link to fifo", "remove the link"},
              {"lock: link to /dev/zero", "Tavimo.ini.lock", "/dev/zero", "remove the link"}})
            QTest::newRow(name) << QString(file) << QString(target) << QString(remove);
    }
    void settingsFilesThatAreNoFilesAreNamed() {
        QFETCH(QString, file);
        QFETCH(QString, target);
        QFETCH(QString, remove);
        QTemporaryDir config;
        QDir dir(config.filePath("Tavimo"));
        QVERIFY(dir.mkpath("."));
        const QString path = dir.filePath(file);
        if (target == "fifo") {
            QVERIFY(makeFifo(path));
        } else if (target == "link to fifo") {
            QVERIFY(makeFifo(dir.filePath("pipe")));
            QVERIFY(QFile::link(dir.filePath("pipe"), path));
        } else {
            QVERIFY(QFile::link(target, path));
        }
        QProcess helper;
        limitChildMemory(helper);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_CONFIG_HOME", config.path());
        helper.setProcessEnvironment(environment);
        helper.start(kHelper, {"settings", config.path()});
        if (!helper.waitForFinished(10000)) {
            helper.kill();
            helper.waitForFinished();
            QFAIL("the settings store waits on the file");
        }
        QCOMPARE(helper.exitStatus(), QProcess::NormalExit);
        QCOMPARE(helper.exitCode(), 0);
        const QStringList lines =
            QString::fromLocal8Bit(helper.readAllStandardOutput()).split('\n');
        // Named at the start when it is the settings file, at the save when it is the lock.
        const QString named = lines.value(file == "Tavimo.ini" ? 0 : 1);
        QVERIFY2(named.contains(QDir::toNativeSeparators(path)) && named.contains(remove),
                 qPrintable(lines.join('\n')));
        QCOMPARE(lines.value(file == "Tavimo.ini" ? 1 : 0),
                 QString(file == "Tavimo.ini" ? "save ok" : "read "));
        // Left as it was.
        QCOMPARE(QFileInfo(path).isSymLink(), target != "fifo");
        QVERIFY(QFileInfo::exists(path) && !QFileInfo(path).isFile());
    }

    // A failed save is reported once; the store does not try it again, unseen, as it goes.
    void failedSettingsSaveIsTriedOnce() {
        QTemporaryDir dir;
        AppPaths paths;
        paths.dataFolder = dir.filePath("data");
        QVERIFY(QDir().mkpath(paths.dataFolder));
        const QString folder = dir.filePath("config");
        QVERIFY(writeBytes(folder, "a file where the folder belongs"));
        FakePrompts prompts;
        SavedState state = savedState(0);
        {
            SettingsStore store(folder + "/Tavimo.ini");
            QVERIFY(!saveVersion(paths, state, prompts, &store).ok);
            QCOMPARE(prompts.count(FakePrompts::Kind::Message), 1);
            QVERIFY2(prompts.calls[0].text.contains("Tavimo.ini"),
                     qPrintable(prompts.calls[0].text));
            // Another try would now succeed.
            QVERIFY(QFile::remove(folder) && QDir().mkpath(folder));
        }
        QVERIFY(!QFileInfo::exists(folder + "/Tavimo.ini"));
    }

    // A save killed at any moment leaves each file as it was or as it was to
    // become, never cut; the next start removes what the killed saves left, and
    // nothing else.
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

        const QStringList before = tree(data);
        removeSaveLeftovers(data);
        // Nothing but the saved files themselves is left once the start has swept.
        QCOMPARE(tree(data), sorted(savedFileNames()));
        qInfo() << before.size() - 3 << "files and folders left by killed saves";
    }

    // A real full disk, where the system allows a private tmpfs: each old
    // file stays whole, and one message names them all.
    void realFullDisk() {
        QTemporaryDir dir;
        const TmpfsRun run = onTmpfs({"full-disk", dir.path()});
        if (run.exitCode == 77)
            QSKIP("this system lets no test mount a tmpfs");
        QCOMPARE(run.exitCode, 0);
        const QStringList &lines = run.lines;
        QCOMPARE(lines.mid(0, 5),
                 (QStringList{"tavimo.cfg kept", "tavimo.lst kept", "WXsites.lst kept",
                              "Tavimo.ini kept", "messages 1"}));
        const QString error = lines.value(5);
        QVERIFY2(error.contains("tavimo.lst") && error.contains("Tavimo.ini") &&
                     error.contains(QString::fromLocal8Bit(std::strerror(ENOSPC))),
                 qPrintable(error));
    }

    // The settings file on a real disk with a few KiB left: it holds the new
    // settings, or the old ones whole with one message naming it; never less
    // (QSettings once left it empty there and called that a success).
    void settingsOnANearlyFullDisk_data() {
        QTest::addColumn<int>("left");
        for (int left : {0, 2048, 4096, 8192, 12288})
            QTest::addRow("%d bytes left", left) << left;
    }
    void settingsOnANearlyFullDisk() {
        QFETCH(int, left);
        QTemporaryDir dir;
        const TmpfsRun run = onTmpfs({"partial-disk", dir.path(), QString::number(left)});
        if (run.exitCode == 77)
            QSKIP("this system lets no test mount a tmpfs");
        QCOMPARE(run.exitCode, 0);
        const QStringList &lines = run.lines;
        const QString outcome = lines.value(0);
        if (outcome == "Tavimo.ini new") {
            QCOMPARE(lines.value(1), QString("messages 0"));
        } else {
            QCOMPARE(outcome, QString("Tavimo.ini old"));
            QCOMPARE(lines.value(1), QString("messages 1"));
            QVERIFY2(lines.value(2).contains("Tavimo.ini"), qPrintable(lines.value(2)));
        }
    }
};

QTEST_GUILESS_MAIN(DataFilesTest)
#include "tst_datafiles.moc"
