#include "SiteWindowsHarness.h"

#include "core/net/TextMessages.h"
#include "sites/TextMessagesWindow.h"
#include "support/PlatformFakes.h"
#include "support/Routes.h"
#include "support/TransferRecorder.h"

#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QTest>

using namespace tavimo;
using namespace tavimo::test;

class TestTextMessages : public QObject {
    Q_OBJECT

private slots:
    void addresses_data() {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<int>("k");
        QTest::addColumn<QString>("address");
        QTest::newRow("image1.jpg")
            << "http://s/sstv/image1.jpg" << 1 << "http://s/sstv/text1.txt.jpg";
        QTest::newRow("twice") << "http://s/image1/image1.jpg" << 8
                               << "http://s/text8.txt/text8.txt.jpg";
        QTest::newRow("kept site")
            << "http://s/image1.jpgNoDelete" << 3 << "http://s/text3.txt.jpg";
        QTest::newRow("no image1") << "http://s/latest.jpg" << 5 << "http://s/latest.jpg";
        QTest::newRow("letter case") << "http://s/Image1.jpg" << 2 << "http://s/Image1.jpg";
    }

    void addresses() {
        QFETCH(QString, picture);
        QFETCH(int, k);
        QTEST(TextMessageUrl(picture, k), "address");
        QCOMPARE(textMessageNumber(textMessageKey(k)), k);
    }

