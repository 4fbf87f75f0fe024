#include "support/LoopbackServer.h"

#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QTcpSocket>
#include <QTest>

using namespace tavimo::test;

namespace {

Route bodyRoute(const QByteArray &body, int status = 200) {
    Route route;
    route.status = status;
    route.body = body;
    return route;
}

// Reads from a blocking socket until the peer closes or timeoutMs passes.
QByteArray readUntilClosed(QTcpSocket &socket, int timeoutMs) {
    QByteArray all;
    QElapsedTimer timer;
    timer.start();
    while (socket.state() == QAbstractSocket::ConnectedState && timer.elapsed() < timeoutMs) {
        if (socket.waitForReadyRead(100))
            all += socket.readAll();
    }
    all += socket.readAll();
    return all;
}

} // namespace

class LoopbackServerTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QVERIFY(server_.start());
        QVERIFY(server_.port() != 0);
    }
    void cleanup() {
        server_.stop();
        server_.clearRoutes();
        server_.setHandler(nullptr);
        server_.clearRequests();
    }

    void urlNamesLoopbackAndPort() {
        QCOMPARE(server_.url("/a/b.jpg").toString(),
                 QStringLiteral("http://127.0.0.1:%1/a/b.jpg").arg(server_.port()));
        QVERIFY(server_.isRunning());
    }

    void answersByRoute_data() {
        QTest::addColumn<QString>("routePath");
        QTest::addColumn<int>("routeStatus");
        QTest::addColumn<QString>("requestPath");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("plain") << "/pic.jpg" << 200 << "/pic.jpg" << 200
                               << QByteArray("route body");
        QTest::newRow("error status")
            << "/gone.jpg" << 404 << "/gone.jpg" << 404 << QByteArray("route body");
        QTest::newRow("server error") << "/err" << 500 << "/err" << 500 << QByteArray("route body");
        QTest::newRow("unknown path")
            << "/pic.jpg" << 200 << "/other.jpg" << 404 << QByteArray("not found\n");
        QTest::newRow("query ignored by a plain route")
            << "/pic.jpg" << 200 << "/pic.jpg?x=1" << 200 << QByteArray("route body");
        QTest::newRow("query route needs its query")
            << "/pic.jpg?x=1" << 200 << "/pic.jpg?x=2" << 404 << QByteArray("not found\n");
        QTest::newRow("query route")
            << "/pic.jpg?x=1" << 200 << "/pic.jpg?x=1" << 200 << QByteArray("route body");
        QTest::newRow("case matters")
            << "/Pic.jpg" << 200 << "/pic.jpg" << 404 << QByteArray("not found\n");
    }
    void answersByRoute() {
        QFETCH(QString, routePath);
        QFETCH(int, routeStatus);
        QFETCH(QString, requestPath);
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        server_.setRoute(routePath, bodyRoute("route body", routeStatus));
        const HttpResult result = httpGet(server_.url(requestPath));
        QVERIFY(result.finished);
        QCOMPARE(result.status, status);
        QCOMPARE(result.body, body);
    }

    void sendsContentTypeAndExtraHeaders() {
        Route route = bodyRoute("<html/>");
        route.contentType = "text/html";
        route.headers = {{"X-Station", "SIM1AB"},
                         {"Last-Modified", "Wed, 14 Oct 2009 12:34:56 GMT"}};
        server_.setRoute("/page", route);
        const HttpResult result = httpGet(server_.url("/page"));
        QCOMPARE(result.status, 200);
        QCOMPARE(result.headers.value("content-type"), QByteArray("text/html"));
        QCOMPARE(result.headers.value("x-station"), QByteArray("SIM1AB"));
        QCOMPARE(result.headers.value("content-length"), QByteArray("7"));
    }

    void routesCanChangeAndGo() {
        server_.setRoute("/a", bodyRoute("one"));
        QCOMPARE(httpGet(server_.url("/a")).body, QByteArray("one"));
        server_.setRoute("/a", bodyRoute("two"));
        QCOMPARE(httpGet(server_.url("/a")).body, QByteArray("two"));
        server_.removeRoute("/a");
        QCOMPARE(httpGet(server_.url("/a")).status, 404);
        server_.setRoute("/b", bodyRoute("b"));
        server_.clearRoutes();
        QCOMPARE(httpGet(server_.url("/b")).status, 404);
    }

    void handlerAnswersPathsWithoutRoute() {
        server_.setRoute("/fixed", bodyRoute("fixed"));
        server_.setHandler([](const RecordedRequest &request) -> std::optional<Route> {
            if (!request.path.startsWith("/dyn/"))
                return std::nullopt;
            return bodyRoute("dynamic " + request.path.mid(5));
        });
        QCOMPARE(httpGet(server_.url("/dyn/7?q")).body, QByteArray("dynamic 7?q"));
        QCOMPARE(httpGet(server_.url("/fixed")).body, QByteArray("fixed"));
        QCOMPARE(httpGet(server_.url("/static/7")).status, 404);
    }

    void logsRequestsWithHeaders() {
        server_.setRoute("/pic.jpg", bodyRoute("x"));
        httpGet(server_.url("/pic.jpg?t=1"), 5000,
                {{"Cache-Control", "no-cache"}, {"User-Agent", "Tavimo/4.91"}});
        httpGet(server_.url("/pic.jpg"));
        httpGet(server_.url("/missing"));

        const QList<RecordedRequest> requests = server_.requests();
        QCOMPARE(requests.size(), 3);
        QCOMPARE(requests[0].method, QByteArray("GET"));
        QCOMPARE(requests[0].path, QByteArray("/pic.jpg?t=1"));
        QCOMPARE(requests[0].headers.value("cache-control"), QByteArray("no-cache"));
        QCOMPARE(requests[0].headers.value("user-agent"), QByteArray("Tavimo/4.91"));
        QCOMPARE(requests[0].headers.value("host"),
                 QByteArray("127.0.0.1:") + QByteArray::number(server_.port()));
        QCOMPARE(server_.requestCount("/pic.jpg"), 2);
        QCOMPARE(server_.requestCount("/pic.jpg?t=1"), 1);
        QCOMPARE(server_.requestCount("/missing"), 1);
        QCOMPARE(server_.requestCount("/never"), 0);

        server_.clearRequests();
        QCOMPARE(server_.requests().size(), 0);
    }

    void requestLogLimitDropsTheOldest() {
        server_.setRoute("/a", bodyRoute("a"));
        server_.setRequestLogLimit(2);
        for (const char *path : {"/a?1", "/a?2", "/a?3"})
            httpGet(server_.url(path));
        const QList<RecordedRequest> requests = server_.requests();
        QCOMPARE(requests.size(), 2);
        QCOMPARE(requests[0].path, QByteArray("/a?2"));
        QCOMPARE(requests[1].path, QByteArray("/a?3"));
        server_.setRequestLogLimit(-1);
    }

    void delaysTheAnswer() {
        Route route = bodyRoute("late");
        route.delayMs = 300;
        server_.setRoute("/late", route);
        QElapsedTimer timer;
        timer.start();
        const HttpResult result = httpGet(server_.url("/late"));
        QCOMPARE(result.body, QByteArray("late"));
        QVERIFY2(timer.elapsed() >= 280, qPrintable(QString::number(timer.elapsed())));
    }

    void tricklesTheBody_data() {
        QTest::addColumn<bool>("sendLength");
        QTest::newRow("with length") << true;
        QTest::newRow("close-delimited") << false;
    }
    void tricklesTheBody() {
        QFETCH(bool, sendLength);
        QByteArray body;
        for (int i = 0; i < 1000; ++i)
            body.append(static_cast<char>(i * 7));
        Route route = bodyRoute(body);
        route.trickleChunk = 200;
        route.trickleIntervalMs = 60;
        route.sendLength = sendLength;
        server_.setRoute("/slow.jpg", route);
        QElapsedTimer timer;
        timer.start();
        const HttpResult result = httpGet(server_.url("/slow.jpg"));
        QCOMPARE(result.status, 200);
        QCOMPARE(result.body, body);
        QCOMPARE(result.headers.contains("content-length"), sendLength);
        QVERIFY2(timer.elapsed() >= 4 * 60 - 20, qPrintable(QString::number(timer.elapsed())));
    }

    void closeDelimitedBodyEndsWithTheConnection() {
        Route route = bodyRoute("until close");
        route.sendLength = false;
        server_.setRoute("/c", route);
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, server_.port());
        QVERIFY(socket.waitForConnected(2000));
        socket.write("GET /c HTTP/1.1\r\nHost: x\r\n\r\n");
        const QByteArray answer = readUntilClosed(socket, 5000);
        QVERIFY(answer.startsWith("HTTP/1.1 200 OK\r\n"));
        QVERIFY(!answer.contains("Content-Length"));
        QVERIFY(answer.contains("Connection: close\r\n"));
        QVERIFY(answer.endsWith("\r\n\r\nuntil close"));
        QCOMPARE(socket.state(), QAbstractSocket::UnconnectedState);
    }

    void stalledRequestTimesOutAtTheClient() {
        Route route;
        route.stall = true;
        server_.setRoute("/stall", route);
        server_.setRoute("/ok", bodyRoute("ok"));
        QNetworkAccessManager manager;
        manager.setProxy(QNetworkProxy::NoProxy);
        QNetworkRequest stalled(server_.url("/stall"));
        stalled.setTransferTimeout(400);
        QNetworkReply *reply = manager.get(stalled);
        QTRY_COMPARE_WITH_TIMEOUT(server_.requestCount("/stall"), 1, 5000);
        // Other connections go on being served meanwhile.
        QCOMPARE(httpGet(server_.url("/ok")).body, QByteArray("ok"));
        QTRY_VERIFY_WITH_TIMEOUT(reply->isFinished(), 5000);
        QVERIFY(reply->error() != QNetworkReply::NoError);
        QCOMPARE(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 0);
        delete reply;
    }

    void stalledConnectionsDoNotBlockStop() {
        Route route;
        route.stall = true;
        server_.setRoute("/stall", route);
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, server_.port());
        QVERIFY(socket.waitForConnected(2000));
        socket.write("GET /stall HTTP/1.1\r\nHost: x\r\n\r\n");
        socket.flush();
        QTRY_COMPARE_WITH_TIMEOUT(server_.requestCount("/stall"), 1, 5000);
        QCOMPARE(server_.openConnections(), 1);
        server_.stop();
        QVERIFY(!server_.isRunning());
        QCOMPARE(server_.openConnections(), 0);
        QVERIFY(readUntilClosed(socket, 5000).isEmpty());
    }

    void closesWithoutAnswer() {
        Route route;
        route.closeWithoutAnswer = true;
        server_.setRoute("/close", route);
        const HttpResult result = httpGet(server_.url("/close"));
        QVERIFY(result.finished);
        QCOMPARE(result.status, 0);
        QVERIFY(result.error != QNetworkReply::NoError);
        QVERIFY(server_.requestCount("/close") >= 1);
    }

    void servesParallelRequests() {
        Route route = bodyRoute("slow");
        route.delayMs = 300;
        server_.setRoute("/p", route);
        QNetworkAccessManager manager;
        manager.setProxy(QNetworkProxy::NoProxy);
        QList<QNetworkReply *> replies;
        for (int i = 0; i < 8; ++i)
            replies.append(manager.get(QNetworkRequest(server_.url("/p?n=" + QString::number(i)))));
        // A blocked route must not hold the others up.
        QTRY_VERIFY_WITH_TIMEOUT(server_.requestCount("/p") >= 2, 5000);
        QCOMPARE(httpGet(server_.url("/other")).status, 404);
        for (QNetworkReply *reply : replies) {
            QTRY_VERIFY_WITH_TIMEOUT(reply->isFinished(), 10000);
            QCOMPARE(reply->error(), QNetworkReply::NoError);
            QCOMPARE(reply->readAll(), QByteArray("slow"));
        }
        qDeleteAll(replies);
        QCOMPARE(server_.requestCount("/p"), 8);
    }

    void keepsConnectionsAliveAndAnswersPipelinedRequests() {
        server_.setRoute("/a", bodyRoute("AAA"));
        server_.setRoute("/b", bodyRoute("BB"));
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, server_.port());
        QVERIFY(socket.waitForConnected(2000));
        socket.write("GET /a HTTP/1.1\r\nHost: x\r\n\r\nGET /b HTTP/1.1\r\nHost: x\r\n"
                     "Connection: close\r\n\r\n");
        const QByteArray answer = readUntilClosed(socket, 5000);
        const qsizetype second = answer.indexOf("HTTP/1.1 200", 1);
        QVERIFY(second > 0);
        QVERIFY(answer.left(second).contains("Connection: keep-alive\r\n"));
        QVERIFY(answer.left(second).endsWith("\r\n\r\nAAA"));
        QVERIFY(answer.mid(second).contains("Connection: close\r\n"));
        QVERIFY(answer.endsWith("\r\n\r\nBB"));
    }

    void headAnswersWithoutBody() {
        server_.setRoute("/h", bodyRoute("12345"));
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, server_.port());
        QVERIFY(socket.waitForConnected(2000));
        socket.write("HEAD /h HTTP/1.0\r\n\r\n");
        const QByteArray answer = readUntilClosed(socket, 5000);
        QVERIFY(answer.contains("Content-Length: 5\r\n"));
        QVERIFY(answer.endsWith("\r\n\r\n"));
    }

    void refusesMalformedRequests() {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, server_.port());
        QVERIFY(socket.waitForConnected(2000));
        socket.write("NONSENSE\r\n\r\n");
        QVERIFY(readUntilClosed(socket, 5000).startsWith("HTTP/1.1 400 "));
    }

    void readsRequestBodies() {
        server_.setRoute("/post", bodyRoute("thanks"));
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, server_.port());
        QVERIFY(socket.waitForConnected(2000));
        socket.write("POST /post HTTP/1.1\r\nContent-Length: 5\r\nConnection: close\r\n\r\nhel");
        socket.flush();
        QTest::qWait(50);
        socket.write("lo");
        QVERIFY(readUntilClosed(socket, 5000).endsWith("thanks"));
        QCOMPARE(server_.requests().value(0).body, QByteArray("hello"));
    }

    // The program's start-up check blocks the GUI thread while it waits.
    void answersWhileTheCallerBlocks() {
        server_.setRoute("/", bodyRoute("probe"));
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, server_.port());
        QVERIFY(socket.waitForConnected(2000));
        socket.write("GET / HTTP/1.1\r\nHost: x\r\n\r\n");
        QVERIFY(socket.waitForBytesWritten(2000));
        QByteArray answer;
        while (!answer.endsWith("probe") && socket.waitForReadyRead(2000))
            answer += socket.readAll();
        QVERIFY(answer.startsWith("HTTP/1.1 200 OK"));
    }

    void startsOnceAndRestarts() {
        QVERIFY(!server_.start());
        const quint16 first = server_.port();
        LoopbackServer other;
        QVERIFY(!other.start(first)); // taken
        QCOMPARE(other.port(), quint16(0));
        server_.stop();
        QCOMPARE(server_.port(), quint16(0));
        QVERIFY(server_.start());
        server_.setRoute("/again", bodyRoute("again"));
        QCOMPARE(httpGet(server_.url("/again")).body, QByteArray("again"));
    }

private:
    LoopbackServer server_;
};

QTEST_GUILESS_MAIN(LoopbackServerTest)
#include "tst_loopbackserver.moc"
