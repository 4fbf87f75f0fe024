#include "support/LoopbackServer.h"

#include <QElapsedTimer>
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

} // namespace

class LoopbackServerTest : public QObject {
    Q_OBJECT

    LoopbackServer server_;

    // Sends raw bytes and reads until the server closes or 5 s pass.
    QByteArray exchange(const QByteArray &request) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, server_.port());
        if (!socket.waitForConnected(2000))
            return "<no connection>";
        socket.write(request);
        socket.flush();
        QByteArray all;
        QElapsedTimer timer;
        timer.start();
        while (socket.state() == QAbstractSocket::ConnectedState && timer.elapsed() < 5000)
            if (socket.waitForReadyRead(100))
                all += socket.readAll();
        return all + socket.readAll();
    }

private slots:
    void init() { QVERIFY(server_.start()); }
    void cleanup() {
        server_.stop();
        server_.clearRoutes();
        server_.setHandler(nullptr);
        server_.clearRequests();
    }

    void answersByRoute_data() {
        QTest::addColumn<QString>("routePath");
        QTest::addColumn<int>("routeStatus");
        QTest::addColumn<QString>("requestPath");
        QTest::addColumn<int>("status");
        QTest::newRow("plain") << "/pic.jpg" << 200 << "/pic.jpg" << 200;
        QTest::newRow("error status") << "/gone.jpg" << 404 << "/gone.jpg" << 404;
        QTest::newRow("unknown path") << "/pic.jpg" << 200 << "/other.jpg" << 0;
        QTest::newRow("query ignored by a plain route")
            << "/pic.jpg" << 200 << "/pic.jpg?x=1" << 200;
        QTest::newRow("query route needs its query")
            << "/pic.jpg?x=1" << 200 << "/pic.jpg?x=2" << 0;
        QTest::newRow("query route") << "/pic.jpg?x=1" << 200 << "/pic.jpg?x=1" << 200;
        QTest::newRow("case matters") << "/Pic.jpg" << 200 << "/pic.jpg" << 0;
    }
    void answersByRoute() {
        QFETCH(QString, routePath);
        QFETCH(int, routeStatus);
        QFETCH(QString, requestPath);
        QFETCH(int, status); // 0: no route answers
        server_.setRoute(routePath, bodyRoute("route body", routeStatus));
        const HttpResult result = httpGet(server_.url(requestPath));
        QVERIFY(result.finished);
        QCOMPARE(result.status, status ? status : 404);
        QCOMPARE(result.body, status ? "route body" : "not found\n");
    }

    void sendsHeadersAndLogsRequests() {
        Route route = bodyRoute("<html/>");
        route.contentType = "text/html";
        route.headers = {{"X-Station", "SIM1AB"}};
        server_.setRoute("/pic.jpg", route);
        const HttpResult result =
            httpGet(server_.url("/pic.jpg?t=1"), 5000, {{"Cache-Control", "no-cache"}});
        QCOMPARE(result.headers.value("content-type"), "text/html");
        QCOMPARE(result.headers.value("x-station"), "SIM1AB");
        httpGet(server_.url("/pic.jpg"));
        httpGet(server_.url("/missing"));

        const QList<RecordedRequest> requests = server_.requests();
        QCOMPARE(requests.size(), 3);
        QCOMPARE(requests[0].path, "/pic.jpg?t=1");
        QCOMPARE(requests[0].headers.value("cache-control"), "no-cache");
        QCOMPARE(server_.requestCount("/pic.jpg"), 2);
        QCOMPARE(server_.requestCount("/pic.jpg?t=1"), 1);
        QCOMPARE(server_.requestCount("/missing"), 1);

        // A bounded log keeps the newest.
        server_.setRequestLogLimit(2);
        httpGet(server_.url("/pic.jpg?last"));
        QCOMPARE(server_.requests().size(), 2);
        QCOMPARE(server_.requests()[1].path, "/pic.jpg?last");
        server_.setRequestLogLimit(-1);
    }

    void handlerAnswersPathsWithoutRoute() {
        server_.setRoute("/fixed", bodyRoute("fixed"));
        server_.setHandler([](const RecordedRequest &request) -> std::optional<Route> {
            if (!request.path.startsWith("/dyn/"))
                return std::nullopt;
            return bodyRoute("dynamic " + request.path.mid(5));
        });
        QCOMPARE(httpGet(server_.url("/dyn/7?q")).body, "dynamic 7?q");
        QCOMPARE(httpGet(server_.url("/fixed")).body, "fixed");
        QCOMPARE(httpGet(server_.url("/static/7")).status, 404);
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
        QCOMPARE(result.body, body);
        QCOMPARE(result.headers.contains("content-length"), sendLength);
        QVERIFY2(timer.elapsed() >= 4 * 60 - 20, qPrintable(QString::number(timer.elapsed())));
    }

    // A stalled request neither holds up other clients nor the server's stop.
    void stalledRequestBlocksNothing() {
        Route route;
        route.stall = true;
        server_.setRoute("/stall", route);
        server_.setRoute("/ok", bodyRoute("ok"));
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, server_.port());
        QVERIFY(socket.waitForConnected(2000));
        socket.write("GET /stall HTTP/1.1\r\nHost: x\r\n\r\n");
        QTRY_COMPARE_WITH_TIMEOUT(server_.requestCount("/stall"), 1, 5000);
        QCOMPARE(httpGet(server_.url("/ok")).body, "ok");
        QTRY_COMPARE(server_.openConnections(), 1);
        server_.stop();
        QCOMPARE(server_.openConnections(), 0);
        QTRY_COMPARE(socket.state(), QAbstractSocket::UnconnectedState);
    }

    void rawExchanges_data() {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("start");
        QTest::addColumn<QByteArray>("end");
        QTest::newRow("pipelined, kept alive")
            << QByteArray("GET /a HTTP/1.1\r\nHost: x\r\n\r\nGET /a HTTP/1.1\r\nHost: x\r\n"
                          "Connection: close\r\n\r\n")
            << QByteArray("HTTP/1.1 200 OK\r\n") << QByteArray("Connection: close\r\n\r\nAAA");
        QTest::newRow("POST with a body")
            << QByteArray("POST /a HTTP/1.1\r\nContent-Length: 5\r\nConnection: close\r\n\r\nhello")
            << QByteArray("HTTP/1.1 200 OK\r\n") << QByteArray("\r\n\r\nAAA");
        QTest::newRow("malformed")
            << QByteArray("NONSENSE\r\n\r\n") << QByteArray("HTTP/1.1 400 ") << QByteArray();
    }
    void rawExchanges() {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, start);
        QFETCH(QByteArray, end);
        server_.setRoute("/a", bodyRoute("AAA"));
        const QByteArray answer = exchange(request);
        QVERIFY2(answer.startsWith(start) && answer.endsWith(end), answer.constData());
        if (request.startsWith("GET"))
            QVERIFY(answer.contains("Connection: keep-alive\r\n\r\nAAAHTTP/1.1 200"));
        if (request.startsWith("POST"))
            QCOMPARE(server_.requests().value(0).body, "hello");
    }

    void startsOnceAndRestarts() {
        QVERIFY(!server_.start());
        LoopbackServer other;
        QVERIFY(!other.start(server_.port())); // taken
        server_.stop();
        QVERIFY(server_.start());
        server_.setRoute("/again", bodyRoute("again"));
        QCOMPARE(httpGet(server_.url("/again")).body, "again");
    }
};

QTEST_GUILESS_MAIN(LoopbackServerTest)
#include "tst_loopbackserver.moc"
