#include "core/files/Config.h"
#include "core/files/SettingsStore.h"
#include "core/files/StoreSettings.h"
#include "ui/Placement.h"

#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <climits>

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

class ConfigTest : public QObject {
    Q_OBJECT

private slots:
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
