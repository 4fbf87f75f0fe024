// The gallery window against sites on the loopback server: what it asks for,
// what the answers do to its cells, its pass, the slot menu, paging, clicks
// and closing.

#include "GalleryRig.h"

#include "core/thumbs/PictureTrailer.h"
#include "gallery/GalleryPointer.h"
#include "ui/MenuBarPainter.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>

#include <atomic>

using namespace tavimo;
using namespace tavimo::test;

Q_DECLARE_METATYPE(GalleryRequest)

namespace {

// The keys of the gallery's reads that are running.
QStringList pendingKeys(GalleryWindow &g) {
    const auto *control = g.fetch().fetcher()->findChild<DownloadControl *>(u"ucDnLoad"_s);
    QStringList keys;
    for (int number = 0; number < 300; ++number)
        for (int site : {0, 1})
            if (control->isPending(u"%1-%2"_s.arg(number).arg(site)))
                keys << u"%1-%2"_s.arg(number).arg(site);
    return keys;
}

} // namespace

class TestGalleryWindow : public QObject {
    Q_OBJECT

private slots:
    void requests_data() {
        QTest::addColumn<GalleryRequest>("request");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QStringList>("keys"); // first and last
        QTest::addColumn<QString>("caption");

        QTest::newRow("slot mode")
            << GalleryRequest::pageSlot(2) << u"/ab/"_s << QStringList{u"200-0"_s, u"203-0"_s}
            << u"Images 1-30 on AB1CD's site  --- Use Scroll Wheel ---"_s;
        QTest::newRow("site mode")
            << GalleryRequest::listRecord(1) << u"/ef/"_s << QStringList{u"100-1"_s, u"103-1"_s}
            << u"Images 1-30 on EF2GH's site"_s;
    }

    void requests() {
        QFETCH(GalleryRequest, request);
        QFETCH(QString, folder);
        GalleryRig rig;
        rig.stallAll();
        GalleryWindow &g = rig.open(request);
        QCOMPARE(rig.main.calls, QStringList{u"disable"_s});
        // Asked again, the pass starts afresh: the requests go out in order,
        // four at a time, so that none waits for a connection with its
        // timeout running.
        QSignalSpy requested(g.fetch().fetcher(), &SlotFetcher::pictureRequested);
        g.load(request);
        QCOMPARE(requested.size(), kGalleryReadsAtOnce);
        for (int cell = 0; cell < kGalleryReadsAtOnce; ++cell)
            QCOMPARE(requested[cell].first().toInt(), cell);
        const QStringList pending = pendingKeys(g);
        QCOMPARE(pending.size(), kGalleryReadsAtOnce);
        QCOMPARE(g.fetch().waitingReads(), 30 - kGalleryReadsAtOnce);
        QTEST((QStringList{pending.first(), pending.last()}), "keys");
        QTEST(g.windowTitle().trimmed(), "caption");
        QCOMPARE(g.mnuSite->menuAction()->isVisible(),
                 request.mode == GalleryRequest::Mode::PageSlot);
        for (int c = 0; c < 30; ++c) {
            QCOMPARE(rig.cell(c).lblCall->text(), u"image%1"_s.arg(c + 1));
            QCOMPARE(rig.cell(c).lblFrom->text(), u"Loading"_s);
            QVERIFY(rig.cell(c).isProgressShown());
            QCOMPARE(rig.cell(c).lblNum->text(), QString::number(c + 1));
        }
        QTRY_VERIFY(rig.server.requestCount(folder + u"image1.jpg"_s) > 0);
        for (const RecordedRequest &r : rig.server.requests())
            QVERIFY(QRegularExpression(u"^%1image([1-9]|[12][0-9]|30)\\.jpg$"_s.arg(folder))
                        .match(QString::fromLatin1(r.path))
                        .hasMatch());

        // Closing drops the reads, puts the Refresh item back and gives the main window back.
        g.close();
        QCOMPARE(g.fetch().fetcher()->pendingCount(), 0);
        QCOMPARE(g.fetch().waitingReads(), 0);
        QCOMPARE(rig.main.calls,
                 (QStringList{u"disable"_s, u"plain"_s, u"enable"_s, u"activate"_s}));
    }

