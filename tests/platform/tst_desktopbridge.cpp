#include "platform/DesktopBridge.h"
#include "platform/Keystrokes.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

using namespace tavimo;

class DesktopBridgeTest : public QObject {
    Q_OBJECT

private slots:
    void notation_data() {
        QTest::addColumn<QString>("notation");
        QTest::addColumn<QStringList>("strokes"); // {"invalid"} when refused
        QTest::newRow("alt+E menu") << "%{E}" << QStringList{"Alt+E"};
        QTest::newRow("braced lower case is the key") << "{p}" << QStringList{"P"};
        QTest::newRow("function key") << "{f12}" << QStringList{"F12"};
        QTest::newRow("ctrl+v typed") << "^v" << QStringList{"Ctrl+'v'"};
        QTest::newRow("upper case text stays text") << "A1" << QStringList{"'A'", "'1'"};
        QTest::newRow("tilde is enter") << "~" << QStringList{"ENTER"};
        QTest::newRow("modifiers combine") << "^%{DEL}" << QStringList{"Ctrl+Alt+DELETE"};
        QTest::newRow("modifier holds one key only") << "%{E}p" << QStringList{"Alt+E", "'p'"};
        QTest::newRow("escaped plus") << "{+}" << QStringList{"'+'"};
        QTest::newRow("escaped close brace") << "{}}" << QStringList{"'}'"};
        QTest::newRow("non-ascii text")
            << QString::fromUtf16(u"\u00D8") << QStringList{QString::fromUtf16(u"'\u00D8'")};
        QTest::newRow("empty sends nothing") << "" << QStringList{};
        QTest::newRow("unknown key name") << "{ENTR}" << QStringList{"invalid"};
        QTest::newRow("F25 does not exist") << "{F25}" << QStringList{"invalid"};
        QTest::newRow("open brace") << "{F7" << QStringList{"invalid"};
        QTest::newRow("stray close brace") << "a}" << QStringList{"invalid"};
        QTest::newRow("modifier without key") << "a%" << QStringList{"invalid"};
        QTest::newRow("groups are not supported") << "+(ab)" << QStringList{"invalid"};
        QTest::newRow("control character") << "a\tb" << QStringList{"invalid"};
    }
    void notation() {
        QFETCH(QString, notation);
        const auto strokes = parseKeystrokes(notation);
        QStringList described{"invalid"};
        if (strokes) {
            described.clear();
            for (const KeyStroke &stroke : *strokes)
                described.append(describeKeystroke(stroke));
        }
        QTEST(described, "strokes");
    }

    void withoutADisplayNothingIsFoundOrTyped() {
        // A display that cannot exist: the socket folder has no such entry.
        const std::unique_ptr<DesktopBridge> bridge = createDesktopBridge(":65000");
        QVERIFY(dynamic_cast<NullDesktopBridge *>(bridge.get()));
        int waits = 0;
        bridge->setWaitFunction([&](int) { ++waits; });
        QVERIFY(!bridge->activateWindowByTitle("MMSSTV"));
        QVERIFY(!bridge->sendKeys("{F7}"));
        QCOMPARE(waits, 0);
    }

    // The wait holds the thread: a timer that falls due meanwhile fires only afterwards.
    void busyWaitRunsNoEvents() {
        bool fired = false;
        QTimer::singleShot(0, this, [&] { fired = true; });
        QElapsedTimer clock;
        clock.start();
        busyWait(60);
        QVERIFY(clock.elapsed() >= 60);
        QVERIFY(!fired);
        QTRY_VERIFY(fired);
    }
};

QTEST_MAIN(DesktopBridgeTest)
#include "tst_desktopbridge.moc"
