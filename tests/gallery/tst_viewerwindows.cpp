// The large picture viewer and the enlarged caption window: sizes, panning,
// closing, following their source, and where they go.

#include "GalleryRig.h"

#include <QLabel>

using namespace tavimo;
using namespace tavimo::test;

Q_DECLARE_METATYPE(ViewerLayout::Fit)

namespace {

QString writePicture(GalleryRig &rig, const QString &name, QSize size) {
    const QString path = rig.dir.path() + u'/' + name;
    writeBytes(path, pngBytes(size));
    return path;
}

QRect monitorRect() {
    return QGuiApplication::primaryScreen()->geometry();
}

} // namespace

class TestViewerWindows : public QObject {
    Q_OBJECT

private slots:
    void sizes_data() {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<ViewerLayout::Fit>("fit");
        QTest::addColumn<QSize>("client");

        QTest::newRow("small: enlarged")
            << QSize(320, 240) << ViewerLayout::Fit::Enlarged << QSize(667, 500);
        QTest::newRow("larger than the monitor")
            << monitorRect().size() * 2 << ViewerLayout::Fit::Panned << QSize();
    }

    void sizes() {
        QFETCH(QSize, picture);
        QFETCH(ViewerLayout::Fit, fit);
        GalleryRig rig;
        PictureViewer *viewer =
            openPictureViewerWindow(rig.state, rig.opener.registry, ViewerSource::pageSlot(3),
                                    writePicture(rig, u"p.png"_s, picture), QPoint());
        QVERIFY(viewer && viewer->isVisible());
        QCOMPARE(viewer->viewLayout().fit, fit);
        if (fit == ViewerLayout::Fit::Panned) {
            // At its own size, in a window as large as the monitor, frame and all.
            QCOMPARE(viewer->frameGeometry(), monitorRect());
            QCOMPARE(viewer->picture()->size(), picture);
        } else {
            QTEST(viewer->size(), "client");
            QVERIFY(monitorRect().contains(viewer->frameGeometry()));
        }
        QVERIFY(viewer->windowTitle().contains(
            u"%1x%2 pixels"_s.arg(picture.width()).arg(picture.height())));
    }

    void largePicturePans() {
        GalleryRig rig;
        const QSize monitor = monitorRect().size();
        QList<QPoint> pointer;
        PictureViewer viewer(rig.state, QPoint(10, 20), {});
        viewer.setMovePointer([&](QPoint at) { pointer << at; });
        QVERIFY(viewer.showPicture(ViewerSource::galleryCell(4),
                                   writePicture(rig, u"big.png"_s, monitor * 2)));
        // The middle of the picture in view, the pointer in the middle of the monitor.
        const QPoint centre = monitorRect().center();
        QCOMPARE(pointer, QList<QPoint>{centre});
        const QSize client = viewer.size();
        const QPoint middle((client.width() - 2 * monitor.width()) / 2,
                            (client.height() - 2 * monitor.height()) / 2);
        QCOMPARE(viewer.picture()->pos(), middle);

        // The pointer right: the picture left, about twice as far.
        viewer.pic1_MouseMove(centre + QPoint(50, 0));
        QVERIFY(qAbs(viewer.picture()->x() - (middle.x() - 100)) <= 2);
        QCOMPARE(viewer.picture()->y(), middle.y());
        // Far right and down, then far left and up: it stops at its edges.
        viewer.pic1_MouseMove(centre + QPoint(monitor.width(), monitor.height()));
        QCOMPARE(viewer.picture()->geometry().bottomRight(),
                 QPoint(client.width() - 1, client.height() - 1));
        viewer.pic1_MouseMove(centre - QPoint(monitor.width(), monitor.height()));
        QCOMPARE(viewer.picture()->pos(), QPoint(0, 0));
    }

    void closing() {
        GalleryRig rig;
        const QString path = writePicture(rig, u"p.png"_s, QSize(320, 240));
        QList<QPoint> pointer;
        int returns = 0;
        auto *viewer = new PictureViewer(rig.state, QPoint(10, 20), [&] { ++returns; });
        viewer->setAttribute(Qt::WA_DeleteOnClose);
        QPointer<PictureViewer> alive(viewer);
        viewer->setMovePointer([&](QPoint at) { pointer << at; });
        QVERIFY(viewer->showPicture(ViewerSource::pageSlot(0), path));
        viewer->move(viewer->pos() + QPoint(7, 9));
        const QPoint place = viewer->frameGeometry().topLeft();

        QTest::keyClick(viewer, Qt::Key_A);
        QVERIFY(viewer->isVisible());
        QTest::keyClick(viewer, Qt::Key_Escape);
        QTRY_VERIFY(!alive);
        QCOMPARE(returns, 1);
        QCOMPARE(pointer.last(), QPoint(10, 20)); // back where the thumbnail was pressed
        QCOMPARE(rig.settings->value(u"Form2"_s, u"x"_s), QString::number(place.x()));
        QCOMPARE(rig.settings->value(u"Form2"_s, u"y"_s), QString::number(place.y()));

        // A click on the picture closes it too; a file that is no picture opens nothing.
        alive = openPictureViewerWindow(rig.state, rig.opener.registry, ViewerSource::pageSlot(0),
                                        path, QPoint());
        QTest::mouseClick(alive->picture(), Qt::LeftButton);
        QTRY_VERIFY(!alive);
        writeBytes(path, "no picture");
        QVERIFY(!openPictureViewerWindow(rig.state, rig.opener.registry, ViewerSource::pageSlot(0),
                                         path, QPoint()));
        QCOMPARE(rig.prompts.texts(), QStringList{u"This picture cannot be shown"_s});
    }