    void answersFillTheCells() {
        GalleryRig rig;
        rig.serveAll(u"/ab/"_s);
        rig.serve(u"/ab/"_s, 2, rig.picture(2, u"PA0\u00D8X"_s));
        rig.serve(u"/ab/"_s, 3, animatedGifBytes(QSize(32, 24), {Qt::red, Qt::blue}));
        GalleryWindow &g = rig.open(GalleryRequest::pageSlot(2));
        QVERIFY(rig.waitForPassEnd());
        g.fetch().flush(); // the files follow the cells to the disk

        // Stored without the trailer; the sender labelled; the trailer's fields kept.
        QCOMPARE(readBytes(rig.file(0)), jpegBytes(QSize(64, 48), QColor(20, 80, 160)));
        QCOMPARE(rig.cell(0).lblFrom->text(), u"From:XX9ABC"_s);
        QCOMPARE((QStringList{rig.column(0, stGalFrom), rig.column(0, stGalInfo),
                              rig.column(0, stGalTime)}),
                 (QStringList{u"XX9ABC"_s, u"OK"_s, u"01.05.2024 11:59"_s}));
        QVERIFY(rig.cell(0).img->hasPicture() && !rig.cell(0).isProgressShown());
        QTRY_VERIFY(!rig.cell(0).img->holdsBytes()); // its file stands in for them
        QCOMPARE(rig.cell(1).lblFrom->text(), u"From:PA\u00D8\u00D8X"_s);
        // No trailer: "Old" and no sender line; the animation plays.
        QCOMPARE(rig.column(2, stGalInfo), u"Old"_s);
        QCOMPARE(rig.cell(2).lblFrom->text(), QString());
        QVERIFY(rig.cell(2).AniGIF()->isAnimating());

        // The status tip a second after the pointer came; with Ctrl the captions at once.
        QLabel *tip = g.pointer().tipLabel();
        sendMouse(rig.pictureOf(4), QEvent::MouseMove, Qt::NoButton);
        QVERIFY(!tip->isVisible() && g.pointer().tipPending());
        QTRY_VERIFY(tip->isVisible());
        QCOMPARE(tip->text(), u" OK  \n 01.05.2024 11:55 UTC "_s);
        // Centred lines in Arial bold, as the cells' labels.
        QCOMPARE(tip->alignment(), Qt::AlignCenter);
        QCOMPARE(tip->font().family(), u"Arial"_s);
        QVERIFY(tip->font().bold());
        sendMouse(&g.grid(), QEvent::MouseMove, Qt::NoButton);
        QVERIFY(!tip->isVisible());
        sendMouse(rig.pictureOf(5), QEvent::MouseMove, Qt::NoButton, Qt::ControlModifier);
        QVERIFY(tip->isVisible());
        QCOMPARE(tip->text(), u"  image6  \n  From:XX9ABC  "_s);
        QCOMPARE(tip->font().pointSizeF(), g.grid().labelFont().pointSizeF() * 1.5);
    }

    void onlyTheLastAnswerEndsThePass() {
        GalleryRig rig;
        rig.serveAll(u"/ab/"_s);
        rig.serve(u"/ab/"_s, 30, rig.picture(30), answerRoute({}, 1500));
        rig.open(GalleryRequest::pageSlot(2));
        QTRY_COMPARE_WITH_TIMEOUT(rig.answered(), 29, 5000);
        QTest::qWait(100);
        QCOMPARE(rig.main.count(u"plain"_s), 0);
        QVERIFY(rig.waitForPassEnd());
        QTest::qWait(100);
        QCOMPARE(rig.main.count(u"plain"_s), 1);
    }

