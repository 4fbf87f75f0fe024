#include "platform/ConnectionChecker.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <vector>

using namespace tavimo;
using namespace std::chrono_literals;

Q_DECLARE_METATYPE(std::optional<ProbeEndpoint>)

namespace {

// A listening socket whose queue of waiting connections is full, so that the system drops
// further connection attempts: they neither succeed nor fail until the client gives up.
class SilentListener {
public:
    SilentListener() {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr *>(&address), length) ||
            ::listen(listener_, 0) ||
            ::getsockname(listener_, reinterpret_cast<sockaddr *>(&address), &length)) {
            return;
        }
        port_ = ntohs(address.sin_port);
        // Connect until an attempt hangs.
        for (int i = 0; i < 8 && !full_; ++i) {
            const int client = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            clients_.push_back(client);
            if (::connect(client, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0)
                continue;
            pollfd wait{client, POLLOUT, 0};
            full_ = ::poll(&wait, 1, 300) == 0;
        }
    }
    ~SilentListener() {
        for (const int client : clients_)
            ::close(client);
        if (listener_ >= 0)
            ::close(listener_);
    }
    bool isSilent() const { return full_; }
    quint16 port() const { return port_; }

private:
    int listener_ = -1;
    quint16 port_ = 0;
    bool full_ = false;
    std::vector<int> clients_;
};

} // namespace

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

    void silentHostIsOfflineAfterTheTimeout() {
        SilentListener silent;
        if (!silent.isSilent())
            QSKIP("this system does not leave a full listen queue silent");
        TcpConnectionChecker checker(QStringLiteral("127.0.0.1:%1").arg(silent.port()), 300ms);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!checker.check());
        QVERIFY(clock.elapsed() >= 250);
        QVERIFY2(clock.elapsed() < 20000, "the timeout was not honoured");
    }

    // No probe address configured: nothing to hold the downloads back.
    void emptyIsOnlineUnreadableIsOffline() {
        QVERIFY(TcpConnectionChecker("   ").check());
        QVERIFY(!TcpConnectionChecker("http://").check());
    }
};

QTEST_GUILESS_MAIN(ConnectionCheckerTest)
#include "tst_connectionchecker.moc"
