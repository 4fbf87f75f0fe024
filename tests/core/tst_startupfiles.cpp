#include "core/app/StartupFiles.h"
#include "core/files/AppPaths.h"
#include "core/files/Config.h"
#include "core/sites/SiteLists.h"

#include "support/FakePrompts.h"

#include "support/TestFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace tavimo;
using tavimo::test::readBytes;
using tavimo::test::writeBytes;

namespace {

// Makes a file, or for a path ending in "/" a folder, below root.
void make(const QString &root, const QString &relative, const QByteArray &bytes = "x") {
    if (relative.endsWith('/'))
        QVERIFY(QDir().mkpath(root + '/' + relative));
    else
        QVERIFY(tavimo::test::writeBytes(root + '/' + relative, bytes));
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

} // namespace

// What a start finds and sets in order: the data folder, files from the program folder,
// leftovers of killed saves and cached files, the map list.
class StartupFilesTest : public QObject {
    Q_OBJECT

private slots:
    void legacyFileMoves_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("target");
        for (auto [source, target] : {std::pair{"tavimo.lst", "tavimo.lst"},
                                      {"WxSites.lst", "WXsites.lst"},
                                      {"wxsites.lst", "WXsites.lst"},
                                      {"Tavimo.CFG", "tavimo.cfg"}})
            QTest::newRow(source) << QString(source) << QString(target);
    }
    void legacyFileMoves() {
        QFETCH(QString, source);
        QFETCH(QString, target);
        Folders f;
        QVERIFY(isFolderWritable(f.program) && !isFolderWritable(f.program + "/missing"));
        const QByteArray bytes("line 1\r\n\xD8\x00\xFF\r\n", 12);
        make(f.program, source, bytes);
        make(f.program, "tavimo.cfg.bak"); // no file of ours: it stays
        const LegacyMoveResult result = f.move();
        QCOMPARE(result.moved, QStringList{target});
        QVERIFY(result.failed.isEmpty());
        QCOMPARE(readBytes(f.data + '/' + target), bytes);
        QCOMPARE(readBytes(f.data + "/Backups/" + target), bytes);
        QCOMPARE(tree(f.program), QStringList{"tavimo.cfg.bak"});
        QCOMPARE(tree(f.data), (QStringList{"Backups/", "Backups/" + target, target}));
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

    void existingDataFile_data() {
        QTest::addColumn<QByteArray>("existing");
        QTest::addColumn<QStringList>("backups");
        QTest::newRow("different bytes are kept aside")
            << QByteArray("mine") << QStringList{"tavimo.lst", "tavimo.lst.replaced"};
        QTest::newRow("same bytes need no copy")
            << QByteArray("theirs") << QStringList{"tavimo.lst"};
    }
    void existingDataFile() {
        QFETCH(QByteArray, existing);
        QFETCH(QStringList, backups);
        Folders f;
        make(f.program, "tavimo.lst", "theirs");
        make(f.data, "tavimo.lst", existing);
        QCOMPARE(f.move().moved, QStringList{"tavimo.lst"});
        QCOMPARE(readBytes(f.data + "/tavimo.lst"), QByteArray("theirs"));
        QCOMPARE(QDir(f.data + "/Backups").entryList(QDir::Files, QDir::Name), backups);
        if (backups.size() > 1)
            QCOMPARE(readBytes(f.data + "/Backups/tavimo.lst.replaced"), existing);
    }

    void twoSpellingsAreNotGuessed() {
        Folders f;
        make(f.program, "WxSites.lst", "a");
        make(f.program, "wxsites.lst", "b");
        const LegacyMoveResult result = f.move();
        QCOMPARE(result.failed.size(), 1);
        QCOMPARE(tree(f.program), (QStringList{"WxSites.lst", "wxsites.lst"}));
        QVERIFY(!QFileInfo::exists(f.data + "/WXsites.lst"));
    }

    void programFolderInsideTheDataFolder() {
        for (const QString below : {"", "/Backups"}) {
            Folders f;
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

    // What a save killed halfway leaves goes at the next start; a name a
    // person chose stays.
    void saveLeftoversGo() {
        const QStringList kept =
            QString("Backups/ Backups/tavimo.lst.backup Backups/tavimo.lst WXsites.lst config/ "
                    "config/Tavimo.ini config/other.ini.AbCdEf notes.txt.AbCdEf tavimo.cfg.AbCdE "
                    "tavimo.cfg.AbCd3f tavimo.lst tavimo.lst.BEFORE tavimo.lst.backup")
                .split(u' ');
        const QStringList leftovers =
            QString("Backups/tavimo.previous.lst.qWeRtY Backups/WXsites.lst.replaced.AAAAAz "
                    "WXsites.lst.riYbjI config/Tavimo.ini.XyZabc tavimo.cfg.Zzzzzz "
                    "tavimo.lst.abcdeF")
                .split(u' ');
        QTemporaryDir dir;
        for (const QString &path : kept + leftovers)
            make(dir.path(), path);
        QStringList removed = removeSaveLeftovers(dir.path(), dir.filePath("config/Tavimo.ini"));
        for (QString &path : removed)
            path = QDir(dir.path()).relativeFilePath(path);
        removed.sort();
        QStringList expected = leftovers;
        expected.sort();
        QCOMPARE(removed, expected);
        expected = kept;
        expected.sort();
        QCOMPARE(tree(dir.path()), expected);
        QVERIFY(removeSaveLeftovers(QString()).isEmpty());
    }

    void cachedFilesGo() {
        const QStringList kept =
            QString("Backups/ Backups/tavimo.lst Maps/ Maps/Asia.png TextFiles/ "
                    "TextFiles/AB1CD-1.txt WXsites.lst images/ images/other/ "
                    "images/other/deeper.jpg images/sstv/ images/wx/ tavimo.cfg tavimo.lst")
                .split(u' ');
        QTemporaryDir dir;
        for (const QString &path :
             kept + QStringList{"images/sstv/1", "images/wx/3", "images/Map.bmp", "images/.hidden",
                                "Sites.txt", "DiscontinuedSites.txt/"})
            make(dir.path(), path);
        const CleanupResult result = deleteCachedFiles(dir.path());
        QCOMPARE(result.removed, 5);
        QVERIFY(result.failed.isEmpty());
        // A list file name that is a folder stays.
        QStringList after = kept + QStringList{"DiscontinuedSites.txt/"};
        after.sort();
        QCOMPARE(tree(dir.path()), after);
    }

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
        // The map pictures make the map list; the note beside them is no map.
        QCOMPARE(buildMapList(paths.data("Maps")),
                 (QStringList{"Asia Map.png", "Australia Map.png", "Europe Map.png",
                              "Japan Map.png", "New Zealand Map.png", "North America Map.png",
                              "UK Map.png", "World Map.png"}));
    }
};

QTEST_GUILESS_MAIN(StartupFilesTest)
#include "tst_startupfiles.moc"