    void anotherSlot() {
        GalleryRig rig;
        rig.serveAll(u"/ab/"_s, answerRoute({}, 400)); // slot 2's site answers late
        for (int k = 1; k <= 30; ++k)
            rig.serve(u"/ef/"_s, k, {}, statusRoute(404)); // slot 0's has nothing
        GalleryWindow &g = rig.open(GalleryRequest::pageSlot(2));
        g.mnu30->trigger();

        // An empty slot's item changes nothing.
        QCOMPARE(g.mnuSites[1]->text(), QString());
        g.mnuSites[1]->trigger();
        QCOMPARE(g.CheckedItem(), 2);
        QVERIFY(g.mnuSites[2]->isChecked() && !g.mnuSites[1]->isChecked());
        QCOMPARE(g.paging().top(), -357.0);
        QCOMPARE(pendingKeys(g).size() + g.fetch().waitingReads(), 30);

        // Slot 0: its site's pictures; the late answers for slot 2 change nothing.
        QCOMPARE(g.mnuSites[0]->text(), u"EF2GH - 2 days"_s);
        g.mnuSites[0]->trigger();
        QCOMPARE(g.paging().top(), 0.0);
        QVERIFY(g.mnuSites[0]->isChecked() && !g.mnuSites[2]->isChecked());
        QCOMPARE(rig.main.count(u"loading"_s), 1);
        QVERIFY(rig.waitForPassEnd());
        QTest::qWait(800);
        QCOMPARE(rig.main.count(u"plain"_s), 1);
        QVERIFY(g.windowTitle().contains(u"EF2GH's site"_s));
        for (int c = 0; c < 30; ++c)
            QCOMPARE(rig.column(c, stGalFrom), u"Not found"_s);
        g.fetch().flush();
        QVERIFY(QDir(rig.state.paths.data(u"images/last15"_s)).isEmpty());
    }

    void faultsGivePlaceholders() {
        GalleryRig rig;
        rig.serveAll(u"/ab/"_s);
        rig.serve(u"/ab/"_s, 1, {}, statusRoute(404));
        rig.serve(u"/ab/"_s, 2, QByteArray("no picture***XX9ABC*OK*10/14/09 12:34"));
        rig.serve(u"/ab/"_s, 3, {}, stalledRoute());
        // A file of an earlier gallery must not stand in for a failed one (a copy
        // the user keeps beside it stays), and a picture that cannot be stored is
        // not shown as if it were.
        writeBytes(rig.file(0), jpegBytes(QSize(8, 8)));
        const QString keptCopy = rig.state.paths.data(u"images/last15/1.jpg"_s);
        writeBytes(keptCopy, jpegBytes(QSize(8, 8)));
        QDir().mkpath(rig.file(4));
        GalleryWindow &g = rig.open(GalleryRequest::pageSlot(2));
        QVERIFY(rig.waitForPassEnd());
        QCOMPARE(rig.answered(), 30);
        for (int c : {0, 1, 2}) {
            QCOMPARE(rig.column(c, stGalFrom), u"Not found"_s);
            QVERIFY(rig.cell(c).img->hasPicture()); // the placeholder
            QCOMPARE(rig.cell(c).lblFrom->text(), QString());
        }
        g.fetch().flush();
        QVERIFY(!QFile::exists(rig.file(0)));
        QVERIFY(QFile::exists(keptCopy));
        QCOMPARE(rig.column(3, stGalFrom), u"XX9ABC"_s);
        QTRY_COMPARE(rig.column(4, stGalFrom), u"Not found"_s);
        // A cell whose picture could not be read says why in its tip; one that was read but
        // is no picture has nothing to add.
        QCOMPARE(rig.column(1, stGalFailure), QString());
        sendMouse(rig.pictureOf(0), QEvent::MouseMove, Qt::NoButton);
        QTRY_VERIFY(g.pointer().tipLabel()->isVisible());
        QCOMPARE(g.pointer().tipLabel()->text(), u" HTTP status 404 Not Found "_s);
    }

