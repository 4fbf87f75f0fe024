#include "core/app/StartupFiles.h"

#include "support/TestFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace tavimo;
using tavimo::test::readBytes;

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
        const QByteArray bytes("line 1\r\n\xD8\x00\xFF\r\n", 12);
        make(f.program, source, bytes);
        const LegacyMoveResult result = f.move();
        QCOMPARE(result.moved, QStringList{target});
        QVERIFY(result.failed.isEmpty());
        QCOMPARE(readBytes(f.data + '/' + target), bytes);
        QCOMPARE(readBytes(f.data + "/Backups/" + target), bytes);
        QCOMPARE(tree(f.program), QStringList{});
        QCOMPARE(tree(f.data), (QStringList{"Backups/", "Backups/" + target, target}));
    }

    void allThreeMoveAndOthersStay() {
        Folders f;
        for (const char *name : {"tavimo.cfg", "tavimo.lst", "WxSites.lst", "tavimo.cfg.bak"})
            make(f.program, name, name);
        QCOMPARE(f.move().moved, (QStringList{"tavimo.cfg", "tavimo.lst", "WXsites.lst"}));
        QCOMPARE(tree(f.program), QStringList{"tavimo.cfg.bak"});
        QCOMPARE(readBytes(f.data + "/WXsites.lst"), QByteArray("WxSites.lst"));
    }

    void readOnlyProgramFolderIsLeftAlone() {
        Folders f;
        QVERIFY(isFolderWritable(f.program) && !isFolderWritable(f.program + "/missing"));
        make(f.program, "tavimo.cfg", "cfg");
        make(f.data, "tavimo.cfg", "mine");
        const LegacyMoveResult result = f.move(false);
        QVERIFY(result.moved.isEmpty() && result.failed.isEmpty());
        QCOMPARE(readBytes(f.program + "/tavimo.cfg"), QByteArray("cfg"));
        QCOMPARE(readBytes(f.data + "/tavimo.cfg"), QByteArray("mine"));
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
        const QStringList kept{"Backups/",
                               "Backups/tavimo.lst.backup",
                               "Backups/tavimo.lst",
                               "WXsites.lst",
                               "config/",
                               "config/Tavimo.ini",
                               "config/other.ini.AbCdEf",
                               "notes.txt.AbCdEf",
                               "tavimo.cfg.AbCdE",
                               "tavimo.cfg.AbCd3f",
                               "tavimo.lst",
                               "tavimo.lst.BEFORE",
                               "tavimo.lst.backup"};
        const QStringList leftovers{"Backups/tavimo.previous.lst.qWeRtY",
                                    "Backups/WXsites.lst.replaced.AAAAAz",
                                    "WXsites.lst.riYbjI",
                                    "config/Tavimo.ini.XyZabc",
                                    "tavimo.cfg.Zzzzzz",
                                    "tavimo.lst.abcdeF"};
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
        const QStringList kept{"Backups/",      "Backups/tavimo.lst",
                               "Maps/",         "Maps/W Map.png",
                               "TextFiles/",    "TextFiles/AB1CD-1.txt",
                               "WXsites.lst",   "images/",
                               "images/other/", "images/other/deeper.jpg",
                               "images/sstv/",  "images/wx/",
                               "tavimo.cfg",    "tavimo.lst"};
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
};

QTEST_GUILESS_MAIN(StartupFilesTest)
#include "tst_startupfiles.moc"