    void fileNamesStayInside() {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("TextFiles"));
        QCOMPARE(textMessageFileName(QStringLiteral("W1AW"), 3), QStringLiteral("W1AW-3.txt"));
        QCOMPARE(textMessageFileName(QStringLiteral("W1AW/P"), 2),
                 QStringLiteral("W1AW%2FP-2.txt"));
        QCOMPARE(textMessageFileName(QStringLiteral(".x"), 1), QStringLiteral("%2Ex-1.txt"));
        QCOMPARE(textMessageFileName(QStringLiteral("PA3X-2_b.c"), 1),
                 QStringLiteral("PA3X-2_b.c-1.txt"));
        const QStringList calls{"../x",
                                "W1AW/P",
                                "W1AW%2FP",
                                ".",
                                "..",
                                "",
                                QString(300, u'A'),
                                QString(299, u'A') + u'B',
                                "\u00C4\u00D8/\\"};
        QSet<QString> names;
        for (const QString &call : calls) {
            const QString path = textMessageFilePath(folder, call, 1);
            QVERIFY2(!path.isEmpty(), qPrintable(call));
            QCOMPARE(QFileInfo(path).absolutePath(), QDir(folder).absolutePath());
            QVERIFY2(QFileInfo(path).fileName().size() < 200, qPrintable(path));
            names.insert(path);
            QVERIFY(writeBytes(path, call.toUtf8()));
        }
        QCOMPARE(names.size(), calls.size());
        QCOMPARE(QDir(folder).entryList(QDir::Files).size(), calls.size());
    }

    void items_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("item");
        QTest::addColumn<bool>("canShow");
        QTest::newRow("two lines")
            << QByteArray("Hello\r\nWorld\r\n") << "2  Hello - World" << true;
        QTest::newRow("one line, one end") << QByteArray("Hello\r") << "2 Error" << false;
        QTest::newRow("one line, two ends") << QByteArray("Hello\r\r") << "2  Hello - " << true;
        QTest::newRow("line feeds alone") << QByteArray("a\nb\nc\n") << "2 Error" << false;
        QTest::newRow("empty") << QByteArray() << "2 Error" << false;
        QTest::newRow("first line Error")
            << QByteArray("Error 404\r\nx\r\n") << "2  Error 404 - x" << false;
    }

    void items() {
        QFETCH(QByteArray, bytes);
        const TextMessageItem made = textMessageItem(2, bytes, QStringLiteral(" Error"));
        QTEST(made.text, "item");
        QTEST(made.canShow(), "canShow");
    }

    void saveName() {
        QCOMPARE(textMessageSaveName("Greetings from Ohio, 12:30 UTC\r\nSecond line\r\n"),
                 QStringLiteral("Greetings from Ohio - 1230 UTC"));
        QCOMPARE(textMessageSaveName("  \"Net, tonight\" x\r\n a/b\r\n"),
                 QStringLiteral("Net, tonight - a_b"));
    }

    void windowFetchesListsSavesAndPastes() {
        SiteWindowsHarness bed;
        LoopbackServer &server = bed.server;
        bed.state.ZeroChar = QStringLiteral("\u00D8");
        bed.state.texts.LngFailed = QStringLiteral(" failed");
        bed.state.texts.LngTextReadFailed = QStringLiteral("  Error reading the text file.");
        bed.state.texts.LngTextTitle = QStringLiteral("Text messages on ?\?'s site");
        bed.state.SiteList = {makeSite("W0AW/P", server.url("/s/image1.jpg").toString())};
        // Answers come back in an order of their own.
        const QList<int> delays{300, 20, 0, 150, 60, 0, 220, 90};
        for (int k = 1; k <= 8; ++k) {
            Route route =
                answerRoute(k == 6 ? QByteArray("just one line\r")
                                   : u"Message %1, 12:0%1\r\nfrom W0AW\r\n"_s.arg(k).toLatin1(),
                            delays[k - 1]);
            route.status = k == 3 ? 404 : 200;
            server.setRoute(u"/s/text%1.txt.jpg"_s.arg(k), route);
        }
        FakeDesktopBridge desktop;
        desktop.addWindow(QStringLiteral("MMSSTV"));
        TransferRecorder transfers;
        transfers.dialogAnswer = bed.dir.filePath(u"saved.txt"_s);
        const TextMessagesDeps deps{&desktop, transfers.fileDialog(), transfers.clipboard()};

        QPointer<TextMessagesWindow> window =
            showTextMessagesWindow(bed.state, bed.registry, QStringLiteral("W\u00D8AW/P"), deps);
        QCOMPARE(bed.main.calls, QStringList({"stop", "disable"}));
        QTRY_COMPARE(window->List1->count(), 8);
        QCOMPARE(window->messageCall(), QStringLiteral("W0AW/P"));
        QCOMPARE(window->windowTitle(), QStringLiteral("Text messages on W\u00D8AW/P's site"));
        const QStringList expected{
            "1  Message 1, 12:01 - from W0AW", "2  Message 2, 12:02 - from W0AW",
            "4  Message 4, 12:04 - from W0AW", "5  Message 5, 12:05 - from W0AW",
            "6  Error reading the text file.", "7  Message 7, 12:07 - from W0AW",
            "8  Message 8, 12:08 - from W0AW", "txt3 failed"};
        QCOMPARE(listTexts(window->List1), expected);
        const QString stored = bed.state.paths.data(QStringLiteral("TextFiles/W0AW%2FP-4.txt"));
        QCOMPARE(readBytes(stored), QByteArray("Message 4, 12:04\r\nfrom W0AW\r\n"));

        window->List1->setCurrentRow(7);
        QVERIFY(window->Text1->toPlainText().isEmpty());
        QVERIFY(!window->cmdSave->isEnabled());
        window->List1->setCurrentRow(2);
        QCOMPARE(window->Text1->toPlainText(), QStringLiteral("Message 4, 12:04\nfrom W0AW\n"));
        QVERIFY(window->cmdPaste->isEnabled());

        window->cmdSave->click();
        QCOMPARE(transfers.dialogs.size(), 1);
        QCOMPARE(transfers.dialogs[0].FileName, u"Message 4 - 1204"_s);
        QVERIFY(!transfers.dialogs[0].OpenDialog);
        QCOMPARE(readBytes(transfers.dialogAnswer), readBytes(stored));

        window->cmdPaste->click();
        QCOMPARE(transfers.texts, QStringList{window->Text1->toPlainText()});
        QCOMPARE(desktop.sentKeys(), QStringList({"%{E}", "{P}"}));

        window->close();
        QTRY_VERIFY(window.isNull());
        QCOMPARE(bed.main.calls, QStringList({"stop", "disable", "enable", "resume"}));
    }

    // Eight answers of 31 MB, all at once: each is read only to the cap, stored as its head and
    // listed with the note that it was cut; the rest of the answers is never taken.
    void longMessagesKeepTheirHead() {
        SiteWindowsHarness bed;
        LoopbackServer &server = bed.server;
        bed.state.texts.LngTextCut = QStringLiteral("(cut)");
        bed.state.SiteList = {makeSite("K1BIG", server.url("/b/image1.jpg").toString())};
        QByteArray huge;
        while (huge.size() < 31 * 1024 * 1024)
            huge += "Line of a very long message\r\n";
        for (int k = 1; k <= 8; ++k)
            server.setRoute(QStringLiteral("/b/text%1.txt.jpg").arg(k), answerRoute(huge));
        const qint64 sentBefore = server.bytesSent();
        QPointer<TextMessagesWindow> window =
            showTextMessagesWindow(bed.state, bed.registry, QStringLiteral("K1BIG"), {});
        QTRY_COMPARE_WITH_TIMEOUT(window->List1->count(), 8, 20000);
        for (const TextMessageItem &item : window->items())
            QCOMPARE(item.text, QStringLiteral("%1  Line of a very long message - Line of a very "
                                               "long message  (cut)")
                                    .arg(item.k));
        const QString stored = bed.state.paths.data(QStringLiteral("TextFiles/K1BIG-8.txt"));
        QCOMPARE(readBytes(stored), huge.left(kTextMessageCapBytes));
        QVERIFY(server.bytesSent() - sentBefore < 4 * huge.size());
        window->close();
    }

    void reloadDropsStaleAnswers() {
        SiteWindowsHarness bed;
        LoopbackServer &server = bed.server;
        bed.state.SiteList = {makeSite("K1ABC", server.url("/r/image1.jpg").toString())};
        for (int k = 1; k <= 8; ++k)
            server.setRoute(QStringLiteral("/r/text%1.txt.jpg").arg(k),
                            answerRoute("old\r\nanswer\r\n", 400));
        QPointer<TextMessagesWindow> window =
            showTextMessagesWindow(bed.state, bed.registry, QStringLiteral("K1ABC"), {});
        QTRY_COMPARE(server.requests().size(), 8);
        for (int k = 1; k <= 8; ++k)
            server.setRoute(QStringLiteral("/r/text%1.txt.jpg").arg(k),
                            answerRoute("new\r\nanswer\r\n", 0));
        window->cmdReload_Click();
        QTRY_COMPARE(window->List1->count(), 8);
        QTest::qWait(600);
        QCOMPARE(window->List1->count(), 8);
        for (const TextMessageItem &item : window->items())
            QVERIFY2(item.text.endsWith(QStringLiteral("new - answer")), qPrintable(item.text));

        // After closing, nothing of the fetch arrives anywhere.
        server.setRoute(QStringLiteral("/r/text1.txt.jpg"), answerRoute("late\r\nanswer\r\n", 300));
        window->cmdReload_Click();
        QTRY_VERIFY(server.requestCount(QStringLiteral("/r/text1.txt.jpg")) >= 3);
        window->close();
        QTRY_VERIFY(window.isNull());
        QTest::qWait(400);
        QCOMPARE(readBytes(bed.state.paths.data(QStringLiteral("TextFiles/K1ABC-1.txt"))),
                 QByteArray("new\r\nanswer\r\n"));
    }
};

QTEST_MAIN(TestTextMessages)
#include "tst_textmessages.moc"