    // Picture 1 is being rewritten: cut and growing at first, whole at the third request.
    // Picture 2 is only ever served cut: the same bytes twice are shown as they are; picture
    // 4 is empty: the placeholder at its second answer. The pass counts each cell once.
    void cutPicturesAreAskedForAgain() {
        GalleryRig rig;
        rig.serveAll(u"/ab/"_s);
        const QByteArray whole = rig.picture(1);
        const QByteArray cut2 = rig.picture(2).left(rig.picture(2).size() / 2);
        rig.server.removeRoute(u"/ab/image1.jpg"_s);
        rig.serve(u"/ab/"_s, 2, cut2);
        rig.serve(u"/ab/"_s, 4, QByteArray());
        std::atomic<int> asked = 0;
        rig.server.setHandler([&](const RecordedRequest &) {
            Route route;
            const int k = asked++;
            route.body = k < 2 ? whole.left(whole.size() * (k + 1) / 3) : whole;
            return std::optional(route);
        });
        GalleryWindow &g = rig.open(GalleryRequest::pageSlot(2));
        g.fetch().setCutRetryDelay(std::chrono::milliseconds(50));
        QVERIFY(rig.waitForPassEnd());
        QCOMPARE(rig.answered(), 30);
        QCOMPARE(rig.server.requestCount(u"/ab/image1.jpg"_s), 3);
        QCOMPARE(rig.server.requestCount(u"/ab/image2.jpg"_s), 2);
        QCOMPARE(rig.server.requestCount(u"/ab/image3.jpg"_s), 1);
        QCOMPARE(rig.server.requestCount(u"/ab/image4.jpg"_s), 2); // empty twice: not found
        QTest::qWait(100);
        QCOMPARE(rig.main.count(u"plain"_s), 1);
        g.fetch().flush();
        QCOMPARE(readBytes(rig.file(0)), splitPictureTrailer(whole).picture);
        QCOMPARE(rig.column(0, stGalFrom), u"XX9ABC"_s);
        QCOMPARE(readBytes(rig.file(1)), cut2);
        QVERIFY(rig.cell(1).img->hasPicture());
        QCOMPARE(rig.column(3, stGalFrom), u"Not found"_s);
        rig.server.setHandler({});
    }

    void blockedSenders() {
        GalleryRig rig;
        rig.state.lstBlock = {u"abc"_s};
        rig.serveAll(u"/ab/"_s);
        rig.serve(u"/ab/"_s, 2,
                  withTrailer(animatedGifBytes(QSize(32, 24), {Qt::red, Qt::blue}), u"xx9ABC"_s,
                              u"OK"_s, pictureTime(2)));
        rig.serve(u"/ab/"_s, 3, rig.picture(3, u"PA0XYZ"_s));
        GalleryWindow &g = rig.open(GalleryRequest::pageSlot(2));
        QVERIFY(rig.waitForPassEnd());
        g.fetch().flush();
        for (int c : {0, 1}) {
            QVERIFY(rig.cell(c).img->hasPicture()); // the "Blocked" placeholder
            QVERIFY(rig.cell(c).AniGIF()->isHidden() && !rig.cell(c).AniGIF()->isAnimating());
            QVERIFY(!QFile::exists(rig.file(c)));
            QVERIFY(rig.cell(c).lblFrom->text().startsWith(u"From:"_s));
        }
        QVERIFY(QFile::exists(rig.file(2)));
    }

