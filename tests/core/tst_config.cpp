#include "core/Config.h"
#include "core/SettingsStore.h"
#include "core/StoreSettings.h"
#include "core/TextCodec.h"

#include "support/TestFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

using namespace tavimo;

using tavimo::test::readBytes;
using tavimo::test::writeBytes;

namespace {

// Setting n of the file as a number, MyCall as its length.
double setting(const Config &c, int line) {
    switch (line) {
    case 1:
        return c.GuiSize;
    case 2:
        return c.ThumbSetting;
    case 3:
        return c.AutoRefreshMode;
    case 4:
        return c.RefreshSeconds;
    case 5:
        return c.StartPage;
    case 6:
        return c.LanguageIndex;
    case 7:
        return c.MyLat;
    case 8:
        return c.MyLon;
    case 9:
        return c.Units;
    case 10:
        return c.CfgSpare10;
    case 11:
        return c.CfgSpare11;
    case 12:
        return c.MyCall.size();
    case 13:
        return c.MapIndex;
    case 14:
        return c.ScrollX;
    case 15:
        return c.ScrollY;
    }
    return -1;
}

Config defaults() {
    Config c;
    c.ThumbSetting = 2;
    c.RefreshSeconds = 30;
    return c;
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
        const QString in = dir.filePath("in.cfg");
        const QString out = dir.filePath("out.cfg");
        writeBytes(in, bytes);
        const ConfigFile file = readConfig(in);
        QVERIFY(file.read);
        const Config &c = file.config;
        QCOMPARE(c.GuiSize, 2);
        QCOMPARE(c.ThumbSetting, 4);
        QCOMPARE(c.RefreshSeconds, 90);
        QCOMPARE(c.LanguageIndex, 3);
        QCOMPARE(c.MyLat, 41.5);
        QCOMPARE(c.MyLon, -81.2);
        QCOMPARE(c.CfgSpare10, -7);
        QCOMPARE(c.MyCall, QString("SM\u00D8"
                                   "ABC"));
        QCOMPARE(c.ScrollX, -120);
        QCOMPARE(c.ScrollY, 70000);
        QCOMPARE(file.CurrentPage, 11);
        QCOMPARE(file.PageCount, 11);
        QVERIFY(writeConfig(out, c));
        QCOMPARE(readBytes(out), bytes);
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
        QTest::newRow("refresh 400000 ms") << 4 << "400000" << 400.0;
        QTest::newRow("refresh too large") << 4 << "99999999999" << 30.0;
        QTest::newRow("refresh empty") << 4 << "" << 30.0;
        QTest::newRow("half to even 0.5") << 1 << "0.5" << 0.0;
        QTest::newRow("half to even 1.5") << 1 << "1.5" << 2.0;
        QTest::newRow("half to even 2.5") << 1 << "2.5" << 2.0;
        QTest::newRow("gui size 7") << 1 << "7" << 3.0;
        QTest::newRow("gui size -1") << 1 << "-1" << 0.0;
        QTest::newRow("gui size too large") << 1 << "40000" << 0.0;
        QTest::newRow("thumbs 0") << 2 << "0" << 2.0;
        QTest::newRow("thumbs 5") << 2 << "5" << 2.0;
        QTest::newRow("thumbs 4") << 2 << "4" << 4.0;
        QTest::newRow("start page 2") << 5 << "2" << 2.0;
        QTest::newRow("language 7") << 6 << "7" << 4.0;
        QTest::newRow("language -2") << 6 << "-2" << 0.0;
        QTest::newRow("latitude with comma") << 7 << "42,5" << 42.0;
        QTest::newRow("latitude unrounded") << 7 << " 41.5" << 41.5;
        QTest::newRow("longitude with text after") << 8 << "-12.25W" << -12.25;
        QTest::newRow("longitude too large") << 8 << "1e999" << 0.0;
        QTest::newRow("units text") << 9 << "miles" << 0.0;
        QTest::newRow("spare 11 of 5") << 11 << "5" << 1.0;
        QTest::newRow("spare 11 of -3") << 11 << "-3" << -3.0;
        QTest::newRow("map index too large") << 13 << "32768" << 0.0;
        QTest::newRow("map index largest") << 13 << "32767" << 32767.0;
        QTest::newRow("scroll 32-bit") << 14 << "70000" << 70000.0;
        QTest::newRow("scroll too large") << 15 << "3000000000" << 0.0;
    }
    void clampsAndRounding() {
        QFETCH(int, line);
        QFETCH(QString, text);
        QFETCH(double, expected);
        QStringList lines(15, QString());
        lines[line - 1] = text;
        QCOMPARE(setting(parseConfig(lines), line), expected);
    }

