// The gallery, the large viewer and the enlarged captions as the program opens
// them: from the real main window, through the program's window opener,
// against the simulated sites.

#include "ProgramRig.h"

#include "core/thumbs/PictureTrailer.h"
#include "gallery/CaptionZoomWindow.h"
#include "gallery/GalleryFetch.h"
#include "gallery/GalleryWindow.h"
#include "gallery/PictureViewer.h"
#include "mainwindow/PageLoader.h"
#include "support/TestFiles.h"

#include <QLabel>
#include <QSignalSpy>
#include <QtTest>

using namespace tavimo;
using namespace tavimo::test;
using namespace Qt::StringLiterals;

class GalleryE2eTest : public QObject {
    Q_OBJECT

private slots:
    void galleryViewerAndCaptions() {
        ProgramRig rig;
        QVERIFY(rig.startShown());

        // The last 30 pictures of the site in slot 1.
        rig.choose(0, u"mnuLast15"_s);
        GalleryWindow *gallery = ProgramRig::shown<GalleryWindow>();
        QVERIFY(gallery);
        QVERIFY(!rig.w().isEnabled());
        QVERIFY(gallery->windowTitle().contains(rig.sstvSite(1).callsign + u"'s site"_s));
        QVERIFY(QTest::qWaitFor([&] { return !gallery->fetch().passRunning(); }, 10000));
        QVERIFY(QTest::qWaitFor([&] { return !rig.loadingLook(); }, 5000));
        // Pictures are decoded off the window's thread, so the last cells may
        // show theirs a moment after the pass.
        const auto allShown = [&] {
            for (int c = 0; c < 30; ++c) {
                ThumbCell &cell = *gallery->grid().cell(c);
                if (!(cell.img->hasPicture() || !cell.AniGIF()->isHidden()) ||
                    !cell.lblFrom->text().startsWith(rig.state.texts.LngFromPrefix))
                    return false;
            }
            return true;
        };
        if (!QTest::qWaitFor(allShown, 5000)) {
            QString cells;
            for (int c = 0; c < 30; ++c) {
                ThumbCell &cell = *gallery->grid().cell(c);
                cells += QString(u"%1: %2 %3 '%4'\n"_s)
                             .arg(c)
                             .arg(cell.img->hasPicture())
                             .arg(!cell.AniGIF()->isHidden())
                             .arg(cell.lblFrom->text());
            }
            QFAIL(qPrintable(cells));
        }
        QCOMPARE(rig.server.requestCount(u"/sstv/1/image30.jpg"_s), 1);

        // A cell opens the viewer with that cell's picture; Escape closes it.
        Harness::send(gallery->grid().cell(4)->img, QEvent::MouseButtonPress, Qt::LeftButton);
        PictureViewer *viewer = ProgramRig::shown<PictureViewer>();
        QVERIFY(viewer);
        QCOMPARE(viewer->source(), ViewerSource::galleryCell(4));
        QCOMPARE(viewer->picturePath(), rig.data(u"images/last15/4"_s));
        QTest::keyClick(viewer, Qt::Key_Escape);
        QTRY_VERIFY(!ProgramRig::shown<PictureViewer>());

        gallery->close();
        QVERIFY(rig.w().isEnabled());

        // Ctrl on a thumbnail: its captions, larger.
        rig.hover(1, Qt::ControlModifier);
        CaptionZoomWindow *zoom = ProgramRig::shown<CaptionZoomWindow>();
        QVERIFY(zoom);
        QCOMPARE(zoom->lblBig->text(),
                 captionZoomText(rig.cell(1).lblCall->text(), rig.cell(1).lblFrom->text()));
        Harness::send(&rig.w().grid(), QEvent::MouseMove, Qt::NoButton);
        QVERIFY(!ProgramRig::shown<CaptionZoomWindow>());
    }

