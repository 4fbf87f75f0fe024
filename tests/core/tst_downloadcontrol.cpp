#include "core/DownloadControl.h"

#include "support/Fixtures.h"
#include "support/LoopbackServer.h"

#include <QBuffer>
#include <QImage>
#include <QPointer>
#include <QTcpServer>
#include <QTest>

#include <memory>

using namespace tavimo;
using namespace tavimo::test;
using namespace std::chrono_literals;

Q_DECLARE_METATYPE(tavimo::DownloadControl::Flavour)

namespace {

// Every signal a control raised, in order, with what the shared state held at
// that moment (a handler must find the bytes in place when its event runs).
struct Event {
    QString kind; // "ready", "failed" or "progress"
    QString key;
    QByteArray buffer;
    QSize picture;
    qint64 total = 0;
    qint64 done = 0;
};

class Recorder : public QObject {
public:
    Recorder(DownloadContext &context, DownloadControl &control) : context_(context) {
        connect(&control, &DownloadControl::ready, this, [this, &control](const QString &key) {
            events.append(outcome("ready", key, control.Picture().size()));
            if (onReady)
                onReady(key);
        });
        connect(&control, &DownloadControl::failed, this, [this](const QString &key) {
            events.append(outcome("failed", key, {}));
            if (onFailed)
                onFailed(key);
        });
        connect(&control, &DownloadControl::progress, this,
                [this](const QString &key, qint64 total, qint64 done) {
                    Event event = outcome("progress", key, {});
                    event.buffer.clear();
                    event.total = total;
                    event.done = done;
                    events.append(event);
                });
    }

    QList<Event> outcomes() const {
        QList<Event> result;
        for (const Event &event : events)
            if (event.kind != "progress")
                result.append(event);
        return result;
    }
    int count(const QString &kind) const {
        return int(std::count_if(events.begin(), events.end(),
                                 [&](const Event &event) { return event.kind == kind; }));
    }

    QList<Event> events;
    std::function<void(const QString &)> onReady;
    std::function<void(const QString &)> onFailed;

private:
    Event outcome(const QString &kind, const QString &key, QSize picture) const {
        Event event;
        event.kind = kind;
        event.key = key;
        event.buffer = context_.DownloadBuffer;
        event.picture = picture;
        return event;
    }

    DownloadContext &context_;
};

Route body(const QByteArray &bytes, int delayMs = 0) {
    Route route;
    route.body = bytes;
    route.contentType = "application/octet-stream";
    route.delayMs = delayMs;
    return route;
}

Route picture(const QSize &size, int delayMs = 0) {
    Route route = body(pngBytes(size), delayMs);
    route.contentType = "image/png";
    return route;
}

Route status(int code) {
    Route route;
    route.status = code;
    route.body = "error page";
    return route;
}

Route redirect(const QString &to) {
    Route route;
    route.status = 302;
    route.headers.append({"Location", to.toLatin1()});
    return route;
}

// A port on which nothing listens.
quint16 closedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

} // namespace

class DownloadControlTest : public QObject {
    Q_OBJECT

private:
    LoopbackServer server;
    std::unique_ptr<DownloadContext> context;

    // Long enough for any event still on its way to have arrived.
    static void settle() { QTest::qWait(400); }

private slots:
    void initTestCase() { QVERIFY(server.start()); }
    void cleanupTestCase() { server.stop(); }

    void init() {
        server.clearRoutes();
        server.clearRequests();
        context = std::make_unique<DownloadContext>();
        context->setTransferTimeout(2s);
    }
    void cleanup() { context.reset(); }

    void sameKeyTwiceRaisesOnlyTheNewerRead() {
        server.setRoute("/old", body("old", 300));
        server.setRoute("/new", body("new", 50));
        DownloadControl control(*context, DownloadControl::Flavour::Bytes);
        Recorder recorder(*context, control);

        control.DownloadFile(server.url("/old").toString(), "5");
        control.DownloadFile(server.url("/new").toString(), "5");
        QCOMPARE(control.pendingCount(), 1);

        QTRY_COMPARE(recorder.outcomes().size(), 1);
        settle();
        QCOMPARE(recorder.outcomes().size(), 1);
        QCOMPARE(recorder.outcomes().first().kind, QString("ready"));
        QCOMPARE(recorder.outcomes().first().buffer, QByteArray("new"));
        QCOMPARE(context->DownloadBuffer, QByteArray("new"));
        QVERIFY(!control.isPending("5"));
    }

