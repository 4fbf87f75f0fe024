#include "core/base/Numbers.h"
#include "core/base/TextCodec.h"
#include "core/base/TextFile.h"
#include "core/files/Config.h"
#include "core/files/SettingsStore.h"
#include "core/files/StoreSettings.h"
#include "ui/Placement.h"

#include "FileSizeLimit.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>

using namespace tavimo;
using tavimo::test::readBytes;
using tavimo::test::writeBytes;

namespace {

// Setting n of the file as a number, MyCall as its length.
double setting(const Config &c, int line) {
    const double values[] = {double(c.GuiSize),
                             double(c.ThumbSetting),
                             double(c.AutoRefreshMode),
                             double(c.RefreshSeconds),
                             double(c.StartPage),
                             double(c.LanguageIndex),
                             c.MyLat,
                             c.MyLon,
                             double(c.Units),
                             double(c.CfgSpare10),
                             double(c.CfgSpare11),
                             double(c.MyCall.size()),
                             double(c.MapIndex),
                             double(c.ScrollX),
                             double(c.ScrollY)};
    return values[line - 1];
}

QList<int> rect(const WindowPlacement &p) {
    return {p.Left, p.Top, p.Right, p.Bottom};
}

} // namespace

// The text files everything is kept in, and the configuration, settings and placements in them.
class ConfigTest : public QObject {
    Q_OBJECT

private slots:
    void everyByteRoundTrips() {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(static_cast<char>(b));
        const QString text = decodeCp1252(all);
        QCOMPARE(encodeCp1252(text), all);
        QCOMPARE(text.at(0xD8), QChar(0x00D8)); // Ø
        QCOMPARE(text.at(0x80), QChar(0x20AC)); // €
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

    // Windows editors save "Unicode" as UTF-16 with a mark; NUL outside
    // UTF-16, or NUL characters within it, are no text.
    void textFileEncodings_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines"); // {"<no text>"}: refused
        const QString text = QString::fromUtf16(u"SM\u00D8A*1\r\n\u0416\r\n");
        const QStringList lines{QString::fromUtf16(u"SM\u00D8A*1"), QString::fromUtf16(u"\u0416")};
        QByteArray le("\xFF\xFE"), be("\xFE\xFF");
        for (const QChar c : text) {
            le += char(c.unicode() & 0xFF), le += char(c.unicode() >> 8);
            be += char(c.unicode() >> 8), be += char(c.unicode() & 0xFF);
        }
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
        QFETCH(QStringList, lines);
        QTemporaryDir dir;
        const QString path = dir.filePath("list.lst");
        tavimo::test::writeBytes(path, bytes);
        QCOMPARE(readTextLines(path).value_or(QStringList{"<no text>"}), lines);
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
    }

    // One line given, every other line empty.
    void clampsAndRounding_data() {
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("refresh 60000 ms") << 4 << "60000" << 60.0;
        QTest::newRow("refresh 45") << 4 << "45" << 45.0;
        QTest::newRow("refresh 10") << 4 << "10" << 30.0;
        QTest::newRow("refresh 2500 ms") << 4 << "2500" << 30.0;
        QTest::newRow("refresh 300") << 4 << "300" << 300.0;
        QTest::newRow("refresh 301") << 4 << "301" << 30.0;
        QTest::newRow("refresh 400000 ms") << 4 << "400000" << 300.0;
        QTest::newRow("refresh too large") << 4 << "99999999999" << 30.0;
        QTest::newRow("half to even 0.5") << 1 << "0.5" << 0.0;
        QTest::newRow("half to even 1.5") << 1 << "1.5" << 2.0;
        QTest::newRow("half to even 2.5") << 1 << "2.5" << 2.0;
        QTest::newRow("gui size 7") << 1 << "7" << 3.0;
        QTest::newRow("thumbs 5") << 2 << "5" << 2.0;
        QTest::newRow("language 7") << 6 << "7" << 4.0;
        QTest::newRow("latitude with comma") << 7 << "42,5" << 42.0;
        QTest::newRow("longitude too large") << 8 << "1e999" << 0.0;
        QTest::newRow("spare 11 of 5") << 11 << "5" << 1.0;
        QTest::newRow("map index too large") << 13 << "32768" << 0.0;
        QTest::newRow("scroll 32-bit") << 14 << "70000" << 70000.0;
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
        QTest::newRow("three lines, LF") << QByteArray("1\n3\n1") << QList<int>{1, 3, 1};
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

    void callsignCannotBreakTheFile() {
        Config c;
        c.MyCall = QString("K1\r\nAB") + QChar(0) + "C";
        QTemporaryDir dir;
        QVERIFY(writeConfig(dir.filePath("tavimo.cfg"), c));
        const ConfigFile back = readConfig(dir.filePath("tavimo.cfg"));
        QCOMPARE(back.config.MyCall, QString("K1ABC"));
        QCOMPARE(back.config.MapIndex, 0);
    }

    void placementFromStore() {
        QTemporaryDir dir;
        SettingsStore store(dir.filePath("t.ini"));
        const auto fields = [&] {
            const WindowPlacement p = readWindowPlacement(store);
            return QList<int>{p.flags, p.showCmd, p.MinX, p.MinY} + rect(p);
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
};

QTEST_MAIN(ConfigTest)
#include "tst_config.moc"
