// The slot fetcher without a window, under a key owner as a gallery would be
// one: every slot of a pass counts once however its answer ends, the pass
// ends once, answers of another owner are ignored, a read still running when
// the next pass starts is taken over by it, and slot files are written in the
// order given.

#include "core/net/DownloadControl.h"
#include "core/thumbs/SlotFetcher.h"
#include "support/Fixtures.h"
#include "support/LoopbackServer.h"
#include "support/TestFiles.h"

#include <QSet>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace tavimo;
using namespace tavimo::test;
using namespace std::chrono_literals;

namespace {

// Every slot below 30 of the owner's number fits, except those it drops.
struct Owner final : KeyOwner {
    int number = 5;
    QSet<int> dropped;
    int ownerNumber() const override { return number; }
    AnswerFit fitCheck(const CheckKey &key, const std::optional<SlotRequest> &) const override {
        return fit(key.slot, -1);
    }
    AnswerFit fitPicture(const PictureKey &key, const std::optional<SlotRequest> &) const override {
        return key.page == number ? fit(key.slot, key.site.value_or(-1)) : AnswerFit{};
    }
    AnswerFit fit(int slot, int site) const {
        if (slot >= 30)
            return {};
        if (dropped.contains(slot))
            return {slot, std::nullopt};
        return {slot, SlotTarget{slot, site}};
    }
};

// The fetcher's signals as "what slot detail".
struct Log : QObject {
    explicit Log(SlotFetcher &f) {
        connect(&f, &SlotFetcher::pictureReady, this, [this](const SlotTarget &t, QByteArray b) {
            lines << QString("ready %1 %2 %3").arg(t.slot).arg(t.site).arg(QString(b));
        });
        connect(&f, &SlotFetcher::pictureFailed, this,
                [this](const SlotTarget &t) { lines << QString("failed %1").arg(t.slot); });
        connect(&f, &SlotFetcher::answerDropped, this,
                [this](int slot) { lines << QString("dropped %1").arg(slot); });
        connect(&f, &SlotFetcher::checkPictureReady, this, [this](const SlotTarget &t, QSize s) {
            lines << QString("check %1 %2x%3").arg(t.slot).arg(s.width()).arg(s.height());
        });
        connect(&f, &SlotFetcher::checkPictureMissing, this,
                [this](const SlotTarget &t) { lines << QString("missing %1").arg(t.slot); });
        connect(&f, &SlotFetcher::passEnded, this, [this] { lines << "end"; });
    }
    QStringList lines;
};

} // namespace

class SlotFetcherTest : public QObject {
    Q_OBJECT

    LoopbackServer server;
    QString url(const QString &path) const { return server.url(path).toString(); }
    Route answer(const QByteArray &body, int status = 200, int delayMs = 0) {
        Route route;
        route.body = body;
        route.status = status;
        route.delayMs = delayMs;
        return route;
    }

private slots:
    void initTestCase() { QVERIFY(server.start()); }

    void everySlotCountsOnceAndThePassEndsOnce() {
        server.setRoute("/ok", answer("picture"));
        server.setRoute("/gone", answer("gone", 404));
        server.setRoute("/late", answer("late", 200, 150));
        DownloadContext context;
        context.setTransferTimeout(2s);
        Owner owner;
        owner.dropped = {2};
        SlotFetcher fetcher(context, owner);
        Log log(fetcher);
        fetcher.startPass({0, 1, 2});
        fetcher.requestPicture(0, 7, url("/ok"), "AB1CD");
        fetcher.requestPicture(1, -1, url("/gone"), "NOAA");
        fetcher.requestPicture(2, 8, url("/ok"), "EF2GH");
        QTRY_VERIFY(log.lines.contains("end"));
        QCOMPARE(log.lines.size(), 4);
        QCOMPARE(log.lines.last(), "end");
        for (const char *line : {"ready 0 7 picture", "failed 1", "dropped 2"})
            QVERIFY2(log.lines.contains(line), line);
        QCOMPARE(fetcher.pass().FinishedCount(), 3);

        // Asked for under owner 5, answered once the owner is 6: none of its business.
        log.lines.clear();
        fetcher.startPass({0});
        fetcher.requestPicture(0, 7, url("/late"), "AB1CD");
        owner.number = 6;
        QTRY_COMPARE(fetcher.pendingCount(), 0);
        QTest::qWait(50);
        QVERIFY(log.lines.isEmpty());
        QCOMPARE(fetcher.pass().FinishedCount(), 0);
    }