    void keysThatShareDigitsStayApart() {
        server.setRoute("/one", body("one", 200));
        server.setRoute("/eleven", body("eleven", 50));
        DownloadControl control(*context, DownloadControl::Flavour::Bytes);
        Recorder recorder(*context, control);

        control.DownloadFile(server.url("/one").toString(), "1");
        control.DownloadFile(server.url("/eleven").toString(), "11");
        QCOMPARE(control.pendingCount(), 2);

        QTRY_COMPARE(recorder.outcomes().size(), 2);
        settle();
        const QList<Event> outcomes = recorder.outcomes();
        QCOMPARE(outcomes.size(), 2);
        QCOMPARE(outcomes[0].key, QString("11"));
        QCOMPARE(outcomes[0].buffer, QByteArray("eleven"));
        QCOMPARE(outcomes[1].key, QString("1"));
        QCOMPARE(outcomes[1].buffer, QByteArray("one"));
    }

    void sameKeyOnTwoControlsIsTwoReads() {
        server.setRoute("/a", body("a", 100));
        server.setRoute("/b", body("b", 100));
        DownloadControl first(*context, DownloadControl::Flavour::Bytes);
        DownloadControl second(*context, DownloadControl::Flavour::Text);
        Recorder firstRecorder(*context, first);
        Recorder secondRecorder(*context, second);

        first.DownloadFile(server.url("/a").toString(), "1");
        second.DownloadFile(server.url("/b").toString(), "1");

        QTRY_COMPARE(firstRecorder.outcomes().size() + secondRecorder.outcomes().size(), 2);
        QCOMPARE(firstRecorder.outcomes().first().buffer, QByteArray("a"));
        QCOMPARE(secondRecorder.outcomes().first().buffer, QByteArray("b"));
    }

    void handlerMayRequestTheSameKeyAgain_data() {
        QTest::addColumn<bool>("fromFailure");
        QTest::newRow("from the ready handler") << false;
        QTest::newRow("from the failure handler") << true;
    }
    void handlerMayRequestTheSameKeyAgain() {
        QFETCH(bool, fromFailure);
        server.setRoute("/first", fromFailure ? status(404) : body("first"));
        server.setRoute("/again", body("again"));
        DownloadControl control(*context, DownloadControl::Flavour::Bytes);
        Recorder recorder(*context, control);
        bool pendingInHandler = true;
        bool pendingAfterRequest = false;
        auto again = [&](const QString &key) {
            if (recorder.outcomes().size() != 1)
                return;
            pendingInHandler = control.isPending(key);
            control.DownloadFile(server.url("/again").toString(), key);
            pendingAfterRequest = control.isPending(key);
        };
        (fromFailure ? recorder.onFailed : recorder.onReady) = again;

        control.DownloadFile(server.url("/first").toString(), "7");

        QTRY_COMPARE(recorder.outcomes().size(), 2);
        settle();
        const QList<Event> outcomes = recorder.outcomes();
        QCOMPARE(outcomes.size(), 2);
        QVERIFY(!pendingInHandler);
        QVERIFY(pendingAfterRequest);
        QCOMPARE(outcomes[0].kind, QString(fromFailure ? "failed" : "ready"));
        QCOMPARE(outcomes[1].kind, QString("ready"));
        QCOMPARE(outcomes[1].buffer, QByteArray("again"));
        QCOMPARE(server.requestCount("/again"), 1);
    }

