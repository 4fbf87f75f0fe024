#include "support/LoopbackServer.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QMutex>
#include <QMutexLocker>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QReadWriteLock>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <atomic>

namespace tavimo::test {

namespace {

constexpr qsizetype kMaxHeaderBytes = 64 * 1024;
constexpr qsizetype kMaxBodyBytes = 16 * 1024 * 1024;
// A connection that sits idle between requests (or never finishes its request
// line) is closed after this long, so a forgotten client cannot pile up sockets.
constexpr int kIdleTimeoutMs = 30000;
// An endless answer keeps no more than this waiting in its socket, so that it
// goes only as fast as the client takes it.
constexpr qint64 kEndlessBacklog = 256 * 1024;
// The send buffer of a paced answer: what a server's socket holds by default
// before the system grows it for a reader that keeps up.
constexpr int kPacedSendBuffer = 16 * 1024;

using Handler = std::function<std::optional<Route>(const RecordedRequest &)>;

struct Shared {
    mutable QMutex mutex;
    QMap<QString, Route> routes;
    Handler handler;
    // Held (for reading) while the handler runs, so that replacing the handler
    // waits until no call of the old one is under way: whatever the old handler
    // uses may go away as soon as setHandler returns.
    QReadWriteLock handlerInUse;
    QList<RecordedRequest> requests;
    int logLimit = -1;
    std::atomic<int> connections{0};
    std::atomic<qint64> bytesSent{0};
};

QByteArray reasonPhrase(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 204:
        return "No Content";
    case 206:
        return "Partial Content";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 303:
        return "See Other";
    case 304:
        return "Not Modified";
    case 307:
        return "Temporary Redirect";
    case 308:
        return "Permanent Redirect";
    case 400:
        return "Bad Request";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 413:
        return "Content Too Large";
    case 431:
        return "Request Header Fields Too Large";
    case 500:
        return "Internal Server Error";
    case 501:
        return "Not Implemented";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

Route plainRoute(int status, const QByteArray &text) {
    Route route;
    route.status = status;
    route.body = text;
    route.contentType = "text/plain";
    return route;
}

QString withoutQuery(const QString &path) {
    const qsizetype q = path.indexOf(u'?');
    return q < 0 ? path : path.left(q);
}

// One accepted connection, living on the server thread. Requests on it are
// answered one after the other; bytes that arrive while an answer is under way
// wait in the buffer.
class Connection : public QObject {
public:
    Connection(QTcpSocket *socket, std::shared_ptr<Shared> shared, QObject *parent)
        : QObject(parent), socket_(socket), shared_(std::move(shared)) {
        ++shared_->connections;
        socket_->setParent(this);
        idle_.setSingleShot(true);
        idle_.setInterval(kIdleTimeoutMs);
        connect(&idle_, &QTimer::timeout, this, [this] {
            if (!busy_)
                socket_->disconnectFromHost();
        });
        connect(socket_, &QTcpSocket::readyRead, this, [this] {
            buffer_.append(socket_->readAll());
            idle_.start();
            processBuffer();
        });
        connect(socket_, &QTcpSocket::disconnected, this, &QObject::deleteLater);
        connect(socket_, &QTcpSocket::bytesWritten, this, [this](qint64 bytes) {
            shared_->bytesSent += bytes;
            if (route_.endless)
                sendEndless();
            if (chunkHeld_ && socket_->bytesToWrite() == 0) {
                chunkHeld_ = false;
                sendNextChunk();
            }
            watchWrites(true);
        });
        writeStall_.setSingleShot(true);
        connect(&writeStall_, &QTimer::timeout, this, [this] {
            if (socket_->bytesToWrite() > 0) {
                socket_->abort();
                deleteLater();
            }
        });
        idle_.start();
        if (socket_->bytesAvailable() > 0)
            QMetaObject::invokeMethod(
                this,
                [this] {
                    buffer_.append(socket_->readAll());
                    processBuffer();
                },
                Qt::QueuedConnection);
    }

    ~Connection() override {
        // The socket must not call back into a half-destroyed connection.
        socket_->disconnect(this);
        delete socket_;
        --shared_->connections;
    }

private:
    bool connected() const { return socket_->state() == QAbstractSocket::ConnectedState; }

    void refuse(int status, const QByteArray &text) {
        Route route = plainRoute(status, text);
        closeAfter_ = true;
        head_ = false;
        answer(route);
    }

    void processBuffer() {
        while (!busy_ && connected()) {
            // Blank lines before a request line are allowed and ignored.
            while (buffer_.startsWith("\r\n"))
                buffer_.remove(0, 2);
            const qsizetype end = buffer_.indexOf("\r\n\r\n");
            if (end < 0) {
                if (buffer_.size() > kMaxHeaderBytes)
                    refuse(431, "request headers too large\n");
                return;
            }
            QList<QByteArray> lines = buffer_.left(end).split('\n');
            for (QByteArray &line : lines)
                if (line.endsWith('\r'))
                    line.chop(1);
            const QList<QByteArray> parts = lines.first().split(' ');
            if (parts.size() != 3 || !parts[2].startsWith("HTTP/1.")) {
                refuse(400, "malformed request line\n");
                return;
            }
            RecordedRequest request;
            request.method = parts[0];
            request.path = parts[1];
            if (!request.path.startsWith('/')) {
                // Absolute form: keep the path and query only.
                const QUrl absolute(QString::fromUtf8(request.path));
                request.path = absolute.path(QUrl::FullyEncoded).toUtf8();
                if (request.path.isEmpty())
                    request.path = "/";
                if (absolute.hasQuery())
                    request.path += '?' + absolute.query(QUrl::FullyEncoded).toUtf8();
            }
            for (qsizetype i = 1; i < lines.size(); ++i) {
                const qsizetype colon = lines[i].indexOf(':');
                if (colon <= 0)
                    continue;
                const QByteArray name = lines[i].left(colon).trimmed().toLower();
                const QByteArray value = lines[i].mid(colon + 1).trimmed();
                auto it = request.headers.find(name);
                if (it == request.headers.end())
                    request.headers.insert(name, value);
                else
                    it.value() += ", " + value;
            }
            if (request.headers.contains("transfer-encoding")) {
                refuse(501, "chunked request bodies are not supported\n");
                return;
            }
            qint64 length = 0;
            if (request.headers.contains("content-length")) {
                bool ok = false;
                length = request.headers.value("content-length").toLongLong(&ok);
                if (!ok || length < 0 || length > kMaxBodyBytes) {
                    refuse(413, "request body refused\n");
                    return;
                }
            }
            if (buffer_.size() < end + 4 + length)
                return; // wait for the rest of the body
            request.body = buffer_.mid(end + 4, length);
            buffer_.remove(0, end + 4 + length);

            const QByteArray connection = request.headers.value("connection").toLower();
            if (parts[2] == "HTTP/1.0")
                closeAfter_ = !connection.contains("keep-alive");
            else
                closeAfter_ = connection.contains("close");
            head_ = request.method == "HEAD";

            record(request);
            answer(routeFor(request));
        }
    }

    void record(const RecordedRequest &request) {
        QMutexLocker lock(&shared_->mutex);
        if (shared_->logLimit == 0)
            return;
        shared_->requests.append(request);
        if (shared_->logLimit > 0 && shared_->requests.size() > shared_->logLimit)
            shared_->requests.remove(0, shared_->requests.size() - shared_->logLimit);
    }

    Route routeFor(const RecordedRequest &request) {
        const QString path = QString::fromUtf8(request.path);
        Handler handler;
        QReadLocker inUse(&shared_->handlerInUse);
        {
            QMutexLocker lock(&shared_->mutex);
            auto it = shared_->routes.constFind(path);
            if (it == shared_->routes.constEnd())
                it = shared_->routes.constFind(withoutQuery(path));
            if (it != shared_->routes.constEnd())
                return it.value();
            handler = shared_->handler;
        }
        // The handler may take its time (the simulator draws pictures in it), so
        // it runs without the lock.
        if (handler) {
            if (std::optional<Route> route = handler(request))
                return *route;
        }
        return plainRoute(404, "not found\n");
    }

    void answer(const Route &route) {
        busy_ = true;
        idle_.stop();
        if (route.closeWithoutAnswer) {
            socket_->abort();
            deleteLater();
            return;
        }
        if (route.stall)
            return; // until the client gives up or the server stops
        route_ = route;
        offset_ = 0;
        if (route.delayMs > 0)
            QTimer::singleShot(route.delayMs, this, [this] { sendHead(); });
        else
            sendHead();
    }

    // Bytes that wait to be sent start the watch; only bytes that went out
    // start it over.
    void watchWrites(bool wentOut) {
        if (dropWhenStalledMs_ <= 0 || socket_->bytesToWrite() == 0)
            writeStall_.stop();
        else if (wentOut || !writeStall_.isActive())
            writeStall_.start(dropWhenStalledMs_);
    }

    void sendHead() {
        if (!connected())
            return;
        dropWhenStalledMs_ = route_.dropWhenStalledMs;
        if (route_.paced)
            socket_->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, kPacedSendBuffer);
        const bool sendLength = route_.sendLength && !route_.endless;
        keepAlive_ = sendLength && !closeAfter_;
        QByteArray head = "HTTP/1.1 " + QByteArray::number(route_.status) + ' ' +
                          reasonPhrase(route_.status) + "\r\n";
        if (!route_.contentType.isEmpty())
            head += "Content-Type: " + route_.contentType + "\r\n";
        if (sendLength)
            head += "Content-Length: " + QByteArray::number(route_.body.size()) + "\r\n";
        head += keepAlive_ ? "Connection: keep-alive\r\n" : "Connection: close\r\n";
        for (const auto &[name, value] : route_.headers)
            head += name + ": " + value + "\r\n";
        head += "\r\n";
        socket_->write(head);
        if (head_ || route_.body.isEmpty())
            finish();
        else if (route_.endless)
            sendEndless();
        else if (route_.trickleChunk > 0)
            sendNextChunk();
        else {
            socket_->write(route_.body);
            finish();
        }
        watchWrites(false);
    }

    void sendEndless() {
        while (connected() && socket_->bytesToWrite() < kEndlessBacklog)
            socket_->write(route_.body);
    }

    void sendNextChunk() {
        if (!connected())
            return;
        socket_->write(route_.body.mid(offset_, route_.trickleChunk));
        offset_ += route_.trickleChunk;
        watchWrites(false);
        if (offset_ >= route_.body.size())
            finish();
        else
            QTimer::singleShot(qMax(0, route_.trickleIntervalMs), this, [this] {
                if (route_.paced && socket_->bytesToWrite() > 0)
                    chunkHeld_ = true; // until the client has taken the last one
                else
                    sendNextChunk();
            });
    }

    void finish() {
        route_ = Route();
        if (!keepAlive_) {
            socket_->disconnectFromHost(); // after the pending bytes are written
            return;
        }
        busy_ = false;
        idle_.start();
        // Queued, so that pipelined requests never recurse into this call.
        QMetaObject::invokeMethod(
            this, [this] { processBuffer(); }, Qt::QueuedConnection);
    }

    QTcpSocket *socket_;
    std::shared_ptr<Shared> shared_;
    QByteArray buffer_;
    QTimer idle_;
    bool busy_ = false;
    bool closeAfter_ = false;
    bool head_ = false;
    bool keepAlive_ = true;
    Route route_;
    qsizetype offset_ = 0;
    QTimer writeStall_;
    bool chunkHeld_ = false;
    int dropWhenStalledMs_ = 0; // of the answer under way, which finish() forgets
};

} // namespace

namespace {

// A listener on the server thread whose connections answer from `shared`;
// null when the address or port is taken.
QTcpServer *listenOn(const QHostAddress &address, quint16 port, QObject *anchor,
                     const std::shared_ptr<Shared> &shared) {
    auto *server = new QTcpServer(anchor);
    if (!server->listen(address, port)) {
        delete server;
        return nullptr;
    }
    QObject::connect(server, &QTcpServer::newConnection, anchor, [server, anchor, shared] {
        while (QTcpSocket *socket = server->nextPendingConnection()) {
            // Without it a kept-alive connection waits out the client's
            // delayed acknowledgement before each larger answer.
            socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            new Connection(socket, shared, anchor);
        }
    });
    return server;
}

} // namespace

struct LoopbackServer::Private {
    std::shared_ptr<Shared> shared = std::make_shared<Shared>();
    QMutex lifecycle; // start and stop, one at a time
    std::unique_ptr<QThread> thread;
    QObject *anchor = nullptr; // lives on the server thread; parent of the server and connections
    std::atomic<quint16> port{0};
};

LoopbackServer::LoopbackServer() : d(std::make_unique<Private>()) {}

LoopbackServer::~LoopbackServer() {
    stop();
}

bool LoopbackServer::start(quint16 port) {
    QMutexLocker lock(&d->lifecycle);
    if (d->thread)
        return false;
    auto thread = std::make_unique<QThread>();
    thread->setObjectName(QStringLiteral("LoopbackServer"));
    auto *anchor = new QObject;
    anchor->moveToThread(thread.get());
    thread->start();

    quint16 bound = 0;
    QThread *caller = QThread::currentThread();
    std::shared_ptr<Shared> shared = d->shared;
    QMetaObject::invokeMethod(
        anchor,
        [&] {
            QTcpServer *server = listenOn(QHostAddress::LocalHost, port, anchor, shared);
            if (!server) {
                anchor->moveToThread(caller);
                return;
            }
            bound = server->serverPort();
        },
        Qt::BlockingQueuedConnection);

    if (bound == 0) {
        thread->quit();
        thread->wait();
        delete anchor;
        return false;
    }
    d->thread = std::move(thread);
    d->anchor = anchor;
    d->port = bound;
    return true;
}

bool LoopbackServer::listenAlso(const QString &loopbackAddress) {
    const QHostAddress address(loopbackAddress);
    if (address.protocol() != QAbstractSocket::IPv4Protocol || !address.isLoopback())
        return false;
    QMutexLocker lock(&d->lifecycle);
    if (!d->thread)
        return false;
    bool listening = false;
    QObject *anchor = d->anchor;
    const quint16 port = d->port;
    std::shared_ptr<Shared> shared = d->shared;
    QMetaObject::invokeMethod(
        anchor, [&] { listening = listenOn(address, port, anchor, shared) != nullptr; },
        Qt::BlockingQueuedConnection);
    return listening;
}

void LoopbackServer::stop() {
    QMutexLocker lock(&d->lifecycle);
    if (!d->thread)
        return;
    QObject *anchor = d->anchor;
    QThread *caller = QThread::currentThread();
    QMetaObject::invokeMethod(
        anchor,
        [anchor, caller] {
            const QObjectList children = anchor->children();
            qDeleteAll(children); // closes the listener and every connection, stalled ones too
            anchor->moveToThread(caller);
        },
        Qt::BlockingQueuedConnection);
    d->thread->quit();
    d->thread->wait();
    delete anchor;
    d->anchor = nullptr;
    d->thread.reset();
    d->port = 0;
}

bool LoopbackServer::isRunning() const {
    return d->port != 0;
}

quint16 LoopbackServer::port() const {
    return d->port;
}

QUrl LoopbackServer::url(const QString &path) const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path));
}

