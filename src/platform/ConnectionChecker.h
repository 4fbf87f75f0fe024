#pragma once

#include <QString>

#include <chrono>
#include <optional>

namespace tavimo {

// Tells at start-up whether the internet can be reached. Blocks the calling thread until it
// knows: start-up waits for the answer on purpose.
class ConnectionChecker {
public:
    virtual ~ConnectionChecker();
    virtual bool check() = 0;
};

// Where the probe connects: a host and a TCP port.
struct ProbeEndpoint {
    QString host;
    quint16 port = 80;

    friend bool operator==(const ProbeEndpoint &, const ProbeEndpoint &) = default;
};

// Reads a probe endpoint from an address ("http://host/", "https://host:8443/x"), a
// "host:port" or a bare host. Without a port: 443 for https, otherwise 80. Nothing when no
// host can be read.
std::optional<ProbeEndpoint> parseProbeEndpoint(const QString &text);

// Connects to the probe host over TCP (connecting is all it does: nothing is sent).
// The timeout covers the whole check, name look-up included.
// An empty endpoint means the probe is switched off: the check then answers "online" without
// touching the network, since a probe that is not wanted must not keep the program from starting.
// An endpoint that cannot be read answers "offline", with a warning in the log.
class TcpConnectionChecker final : public ConnectionChecker {
public:
    static constexpr std::chrono::milliseconds defaultTimeout{10000};

    explicit TcpConnectionChecker(QString endpoint,
                                  std::chrono::milliseconds timeout = defaultTimeout);
    bool check() override;

private:
    QString endpoint_;
    std::chrono::milliseconds timeout_;
};

} // namespace tavimo