    // The viewer open on a slot keeps the picture's date in its title when the slot's next
    // picture comes.
    void viewerKeepsTheDateOfTheSlotsNextPicture() {
        ProgramRig rig;
        QVERIFY(rig.startShown());
        rig.press(1, Qt::LeftButton);
        PictureViewer *viewer = ProgramRig::shown<PictureViewer>();
        QVERIFY(viewer);
        const QString title = viewer->windowTitle();
        const QString date = rig.page().SlotTable.value(1, stTime);
        QVERIFY(!date.isEmpty() && title.contains(date));
        viewer->setWindowTitle(QString());
        rig.w().loader().StartSlotFetch();
        QTRY_VERIFY(!viewer->windowTitle().isEmpty());
        QCOMPARE(viewer->windowTitle(), title);
    }

    // The enlarged captions never outlive what they show.
    void enlargedCaptionsGoWithTheirSlot() {
        ProgramRig rig;
        QVERIFY(rig.startShown());
        rig.hover(1, Qt::ControlModifier);
        QCOMPARE(ProgramRig::shown<CaptionZoomWindow>()->hoverSlot(), 1);
        // Straight onto the next thumbnail, over no background: still the first one's.
        rig.hover(2, Qt::ControlModifier);
        QCOMPARE(ProgramRig::shown<CaptionZoomWindow>()->hoverSlot(), 1);
        // A pass redraws the captions.
        rig.tickSstv(rig.config().RefreshSeconds);
        QVERIFY(!ProgramRig::shown<CaptionZoomWindow>());
        QVERIFY(rig.waitForQuiet());

        rig.hover(3, Qt::ControlModifier);
        QVERIFY(ProgramRig::shown<CaptionZoomWindow>());
        rig.click(u"mnuPage"_s, 2);
        QVERIFY(!ProgramRig::shown<CaptionZoomWindow>());
        rig.click(u"mnuPage"_s, 1);
        QVERIFY(rig.waitForQuiet());

        rig.hover(1, Qt::ControlModifier);
        QVERIFY(ProgramRig::shown<CaptionZoomWindow>());
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&rig.w(), &leave);
        QVERIFY(!ProgramRig::shown<CaptionZoomWindow>());
    }

    void pageRefreshBesideTheGallery() {
        // The last two of eight sites answer slowly: the page's pass runs for
        // seconds, and the gallery of a fast site opens beside it.
        sitesim::SimConfig world = ProgramRig::smallWorld();
        world.sstvCount = 8;
        world.slow = 2;
        ProgramRig rig(world);
        QVERIFY(rig.startUp());
        rig.w().show();
        QTRY_VERIFY(!rig.page().SlotTable.value(0, stSiteCall).isEmpty());
        rig.page().SelectedSlot = 0;
        rig.click(u"mnuLast15"_s);
        GalleryWindow *gallery = ProgramRig::shown<GalleryWindow>();
        QVERIFY(gallery);
        QVERIFY(QTest::qWaitFor([&] { return !gallery->fetch().passRunning(); }, 10000));
        // The gallery's end leaves the page's pass and its loading look alone...
        QVERIFY(rig.page().FinishedCount < rig.page().ExpectedCount);
        QVERIFY(rig.loadingLook());
        // ...and the page's pass ends on its own count.
        QVERIFY(QTest::qWaitFor(
            [&] {
                return rig.page().FinishedCount >= rig.page().ExpectedCount && !rig.loadingLook();
            },
            30000));
        QCOMPARE(rig.page().FinishedCount, 8);
        QCOMPARE(rig.page().ExpectedCount, 8);
    }

    // Two of six sites rewrite their picture in place and answer its first two requests cut and
    // growing (one JPEG, one animated GIF): the first pass asks twice and keeps them back, the
    // next fetches them whole, and the one after asks for nothing more.
    void tornPicturesAreFetchedWholeOnTheNextPass() {
        sitesim::SimConfig world = ProgramRig::smallWorld();
        world.torn = 2;
        ProgramRig rig(world);
        rig.window().loader().setCutRetryDelay(std::chrono::milliseconds(50));
        QVERIFY(rig.startShown());
        QList<int> tornSlots;
        QList<int> tornSites;
        for (int slot = 0; slot < rig.page().SlotCount; ++slot) {
            const int index = rig.page().SlotTable.value(slot, stSiteIndex).toInt();
            if (rig.page().SlotTable.value(slot, stSiteCall).isEmpty() ||
                rig.sim.sstvSites()[index].fault != sitesim::SiteFault::Torn)
                continue;
            tornSlots << slot;
            tornSites << index;
        }
        QCOMPARE(tornSites, (QList<int>{4, 5}));
        const auto requests = [&](int index) {
            return rig.server.requestCount(sitesim::sstvPicturePath(index + 1));
        };
        const auto shows = [&](int slot) {
            return rig.cell(slot).img->hasPicture() || !rig.cell(slot).AniGIF()->isHidden();
        };
        for (int k = 0; k < 2; ++k) {
            QTRY_COMPARE(requests(tornSites[k]), 2);
            QVERIFY(rig.waitForQuiet());
            QVERIFY(!shows(tornSlots[k]));
        }
        QCOMPARE(requests(0), 1);

        // The next automatic pass.
        const auto pass = [&] {
            const int before = rig.reloads();
            rig.tickSstv(rig.config().RefreshSeconds);
            return rig.reloadedSince(before);
        };
        QVERIFY(pass());
        rig.w().loader().flushSlotPictures();
        for (int k = 0; k < 2; ++k) {
            const int index = tornSites[k];
            QCOMPARE(requests(index), 3);
            QTRY_VERIFY(shows(tornSlots[k]));
            const qint64 number = rig.sim.sstvTimeline(index).currentNumber(ProgramRig::kNow);
            QCOMPARE(readBytes(rig.data(u"images/sstv/"_s + QString::number(tornSlots[k]))),
                     splitPictureTrailer(rig.sim.sstvPicture(index, number)).picture);
        }
        QCOMPARE(requests(0), 1);

        // Whole now: the unchanged check picture asks for nothing more.
        QVERIFY(pass());
        QTest::qWait(150);
        QCOMPARE(requests(tornSites[0]), 3);
        QCOMPARE(requests(tornSites[1]), 3);
    }

    void galleryOnASlowSiteLeavesTheHostToThePage() {
        ProgramRig rig;
        QVERIFY(rig.startShown());
        // The gallery's site sends each of its pictures in five pieces a tenth
        // of a second apart; every site is on the same host and port.
        rig.server.setHandler([&rig](const RecordedRequest &request) {
            std::optional<Route> route = rig.sim.answer(request);
            if (route && request.path.startsWith("/sstv/1/image")) {
                route->trickleChunk = std::max(1, int(route->body.size() / 5));
                route->trickleIntervalMs = 100;
            }
            return route;
        });
        for (int k = 1; k <= 30; ++k) // drawn now, so that drawing takes no time later
            rig.sim.answer(
                RecordedRequest{"GET", "/sstv/1/image" + QByteArray::number(k) + ".jpg", {}, {}});
        // Far longer than a piece takes, far shorter than the gallery's 30 pictures.
        rig.downloads.setTransferTimeout(std::chrono::milliseconds(1200));

        rig.choose(0, u"mnuLast15"_s);
        GalleryWindow *gallery = ProgramRig::shown<GalleryWindow>();
        QVERIFY(gallery && gallery->fetch().passRunning());
        // The page's pass comes while the gallery reads, and ends meanwhile
        // with every site's check picture.
        QSignalSpy pagePasses(&rig.w().loader(), &PageLoader::passEnded);
        rig.tickSstv(rig.config().RefreshSeconds);
        QVERIFY(pagePasses.wait(5000));
        QVERIFY(gallery->fetch().passRunning());
        for (int slot = 0; slot < 6; ++slot)
            QCOMPARE(rig.page().SlotTable.value(slot, stFrom) == u"Not found"_s, false);

        // Every one of the gallery's pictures arrives.
        QVERIFY(QTest::qWaitFor([&] { return !gallery->fetch().passRunning(); }, 20000));
        for (int c = 0; c < 30; ++c)
            QVERIFY2(rig.state.page.SlotTable.value(c, stGalFrom) != u"Not found"_s,
                     qPrintable(QString::number(c)));
        QCOMPARE(rig.server.requestCount(u"/sstv/1/image30.jpg"_s), 1);
    }
};

QTEST_MAIN(GalleryE2eTest)
#include "tst_gallery_e2e.moc"
