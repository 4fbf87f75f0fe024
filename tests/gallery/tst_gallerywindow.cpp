// The gallery window against a site on the loopback server: what it asks
// for, what its answers do to the cells, the pass, the slot menu, paging,
// clicks and closing.

#include "GalleryRig.h"

#include "gallery/GalleryPointer.h"
#include "ui/AnimatedPicture.h"
#include "ui/MenuBarPainter.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QWheelEvent>

using namespace tavimo;
using namespace tavimo::test;

Q_DECLARE_METATYPE(GalleryRequest)

namespace {

// The keys of the reads that are running on the gallery's picture control.
QStringList pendingKeys(GalleryWindow &g) {
    const auto *control = g.fetch().fetcher()->findChild<DownloadControl *>(u"ucDnLoad"_s);
    QStringList keys;
    for (int owner : {0, 1, 2})
        for (int cell = 0; cell < 30; ++cell)
            for (int site : {0, 1})
                if (const QString key = u"%1-%2"_s.arg(owner * 100 + cell).arg(site);
                    control->isPending(key))
                    keys << key;
    return keys;
}

QStringList requestedPaths(const LoopbackServer &server) {
    QStringList paths;
    for (const RecordedRequest &r : server.requests())
        paths << QString::fromLatin1(r.path);
    return paths;
}

// A wheel turn over `target`, delivered where Qt delivers one that did not
// come from the platform: to the window.
void wheel(QWidget *target, int delta) {
    QWidget *window = target->window();
    const QPointF at = target->mapTo(window, QPoint(2, 2));
    QWheelEvent event(at, window->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(window, &event);
}

} // namespace

class TestGalleryWindow : public QObject {
    Q_OBJECT

private slots:
    void requests_data();
    void requests();
    void answersFillTheCells();
    void onlyTheLastAnswerEndsThePass();
    void answersOfTheSlotLeftBehindChangeNothing();
    void faultsGivePlaceholders();
    void blockedSenders();
    void nothingToFetchEndsAtOnce();
    void emptySlotItemDoesNothing();
    void paging();
    void tips();
    void clicks();
    void closing();
};

void TestGalleryWindow::requests_data() {
    QTest::addColumn<GalleryRequest>("request");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("firstKey");
    QTest::addColumn<QString>("caption");

    QTest::newRow("slot mode") << GalleryRequest::pageSlot(2) << u"/ab/"_s << u"200-0"_s
                               << u"Images 1-30 on AB1CD's site  --- Use Scroll Wheel ---"_s;
    QTest::newRow("site mode") << GalleryRequest::listRecord(1) << u"/ef/"_s << u"100-1"_s
                               << u"Images 1-30 on EF2GH's site"_s;
}

void TestGalleryWindow::requests() {
    QFETCH(GalleryRequest, request);
    QFETCH(QString, folder);
    QFETCH(QString, firstKey);
    QFETCH(QString, caption);
    GalleryRig rig;
    rig.missingAll(folder);
    GalleryWindow &g = rig.open(request);
    QCOMPARE(rig.main.log.first(), u"disable"_s);
    // The same request again starts the pass afresh; the order of the requests shows.
    QSignalSpy requested(g.fetch().fetcher(), &SlotFetcher::pictureRequested);
    g.load(request);

    const QStringList keys = pendingKeys(g);
    QCOMPARE(keys.size(), 30);
    QCOMPARE(keys.first(), firstKey);
    QVERIFY(keys.last().startsWith(QString::number(firstKey.left(1).toInt() * 100 + 29)));
    QCOMPARE(requested.size(), 30);
    for (int cell = 0; cell < 30; ++cell)
        QCOMPARE(requested[cell].first().toInt(), cell);

    for (int c = 0; c < 30; ++c) {
        QCOMPARE(rig.cell(c).lblCall->text(), u"image%1"_s.arg(c + 1));
        QCOMPARE(rig.cell(c).lblFrom->text(), u"Loading"_s);
        QVERIFY(!rig.cell(c).picProg->isHidden());
        QCOMPARE(rig.cell(c).lblNum->text(), QString::number(c + 1));
    }

    QStringList expected;
    for (int k = 1; k <= 30; ++k)
        expected << folder + u"image%1.jpg"_s.arg(k);
    QVERIFY(rig.waitForPassEnd());
    // (The first pass's early requests may have reached the server too.)
    QStringList paths = requestedPaths(rig.server);
    paths.removeDuplicates();
    paths.sort();
    expected.sort();
    QCOMPARE(paths, expected);
    QCOMPARE(g.windowTitle().trimmed(), caption);
    QCOMPARE(g.mnuSite->menuAction()->isVisible(), request.mode == GalleryRequest::Mode::PageSlot);
}

void TestGalleryWindow::answersFillTheCells() {
    GalleryRig rig;
    rig.serveAll(u"/ab/"_s);
    rig.serve(u"/ab/"_s, 2, rig.picture(2, u"PA0\u00D8X"_s));
    rig.serve(u"/ab/"_s, 3, animatedGifBytes(QSize(32, 24), {Qt::red, Qt::blue}));
    GalleryWindow &g = rig.open(GalleryRequest::pageSlot(2));
    QSignalSpy shown(&g.fetch(), &GalleryFetch::cellShown);
    QVERIFY(rig.waitForPassEnd());
    QCOMPARE(shown.size(), 30);
    g.fetch().flush(); // the files follow the cells to the disk

    const QString file0 = rig.state.paths.data(u"images/last15/0"_s);
    QCOMPARE(readBytes(file0), jpegBytes(QSize(64, 48), QColor(20, 80, 160)));
    QCOMPARE(rig.cell(0).lblFrom->text(), u"From:XX9ABC"_s);
    QCOMPARE(rig.column(0, stGalFrom), u"XX9ABC"_s);
    QCOMPARE(rig.column(0, stGalInfo), u"OK"_s);
    QCOMPARE(rig.column(0, stGalTime), u"01.05.2024 11:59"_s);
    QVERIFY(rig.cell(0).img->hasPicture());
    QVERIFY(rig.cell(0).picProg->isHidden());
    // The sender with a zero, as the user's zero shows it.
    QCOMPARE(rig.cell(1).lblFrom->text(), u"From:PA\u00D8\u00D8X"_s);
    QCOMPARE(rig.column(1, stGalFrom), u"PA00X"_s);
    // Without a trailer: "Old", no sender line; an animation plays.
    QCOMPARE(rig.column(2, stGalInfo), u"Old"_s);
    QCOMPARE(rig.cell(2).lblFrom->text(), QString());
    QVERIFY(rig.cell(2).AniGIF->isAnimating());
    QCOMPARE(rig.main.log, (QStringList{u"disable"_s, u"plain"_s}));
}

void TestGalleryWindow::onlyTheLastAnswerEndsThePass() {
    GalleryRig rig;
    rig.serveAll(u"/ab/"_s);
    Route late;
    late.delayMs = 1500;
    rig.serve(u"/ab/"_s, 30, rig.picture(30), late);
    rig.open(GalleryRequest::pageSlot(2));
    QTRY_COMPARE_WITH_TIMEOUT(rig.answered(), 29, 5000);
    QTest::qWait(100);
    QCOMPARE(rig.main.count(u"plain"_s), 0);
    QVERIFY(rig.waitForPassEnd());
    QCOMPARE(rig.answered(), 30);
    QTest::qWait(100);
    QCOMPARE(rig.main.count(u"plain"_s), 1);
}

void TestGalleryWindow::answersOfTheSlotLeftBehindChangeNothing() {
    GalleryRig rig;
    Route slow;
    slow.delayMs = 400;
    rig.serveAll(u"/ab/"_s, slow); // slot 2's site answers late
    rig.missingAll(u"/ef/"_s);     // slot 0's site has none
    GalleryWindow &g = rig.open(GalleryRequest::pageSlot(2));
    QCOMPARE(pendingKeys(g).size(), 30);
    g.mnuSites[0]->trigger();
    QCOMPARE(g.CheckedItem(), 0);
    QCOMPARE(rig.main.count(u"loading"_s), 1);
    QVERIFY(rig.waitForPassEnd());
    QTest::qWait(800); // long after slot 2's answers were due
    QCOMPARE(rig.answered(), 30);
    QCOMPARE(rig.main.count(u"plain"_s), 1);
    QVERIFY(g.windowTitle().contains(u"EF2GH's site"_s));
    for (int c = 0; c < 30; ++c) {
        QCOMPARE(rig.column(c, stGalFrom), u"Not found"_s);
        QCOMPARE(rig.cell(c).lblFrom->text(), QString());
    }
    g.fetch().flush();
    QVERIFY(QDir(rig.state.paths.data(u"images/last15"_s)).isEmpty());
    QVERIFY(g.mnuSites[0]->isChecked() && !g.mnuSites[2]->isChecked());
}

void TestGalleryWindow::faultsGivePlaceholders() {
    GalleryRig rig;
    rig.serveAll(u"/ab/"_s);
    rig.serve(u"/ab/"_s, 1, {}, GalleryRig::notFound());
    rig.serve(u"/ab/"_s, 2, QByteArray("no picture at all***XX9ABC*OK*10/14/09 12:34"));
    Route stall;
    stall.stall = true;
    rig.serve(u"/ab/"_s, 3, {}, stall);
    // A file left by an earlier gallery must not stand in for a failed one.
    writeBytes(rig.state.paths.data(u"images/last15/0"_s), jpegBytes(QSize(8, 8)));
    GalleryWindow &g = rig.open(GalleryRequest::pageSlot(2));
    QVERIFY(rig.waitForPassEnd());
    QCOMPARE(rig.answered(), 30);
    for (int c : {0, 1, 2}) {
        QCOMPARE(rig.column(c, stGalFrom), u"Not found"_s);
        QVERIFY(rig.cell(c).img->hasPicture()); // the placeholder
        QCOMPARE(rig.cell(c).lblFrom->text(), QString());
    }
    g.fetch().flush();
    QVERIFY(!QFile::exists(rig.state.paths.data(u"images/last15/0"_s)));
    QCOMPARE(rig.column(3, stGalFrom), u"XX9ABC"_s);
    QCOMPARE(rig.main.count(u"plain"_s), 1);
}

void TestGalleryWindow::blockedSenders() {
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
        ThumbCell &cell = rig.cell(c);
        QVERIFY(cell.img->hasPicture()); // the "Blocked" placeholder
        QVERIFY(cell.AniGIF->isHidden() && !cell.AniGIF->isAnimating());
        QVERIFY(!QFile::exists(rig.state.paths.data(u"images/last15/%1"_s.arg(c))));
        QVERIFY(cell.lblFrom->text().startsWith(u"From:"_s)); // the sender stays named
    }
    QVERIFY(QFile::exists(rig.state.paths.data(u"images/last15/2"_s)));
    QCOMPARE(rig.main.count(u"plain"_s), 1);
}

