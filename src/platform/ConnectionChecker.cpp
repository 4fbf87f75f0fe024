#include "platform/ConnectionChecker.h"

#include "platform/Logging.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QHostInfo>
#include <QList>
#include <QTcpSocket>
#include <QUrl>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

namespace tavimo {

ConnectionChecker::~ConnectionChecker() = default;

std::optional<ProbeEndpoint> parseProbeEndpoint(const QString &text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    const QUrl url(trimmed.contains(QLatin1String("://")) ? trimmed
                                                          : QStringLiteral("http://") + trimmed,
                   QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty())
        return std::nullopt;
    const int defaultPort =
        url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0 ? 443 : 80;
    const int port = url.port(defaultPort);
    if (port <= 0 || port > 65535)
        return std::nullopt;
    return ProbeEndpoint{url.host(), quint16(port)};
}

namespace {

// The system's resolver has no timeout of its own that we could set: it runs on a thread of
// its own, and when it takes longer than the check may, the check gives up and leaves it.
QList<QHostAddress> lookUp(const QString &host, const QDeadlineTimer &deadline) {
    struct Lookup {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        QList<QHostAddress> addresses;
        QString error;
    };
    auto lookup = std::make_shared<Lookup>();
    std::thread([lookup, host] {
        const QHostInfo info = QHostInfo::fromName(host);
        const std::lock_guard lock(lookup->mutex);
        lookup->addresses = info.addresses();
        lookup->error = info.errorString();
        lookup->finished = true;
        lookup->done.notify_all();
    }).detach();

    std::unique_lock lock(lookup->mutex);
    if (!lookup->done.wait_for(lock, std::chrono::milliseconds(deadline.remainingTime()),
                               [&] { return lookup->finished; })) {
        qCInfo(lcPlatform) << "Connection check: looking up" << host << "timed out";
        return {};
    }
    if (lookup->addresses.isEmpty())
        qCInfo(lcPlatform) << "Connection check: cannot look up" << host << lookup->error;
    return lookup->addresses;
}

} // namespace

TcpConnectionChecker::TcpConnectionChecker(QString endpoint, std::chrono::milliseconds timeout)
    : endpoint_(std::move(endpoint)), timeout_(timeout) {}

bool TcpConnectionChecker::check() {
    if (endpoint_.trimmed().isEmpty()) {
        qCDebug(lcPlatform) << "Connection check switched off";
        return true;
    }
    const std::optional<ProbeEndpoint> endpoint = parseProbeEndpoint(endpoint_);
    if (!endpoint) {
        qCWarning(lcPlatform) << "Connection check: cannot read the probe address" << endpoint_;
        return false;
    }
    const QDeadlineTimer deadline(timeout_.count());
    QList<QHostAddress> addresses;
    if (QHostAddress literal; literal.setAddress(endpoint->host))
        addresses.append(literal);
    else
        addresses = lookUp(endpoint->host, deadline);

    for (const QHostAddress &address : std::as_const(addresses)) {
        if (deadline.hasExpired())
            break;
        QTcpSocket socket;
        socket.connectToHost(address, endpoint->port);
        if (socket.waitForConnected(int(deadline.remainingTime()))) {
            socket.abort();
            return true;
        }
        qCInfo(lcPlatform) << "Connection check:" << address.toString() << endpoint->port
                           << socket.errorString();
    }
    return false;
}

} // namespace tavimo