    void largePictureFollowsItsWindow() {
        GalleryRig rig;
        // Decoded, it takes more than Qt's default allocation limit of 128 MB.
        const QString path = rig.dir.path() + u"/large.jpg"_s;
        writeBytes(path, jpegBytes(QSize(8000, 6000), QColor(200, 40, 40)));
        PictureViewer *viewer = openPictureViewerWindow(rig.state, rig.opener.registry,
                                                        ViewerSource::pageSlot(3), path, QPoint());
        // The window is there, sized and captioned, before the picture is decoded.
        QVERIFY(viewer && viewer->isVisible());
        QVERIFY(viewer->windowTitle().contains(u"8000x6000 pixels"_s));
        QCOMPARE(viewer->viewLayout().fit, ViewerLayout::Fit::Panned);
        QVERIFY(viewer->picture()->isLoading());
        QVERIFY(viewer->picture()->firstFrame().isNull());
        QTRY_VERIFY_WITH_TIMEOUT(!viewer->picture()->isLoading(), 60000);
        const QImage shown = viewer->picture()->firstFrame();
        QCOMPARE(shown.size(), QSize(8000, 6000));
        QVERIFY(qAbs(shown.pixelColor(7999, 5999).red() - 200) <= 8);
        QVERIFY(rig.prompts.texts().isEmpty());

        // An animation plays once its file is in.
        const QString gif = rig.dir.path() + u"/moving.gif"_s;
        writeBytes(gif, animatedGifBytes(QSize(64, 48), {Qt::red, Qt::green, Qt::blue}));
        refreshPictureViewer(rig.opener.registry, ViewerSource::pageSlot(3), gif);
        QCOMPARE(viewer->picture()->frameCount(), 3);
        QTRY_VERIFY(viewer->picture()->isAnimating());
    }

    void refusesWhatCannotBeShown() {
        GalleryRig rig;
        // Too large for the memory there is: refused at once, the size named.
        PictureViewer viewer(rig.state, QPoint(), {});
        viewer.setAvailableMemory([] { return qint64(150) * 1024 * 1024; });
        QVERIFY(!viewer.showPicture(ViewerSource::pageSlot(0),
                                    writePicture(rig, u"big.png"_s, QSize(3000, 2000))));
        QVERIFY(viewer.isHidden());
        QCOMPARE(rig.prompts.texts().size(), 1);
        QVERIFY(rig.prompts.texts().first().startsWith(
            u"This picture cannot be shown\n\n3000x2000 pixels: 23 MB needed, 150 MB free"_s));

        // A header that promises a picture the file does not hold: the window
        // opens, then says so and closes.
        QByteArray broken = pngBytes(QSize(300, 200));
        broken.truncate(broken.indexOf("IDAT") + 4);
        broken.append(QByteArray(64, 'x'));
        const QString path = rig.dir.path() + u"/broken.png"_s;
        writeBytes(path, broken);
        QPointer<PictureViewer> alive = openPictureViewerWindow(
            rig.state, rig.opener.registry, ViewerSource::pageSlot(0), path, QPoint());
        QVERIFY(alive && alive->isVisible());
        QTRY_VERIFY(!alive);
        QCOMPARE(rig.prompts.texts().last(), u"This picture cannot be shown"_s);
    }