void TestGalleryWindow::nothingToFetchEndsAtOnce() {
    GalleryRig rig;
    rig.state.SiteList[1].PictureUrl = u"x.jp"_s; // too short to hold a picture folder
    GalleryWindow &g = rig.open(GalleryRequest::listRecord(1));
    QCOMPARE(rig.main.count(u"plain"_s), 1);
    QVERIFY(g.windowTitle().contains(u"EF2GH's site"_s));
    g.load(GalleryRequest::listRecord(7)); // no such record
    QCOMPARE(rig.main.count(u"plain"_s), 2);
    QVERIFY(g.windowTitle().trimmed().startsWith(u"Images 1-30 on 's site"_s));
    QTest::qWait(50);
    QCOMPARE(rig.server.requests().size(), 0);
}

void TestGalleryWindow::emptySlotItemDoesNothing() {
    GalleryRig rig;
    rig.stallAll();
    GalleryWindow &g = rig.open(GalleryRequest::pageSlot(2));
    QCOMPARE(pendingKeys(g).size(), 30);
    g.mnu30_Click();
    QCOMPARE(g.mnuSites[1]->text(), QString());
    QCOMPARE(g.mnuSites[0]->text(), u"EF2GH - 2 days"_s);
    g.mnuSites[1]->trigger();
    QCOMPARE(g.CheckedItem(), 2);
    QVERIFY(g.mnuSites[2]->isChecked() && !g.mnuSites[1]->isChecked());
    QCOMPARE(g.paging().top(), -357.0);
    QCOMPARE(pendingKeys(g).size(), 30);
    QCOMPARE(rig.main.count(u"loading"_s), 0);
}

