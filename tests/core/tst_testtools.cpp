#include "core/base/TextFile.h"
#include "core/files/SettingsStore.h"
#include "support/LoopbackServer.h"

#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace tavimo;
using namespace tavimo::test;

// A smoke test of what the other tests and the demo stand on: the loopback server's stalled
// answers, and the site simulator program. (A trickled body is proved by the download tests,
// whose progress reports need it.)
class TestToolsTest : public QObject {
    Q_OBJECT

private slots:
    // A stalled request neither holds up other clients nor the server's stop.
    void loopbackStallBlocksNothing() {
        LoopbackServer server;
        QVERIFY(server.start());
        Route stall, ok;
        stall.stall = true;
        ok.body = "ok";
        server.setRoute("/stall", stall);
        server.setRoute("/ok", ok);
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, server.port());
        QVERIFY(socket.waitForConnected(2000));
        socket.write("GET /stall HTTP/1.1\r\nHost: x\r\n\r\n");
        QTRY_COMPARE_WITH_TIMEOUT(server.requestCount("/stall"), 1, 5000);
        QCOMPARE(httpGet(server.url("/ok")).body, "ok");
        QTRY_COMPARE(server.openConnections(), 1);
        server.stop();
        QCOMPARE(server.openConnections(), 0);
        QTRY_COMPARE(socket.state(), QAbstractSocket::UnconnectedState);
    }

    // Started as the demo starts it: serves pictures and check pictures, writes a data folder
    // that points at itself, and ends cleanly on SIGTERM.
    void simulatorServesUntilSigterm() {
        QTemporaryDir home;
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_CONFIG_HOME", home.filePath("xdg-config"));
        environment.insert("XDG_DATA_HOME", home.filePath("xdg-data"));
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(TAVIMO_SITESIM_PATH, {"--sstv", "6", "--port", "0", "--home", home.path()});
        QVERIFY(process.waitForStarted(10000));
        while (!process.canReadLine() && process.waitForReadyRead(10000)) {
        }
        const QString line = QString::fromLatin1(process.readLine()).trimmed();
        const QRegularExpressionMatch match =
            QRegularExpression("^listening on (http://127\\.0\\.0\\.1:[1-9]\\d*)$").match(line);
        QVERIFY2(match.hasMatch(), qPrintable(line));
        const QString base = match.captured(1);

        const HttpResult picture = httpGet(QUrl(base + "/sstv/1/image1.jpg"));
        QCOMPARE(picture.status, 200);
        QCOMPARE(QImage::fromData(picture.body).size(), QSize(320, 256));
        QVERIFY(picture.body.contains("***"));
        const QImage check = QImage::fromData(httpGet(QUrl(base + "/sstv/1/checknew.jpg")).body);
        QVERIFY(check.width() == 1 || check.width() == 2);

        const std::optional<QStringList> list =
            readTextLines(home.filePath("data/tavimo/tavimo.lst"));
        QVERIFY(list && list->size() == 12);
        QCOMPARE(list->at(1), base + "/sstv/1/image1.jpg");
        SettingsStore settings(home.filePath("config/Tavimo/Tavimo.ini"));
        QCOMPARE(settings.value("Endpoints", "ConnectionProbe"), base + "/");

        ::kill(pid_t(process.processId()), SIGTERM);
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestToolsTest)
#include "tst_testtools.moc"