    void commaLatitudeIsWrittenBackWhole() {
        QStringList lines(15, "1");
        lines[6] = "42,5";
        QCOMPARE(configLines(parseConfig(lines)).at(6), QString("42"));
    }

    void shortEmptyAndMissingFiles_data() {
        QTest::addColumn<QByteArray>("bytes"); // "<none>": no file
        QTest::addColumn<bool>("read");
        QTest::addColumn<int>("guiSize");
        QTest::addColumn<int>("thumbs");
        QTest::addColumn<int>("autoRefresh");
        QTest::newRow("missing") << QByteArray("<none>") << false << 0 << 2 << 0;
        QTest::newRow("empty") << QByteArray() << true << 0 << 2 << 0;
        QTest::newRow("three lines") << QByteArray("1\r\n3\r\n1\r\n") << true << 1 << 3 << 1;
        QTest::newRow("three lines, LF") << QByteArray("1\n3\n1") << true << 1 << 3 << 1;
    }
    void shortEmptyAndMissingFiles() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, read);
        QFETCH(int, guiSize);
        QFETCH(int, thumbs);
        QFETCH(int, autoRefresh);
        QTemporaryDir dir;
        const QString path = dir.filePath("tavimo.cfg");
        if (bytes != "<none>")
            writeBytes(path, bytes);
        const ConfigFile file = readConfig(path);
        QCOMPARE(file.read, read);
        Config expected = defaults();
        expected.GuiSize = static_cast<std::int16_t>(guiSize);
        expected.ThumbSetting = static_cast<std::int16_t>(thumbs);
        expected.AutoRefreshMode = static_cast<std::int16_t>(autoRefresh);
        QCOMPARE(file.config, expected);
        QCOMPARE(file.CurrentPage, 1);
        QCOMPARE(configLines(file.config).size(), 15);
    }

    void linesAfterTheFifteenthAreIgnored() {
        QStringList lines(20, "3");
        lines[11] = "K1ABC";
        const Config c = parseConfig(lines);
        QCOMPARE(c.ScrollY, 3);
        QCOMPARE(configLines(c).size(), 15);
    }

    void callsignCannotBreakTheFile() {
        Config c = defaults();
        c.MyCall = QString("K1\r\nAB") + QChar(0) + "C";
        QTemporaryDir dir;
        const QString path = dir.filePath("tavimo.cfg");
        QVERIFY(writeConfig(path, c));
        const ConfigFile back = readConfig(path);
        QCOMPARE(back.config.MyCall, QString("K1ABC"));
        QCOMPARE(back.config.MapIndex, 0);
    }

    void placementFromStore_data() {
        QTest::addColumn<QStringList>("stored"); // key=value pairs
        QTest::addColumn<QList<int>>("fields");  // flags showCmd MinX MinY Left Top Right Bottom
        QTest::newRow("first start") << QStringList{} << QList<int>{0, 0, 100, 100, 0, 0, 100, 100};
        QTest::newRow("stored") << QStringList{"flags=2", "showCmd=3", "MinX=-1",   "MinY=-1",
                                               "Left=10", "Top=20",    "Right=810", "Bottom=620"}
                                << QList<int>{2, 3, -1, -1, 10, 20, 810, 620};
        QTest::newRow("not numbers") << QStringList{"showCmd=max", "Left=12px", "Right=", "Top= 7 "}
                                     << QList<int>{0, 0, 100, 100, 0, 7, 0, 100};
        QTest::newRow("too large and rounded") << QStringList{"Left=3000000000", "Bottom=98.5"}
                                               << QList<int>{0, 0, 100, 100, 0, 0, 100, 98};
    }
    void placementFromStore() {
        QFETCH(QStringList, stored);
        QFETCH(QList<int>, fields);
        QTemporaryDir dir;
        SettingsStore store(dir.filePath("t.ini"));
        for (const QString &pair : stored)
            store.setValue("Geometry", pair.section('=', 0, 0), pair.section('=', 1));
        const WindowPlacement p = readWindowPlacement(store);
        QCOMPARE((QList<int>{p.flags, p.showCmd, p.MinX, p.MinY, p.Left, p.Top, p.Right, p.Bottom}),
                 fields);
    }

    void placementToStore_data() {
        QTest::addColumn<int>("showCmd");
        QTest::addColumn<QString>("stored");
        QTest::newRow("normal") << 1 << "1";
        QTest::newRow("minimised") << 2 << "1";
        QTest::newRow("minimised, not active") << 6 << "1";
        QTest::newRow("maximised") << 3 << "3";
    }
    void placementToStore() {
        QFETCH(int, showCmd);
        QFETCH(QString, stored);
        QTemporaryDir dir;
        SettingsStore store(dir.filePath("t.ini"));
        WindowPlacement p{0, showCmd, 5, 6, 7, 8, 900, 700};
        writeWindowPlacement(store, p);
        QCOMPARE(store.value("Geometry", "showCmd"), stored);
        QCOMPARE(store.value("Geometry", "Right"), QString("900"));
        p.showCmd = stored.toInt();
        QCOMPARE(readWindowPlacement(store), p);
    }

    void placementOfAWindow() {
        QWidget window;
        window.setGeometry(100, 120, 300, 200);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        WindowPlacement p = windowPlacement(window);
        QCOMPARE(p.showCmd, 1);
        QCOMPARE((QList<int>{p.Left, p.Top, p.Right, p.Bottom}), (QList<int>{100, 120, 400, 320}));

        window.showMaximized();
        QTRY_VERIFY(window.isMaximized());
        p = windowPlacement(window);
        QCOMPARE(p.showCmd, 3);
        QCOMPARE((QList<int>{p.Left, p.Top, p.Right, p.Bottom}), (QList<int>{100, 120, 400, 320}));

        window.showMinimized();
        QTRY_VERIFY(window.isMinimized());
        p = windowPlacement(window);
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

    void pageNamesSaveFolderAndBlockList() {
        QTemporaryDir dir;
        const QString ini = dir.filePath("t.ini");
        {
            SettingsStore store(ini);
            QStringList expected;
            for (int i = 1; i <= 10; ++i)
                expected.append("Page " + QString::number(i));
            QCOMPARE(readPageNames(store, "Page "), expected);
            QCOMPARE(readSaveFolder(store, "/opt/tavimo"), QString("/opt/tavimo"));
            QVERIFY(readBlockedCallsigns(store).isEmpty());

            QStringList names = expected;
            names[0] = "Europe, east";
            names[9] = "Japan = \"JA\"";
            writePageNames(store, names);
            writeSaveFolder(store, "/home/u/Pictures/");
            writeBlockedCallsigns(store, {"K1ABC", "SM0XYZ"});
            writeMonitorIndex(store, 0);
            store.setValue("Block", "5", "LATE1"); // a gap in the keys
            QVERIFY(store.sync());
        }
        SettingsStore store(ini);
        const QStringList names = readPageNames(store, "Page ");
        QCOMPARE(names.size(), 10);
        QCOMPARE(names[0], QString("Europe, east"));
        QCOMPARE(names[1], QString("Page 2"));
        QCOMPARE(names[9], QString("Japan = \"JA\""));
        QVERIFY(!store.contains("LABELS", "11"));
        QCOMPARE(readSaveFolder(store, "/opt"), QString("/home/u/Pictures/"));
        QCOMPARE(readBlockedCallsigns(store), (QStringList{"K1ABC", "SM0XYZ", "LATE1"}));
        QCOMPARE(store.value("Block", "9", "absent"), QString());
        QCOMPARE(store.value("Monitor", "Mon"), QString("0"));
    }
};

QTEST_MAIN(ConfigTest)
#include "tst_config.moc"