void TestGalleryWindow::paging() {
    GalleryRig rig;
    rig.serveAll(u"/ab/"_s);
    GalleryWindow &g = rig.open(GalleryRequest::pageSlot(2));
    QVERIFY(QTest::qWaitForWindowExposed(&g));
    QVERIFY(rig.waitForPassEnd());
    QWidget *client = g.centralWidget();
    const auto surfaceTop = [&] { return g.grid().geometry().top(); };
    QCOMPARE(g.grid().height(), 2 * client->height());

    for (int i = 0; i < 7; ++i)
        QTest::keyClick(client, Qt::Key_Down);
    QCOMPARE(g.paging().top(), -357.0);
    QCOMPARE(surfaceTop(), UserScale(QSizeF(670, 363), client->size()).toPixelY(-357));
    // The second page shows rows 4 to 6 whole.
    const QRect cell15 = rig.cell(15).geometry().translated(g.grid().pos());
    QVERIFY(cell15.top() >= 0 &&
            rig.cell(29).geometry().translated(g.grid().pos()).bottom() <= client->height());
    for (int i = 0; i < 6; ++i)
        QTest::keyClick(client, Qt::Key_Up);
    QCOMPARE(g.paging().top(), 0.0);
    QCOMPARE(surfaceTop(), 0);

    // The wheel pages by its sign over the surface, not over a picture.
    wheel(&g.grid(), -240);
    QCOMPARE(g.paging().top(), -59.5);
    wheel(rig.pictureOf(0), -120);
    QCOMPARE(g.paging().top(), -59.5);
    wheel(rig.cell(0).lblCall, 120);
    QCOMPARE(g.paging().top(), 0.0);

    g.mnu30->trigger();
    QCOMPARE(g.paging().top(), -357.0);
    QVERIFY(menuPicture(g.mnu30) && !menuPicture(g.mnu15));
    g.mnu15->trigger();
    QCOMPARE(g.paging().top(), 0.0);
    QVERIFY(menuPicture(g.mnu15) && !menuPicture(g.mnu30));
}