void LoopbackServer::setRoute(const QString &path, const Route &route) {
    QMutexLocker lock(&d->shared->mutex);
    d->shared->routes.insert(path, route);
}

void LoopbackServer::removeRoute(const QString &path) {
    QMutexLocker lock(&d->shared->mutex);
    d->shared->routes.remove(path);
}

void LoopbackServer::clearRoutes() {
    QMutexLocker lock(&d->shared->mutex);
    d->shared->routes.clear();
}

void LoopbackServer::setHandler(
    std::function<std::optional<Route>(const RecordedRequest &)> handler) {
    QWriteLocker inUse(&d->shared->handlerInUse);
    QMutexLocker lock(&d->shared->mutex);
    d->shared->handler = std::move(handler);
}

QList<RecordedRequest> LoopbackServer::requests() const {
    QMutexLocker lock(&d->shared->mutex);
    return d->shared->requests;
}

int LoopbackServer::requestCount(const QString &path) const {
    const bool anyQuery = !path.contains(u'?');
    QMutexLocker lock(&d->shared->mutex);
    int count = 0;
    for (const RecordedRequest &request : std::as_const(d->shared->requests)) {
        const QString target = QString::fromUtf8(request.path);
        if (target == path || (anyQuery && withoutQuery(target) == path))
            ++count;
    }
    return count;
}