    void failureLeavesEarlierResultsAlone_data() {
        QTest::addColumn<DownloadControl::Flavour>("flavour");
        QTest::addColumn<QString>("failure");

        const auto bytes = DownloadControl::Flavour::Bytes;
        const auto text = DownloadControl::Flavour::Text;
        const auto pic = DownloadControl::Flavour::Picture;
        QTest::newRow("404") << bytes << "404";
        QTest::newRow("500, text") << text << "500";
        QTest::newRow("404, picture") << pic << "404";
        QTest::newRow("closed port") << bytes << "closed port";
        QTest::newRow("closed port, picture") << pic << "closed port";
        QTest::newRow("server hangs up") << text << "hang up";
        QTest::newRow("no data within the timeout") << bytes << "stall";
        QTest::newRow("no data within the timeout, picture") << pic << "stall";
        QTest::newRow("announced body over the cap") << bytes << "large";
        QTest::newRow("unannounced body over the cap") << text << "large, no length";
        QTest::newRow("not a picture") << pic << "garbage";
        QTest::newRow("truncated picture") << pic << "truncated";
    }
    void failureLeavesEarlierResultsAlone() {
        QFETCH(DownloadControl::Flavour, flavour);
        QFETCH(QString, failure);
        context->setTransferTimeout(300ms);
        context->setBodyCap(4096);
        QString path = "/x";
        Route route;
        if (failure == "404" || failure == "500") {
            route.status = failure.toInt();
            route.body = "error page";
        } else if (failure == "closed port") {
            path.clear();
        } else if (failure == "hang up") {
            route.closeWithoutAnswer = true;
        } else if (failure == "stall") {
            route.stall = true;
        } else if (failure.startsWith("large")) {
            route.body = QByteArray(5000, 'x');
            route.sendLength = !failure.endsWith("no length");
            route.trickleChunk = 1000;
            route.trickleIntervalMs = 10;
        } else if (failure == "garbage") {
            route.body = "<html>no picture here</html>";
            route.contentType = "image/jpeg";
        } else if (failure == "truncated") {
            route.body = jpegBytes(QSize(40, 30));
            route.body.truncate(route.body.size() / 2);
        }
        const bool isPicture = flavour == DownloadControl::Flavour::Picture;
        server.setRoute("/good", isPicture ? picture(QSize(7, 3)) : body("good"));
        server.setRoute("/x", route);
        DownloadControl control(*context, flavour);
        Recorder recorder(*context, control);

        if (isPicture)
            control.DownloadPicture(server.url("/good").toString(), "0");
        else
            control.DownloadFile(server.url("/good").toString(), "0");
        QTRY_COMPARE(recorder.outcomes().size(), 1);
        QCOMPARE(recorder.outcomes().first().kind, QString("ready"));

        const QString url = path.isEmpty() ? QString("http://127.0.0.1:%1/x").arg(closedPort())
                                           : server.url(path).toString();
        if (isPicture)
            control.DownloadPicture(url, "1");
        else
            control.DownloadFile(url, "1");

        QTRY_COMPARE_WITH_TIMEOUT(recorder.outcomes().size(), 2, 5000);
        settle();
        QCOMPARE(recorder.outcomes().size(), 2);
        QCOMPARE(recorder.outcomes().last().kind, QString("failed"));
        QCOMPARE(recorder.outcomes().last().key, QString("1"));
        QVERIFY(!control.isPending("1"));
        if (isPicture) {
            QCOMPARE(control.Picture().size(), QSize(7, 3));
        } else {
            QCOMPARE(context->DownloadBuffer, QByteArray("good"));
        }
    }

    void pictureReadLeavesTheBufferAlone() {
        server.setRoute("/pic", picture(QSize(1, 57)));
        context->DownloadBuffer = "bytes of an earlier read";
        DownloadControl control(*context, DownloadControl::Flavour::Picture);
        Recorder recorder(*context, control);

        control.DownloadPicture(server.url("/pic").toString(), "3");

        QTRY_COMPARE(recorder.outcomes().size(), 1);
        QCOMPARE(recorder.outcomes().first().kind, QString("ready"));
        QCOMPARE(recorder.outcomes().first().picture, QSize(1, 57));
        QCOMPARE(context->DownloadBuffer, QByteArray("bytes of an earlier read"));
    }

    void slowButSteadyTransferIsNoTimeout() {
        Route trickle = body(QByteArray(1000, 't'));
        trickle.trickleChunk = 100;
        trickle.trickleIntervalMs = 100;
        server.setRoute("/slow", trickle);
        context->setTransferTimeout(400ms);
        DownloadControl control(*context, DownloadControl::Flavour::Bytes);
        Recorder recorder(*context, control);

        control.DownloadFile(server.url("/slow").toString(), "9");

        QTRY_COMPARE_WITH_TIMEOUT(recorder.outcomes().size(), 1, 5000);
        QCOMPARE(recorder.outcomes().first().kind, QString("ready"));
        QCOMPARE(recorder.outcomes().first().buffer.size(), 1000);
    }

