#include "platform/ConnectionChecker.h"
#include "support/SilentListener.h"

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
        QTEST(parseProbeEndpoint(text), "endpoint");
    }

    // target: "open" (a listening port), "closed" (a port closed again) or "silent" (connection
    // attempts hang); %1 in the address is its port.
    void check_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("online");
        QTest::newRow("listening address") << "open"
                                           << "http://127.0.0.1:%1/" << true;
        QTest::newRow("listening name to look up") << "open"
                                                   << "localhost:%1" << true;
        // Refused at once, not after the timeout; a silent host after its 300 ms.
        QTest::newRow("closed port") << "closed"
                                     << "http://127.0.0.1:%1/" << false;
        QTest::newRow("silent host") << "silent"
                                     << "127.0.0.1:%1" << false;
        // No probe address configured: nothing to hold the downloads back.
        QTest::newRow("empty is online") << ""
                                         << "   " << true;
        QTest::newRow("unreadable is offline") << ""
                                               << "http://" << false;
    }
    void check() {
        QFETCH(QString, target);
        QFETCH(QString, address);
        QTcpServer server;
        std::optional<test::SilentListener> silent;
        if (target == "silent") {
            silent.emplace();
            if (!silent->isSilent())
                QSKIP("this system does not leave a full listen queue silent");
            address = address.arg(silent->port());
        } else if (!target.isEmpty()) {
            QVERIFY(server.listen(QHostAddress::LocalHost));
            address = address.arg(server.serverPort());
            if (target == "closed")
                server.close();
        }
        TcpConnectionChecker checker(address, silent ? 300ms : 60s);
        QElapsedTimer clock;
        clock.start();
        QTEST(checker.check(), "online");
        QVERIFY2(clock.elapsed() < 20000,
                 "a refused connection waited, or the timeout was not honoured");
        QVERIFY(!silent || clock.elapsed() >= 250);
    }
};

QTEST_GUILESS_MAIN(ConnectionCheckerTest)
#include "tst_connectionchecker.moc"