    void checkPicturesTellTheirSize() {
        server.setRoute("/check", answer(checkPicture(1, 100)));
        server.setRoute("/nocheck", answer("gone", 404));
        server.setRoute("/page", answer("<html><body>No picture here</body></html>"));
        DownloadContext context;
        Owner owner;
        SlotFetcher fetcher(context, owner);
        Log log(fetcher);
        fetcher.startPass({3, 4, 5});
        fetcher.requestCheckPicture(3, url("/check"), "AB1CD");
        fetcher.requestCheckPicture(4, url("/nocheck"), "EF2GH");
        // Only the header is read, but a page is still no picture.
        fetcher.requestCheckPicture(5, url("/page"), "IJ3KL");
        QTRY_COMPARE(log.lines.size(), 3);
        QVERIFY(log.lines.contains("check 3 1x100"));
        QVERIFY(log.lines.contains("missing 4"));
        QVERIFY(log.lines.contains("missing 5"));
        // A check picture decides nothing itself: the slots still wait.
        QCOMPARE(fetcher.pass().FinishedCount(), 0);
    }

    // Passes come faster than the transfer timeout, as with a 30 s refresh
    // and a 30 s timeout: each asks for the slot again, as a page load does.
    void aStalledSiteStillLetsPassesEnd_data() {
        QTest::addColumn<bool>("checkStalls");
        QTest::newRow("the check picture stalls") << true;
        QTest::newRow("the picture stalls, no check picture") << false;
    }
    void aStalledSiteStillLetsPassesEnd() {
        QFETCH(bool, checkStalls);
        server.clearRequests();
        Route stall;
        stall.stall = true;
        server.setRoute("/stall/image1.jpg", stall);
        server.setRoute("/stall/checknew.jpg", checkStalls ? stall : answer("gone", 404));
        DownloadContext context;
        context.setTransferTimeout(300ms);
        Owner owner;
        SlotFetcher fetcher(context, owner);
        Log log(fetcher);
        // The window's road: a missing check picture fetches the picture.
        connect(&fetcher, &SlotFetcher::checkPictureMissing, &fetcher, [&](const SlotTarget &t) {
            fetcher.requestPicture(t.slot, 7, url("/stall/image1.jpg"), "AB1CD");
        });
        int picturesAskedAtFailure = 0;
        connect(&fetcher, &SlotFetcher::pictureFailed, &fetcher, [&] {
            if (picturesAskedAtFailure == 0)
                picturesAskedAtFailure = server.requestCount("/stall/image1.jpg");
        });
        const auto pass = [&] {
            fetcher.startPass({0});
            fetcher.requestCheckPicture(0, url("/stall/checknew.jpg"), "AB1CD");
        };
        QTimer passes;
        connect(&passes, &QTimer::timeout, &fetcher, pass);
        pass();
        passes.start(150);
        QTRY_VERIFY_WITH_TIMEOUT(log.lines.contains("end"), 5000);
        QVERIFY(log.lines.contains("failed 0"));
        // The picture was asked for once and kept until its timeout.
        QCOMPARE(picturesAskedAtFailure, 1);
    }

    void filesAreWrittenInTheOrderGiven() {
        QTemporaryDir dir;
        DownloadContext context;
        Owner owner;
        SlotFetcher fetcher(context, owner);
        const QString file = dir.filePath("3");
        for (const char *bytes : {"one", "two", "three"})
            fetcher.writeLater(file, bytes);
        fetcher.flush();
        QCOMPARE(readBytes(file), "three");
    }
};

QTEST_MAIN(SlotFetcherTest)
#include "tst_slotfetcher.moc"