    void unusableAddressFailsAfterTheRequestReturned_data() {
        QTest::addColumn<QString>("url");
        QTest::newRow("empty") << "";
        QTest::newRow("no scheme") << "127.0.0.1/x.jpg";
        QTest::newRow("no host") << "http:///x.jpg";
        QTest::newRow("file") << "file:///etc/hostname";
        QTest::newRow("ftp") << "ftp://127.0.0.1/x.jpg";
        QTest::newRow("bad port") << "http://127.0.0.1:99999/x.jpg";
    }
    void unusableAddressFailsAfterTheRequestReturned() {
        QFETCH(QString, url);
        DownloadControl control(*context, DownloadControl::Flavour::Bytes);
        Recorder recorder(*context, control);
        bool insideRequest = false;
        bool raisedInside = false;
        recorder.onFailed = [&](const QString &) { raisedInside = insideRequest; };

        insideRequest = true;
        control.DownloadFile(url, "4");
        insideRequest = false;

        QCOMPARE(recorder.outcomes().size(), 0);
        QTRY_COMPARE(recorder.outcomes().size(), 1);
        QCOMPARE(recorder.outcomes().first().kind, QString("failed"));
        QVERIFY(!raisedInside);
        QVERIFY(!control.isPending("4"));
    }

    void unusableAddressReplacedBeforeItFailsRaisesNothing() {
        server.setRoute("/good", body("good"));
        DownloadControl control(*context, DownloadControl::Flavour::Bytes);
        Recorder recorder(*context, control);

        control.DownloadFile("not an address", "2");
        control.DownloadFile(server.url("/good").toString(), "2");

        QTRY_COMPARE(recorder.outcomes().size(), 1);
        settle();
        QCOMPARE(recorder.outcomes().size(), 1);
        QCOMPARE(recorder.outcomes().first().kind, QString("ready"));
    }

    void progress_data() {
        QTest::addColumn<bool>("sendLength");
        QTest::addColumn<qint64>("announced");
        QTest::newRow("with length") << true << qint64(3000);
        QTest::newRow("without length") << false << qint64(0);
    }
    void progress() {
        QFETCH(bool, sendLength);
        QFETCH(qint64, announced);
        Route route = body(QByteArray(3000, 'p'));
        route.sendLength = sendLength;
        // Spaced wider than the network layer's own throttle of progress reports.
        route.trickleChunk = 1000;
        route.trickleIntervalMs = 200;
        server.setRoute("/p", route);
        DownloadControl control(*context, DownloadControl::Flavour::Bytes);
        Recorder recorder(*context, control);

        control.DownloadFile(server.url("/p").toString(), "1105");

        QTRY_COMPARE(recorder.outcomes().size(), 1);
        QList<Event> progress;
        for (const Event &event : recorder.events)
            if (event.kind == "progress")
                progress.append(event);
        // The network layer closes an unannounced body with one report whose total
        // is what arrived; every report before it says 0.
        QVERIFY(progress.size() >= 2);
        QVERIFY(progress.first().done < 3000);
        for (const Event &event : progress.first(progress.size() - 1)) {
            QCOMPARE(event.key, QString("1105"));
            QCOMPARE(event.total, announced);
        }
        QCOMPARE(progress.last().done, qint64(3000));
        QVERIFY(progress.last().total == announced || progress.last().total == 3000);
        QCOMPARE(recorder.events.last().kind, QString("ready"));
    }

    void onlyTheBytesFlavourReportsProgress_data() {
        QTest::addColumn<DownloadControl::Flavour>("flavour");
        QTest::newRow("text") << DownloadControl::Flavour::Text;
        QTest::newRow("picture") << DownloadControl::Flavour::Picture;
    }
    void onlyTheBytesFlavourReportsProgress() {
        QFETCH(DownloadControl::Flavour, flavour);
        Route route = picture(QSize(200, 200));
        route.trickleChunk = 100;
        route.trickleIntervalMs = 5;
        server.setRoute("/p", route);
        DownloadControl control(*context, flavour);
        Recorder recorder(*context, control);

        if (flavour == DownloadControl::Flavour::Picture)
            control.DownloadPicture(server.url("/p").toString(), "1");
        else
            control.DownloadFile(server.url("/p").toString(), "1");

        QTRY_COMPARE(recorder.outcomes().size(), 1);
        QCOMPARE(recorder.outcomes().first().kind, QString("ready"));
        QCOMPARE(recorder.count("progress"), 0);
    }

