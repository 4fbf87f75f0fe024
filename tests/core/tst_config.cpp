#include "core/base/AtomicWrite.h"
#include "core/base/Numbers.h"
#include "core/base/TextCodec.h"
#include "core/base/TextFile.h"
#include "core/files/Config.h"
#include "core/files/SettingsStore.h"
#include "core/files/StoreSettings.h"
#include "core/text/DateOrder.h"
#include "core/text/Language.h"
#include "ui/Placement.h"

#include "FileSizeLimit.h"
#include "support/FakePrompts.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>
#include <future>

using namespace tavimo;
using tavimo::test::readBytes;
using tavimo::test::writeBytes;
using Outcome = tavimo::LanguageLoadOutcome;

namespace {

// Setting n of the file as a number, MyCall as its length.
double setting(const Config &c, int line) {
    return (QList<double>{} << c.GuiSize << c.ThumbSetting << c.AutoRefreshMode << c.RefreshSeconds
                            << c.StartPage << c.LanguageIndex << c.MyLat << c.MyLon << c.Units
                            << c.CfgSpare10 << c.CfgSpare11 << double(c.MyCall.size()) << c.MapIndex
                            << c.ScrollX << c.ScrollY)
        .at(line - 1);
}

const QString kTitle = QStringLiteral("Tavimo  4.91");
const QString kBundled = QStringLiteral(TAVIMO_SOURCE_DATA_DIR "/Languages");

QString oldText(const char *name) {
    return QStringLiteral("old ") + QLatin1String(name);
}

// A language file whose entry n reads "Entry n = En", cut after lineCount lines.
QByteArray languageFile(const QString &versionLine, int lineCount = 1 + kLanguageEntryCount) {
    QStringList lines{versionLine};
    for (int entry = 1; entry <= kLanguageEntryCount; ++entry)
        lines.append(QStringLiteral("Entry %1 = E%1").arg(entry));
    return lineCount == 0 ? QByteArray()
                          : encodeCp1252(lines.mid(0, lineCount).join("\r\n") + "\r\n");
}

struct Scene {
    QTemporaryDir dir;
    LanguageTexts texts;
    MenuCaptions captions;
    tavimo::test::FakePrompts prompts;

    // Texts as a previous language left them, so that a test sees what a load replaced.
    void fillWithOldValues() {
        for (const LanguageTextSlot &slot : kLanguageTextSlots)
            texts.*slot.text = oldText(slot.name);
        texts.LngTextTitle = QStringLiteral("old held");
        for (const MenuCaptionSlot &slot : kMenuCaptionSlots)
            captions.insert({QLatin1String(slot.menu), slot.index}, oldText(slot.menu));
    }
    // An empty file means no file at all.
    LanguageLoadResult load(int index, const QByteArray &file, bool write = true) {
        if (write)
            writeBytes(dir.filePath(languageFileName(index)), file);
        return LoadLanguage(dir.path(), index, kTitle, prompts, texts, captions);
    }
};

} // namespace

// The text files everything is kept in: the configuration, settings and placements in them,
// and the language files; and the system's date order that dates are shown in.
class ConfigTest : public QObject {
    Q_OBJECT

private slots:
    void everyByteRoundTrips() {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(static_cast<char>(b));
        const QString text = decodeCp1252(all);
        QCOMPARE(encodeCp1252(text), all);
        QCOMPARE(encodeCp1252(u"a\u4E2Db"), QByteArray("a?b"));
    }

    void writeThenReadIsByteExact() {
        QTemporaryDir dir;
        const QString path = dir.filePath("x.txt");
        const QStringList lines{QString::fromUtf16(u"SM0\u00D8X*1"), "", "http://a/b"};
        QVERIFY(writeTextLines(path, lines).ok);
        QCOMPARE(readBytes(path), QByteArray("SM0\xD8X*1\r\n\r\nhttp://a/b\r\n"));
        QCOMPARE(*readTextLines(path), lines);
        QVERIFY(!readTextLines(dir.filePath("missing/file.txt")).has_value());
        QCOMPARE(splitTextLines("a\r\nb\nc\rd"), (QStringList{"a", "b", "c", "d"}));
        QCOMPARE(splitTextLines("\r\n\r\nx\r\n\r\n"), (QStringList{"", "", "x", ""}));
        QVERIFY(splitTextLines(QByteArray()).isEmpty());
    }

