#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

namespace tavimo::test {

using HeaderList = QList<QPair<QByteArray, QByteArray>>;

// How the server answers one path.
struct Route {
    int status = 200;
    QByteArray body;
    QByteArray contentType = "application/octet-stream";
    HeaderList headers;              // extra response headers
    int delayMs = 0;                 // wait before sending the headers
    int trickleChunk = 0;            // > 0: send the body in chunks of this many bytes
    int trickleIntervalMs = 0;       //       with this pause between chunks
    bool sendLength = true;          // Content-Length header (false: close-delimited body)
    bool stall = false;              // accept and read the request, never answer
    bool closeWithoutAnswer = false; // close the connection at once
    bool endless = false;            // send the body again and again, without end and without
                                     // length, only as fast as the client reads it
    bool paced = false;              // the socket's send buffer is small and a trickled body
                                     // waits for the client to take each chunk, as a web server
                                     // with a rate limit goes no faster than its reader
    int dropWhenStalledMs = 0;       // > 0: drop the connection once the client has taken none
                                     // of the answer's waiting bytes for this long, as a web
                                     // server's send timeout does
};

struct RecordedRequest {
    QByteArray method;
    QByteArray path;                      // with query string
    QMap<QByteArray, QByteArray> headers; // names lower-cased; repeated headers joined by ", "
    QByteArray body;
};

// An HTTP/1.1 server on 127.0.0.1 for tests and the site simulator. It serves on
// a thread of its own, so a test may block the GUI thread (as the program's
// connection check does) and still be answered. Connections are kept alive
// unless the client or the route asks otherwise; several run at once. Every
// member may be called from any thread.
class LoopbackServer {
public:
    LoopbackServer();
    ~LoopbackServer(); // stops
    LoopbackServer(const LoopbackServer &) = delete;
    LoopbackServer &operator=(const LoopbackServer &) = delete;

    // Listens on 127.0.0.1 only; 0 = any free port. False when the port is taken
    // or the server runs already.
    bool start(quint16 port = 0);
    // Once started, answers on the same port at another address of 127.0.0.0/8
    // as well ("127.0.0.2"), as a server of its own would. False for any other
    // address, or when that address's port is taken.
    bool listenAlso(const QString &loopbackAddress);
    // Closes every connection, stalled ones included, and ends the thread.
    void stop();
    bool isRunning() const;
    quint16 port() const;
    // "http://127.0.0.1:PORT" + path (path starts with "/").
    QUrl url(const QString &path) const;

    // Exact match on the request target; a route whose path has no query also
    // answers that path with any query.
    void setRoute(const QString &path, const Route &route);
    void removeRoute(const QString &path);
    void clearRoutes();
    // Fallback for paths without a route; runs on the server thread, so it must
    // be thread-safe itself. Nothing (or no handler) answers 404. Returns once
    // no call of the handler it replaces is running.
    void setHandler(std::function<std::optional<Route>(const RecordedRequest &)> handler);

    QList<RecordedRequest> requests() const;
    // Requests whose target equals path; a path without a query also counts the
    // requests for it with any query.
    int requestCount(const QString &path) const;
    void clearRequests();
    // Keeps at most this many requests in the log, dropping the oldest (negative:
    // no limit, the default). A long-running simulator sets a bound.
    void setRequestLogLimit(int maxEntries);

    // Connections open at this moment (stalled ones included).
    int openConnections() const;
    // Bytes handed to the system on every connection since the start.
    qint64 bytesSent() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

// The outcome of one blocking GET, for tests.
struct HttpResult {
    int status = 0; // 0 when no answer came
    QByteArray body;
    int error = 0; // QNetworkReply::NetworkError
    QString errorString;
    QMap<QByteArray, QByteArray> headers; // names lower-cased
    bool finished = false;                // false: the guard timeout aborted the request
};

// Fetches url with its own QNetworkAccessManager (no proxy, no cache) and waits,
// running a local event loop, until the answer is complete or timeoutMs passes
// without data. The calling thread needs no running event loop.
HttpResult httpGet(const QUrl &url, int timeoutMs = 5000, const HeaderList &requestHeaders = {});

} // namespace tavimo::test