void LoopbackServer::clearRequests() {
    QMutexLocker lock(&d->shared->mutex);
    d->shared->requests.clear();
}

void LoopbackServer::setRequestLogLimit(int maxEntries) {
    QMutexLocker lock(&d->shared->mutex);
    d->shared->logLimit = maxEntries;
    if (maxEntries >= 0 && d->shared->requests.size() > maxEntries)
        d->shared->requests.remove(0, d->shared->requests.size() - maxEntries);
}

int LoopbackServer::openConnections() const {
    return d->shared->connections;
}

qint64 LoopbackServer::bytesSent() const {
    return d->shared->bytesSent;
}

HttpResult httpGet(const QUrl &url, int timeoutMs, const HeaderList &requestHeaders) {
    QNetworkAccessManager manager;
    manager.setProxy(QNetworkProxy::NoProxy);
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setTransferTimeout(timeoutMs);
    for (const auto &[name, value] : requestHeaders)
        request.setRawHeader(name, value);

    QNetworkReply *reply = manager.get(request);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    // Only a safety net: the transfer timeout ends a silent request long before.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
    guard.start(timeoutMs + 60000);
    if (!reply->isFinished())
        loop.exec();

    HttpResult result;
    result.finished = reply->isFinished();
    if (!result.finished)
        reply->abort();
    result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->isOpen())
        result.body = reply->readAll();
    result.error = reply->error();
    result.errorString = reply->errorString();
    for (const auto &[name, value] : reply->rawHeaderPairs())
        result.headers.insert(name.toLower(), value);
    delete reply;
    return result;
}

} // namespace tavimo::test