    void requestAsksForAFreshCopy() {
        server.setRoute("/fresh", body("x"));
        DownloadControl control(*context, DownloadControl::Flavour::Text);
        Recorder recorder(*context, control);

        control.DownloadFile(server.url("/fresh").toString(), "20");

        QTRY_COMPARE(recorder.outcomes().size(), 1);
        const QList<RecordedRequest> requests = server.requests();
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests.first().method, QByteArray("GET"));
        QCOMPARE(requests.first().headers.value("cache-control"), QByteArray("no-cache"));
        QVERIFY(requests.first().headers.value("user-agent").startsWith("Tavimo/"));
    }

    void everyRequestReachesTheServer() {
        server.setRoute("/same", body("x"));
        DownloadControl control(*context, DownloadControl::Flavour::Text);
        Recorder recorder(*context, control);

        for (int round = 1; round <= 3; ++round) {
            control.DownloadFile(server.url("/same").toString(), "1");
            QTRY_COMPARE(recorder.outcomes().size(), round);
        }
        QCOMPARE(server.requestCount("/same"), 3);
    }

    void destroyingTheControlRaisesNothing() {
        server.setRoute("/slow", body("slow", 200));
        int raised = 0;
        QObject watcher;
        {
            DownloadControl control(*context, DownloadControl::Flavour::Bytes);
            connect(&control, &DownloadControl::ready, &watcher, [&] { ++raised; });
            connect(&control, &DownloadControl::failed, &watcher, [&] { ++raised; });
            connect(&control, &DownloadControl::progress, &watcher, [&] { ++raised; });
            for (int slot = 0; slot < 5; ++slot)
                control.DownloadFile(server.url("/slow").toString(), QString::number(slot));
            control.DownloadFile("not an address", "9");
        }
        QTest::qWait(600);
        QCOMPARE(raised, 0);
        QCOMPARE(context->DownloadBuffer, QByteArray());
    }

    void cancelAllRaisesNothing() {
        server.setRoute("/slow", body("slow", 200));
        DownloadControl control(*context, DownloadControl::Flavour::Bytes);
        Recorder recorder(*context, control);
        control.DownloadFile(server.url("/slow").toString(), "1");
        control.DownloadFile(server.url("/slow").toString(), "2");

        control.cancelAll();

        QCOMPARE(control.pendingCount(), 0);
        QTest::qWait(600);
        QCOMPARE(recorder.events.size(), 0);
    }

    void destroyedInsideItsOwnHandler() {
        server.setRoute("/a", body("a"));
        server.setRoute("/b", body("b", 100));
        auto *control = new DownloadControl(*context, DownloadControl::Flavour::Bytes);
        QPointer<DownloadControl> guard(control);
        int raised = 0;
        QObject watcher;
        connect(control, &DownloadControl::ready, &watcher, [&] {
            ++raised;
            delete control;
        });
        control->DownloadFile(server.url("/a").toString(), "1");
        control->DownloadFile(server.url("/b").toString(), "2");

        QTRY_VERIFY(guard.isNull());
        QTest::qWait(300);
        QCOMPARE(raised, 1);
    }

    void redirects_data() {
        QTest::addColumn<int>("hops");
        QTest::addColumn<bool>("succeeds");
        QTest::newRow("5 redirects") << 5 << true;
        QTest::newRow("6 redirects") << 6 << false;
    }
    void redirects() {
        QFETCH(int, hops);
        QFETCH(bool, succeeds);
        for (int hop = 0; hop < hops; ++hop)
            server.setRoute(QString("/hop%1").arg(hop), redirect(QString("/hop%1").arg(hop + 1)));
        server.setRoute(QString("/hop%1").arg(hops), body("arrived"));
        context->DownloadBuffer = "before";
        DownloadControl control(*context, DownloadControl::Flavour::Bytes);
        Recorder recorder(*context, control);

        control.DownloadFile(server.url("/hop0").toString(), "1");

        QTRY_COMPARE(recorder.outcomes().size(), 1);
        QCOMPARE(recorder.outcomes().first().kind, QString(succeeds ? "ready" : "failed"));
        QCOMPARE(context->DownloadBuffer, QByteArray(succeeds ? "arrived" : "before"));
    }

    void redirectFromHttpsToHttpIsRefused() {
        // Nothing on the loopback speaks TLS, so the refusal is checked on the
        // request every read is sent with.
        const QNetworkRequest request = context->request(QUrl("https://127.0.0.1/x"));
        QCOMPARE(request.attribute(QNetworkRequest::RedirectPolicyAttribute).toInt(),
                 int(QNetworkRequest::NoLessSafeRedirectPolicy));
        QCOMPARE(request.maximumRedirectsAllowed(), DownloadContext::MaxRedirects);
        QCOMPARE(request.attribute(QNetworkRequest::CacheLoadControlAttribute).toInt(),
                 int(QNetworkRequest::AlwaysNetwork));
    }
};

QTEST_MAIN(DownloadControlTest)
#include "tst_downloadcontrol.moc"