    // A full disk: the old file stays whole and the message says why.
    void fullDiskKeepsOldFile_data() {
        QTest::addColumn<int>("lineCount");
        QTest::newRow("fails at the last flush") << 10; // Qt buffers the small file
        QTest::newRow("fails at the write") << 10000;   // larger than Qt's buffer
    }
    void fullDiskKeepsOldFile() {
        QFETCH(int, lineCount);
        QTemporaryDir dir;
        const QString path = dir.filePath("keep.txt");
        QVERIFY(writeTextLines(path, {"old"}).ok);
        WriteResult result;
        {
            tavimo::test::FileSizeLimit full(4);
            result = writeTextLines(path, QStringList(lineCount, "a line that does not fit"));
        }
        QVERIFY(!result.ok);
        QVERIFY2(result.error.contains("keep.txt") &&
                     result.error.contains(QString::fromLocal8Bit(std::strerror(EFBIG))),
                 qPrintable(result.error));
        QCOMPARE(readBytes(path), QByteArray("old\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"keep.txt"});
    }

    // A save replaces the file a path names and nothing else: the file's
    // permissions and a link leading to it stay, and nothing is left beside it,
    // whether the new version was staged without a name or with one.
    void saveReplacesOnlyTheFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("named");
        for (const char *kind : {"new file", "permissions", "link"}) {
            for (bool named : {false, true})
                QTest::addRow("%s, %s", kind, named ? "named" : "unnamed") << kind << named;
        }
    }
    void saveReplacesOnlyTheFile() {
        QFETCH(QString, kind);
        QFETCH(bool, named);
        QTemporaryDir dir;
        const QString path = dir.filePath("list.txt");
        QString file = path; // where the bytes belong
        if (kind == "permissions") {
            QVERIFY(writeBytes(path, "old"));
            QVERIFY(QFile::setPermissions(path,
                                          QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        } else if (kind == "link") {
            file = dir.filePath("synced/list.txt");
            QVERIFY(writeBytes(file, "old"));
            QVERIFY(QFile::link(file, path));
        } else {
            // What any other program's new file gets under this umask.
            QFile reference(dir.filePath("reference"));
            QVERIFY(reference.open(QIODevice::WriteOnly));
        }
        const QFile::Permissions expected =
            QFileInfo(kind == "new file" ? dir.filePath("reference") : file).permissions();

        QCOMPARE(replaceFileAtomically(path, "new",
                                       named ? Staging::Named : Staging::UnnamedWherePossible),
                 QString());
        QCOMPARE(readBytes(file), QByteArray("new"));
        QCOMPARE(QFileInfo(path).isSymLink(), kind == "link");
        QCOMPARE(QFileInfo(file).permissions(), expected);
        for (const QString &folder : {dir.path(), QFileInfo(file).absolutePath()})
            QVERIFY(!QFileInfo::exists(saveStagingFolder(folder)));
    }

    // Windows editors save "Unicode" as UTF-16 with a mark; NUL outside
    // UTF-16, or NUL characters within it, are no text.
    void textFileEncodings_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines"); // {"<no text>"}: refused
        const QString text = QString::fromUtf16(u"SM\u00D8A*1\r\n\u0416\r\n");
        const QStringList lines{QString::fromUtf16(u"SM\u00D8A*1"), QString::fromUtf16(u"\u0416")};
        const QByteArray le =
            "\xFF\xFE" + QByteArray(QStringEncoder(QStringEncoder::Utf16LE)(text));
        const QByteArray be =
            "\xFE\xFF" + QByteArray(QStringEncoder(QStringEncoder::Utf16BE)(text));
        QTest::newRow("Windows-1252") << QByteArray("SM\xD8"
                                                    "A*1\r\n\x80")
                                      << QStringList{"SM\u00D8A*1", "\u20AC"};
        QTest::newRow("UTF-16 LE") << le << lines;
        QTest::newRow("UTF-16 BE") << be << lines;
        QTest::newRow("Windows-1252 that starts like a mark")
            << QByteArray("\xFF\xFEK1A*1\r\n") << QStringList{"\u00FF\u00FEK1A*1"};
        QTest::newRow("UTF-16 with NUL") << le + QByteArray(2, 0) << QStringList{"<no text>"};
        QTest::newRow("UTF-16 without mark") << le.mid(2) << QStringList{"<no text>"};
        QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16)
                                << QStringList{"<no text>"};
    }
    void textFileEncodings() {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = dir.filePath("list.lst");
        writeBytes(path, bytes);
        QTEST(readTextLines(path).value_or(QStringList{"<no text>"}), "lines");
    }

    void numbers() {
        const QStringList texts{"-81.2", "   7",  "42,5", "60 sec", "abc", "-",
                                ".5",    "1.2.3", "1e3",  "12e",    "1 2"};
        const QList<double> values{-81.2, 7, 42, 60, 0, 0, 0.5, 1.2, 1000, 12, 12};
        for (int i = 0; i < texts.size(); ++i)
            QCOMPARE(Val(texts[i]), values[i]);
        const QList<double> halves{0.5, 1.5, 2.5, -2.5}, rounded{0, 2, 2, -2};
        for (int i = 0; i < halves.size(); ++i)
            QCOMPARE(roundHalfEven(halves[i]), rounded[i]);
        QCOMPARE(toInt16(32767.4), std::optional<std::int16_t>(32767));
        QVERIFY(!toInt16(32768.0) && !toInt16(-32769.0) && !toInt16(std::nan("")));
        QCOMPARE(toInt32(70000.0), std::optional<std::int32_t>(70000));
        QVERIFY(!toInt32(3e9));
        const QList<double> numbers{42, -81.2, -0.0, 0.0000001, 1e20, 0.1 + 0.2};
        const QStringList written{"42", "-81.2", "0", "0.0000001", "100000000000000000000", "0.3"};
        for (int i = 0; i < numbers.size(); ++i)
            QCOMPARE(numberText(numbers[i]), written[i]);
    }

    void fullFileRoundTrips() {
        const QByteArray bytes = "2\r\n4\r\n1\r\n90\r\n1\r\n3\r\n41.5\r\n-81.2\r\n1\r\n-7\r\n1\r\n"
                                 "SM\xD8"
                                 "ABC\r\n5\r\n-120\r\n70000\r\n";
        QTemporaryDir dir;
        writeBytes(dir.filePath("in.cfg"), bytes);
        const ConfigFile file = readConfig(dir.filePath("in.cfg"));
        QVERIFY(file.read);
        const Config &c = file.config;
        QCOMPARE(c.MyLat, 41.5);
        QCOMPARE(c.MyLon, -81.2);
        QCOMPARE(c.MyCall, QString("SM\u00D8"
                                   "ABC"));
        QCOMPARE(c.ScrollX, -120);
        QCOMPARE(c.ScrollY, 70000);
        QCOMPARE(file.CurrentPage, 11);
        QVERIFY(writeConfig(dir.filePath("out.cfg"), c));
        QCOMPARE(readBytes(dir.filePath("out.cfg")), bytes);

        // A callsign cannot break the file.
        Config broken;
        broken.MyCall = QString("K1\r\nAB") + QChar(0) + "C";
        QVERIFY(writeConfig(dir.filePath("tavimo.cfg"), broken));
        const ConfigFile back = readConfig(dir.filePath("tavimo.cfg"));
        QCOMPARE(back.config.MyCall, QString("K1ABC"));
        QCOMPARE(back.config.MapIndex, 0);
    }

    // One line given, every other line empty.
    void clampsAndRounding_data() {
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("refresh 60000 ms") << 4 << "60000" << 60.0;
        QTest::newRow("refresh 10") << 4 << "10" << 30.0;
        QTest::newRow("refresh 300") << 4 << "300" << 300.0;
        QTest::newRow("refresh 301") << 4 << "301" << 30.0;
        QTest::newRow("refresh 400000 ms") << 4 << "400000" << 300.0;
        QTest::newRow("refresh too large") << 4 << "99999999999" << 30.0;
        QTest::newRow("half to even 2.5") << 1 << "2.5" << 2.0;
        QTest::newRow("gui size 7") << 1 << "7" << 3.0;
        QTest::newRow("thumbs 5") << 2 << "5" << 2.0;
        QTest::newRow("language 7") << 6 << "7" << 4.0;
        QTest::newRow("latitude with comma") << 7 << "42,5" << 42.0;
        QTest::newRow("longitude too large") << 8 << "1e999" << 0.0;
        QTest::newRow("spare 11 of 5") << 11 << "5" << 1.0;
        QTest::newRow("map index too large") << 13 << "32768" << 0.0;
        QTest::newRow("scroll too large") << 15 << "3000000000" << 0.0;
    }
    void clampsAndRounding() {
        QFETCH(int, line);
        QFETCH(QString, text);
        QFETCH(double, expected);
        QStringList lines(15, QString());
        lines[line - 1] = text;
        const Config c = parseConfig(lines);
        QCOMPARE(setting(c, line), expected);
        QCOMPARE(configLines(c).at(line - 1), QString::number(expected)); // written back as read
    }

    // Missing lines take their defaults.
    void shortEmptyAndMissingFiles_data() {
        QTest::addColumn<QByteArray>("bytes");  // "<none>": no file
        QTest::addColumn<QList<int>>("values"); // GuiSize ThumbSetting AutoRefreshMode
        QTest::newRow("missing") << QByteArray("<none>") << QList<int>{0, 2, 0};
        QTest::newRow("empty") << QByteArray() << QList<int>{0, 2, 0};
        QTest::newRow("three lines") << QByteArray("1\r\n3\r\n1\r\n") << QList<int>{1, 3, 1};
    }
    void shortEmptyAndMissingFiles() {
        QFETCH(QByteArray, bytes);
        QFETCH(QList<int>, values);
        QTemporaryDir dir;
        if (bytes != "<none>")
            writeBytes(dir.filePath("tavimo.cfg"), bytes);
        const ConfigFile file = readConfig(dir.filePath("tavimo.cfg"));
        QCOMPARE(file.read, bytes != "<none>");
        Config expected;
        expected.RefreshSeconds = 30;
        expected.GuiSize = std::int16_t(values[0]);
        expected.ThumbSetting = std::int16_t(values[1]);
        expected.AutoRefreshMode = std::int16_t(values[2]);
        QCOMPARE(file.config, expected);
        QCOMPARE(file.CurrentPage, 1);
        QCOMPARE(configLines(file.config).size(), 15);
    }

    void placementFromStore() {
        QTemporaryDir dir;
        SettingsStore store(dir.filePath("t.ini"));
        const auto fields = [&] {
            const WindowPlacement p = readWindowPlacement(store);
            return QList<int>{p.flags, p.showCmd, p.MinX, p.MinY, p.Left, p.Top, p.Right, p.Bottom};
        };
        QCOMPARE(fields(), (QList<int>{0, 0, 100, 100, 0, 0, 100, 100})); // first start
        for (const QString pair :
             {"showCmd=max", "Left=3000000000", "Right=", "Top= 7 ", "Bottom=98.5"})
            store.setValue("Geometry", pair.section('=', 0, 0), pair.section('=', 1));
        QCOMPARE(fields(), (QList<int>{0, 0, 100, 100, 0, 7, 0, 98}));
    }

    // A minimised window is stored as normal, so that the next start shows it.
    void placementOfAWindow() {
        QWidget window;
        window.setGeometry(100, 120, 300, 200);
        window.showMinimized();
        QTRY_VERIFY(window.isMinimized());
        const WindowPlacement p = windowPlacement(window);
        QCOMPARE(p.showCmd, 2);
        QTemporaryDir dir;
        SettingsStore store(dir.filePath("t.ini"));
        writeWindowPlacement(store, p);
        QCOMPARE(store.value("Geometry", "showCmd"), QString("1"));

        QWidget restored;
        applyWindowPlacement(restored, readWindowPlacement(store));
        restored.show();
        QVERIFY(QTest::qWaitForWindowExposed(&restored));
        QVERIFY(!restored.isMinimized());
        QCOMPARE(restored.geometry(), QRect(100, 120, 300, 200));

        QWidget maximised;
        applyWindowPlacement(maximised, {0, 3, 0, 0, 50, 60, 450, 360});
        maximised.show();
        QTRY_VERIFY(maximised.isMaximized());
        QCOMPARE(maximised.normalGeometry(), QRect(50, 60, 400, 300));
    }

    // A placement no window ever had is ignored: the window keeps its own.
    void implausiblePlacementIsIgnored_data() {
        QTest::addColumn<QList<int>>("rect"); // Left Top Right Bottom
        QTest::addColumn<bool>("applied");
        QTest::newRow("plausible") << QList<int>{50, 60, 450, 360} << true;
        QTest::newRow("width overflows an int") << QList<int>{INT_MIN, 0, INT_MAX, 100} << false;
        QTest::newRow("larger than any screen")
            << QList<int>{0, 0, 2000000000, 2000000000} << false;
        QTest::newRow("beyond any screen") << QList<int>{40000, 0, 40100, 100} << false;
        QTest::newRow("right of left") << QList<int>{300, 0, 100, 100} << false;
    }
    void implausiblePlacementIsIgnored() {
        QFETCH(QList<int>, rect);
        QFETCH(bool, applied);
        QWidget window;
        window.setGeometry(10, 20, 200, 100);
        applyWindowPlacement(window, {0, 1, 0, 0, rect[0], rect[1], rect[2], rect[3]});
        QCOMPARE(window.geometry(), applied ? QRect(50, 60, 400, 300) : QRect(10, 20, 200, 100));
    }

    void pageNamesSaveFolderAndBlockList() {
        QTemporaryDir dir;
        SettingsStore store(dir.filePath("t.ini"));
        QStringList names = readPageNames(store, "Page ");
        QCOMPARE(names.size(), 10);
        QCOMPARE(names[9], QString("Page 10"));
        QCOMPARE(readSaveFolder(store, "/opt/tavimo"), QString("/opt/tavimo"));
        names[9] = "Japan = \"JA\"";
        writePageNames(store, names);
        writeSaveFolder(store, "/home/u/Pictures/");
        writeBlockedCallsigns(store, {"K1ABC", "SM0XYZ"});
        store.setValue("Block", "5", "LATE1"); // a gap in the keys
        QVERIFY(store.sync());
        SettingsStore back(dir.filePath("t.ini"));
        QCOMPARE(readPageNames(back, "x"), names);
        QCOMPARE(readSaveFolder(back, "/opt"), QString("/home/u/Pictures/"));
        QCOMPARE(readBlockedCallsigns(back), (QStringList{"K1ABC", "SM0XYZ", "LATE1"}));
    }

    // The store writes its file itself; QSettings, which reads it, and every
    // older file must agree with it on every text and name.
    void storeFileIsQSettingsIni_data() {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("plain") << "Geometry"
                               << "Left"
                               << "-12";
        QTest::newRow("empty") << "LABELS"
                               << "3"
                               << "";
        QTest::newRow("list separators") << "LABELS"
                                         << "1"
                                         << "DX, Europe; Asia=JA";
        QTest::newRow("quotes and backslashes") << "SAVEDIR"
                                                << "1"
                                                << "C:\\x \"y\"\\";
        QTest::newRow("blanks around") << "LABELS"
                                       << "2"
                                       << "  two ";
        QTest::newRow("typed-value mark") << "Block"
                                          << "0"
                                          << "@Variant(x)";
        QTest::newRow("control characters")
            << "LABELS"
            << "4" << QString("a\tb\nc\rd") + QChar(1) + "f" + QChar(0x7F) + "9";
        QTest::newRow("beyond ASCII") << "LABELS"
                                      << "5"
                                      << "NOAA 2\u00D8 \u041C\u0435\u0442\u0435\u043E\u0440";
        QTest::newRow("odd names") << "My Section/sub"
                                   << "k\u00E9y %1"
                                   << "v";
        QTest::newRow("a section called General") << "General"
                                                  << "x"
                                                  << "1";
    }
    void storeFileIsQSettingsIni() {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QTemporaryDir dir;
        const QString path = dir.filePath("t.ini");
        {
            QSettings older(path, QSettings::IniFormat);
            older.setValue("Endpoints/TimePage", "http://127.0.0.1/t");
            older.setValue("bare", "kept"); // QSettings' own [General]
            older.setValue("Hand/list", QStringList{"a", "b"});
        }
        SettingsStore store(path);
        store.setValue(section, key, value);
        QVERIFY(store.sync());
        const QSettings read(path, QSettings::IniFormat);
        QCOMPARE(read.status(), QSettings::NoError);
        QCOMPARE(read.value(section + '/' + key).toString(), value);
        QCOMPARE(read.value("Endpoints/TimePage").toString(), QString("http://127.0.0.1/t"));
        QCOMPARE(read.value("bare").toString(), QString("kept"));
        QCOMPARE(read.value("Hand/list").toStringList(), (QStringList{"a", "b"}));
        QCOMPARE(SettingsStore(path).value(section, key), value);
    }

    // A save changes only the keys this run set: what the user or another
    // program put in the file, before the start or while the program runs,
    // stays byte for byte.
    void saveKeepsWhatOthersWrote_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("during"); // the file edited while running; empty: not
        QTest::addColumn<QByteArray>("kept");   // a part of the saved file
        // Typed values as Qt programs write them.
        for (const auto &[name, line] :
             {std::pair{"a rectangle", QByteArray("rect=@Rect(1 2 3 4)")},
              {"a size", "size=@Size(5 6)"},
              {"bytes", R"(bytes=@ByteArray(\x1\x2 ab\xff))"},
              {"a time", R"(when=@DateTime(\0\0\0\x10\0\0\0\0\0\0%\x8b\x10\x2\xce\xd3\x88\x1))"},
              {"an empty list", "empty=@Invalid()"}}) {
            QTest::newRow(name) << "[LABELS]\n1=old\n\n[Other]\n" + line + '\n'
                                << QByteArray() << "\n[Other]\n" + line + '\n';
        }
        QTest::newRow("a section added while running")
            << QByteArray() << QByteArray("[Hand]\nnote=kept\n")
            << QByteArray("[Hand]\nnote=kept\n");
        QTest::newRow("a key edited while running")
            << QByteArray("[LABELS]\n2=old\n") << QByteArray("[LABELS]\n2=by hand\n")
            << QByteArray("\n2=by hand\n");
        QTest::newRow("this run's key wins")
            << QByteArray("[LABELS]\n1=old\n") << QByteArray("[LABELS]\n1=by hand\n")
            << QByteArray("\n1=Page one\n");
    }
    void saveKeepsWhatOthersWrote() {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, during);
        QFETCH(QByteArray, kept);
        QTemporaryDir dir;
        const QString path = dir.filePath("Tavimo.ini");
        if (!before.isEmpty())
            QVERIFY(writeBytes(path, before));
        SettingsStore store(path);
        store.setValue("LABELS", "1", "Page one");
        if (!during.isEmpty())
            QVERIFY(writeBytes(path, during));
        QVERIFY(store.sync());
        const QByteArray saved = readBytes(path);
        QVERIFY2(saved.contains(kept), saved.constData());
        QCOMPARE(SettingsStore(path).value("LABELS", "1"), QString("Page one"));
    }

    // A save needs only the settings folder: not the system's temp folder
    // (here a file), and it leaves nothing beside the file.
    void saveNeedsNoTempFolder() {
        QTemporaryDir dir;
        QVERIFY(writeBytes(dir.filePath("tmp"), "a file where the folder belongs"));
        const QByteArray tempFolder = qgetenv("TMPDIR");
        qputenv("TMPDIR", dir.filePath("tmp").toLocal8Bit());
        SettingsStore store(dir.filePath("Tavimo.ini"));
        store.setValue("LABELS", "1", "Page one");
        QString error;
        const bool saved = store.sync(&error);
        qputenv("TMPDIR", tempFolder);
        QVERIFY2(saved, qPrintable(error));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 (QStringList{"Tavimo.ini", "tmp"}));
    }

    // A save waits while another Qt program holds the file's lock, and keeps
    // what that program wrote meanwhile.
    void saveWaitsForTheLockOfOtherWriters() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Tavimo.ini");
        SettingsStore store(path);
        store.setValue("LABELS", "1", "Page one");
        QLockFile other(path + ".lock");
        QVERIFY(other.tryLock(0));
        auto saved = std::async(std::launch::async, [&] { return store.sync(); });
        QCOMPARE(saved.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout);
        QVERIFY(writeBytes(path, "[Other]\nkey=theirs\n"));
        other.unlock();
        QVERIFY(saved.get());
        const QSettings read(path, QSettings::IniFormat);
        QCOMPARE(read.value("Other/key").toString(), QString("theirs"));
        QCOMPARE(read.value("LABELS/1").toString(), QString("Page one"));
    }

    // A settings file that exists but cannot be read is named, and its saves
    // stay quiet: the start-up message said it is left alone.
    void unreadableFileIsNamedOnce() {
        QTemporaryDir dir;
        QVERIFY(SettingsStore(dir.filePath("none.ini")).readError().isEmpty());
        const QString path = dir.filePath("Tavimo.ini");
        QVERIFY(QDir().mkpath(path)); // unreadable as a file, even to root
        SettingsStore store(path);
        QVERIFY2(store.readError().contains(QDir::toNativeSeparators(path)),
                 qPrintable(store.readError()));
        store.setValue("LABELS", "1", "Page one");
        QString error;
        QVERIFY(store.sync(&error));
        QCOMPARE(error, QString());
        QVERIFY(QFileInfo(path).isDir());
    }

    // ---- The language files and the system's date order ---------------------------------

    void bundledFileLoads_data() {
        QTest::addColumn<int>("index");
        for (int index = 0; index < kLanguageCount; ++index)
            QTest::newRow(qPrintable(languageFileName(index))) << index;
    }
    void bundledFileLoads() {
        QFETCH(int, index);
        Scene s;
        const LanguageLoadResult result =
            LoadLanguage(kBundled, index, kTitle, s.prompts, s.texts, s.captions);
        QVERIFY(result.succeeded());
        QCOMPARE(result.entriesRead, kLanguageEntryCount);
        QVERIFY(s.prompts.calls.isEmpty());
        LanguageTexts &t = s.texts;

        // 54 named texts and 9 entries that no window shows: the 63 shared texts.
        for (const LanguageTextSlot &slot : kLanguageTextSlots)
            QVERIFY2(!(t.*slot.text).trimmed().isEmpty(), slot.name);
        QCOMPARE(t.unusedEntries.size(), qsizetype(kUnusedLanguageEntries.size()));
        QCOMPARE(s.captions.size(), qsizetype(kMenuCaptionSlots.size()));
        for (const QString &value : t.unusedEntries.values() + s.captions.values())
            QVERIFY(!value.isEmpty());

        // Placeholders where their users replace them.
        QVERIFY(t.LngLast30Tpl.contains("**"));
        for (const QString *tpl :
             {&t.LngLast30Tpl, &t.LngMapLocTpl, &t.LngNoPosTpl, &t.LngLookupTpl, &t.LngTextTitle,
              &t.LngDataFolderReadOnly, &s.captions[{"mnuEarthView", -1}]})
            QVERIFY2(tpl->contains("??"), qPrintable(*tpl));
        QVERIFY(t.LngPasteTooBig.contains("???"));
        QVERIFY(t.LngTextReadFailed.startsWith("  "));

        // The blanks and line breaks that the loader adds.
        QVERIFY(t.LngPage.endsWith(u' ') && !t.LngPage.endsWith("  "));
        QVERIFY(t.LngNewPicPrefix.startsWith(u' ') && t.LngCallSep.startsWith(u' '));
        // A prefix that ends in a colon keeps a blank before what follows it.
        for (const QString *prefix : {&t.LngFromPrefix, &t.LngNewVersion})
            QVERIFY2(prefix->endsWith(": ") && !prefix->endsWith("  "), qPrintable(*prefix));
        QVERIFY(!t.LngSeconds.isEmpty() && !t.LngSeconds.contains(u' '));
        // The gallery tells a "new picture" caption from an age caption by this text.
        QVERIFY(!("XX9ABC" + t.LngCallSep + " 3" + t.LngDays).contains(t.LngNewPicPrefix));

        // Windows-1252 with CR LF, not UTF-8 read as Windows-1252.
        const QByteArray bytes = readBytes(kBundled + '/' + languageFileName(index));
        QVERIFY(bytes.endsWith("\r\n"));
        QCOMPARE(bytes.count("\r\n"), bytes.count('\n'));
        QCOMPARE(bytes.count('\n'), 1 + kLanguageEntryCount);
        const QString text = decodeCp1252(bytes);
        QVERIFY(!text.contains(QChar(0x00C3)) && !text.contains(QChar(0x00C2)));
    }

    // A failure shows one box in the chosen language and changes nothing.
    void versionAndIndex_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("versionLine"); // empty: no file
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<QString>("message");
        const QString wrong = "Wrong language file version.";
        const QString missing = "Language file not found or corrupt";
        const auto row = [](const char *name, int index, const char *line, Outcome outcome,
                            const QString &message) {
            QTest::newRow(name) << index << QString(line) << outcome << message;
        };
        row("title after words", 0, "Language file English - Tavimo  4.91", Outcome::Loaded, "");
        row("one blank", 0, "Language file - Tavimo 4.91", Outcome::WrongVersion, wrong);
        row("trailing blank", 0, "Language file - Tavimo  4.91 ", Outcome::WrongVersion, wrong);
        row("twice, last matches", 0, "Tavimo 3.0 file - Tavimo  4.91", Outcome::Loaded, "");
        row("twice, last differs", 0, "Tavimo  4.91 for Tavimo 5", Outcome::WrongVersion, wrong);
        row("no Tavimo", 0, "Language file 4.91", Outcome::NotFound, missing);
        row("lower case", 0, "tavimo  4.91", Outcome::NotFound, missing);
        row("Spanish, missing", 1, "", Outcome::NotFound, missing);
        row("German, wrong", 2, "Tavimo  4.90", Outcome::WrongVersion, wrong);
        row("Dutch, missing", 4, "", Outcome::NotFound, "Taalbestand ontbreekt of corrupt.");
        row("index -1", -1, "", Outcome::NotFound, "");
        row("index 5", 5, "", Outcome::NotFound, "");
    }
    void versionAndIndex() {
        QFETCH(int, index);
        QFETCH(QString, versionLine);
        QFETCH(Outcome, outcome);
        QFETCH(QString, message);
        Scene s;
        s.fillWithOldValues();
        const MenuCaptions oldCaptions = s.captions;
        const auto result = s.load(index, languageFile(versionLine), !versionLine.isEmpty());
        QCOMPARE(result.outcome, outcome);
        if (!versionLine.isEmpty())
            QCOMPARE(CheckLanguageVersion(versionLine, kTitle), outcome == Outcome::Loaded);
        if (outcome == Outcome::Loaded) {
            QVERIFY(s.prompts.calls.isEmpty());
            QCOMPARE(s.texts.LngReloadPage, QStringLiteral("E93"));
            return;
        }
        QCOMPARE(s.prompts.texts(), QStringList{message});
        QCOMPARE(s.prompts.calls[0].title, QStringLiteral("tavimo"));
        QCOMPARE(s.prompts.calls[0].icon, Prompts::Icon::Exclamation);
        QCOMPARE(s.captions, oldCaptions);
        QCOMPARE(s.texts.LngBarCaption, oldText("LngBarCaption"));
        QCOMPARE(s.texts.LngTextTitle, QStringLiteral("old held"));
    }

    // A file that ends early keeps what it read and leaves the rest as it was.
    void shortFile_data() {
        QTest::addColumn<int>("lineCount");
        QTest::addColumn<int>("lastApplied");
        QTest::newRow("empty file") << 0 << 0;
        QTest::newRow("version line only") << 1 << 0;
        QTest::newRow("ends inside the first joined pair") << 43 << 41;
        QTest::newRow("ends after the first joined pair") << 44 << 43;
        QTest::newRow("last entry missing") << 96 << 95;
    }
    void shortFile() {
        QFETCH(int, lineCount);
        QFETCH(int, lastApplied);
        Scene s;
        s.fillWithOldValues();
        const auto result = s.load(3, languageFile(kTitle, lineCount));
        QCOMPARE(result.outcome, Outcome::NotFound);
        QCOMPARE(result.entriesRead, qMax(0, lineCount - 1));
        QCOMPARE(s.prompts.texts(), QStringList{"Fichier langage non trouvé ou corrompu."});
        for (const MenuCaptionSlot &slot : kMenuCaptionSlots)
            QCOMPARE(s.captions.value({QLatin1String(slot.menu), slot.index}),
                     slot.entry <= lastApplied ? QStringLiteral("E%1").arg(slot.entry)
                                               : oldText(slot.menu));
        for (const LanguageTextSlot &slot : kLanguageTextSlots)
            QCOMPARE(s.texts.*slot.text == oldText(slot.name), slot.lastEntry > lastApplied);
        QCOMPARE(s.texts.LngTextTitle, QStringLiteral("old held"));
    }

    void entryValue_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("value");
        const char *rows[][3] = {
            {"two equals signs", "a = b = c d ", "c d"},
            {"no equals sign", "   whole line  ", "whole line"},
            {"nothing after the sign", "unused =   ", ""},
            {"only blanks are trimmed", "x =\tv\t", "\tv\t"},
        };
        for (const auto &r : rows)
            QTest::newRow(r[0]) << QString(r[1]) << QString(r[2]);
    }
    void entryValue() {
        QFETCH(QString, line);
        QTEST(ReadLanguageLine(line), "value");
    }

    // Where entries land, with the blanks and CR LF joins the loader adds.
    void entryPlacement() {
        Scene s;
        QVERIFY(s.load(2, languageFile("x " + kTitle)).succeeded());
        const LanguageTexts &t = s.texts;
        QCOMPARE(
            (QStringList{s.captions.value({"mnuLang", 0}), s.captions.value({"mnuLanguage", -1}),
                         s.captions.value({"mnuStView", 1}), t.LngBarCaption, t.LngUrlRules,
                         t.LngAddButton, t.LngNewPicPrefix, t.LngCallSep, t.LngPage,
                         t.LngInstructions, t.LngReloadPage}),
            (QStringList{"E1", "E6", "E31", "E32", "E42\r\nE43", "E44", " E50", " E51", "E61 ",
                         "E66\r\nE67", "E93"}));
        for (int entry : kUnusedLanguageEntries)
            QCOMPARE(t.unusedEntries.value(entry), QStringLiteral("E%1").arg(entry));
        // The texts no file fills come with the language.
        QCOMPARE(t.LngReloadMessages, "Nachrichten wieder laden");
    }

    void refreshCaption() {
        LanguageTexts texts;
        texts.LngRefresh = "Refresh";
        texts.LngManual = "manual";
        QCOMPARE(refreshMenuCaption(texts, 0, 150), "Refresh (manual) ");
        QCOMPARE(refreshMenuCaption(texts, 1, 120), "Refresh (auto 120 sec) ");
        texts.LngSeconds = "Sek.";
        QCOMPARE(refreshMenuCaption(texts, 1, 90), "Refresh (auto 90 Sek.) ");
    }

    // Short dates of Qt 6.4 for 14 October 2009: ko_KR 09. 10. 14., hu_HU 2009. 10. 14., C 14 Oct
    // 2009. (The common orders and separators show in the normalised dates below.)
    void dateOrderOfTheLocale_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<DateOrder::Order>("order");
        QTest::addColumn<QString>("separator");
        const auto row = [&](const char *locale, DateOrder::Order order, const char *separator) {
            QTest::newRow(locale) << locale << order << separator;
        };
        row("ko_KR", DateOrder::YearFirst, "."); // two-digit year first
        row("hu_HU", DateOrder::YearFirst, "."); // dot before blank
        row("C", DateOrder::MonthFirst, " ");    // month as a word: no order to turn to
    }
    void dateOrderOfTheLocale() {
        QFETCH(QString, locale);
        QFETCH(DateOrder::Order, order);
        const DateOrder detected = DateOrder::fromLocale(QLocale(locale));
        QCOMPARE(detected.order, order);
        QTEST(detected.separator, "separator");
        QCOMPARE(detected.zeroChar(), order == DateOrder::YearFirst ? "0" : "\u00D8");
    }

    // `inPlace` is what the caller's text holds afterwards: dashes and dots became slashes.
    void normalizeDate_data() {
        for (const char *column : {"locale", "date", "result", "inPlace"})
            QTest::addColumn<QString>(column);
        const auto row = [](const char *name, const char *locale, const char *date,
                            const char *result, const char *inPlace) {
            QTest::newRow(name) << locale << date << result << inPlace;
        };
        row("en_US", "en_US", "10-14-2009 13:05", "10/14/2009 13:05", "10/14/2009 13:05");
        row("en_GB", "en_GB", "10/14/09 13:05", "14/10/09 13:05", "10/14/09 13:05");
        row("de_DE", "de_DE", "10.14.2009 13:05", "14.10.2009 13:05", "10/14/2009 13:05");
        row("nl_NL", "nl_NL", "10/14/2009", "14-10-2009", "10/14/2009");
        row("sv_SE", "sv_SE", "10/14/2009 13:05", "2009-10-14 13:05", "10/14/2009 13:05");
        row("C", "C", "10/14/2009 13:05", "10/14/2009 13:05", "10/14/2009 13:05");
        // Malformed dates come back as they stand after the replacement.
        row("one separator", "de_DE", "10-14", "10/14", "10/14");
        row("empty", "en_GB", "", "", "");
        row("no time", "sv_SE", "10.14.2009", "10/14/2009", "10/14/2009");
        row("time too short", "sv_SE", "10/14/2009 1:5", "10/14/2009 1:5", "10/14/2009 1:5");
    }
    void normalizeDate() {
        QFETCH(QString, locale);
        QFETCH(QString, date);
        QTEST(NormalizeDate(date, DateOrder::fromLocale(QLocale(locale))), "result");
        QTEST(date, "inPlace");
    }
};

QTEST_MAIN(ConfigTest)
#include "tst_config.moc"
