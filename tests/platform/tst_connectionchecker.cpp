#include "platform/ConnectionChecker.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTest>

using namespace tavimo;
using namespace std::chrono_literals;

Q_DECLARE_METATYPE(std::optional<ProbeEndpoint>)

class ConnectionCheckerTest : public QObject {
    Q_OBJECT

private slots:
    void endpoint_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<ProbeEndpoint>>("endpoint");
        QTest::newRow("address with port")
            << "http://127.0.0.1:8080/x" << std::optional(ProbeEndpoint{"127.0.0.1", 8080});
        QTest::newRow("https default port")
            << "https://example.org" << std::optional(ProbeEndpoint{"example.org", 443});
        QTest::newRow("bare host")
            << "example.org" << std::optional(ProbeEndpoint{"example.org", 80});
        QTest::newRow("ipv6") << "http://[::1]:82/" << std::optional(ProbeEndpoint{"::1", 82});
        QTest::newRow("no host") << "http:///path" << std::optional<ProbeEndpoint>();
        QTest::newRow("port out of range") << "127.0.0.1:70000" << std::optional<ProbeEndpoint>();
        QTest::newRow("blank inside") << "exa mple.org" << std::optional<ProbeEndpoint>();
    }
    void endpoint() {
        QFETCH(QString, text);
        QFETCH(std::optional<ProbeEndpoint>, endpoint);
        const std::optional<ProbeEndpoint> parsed = parseProbeEndpoint(text);
        QCOMPARE(parsed.has_value(), endpoint.has_value());
        if (endpoint)
            QVERIFY(parsed->host == endpoint->host && parsed->port == endpoint->port);
    }

    void listeningPortIsOnline_data() {
        QTest::addColumn<QString>("pattern");
        QTest::newRow("address") << "http://127.0.0.1:%1/";
        QTest::newRow("name to look up") << "localhost:%1";
    }
    void listeningPortIsOnline() {
        QFETCH(QString, pattern);
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        QVERIFY(TcpConnectionChecker(pattern.arg(server.serverPort()), 10s).check());
    }

    void closedPortIsOfflineWithoutWaitingForTheTimeout() {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        const quint16 port = server.serverPort();
        server.close();
        TcpConnectionChecker checker(QStringLiteral("http://127.0.0.1:%1/").arg(port), 60s);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!checker.check());
        QVERIFY2(clock.elapsed() < 30000, "a refused connection waited for the timeout");
    }

    // No probe address configured: nothing to hold the downloads back.
    void emptyIsOnlineUnreadableIsOffline() {
        QVERIFY(TcpConnectionChecker("   ").check());
        QVERIFY(!TcpConnectionChecker("http://").check());
    }
};

QTEST_GUILESS_MAIN(ConnectionCheckerTest)
#include "tst_connectionchecker.moc"