    void nothingToFetchEndsAtOnce() {
        GalleryRig rig;
        rig.state.SiteList[1].PictureUrl = u"x.jp"_s; // too short to name a folder
        GalleryWindow &g = rig.open(GalleryRequest::listRecord(1));
        QCOMPARE(rig.main.count(u"plain"_s), 1);
        g.load(GalleryRequest::listRecord(7)); // no such record
        QCOMPARE(rig.main.count(u"plain"_s), 2);
        QCOMPARE(g.windowTitle().trimmed(), u"Images 1-30 on 's site"_s);
        QTest::qWait(50);
        QCOMPARE(rig.server.requests().size(), 0);
    }

    void paging() {
        GalleryRig rig;
        rig.serveAll(u"/ab/"_s);
        GalleryWindow &g = rig.open(GalleryRequest::pageSlot(2));
        QVERIFY(rig.waitForPassEnd());
        QWidget *client = g.centralWidget();
        QCOMPARE(g.grid().height(), 2 * client->height());

        // Six steps down reach the second page exactly, and no further.
        for (int i = 0; i < 7; ++i)
            QTest::keyClick(client, Qt::Key_Down);
        QCOMPARE(g.paging().top(), -357.0);
        QCOMPARE(g.grid().y(), UserScale(QSizeF(670, 363), client->size()).toPixelY(-357));
        QVERIFY(rig.cell(15).y() + g.grid().y() >= 0);
        QVERIFY(rig.cell(29).geometry().bottom() + g.grid().y() <= client->height());
        for (int i = 0; i < 6; ++i)
            QTest::keyClick(client, Qt::Key_Up);
        QCOMPARE(g.grid().y(), 0);

        // The wheel pages by its sign over the surface, not over a picture.
        sendWheel(&g.grid(), -240);
        QCOMPARE(g.paging().top(), -59.5);
        sendWheel(rig.pictureOf(0), -120);
        QCOMPARE(g.paging().top(), -59.5);
        sendWheel(rig.cell(0).lblCall, 120);
        QCOMPARE(g.paging().top(), 0.0);

        g.mnu30->trigger();
        QCOMPARE(g.paging().top(), -357.0);
        QVERIFY(menuPicture(g.mnu30) && !menuPicture(g.mnu15));
        g.mnu15->trigger();
        QVERIFY(menuPicture(g.mnu15) && !menuPicture(g.mnu30));
    }

    void clicks() {
        GalleryRig rig;
        rig.serveAll(u"/ab/"_s);
        rig.serve(u"/ab/"_s, 2, {}, statusRoute(404));
        GalleryWindow &g = rig.open(GalleryRequest::pageSlot(2));
        QVERIFY(rig.waitForPassEnd());

        // Left: the viewer, for that cell.
        sendMouse(rig.pictureOf(3), QEvent::MouseButtonPress, Qt::LeftButton);
        QCOMPARE(rig.opener.calls, QStringList{u"cell 3 "_s + rig.file(3)});
        QCOMPARE(rig.opener.viewer()->source(), ViewerSource::galleryCell(3));

        // A "Not found" cell takes no press.
        sendMouse(rig.pictureOf(1), QEvent::MouseButtonPress, Qt::LeftButton);
        sendMouse(rig.pictureOf(1), QEvent::MouseButtonPress, Qt::RightButton);
        QCOMPARE(rig.opener.calls.size(), 1);
        QVERIFY(!g.mnuPop->isVisible());

        // Right: Save and Paste for the cell; Save copies its file.
        sendMouse(rig.pictureOf(3), QEvent::MouseButtonPress, Qt::RightButton);
        QCOMPARE(g.SaveIndex(), 3);
        QTRY_VERIFY(g.mnuPop->isVisible());
        g.mnuPop->hide();
        rig.transfers.dialogAnswer = rig.dir.path() + u"/a.jpg"_s;
        g.mnuSave->trigger();
        QCOMPARE(rig.transfers.dialogs.size(), 1);
        QCOMPARE(readBytes(rig.transfers.dialogAnswer), readBytes(rig.file(3)));
    }
};

QTEST_MAIN(TestGalleryWindow)
#include "tst_gallerywindow.moc"
