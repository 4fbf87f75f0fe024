#include "core/StartupFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace tavimo;

namespace {

// Makes a file (or, for a path ending in "/", a folder) below root.
void make(const QString &root, const QString &relative, const QByteArray &bytes = "x") {
    const QString path = root + '/' + relative;
    if (relative.endsWith('/')) {
        QVERIFY(QDir().mkpath(path));
        return;
    }
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray contents(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
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

const auto writable = [](const QString &) { return true; };

// A program folder and a data folder with its Backups folder, as after a first start.
struct Folders {
    QTemporaryDir root;
    QString program = root.filePath("program");
    QString data = root.filePath("data");
    Folders() {
        QDir().mkpath(program);
        QDir().mkpath(data + "/Backups");
    }
};

} // namespace

class StartupFilesTest : public QObject {
    Q_OBJECT

private slots:
    void legacyFileMoves_data() {
        QTest::addColumn<QString>("sourceName");
        QTest::addColumn<QString>("targetName");
        QTest::newRow("configuration") << "tavimo.cfg"
                                       << "tavimo.cfg";
        QTest::newRow("sstv list") << "tavimo.lst"
                                   << "tavimo.lst";
        QTest::newRow("wx list, old spelling") << "WxSites.lst"
                                               << "WXsites.lst";
        QTest::newRow("wx list, upper case") << "WXSITES.LST"
                                             << "WXsites.lst";
        QTest::newRow("wx list, lower case") << "wxsites.lst"
                                             << "WXsites.lst";
        QTest::newRow("wx list, data spelling") << "WXsites.lst"
                                                << "WXsites.lst";
        QTest::newRow("configuration, mixed case") << "Tavimo.CFG"
                                                   << "tavimo.cfg";
    }
    void legacyFileMoves() {
        QFETCH(QString, sourceName);
        QFETCH(QString, targetName);
        Folders f;
        const QByteArray bytes("line 1\r\n\xD8\x00\xFF\r\n", 12);
        make(f.program, sourceName, bytes);

        const LegacyMoveResult result = moveLegacyFiles(f.program, f.data, writable);

        QCOMPARE(result.moved, QStringList{targetName});
        QVERIFY(result.failed.isEmpty());
        QCOMPARE(contents(f.data + '/' + targetName), bytes);
        QCOMPARE(contents(f.data + "/Backups/" + targetName), bytes);
        QCOMPARE(tree(f.program), QStringList{});
        QCOMPARE(tree(f.data), (QStringList{"Backups/", "Backups/" + targetName, targetName}));
    }

    void allThreeMoveAndOthersStay() {
        Folders f;
        make(f.program, "tavimo.cfg", "cfg");
        make(f.program, "tavimo.lst", "lst");
        make(f.program, "WxSites.lst", "wx");
        make(f.program, "tavimo.cfg.bak");
        make(f.program, "infobefore.txt");

        const LegacyMoveResult result = moveLegacyFiles(f.program, f.data, writable);

        QCOMPARE(result.moved, (QStringList{"tavimo.cfg", "tavimo.lst", "WXsites.lst"}));
        QCOMPARE(tree(f.program), (QStringList{"infobefore.txt", "tavimo.cfg.bak"}));
        QCOMPARE(contents(f.data + "/WXsites.lst"), QByteArray("wx"));
        QCOMPARE(contents(f.data + "/Backups/tavimo.lst"), QByteArray("lst"));
    }

    void readOnlyProgramFolderIsLeftAlone() {
        Folders f;
        make(f.program, "tavimo.cfg", "cfg");
        make(f.data, "tavimo.cfg", "mine");
        const LegacyMoveResult result =
            moveLegacyFiles(f.program, f.data, [](const QString &) { return false; });
        QVERIFY(result.moved.isEmpty());
        QVERIFY(result.failed.isEmpty());
        QCOMPARE(contents(f.program + "/tavimo.cfg"), QByteArray("cfg"));
        QCOMPARE(tree(f.data), (QStringList{"Backups/", "tavimo.cfg"}));
        QCOMPARE(contents(f.data + "/tavimo.cfg"), QByteArray("mine"));
    }

    void realWritabilityCheck() {
        QTemporaryDir dir;
        QVERIFY(isFolderWritable(dir.path()));
        QVERIFY(!isFolderWritable(dir.filePath("missing")));
        make(dir.path(), "file");
        QVERIFY(!isFolderWritable(dir.filePath("file")));

        const QString locked = dir.filePath("locked");
        make(dir.path(), "locked/");
        QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
        const bool canWrite = QFile(locked + "/probe").open(QIODevice::WriteOnly);
        const bool reported = isFolderWritable(locked);
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (canWrite)
            QSKIP("permissions do not stop this user from writing");
        QVERIFY(!reported);
    }

    void failedCopyKeepsTheSource_data() {
        QTest::addColumn<QString>("obstacle");
        QTest::newRow("Backups missing") << "";
        QTest::newRow("Backups is a file") << "Backups";
        QTest::newRow("Backups/tavimo.lst is a folder") << "Backups/tavimo.lst/";
        QTest::newRow("data file is a folder") << "tavimo.lst/";
    }
    void failedCopyKeepsTheSource() {
        QFETCH(QString, obstacle);
        QTemporaryDir root;
        const QString program = root.filePath("program");
        const QString data = root.filePath("data");
        make(program, "tavimo.lst", "theirs");
        if (obstacle != "tavimo.lst/")
            make(data, "tavimo.lst", "mine");
        if (!obstacle.isEmpty()) {
            if (obstacle != "Backups")
                make(data, "Backups/");
            make(data, obstacle);
        }

        const LegacyMoveResult result = moveLegacyFiles(program, data, writable);

        QVERIFY(result.moved.isEmpty());
        QCOMPARE(result.failed.size(), 1);
        QCOMPARE(contents(program + "/tavimo.lst"), QByteArray("theirs"));
        if (obstacle != "tavimo.lst/") // DataFolder keeps the user's file
            QCOMPARE(contents(data + "/tavimo.lst"), QByteArray("mine"));
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

        const LegacyMoveResult result = moveLegacyFiles(f.program, f.data, writable);

        QCOMPARE(result.moved, QStringList{"tavimo.lst"});
        QCOMPARE(contents(f.data + "/tavimo.lst"), QByteArray("theirs"));
        QCOMPARE(QDir(f.data + "/Backups").entryList(QDir::Files, QDir::Name), backups);
        if (backups.size() > 1)
            QCOMPARE(contents(f.data + "/Backups/tavimo.lst.replaced"), existing);
    }

    void twoSpellingsAreNotGuessed() {
        Folders f;
        make(f.program, "WxSites.lst", "a");
        make(f.program, "wxsites.lst", "b");
        make(f.program, "tavimo.cfg", "cfg");

        const LegacyMoveResult result = moveLegacyFiles(f.program, f.data, writable);

        QCOMPARE(result.moved, QStringList{"tavimo.cfg"});
        QCOMPARE(result.failed.size(), 1);
        QCOMPARE(tree(f.program), (QStringList{"WxSites.lst", "wxsites.lst"}));
        QVERIFY(!QFileInfo::exists(f.data + "/WXsites.lst"));
    }

    void programFolderThatIsTheDataFolder_data() {
        QTest::addColumn<QString>("programBelowData");
        QTest::newRow("data folder") << "";
        QTest::newRow("its Backups folder") << "Backups";
    }
    void programFolderThatIsTheDataFolder() {
        QFETCH(QString, programBelowData);
        Folders f;
        const QString program = f.data + '/' + programBelowData;
        make(program, "tavimo.lst", "only copy");
        const LegacyMoveResult result = moveLegacyFiles(program, f.data, writable);
        QVERIFY(result.moved.isEmpty());
        QCOMPARE(contents(program + "/tavimo.lst"), QByteArray("only copy"));
    }

    void mapList_data() {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("maps");
        QTest::newRow("maps among other files")
            << QStringList{"World Map.bmp", "Europe Map.jpg", "readme.txt"}
            << QStringList{"Europe Map.jpg", "World Map.bmp"};
        QTest::newRow("case of Map counts")
            << QStringList{"europe map.jpg", "Europe MAP.jpg"} << QStringList{};
        QTest::newRow("sorted without regard to case")
            << QStringList{"Europe Map.png", "asia Map.png", "UK Map.png"}
            << QStringList{"asia Map.png", "Europe Map.png", "UK Map.png"};
        QTest::newRow("short names skipped")
            << QStringList{"Map", "ap.", "", "Map.png"} << QStringList{"Map.png"};
        QTest::newRow("the last four characters are cut, whatever they are")
            << QStringList{"World Map.jpeg", "World Map.tif", "World Map1234"}
            << QStringList{"World Map.tif", "World Map1234"};
        QTest::newRow("no extension") << QStringList{"World Map"} << QStringList{};
        QTest::newRow("ties in case are ordered")
            << QStringList{"b Map.png", "B Map.png"} << QStringList{"B Map.png", "b Map.png"};
    }
    void mapList() {
        QFETCH(QStringList, names);
        QFETCH(QStringList, maps);
        QCOMPARE(mapListFromNames(names), maps);
    }

    void mapListFromFolder() {
        QTemporaryDir dir;
        make(dir.path(), "World Map.png");
        make(dir.path(), "Japan Map.png");
        make(dir.path(), "notes.txt");
        make(dir.path(), "Old Map.dir/"); // folders are no pictures
        QCOMPARE(buildMapList(dir.path()), (QStringList{"Japan Map.png", "World Map.png"}));
        QCOMPARE(buildMapList(dir.filePath("missing")), QStringList{});
        QCOMPARE(buildMapList(QString()), QStringList{});
    }

    void cachedFilesGo_data() {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<int>("removed");
        const QStringList kept{"Backups/",
                               "Backups/tavimo.lst",
                               "Languages/",
                               "Languages/tavimo_English.Language",
                               "Maps/",
                               "Maps/World Map.png",
                               "TextFiles/",
                               "TextFiles/AB1CD-1.txt",
                               "WXsites.lst",
                               "images/",
                               "images/last15/",
                               "images/other/",
                               "images/other/deeper.jpg",
                               "images/sstv/",
                               "images/wx/",
                               "tavimo.cfg",
                               "tavimo.lst"};
        QTest::newRow("full data folder")
            << kept + QStringList{"images/sstv/1",        "images/sstv/24",      "images/wx/3",
                                  "images/last15/15",     "images/last15/x.jpg", "images/Map.bmp",
                                  "images/paste.gif",     "images/.hidden",      "Sites.txt",
                                  "DiscontinuedSites.txt"}
            << kept << 10;
        QTest::newRow("image folders missing")
            << QStringList{"tavimo.cfg", "Sites.txt"} << QStringList{"tavimo.cfg"} << 1;
        QTest::newRow("nothing cached")
            << QStringList{"images/sstv/", "images/wx/", "TextFiles/a.txt"}
            << QStringList{"TextFiles/", "TextFiles/a.txt", "images/", "images/sstv/", "images/wx/"}
            << 0;
        QTest::newRow("list file names that are folders stay")
            << QStringList{"Sites.txt/"} << QStringList{"Sites.txt/"} << 0;
    }
    void cachedFilesGo() {
        QFETCH(QStringList, before);
        QFETCH(QStringList, after);
        QFETCH(int, removed);
        QTemporaryDir dir;
        for (const QString &path : before)
            make(dir.path(), path);

        const CleanupResult result = deleteCachedFiles(dir.path());

        QCOMPARE(result.removed, removed);
        QVERIFY(result.failed.isEmpty());
        QCOMPARE(tree(dir.path()), after);
    }
};

QTEST_GUILESS_MAIN(StartupFilesTest)
#include "tst_startupfiles.moc"