void TestGalleryWindow::tips() {
    GalleryRig rig;
    rig.serveAll(u"/ab/"_s);
    GalleryWindow &g = rig.open(GalleryRequest::pageSlot(2));
    QVERIFY(rig.waitForPassEnd());
    QLabel *tip = g.pointer().tipLabel();

    GalleryRig::send(rig.pictureOf(4), QEvent::MouseMove, Qt::NoButton);
    QVERIFY(g.pointer().tipPending());
    QTRY_VERIFY(tip->isVisible());
    QCOMPARE(tip->text(), u" OK  \n 01.05.2024 11:55 UTC "_s);
    QTRY_VERIFY_WITH_TIMEOUT(!tip->isVisible(), 4000);

    // With Ctrl the captions come at once, half as large again.
    GalleryRig::send(&g.grid(), QEvent::MouseMove, Qt::NoButton);
    GalleryRig::send(rig.pictureOf(5), QEvent::MouseMove, Qt::NoButton, Qt::ControlModifier);
    QVERIFY(tip->isVisible());
    QCOMPARE(tip->text(), u"  image6  \n  From:XX9ABC  "_s);
    QCOMPARE(tip->font().pointSizeF(), g.grid().labelFont().pointSizeF() * 1.5);
    GalleryRig::send(&g.grid(), QEvent::MouseMove, Qt::NoButton);
    QVERIFY(!tip->isVisible());
}

void TestGalleryWindow::clicks() {
    GalleryRig rig;
    rig.serveAll(u"/ab/"_s);
    rig.serve(u"/ab/"_s, 2, {}, GalleryRig::notFound());
    GalleryWindow &g = rig.open(GalleryRequest::pageSlot(2));
    QVERIFY(rig.waitForPassEnd());
    const QString file3 = rig.state.paths.data(u"images/last15/3"_s);

    // Left: the viewer, for that cell.
    GalleryRig::send(rig.pictureOf(3), QEvent::MouseButtonPress, Qt::LeftButton);
    QCOMPARE(rig.opener.calls, QStringList{u"cell 3 "_s + file3});
    QVERIFY(rig.opener.viewer());
    QCOMPARE(rig.opener.viewer()->source(), ViewerSource::galleryCell(3));
    rig.opener.viewer()->close();

    // A "Not found" cell takes no press.
    GalleryRig::send(rig.pictureOf(1), QEvent::MouseButtonPress, Qt::LeftButton);
    GalleryRig::send(rig.pictureOf(1), QEvent::MouseButtonPress, Qt::RightButton);
    QCOMPARE(rig.opener.calls.size(), 1);
    QVERIFY(!g.mnuPop->isVisible());

    // Right: Save and Paste for the cell; Save copies its file.
    GalleryRig::send(rig.pictureOf(3), QEvent::MouseButtonPress, Qt::RightButton);
    QCOMPARE(g.SaveIndex(), 3);
    QTRY_VERIFY(g.mnuPop->isVisible());
    g.mnuPop->hide();
    rig.dialogAnswer = rig.dir.path() + u"/saved/a.jpg"_s;
    QDir().mkpath(rig.dir.path() + u"/saved"_s);
    g.mnuSave->trigger();
    QCOMPARE(rig.dialogRequests.size(), 1);
    QCOMPARE(readBytes(rig.dialogAnswer), readBytes(file3));
    QCOMPARE(rig.state.SaveFolder, rig.dir.path() + u"/saved/"_s);
    QVERIFY(rig.main.log.contains(u"stop"_s));
}

void TestGalleryWindow::closing() {
    GalleryRig rig;
    rig.stallAll();
    GalleryWindow &g = rig.open(GalleryRequest::pageSlot(2));
    QCOMPARE(pendingKeys(g).size(), 30);
    g.close();
    QCOMPARE(rig.main.log, (QStringList{u"disable"_s, u"plain"_s, u"enable"_s, u"activate"_s}));
    QCOMPARE(g.fetch().fetcher()->pendingCount(), 0);
    g.close();
    QCOMPARE(rig.main.log.size(), 4);
}

QTEST_MAIN(TestGalleryWindow)
#include "tst_gallerywindow.moc"