    void followsItsSourceOnly() {
        GalleryRig rig;
        const QString first = writePicture(rig, u"a.png"_s, QSize(320, 240));
        const QString second = writePicture(rig, u"b.png"_s, QSize(400, 200));
        rig.state.page.SlotTable.setValue(3, stGalFrom, u"PA0ABC"_s);
        rig.state.page.SlotTable.setValue(3, stFrom, u"DL1XYZ"_s);
        WindowRegistry &registry = rig.opener.registry;
        PictureViewer *viewer = openPictureViewerWindow(
            rig.state, registry, ViewerSource::galleryCell(3), first, QPoint());
        QVERIFY(viewer->windowTitle().startsWith(u"From:PA0ABC - "_s));

        refreshPictureViewer(registry, ViewerSource::pageSlot(3),
                             second); // the main window's slot 3
        refreshPictureViewer(registry, ViewerSource::galleryCell(4), second);
        QCOMPARE(viewer->picturePath(), first);
        refreshPictureViewer(registry, ViewerSource::galleryCell(3), second);
        QCOMPARE(viewer->picture()->pictureSize(), QSize(400, 200));

        // Opened again for a main-window slot, it follows that slot from now on.
        openPictureViewerWindow(rig.state, registry, ViewerSource::pageSlot(3), first, QPoint());
        QVERIFY(viewer->windowTitle().startsWith(u"From:DL1XYZ - "_s));
        refreshPictureViewer(registry, ViewerSource::galleryCell(3), second);
        QCOMPARE(viewer->picturePath(), first);
    }

    void captionZoom() {
        GalleryRig rig;
        rig.main.font.setPointSizeF(8);
        rig.main.callCaptions[3] = u"AB1CD - 2 days"_s;
        rig.main.fromCaptions[3] = u"From:XX9ABC"_s;
        rig.main.frames[3] = QRect(300, 220, 130, 117);
        rig.main.widget.setGeometry(100, 100, 800, 500);

        CaptionZoomWindow *zoom = openCaptionZoomWindow(rig.state, rig.opener.registry, 3);
        QVERIFY(zoom && zoom->isVisible());
        QCOMPARE(zoom->lblBig->text(), u"  AB1CD - 2 days  \n  From:XX9ABC  "_s);
        QCOMPARE(zoom->lblBig->font().pointSizeF(), 12.0);
        QVERIFY(zoom->lblBig->font().bold());
        // Centred across the slot, as far below the window's outer top as the
        // frame's bottom lies below the grid's top.
        const QWidget &main = rig.main.widget;
        QVERIFY(qAbs(zoom->geometry().center().x() - rig.main.frames[3].center().x()) <= 1);
        QCOMPARE(zoom->y(), main.frameGeometry().top() + 337 - main.mapToGlobal(QPoint()).y());

        // Opened again for another slot while it is open, it keeps its slot.
        QCOMPARE(openCaptionZoomWindow(rig.state, rig.opener.registry, 4), zoom);
        QCOMPARE(zoom->hoverSlot(), 3);
        closeCaptionZoomWindow(rig.opener.registry);
        QCOMPARE(rig.opener.registry.IsFormLoaded(kCaptionZoomName), 0);
        zoom = openCaptionZoomWindow(rig.state, rig.opener.registry, 4);
        QCOMPARE(zoom->lblBig->text(), u"    \n    "_s); // a slot without captions
    }

    // The pointer passes through the window, which goes when the pointer
    // moves off every slot's frame or onto the window, or leaves the main
    // window; straight onto the next slot it stays on its first.
    void captionZoomGoesWithThePointer() {
        GalleryRig rig;
        rig.main.frames[3] = QRect(300, 220, 130, 117);
        rig.main.frames[4] = QRect(430, 220, 130, 117);
        QWidget &main = rig.main.widget;
        main.setGeometry(100, 100, 800, 500);
        main.setMouseTracking(true);
        main.show();
        const auto moveTo = [&main](QPoint global) {
            QMouseEvent move(QEvent::MouseMove, main.mapFromGlobal(global), global, Qt::NoButton,
                             Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(&main, &move);
        };
        const auto open = [&] { return openCaptionZoomWindow(rig.state, rig.opener.registry, 3); };

        CaptionZoomWindow *zoom = open();
        moveTo(QPoint(320, 240)); // on its slot
        QVERIFY(zoom->isVisible());
        moveTo(QPoint(450, 240)); // straight onto the next slot
        QVERIFY(zoom->isVisible());
        QCOMPARE(openCaptionZoomWindow(rig.state, rig.opener.registry, 4), zoom);
        QCOMPARE(zoom->hoverSlot(), 3);
        moveTo(QPoint(600, 240)); // off every slot
        QVERIFY(zoom->isHidden());
        // Opened again at once, for another slot: a new window takes its place.
        CaptionZoomWindow *again = openCaptionZoomWindow(rig.state, rig.opener.registry, 4);
        QVERIFY(again->isVisible());
        QCOMPARE(again->hoverSlot(), 4);
        QTRY_COMPARE(rig.opener.registry.IsFormLoaded(kCaptionZoomName), 1);

        moveTo(again->geometry().center()); // onto the window itself
        QVERIFY(again->isHidden());
        QTRY_COMPARE(rig.opener.registry.IsFormLoaded(kCaptionZoomName), 0);

        zoom = open();
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&main, &leave);
        QVERIFY(zoom->isHidden());
    }
};

QTEST_MAIN(TestViewerWindows)
#include "tst_viewerwindows.moc"
