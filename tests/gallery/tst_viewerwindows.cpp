// The large picture viewer and the enlarged caption window: sizes, panning,
// closing, following their source, and where they go.

#include "GalleryRig.h"

#include "ui/AnimatedPicture.h"

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

// The offscreen platform's one monitor.
QRect monitorRect() {
    return QGuiApplication::primaryScreen()->geometry();
}

} // namespace

class TestViewerWindows : public QObject {
    Q_OBJECT

private slots:
    void sizes_data();
    void sizes();
    void largePicturePans();
    void closing();
    void followsItsSourceOnly();
    void unreadablePicture();
    void captionZoom();
};

void TestViewerWindows::sizes_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<ViewerLayout::Fit>("fit");
    QTest::addColumn<QSize>("client");

    QTest::newRow("small: enlarged")
        << QSize(320, 240) << ViewerLayout::Fit::Enlarged << QSize(667, 500);
    QTest::newRow("fits: its own size")
        << QSize(700, 400) << ViewerLayout::Fit::OwnSize << QSize(700, 400);
    QTest::newRow("larger than the monitor: clipped to it")
        << monitorRect().size() * 2 << ViewerLayout::Fit::Panned << monitorRect().size();
}

void TestViewerWindows::sizes() {
    QFETCH(QSize, picture);
    QFETCH(ViewerLayout::Fit, fit);
    QFETCH(QSize, client);
    GalleryRig rig;
    const QString path = writePicture(rig, u"p.png"_s, picture);
    PictureViewer *viewer = openPictureViewerWindow(rig.state, rig.opener.registry,
                                                    ViewerSource::pageSlot(3), path, QPoint());
    QVERIFY(viewer && viewer->isVisible());
    QCOMPARE(viewer->viewLayout().fit, fit);
    if (fit == ViewerLayout::Fit::Panned)
        QCOMPARE(viewer->frameGeometry().size(), client); // frame included
    else
        QCOMPARE(viewer->size(), client);
    QVERIFY(monitorRect().contains(viewer->frameGeometry()));
    QCOMPARE(viewer->picture()->size(),
             fit == ViewerLayout::Fit::Enlarged ? client : picture); // at its own size
    QVERIFY(viewer->windowTitle().contains(
        u"%1x%2 pixels"_s.arg(picture.width()).arg(picture.height())));
}

void TestViewerWindows::largePicturePans() {
    GalleryRig rig;
    const QSize monitor = monitorRect().size();
    const QString path =
        writePicture(rig, u"big.png"_s, QSize(2 * monitor.width(), 1000 + monitor.height()));
    QList<QPoint> pointer;
    PictureViewer viewer(rig.state, QPoint(10, 20), {});
    viewer.setMovePointer([&](QPoint at) { pointer << at; });
    QVERIFY(viewer.showPicture(ViewerSource::galleryCell(4), path));
    QCOMPARE(pointer, QList<QPoint>{monitorRect().center()});
    const QPoint centre = monitorRect().center();
    const QSize client = viewer.size();
    const QSize picture = viewer.picture()->size();
    // The middle of the picture first.
    const QPoint middle((client.width() - picture.width()) / 2,
                        (client.height() - picture.height()) / 2);
    QCOMPARE(viewer.picture()->pos(), middle);

    // The pointer moves right: the picture moves left, about twice as far.
    viewer.pic1_MouseMove(centre + QPoint(50, 0));
    QVERIFY(qAbs(viewer.picture()->x() - (middle.x() - 100)) <= 2);
    QCOMPARE(viewer.picture()->y(), middle.y());
    // Far right and down, then far left and up: it stops at its edges.
    viewer.pic1_MouseMove(centre + QPoint(monitor.width(), monitor.height()));
    QCOMPARE(viewer.picture()->pos(),
             QPoint(client.width() - picture.width(), client.height() - picture.height()));
    viewer.pic1_MouseMove(centre - QPoint(monitor.width(), monitor.height()));
    QCOMPARE(viewer.picture()->pos(), QPoint(0, 0));
}

void TestViewerWindows::closing() {
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

    // A click on the picture closes it too.
    viewer = openPictureViewerWindow(rig.state, rig.opener.registry, ViewerSource::pageSlot(0),
                                     path, QPoint());
    alive = viewer;
    QTest::mouseClick(viewer->picture(), Qt::LeftButton);
    QTRY_VERIFY(!alive);
}

void TestViewerWindows::followsItsSourceOnly() {
    GalleryRig rig;
    const QString first = writePicture(rig, u"a.png"_s, QSize(320, 240));
    const QString second = writePicture(rig, u"b.png"_s, QSize(400, 200));
    rig.state.page.SlotTable.setValue(3, stGalFrom, u"PA0ABC"_s);
    rig.state.page.SlotTable.setValue(3, stFrom, u"DL1XYZ"_s);
    WindowRegistry &registry = rig.opener.registry;
    PictureViewer *viewer =
        openPictureViewerWindow(rig.state, registry, ViewerSource::galleryCell(3), first, QPoint());
    QVERIFY(viewer->windowTitle().startsWith(u"From:PA0ABC - "_s));

    refreshPictureViewer(registry, ViewerSource::pageSlot(3), second); // the main window's slot 3
    refreshPictureViewer(registry, ViewerSource::galleryCell(4), second);
    QCOMPARE(viewer->picturePath(), first);
    QCOMPARE(viewer->picture()->pictureSize(), QSize(320, 240));

    refreshPictureViewer(registry, ViewerSource::galleryCell(3), second);
    QCOMPARE(viewer->picturePath(), second);
    QCOMPARE(viewer->picture()->pictureSize(), QSize(400, 200));

    // Opened again for a main-window slot, it follows that slot from now on.
    QCOMPARE(
        openPictureViewerWindow(rig.state, registry, ViewerSource::pageSlot(3), first, QPoint()),
        viewer);
    QVERIFY(viewer->windowTitle().startsWith(u"From:DL1XYZ - "_s));
    refreshPictureViewer(registry, ViewerSource::galleryCell(3), second);
    QCOMPARE(viewer->picturePath(), first);
}

void TestViewerWindows::unreadablePicture() {
    GalleryRig rig;
    const QString path = rig.dir.path() + u"/junk"_s;
    writeBytes(path, "no picture");
    QVERIFY(!openPictureViewerWindow(rig.state, rig.opener.registry, ViewerSource::pageSlot(0),
                                     path, QPoint()));
    QCOMPARE(rig.prompts.texts(), QStringList{u"This picture cannot be shown"_s});
    QCOMPARE(rig.prompts.calls.first().icon, Prompts::Icon::Exclamation);
    QTRY_COMPARE(rig.opener.registry.IsFormLoaded(kPictureViewerName), 0);
    // Nothing was shown, so no place is remembered.
    QVERIFY(!rig.settings->contains(u"Form2"_s, u"x"_s));
}

void TestViewerWindows::captionZoom() {
    GalleryRig rig;
    rig.main.window_.show();
    QVERIFY(QTest::qWaitForWindowExposed(&rig.main.window_));
    rig.main.font.setPointSizeF(8);
    rig.main.calls[3] = u"AB1CD - 2 days"_s;
    rig.main.froms[3] = u"From:XX9ABC"_s;
    const QWidget *grid = rig.main.window_.centralWidget();
    const QPoint gridTop = grid->mapToGlobal(QPoint(0, 0));
    rig.main.frames[3] = QRect(gridTop + QPoint(300, 120), QSize(130, 117));
    rig.main.frames[4] = QRect(gridTop + QPoint(440, 120), QSize(130, 117));

    CaptionZoomWindow *zoom = openCaptionZoomWindow(rig.state, rig.opener.registry, 3);
    QVERIFY(zoom && zoom->isVisible());
    QCOMPARE(zoom->lblBig->text(), u"  AB1CD - 2 days  \n  From:XX9ABC  "_s);
    QCOMPARE(zoom->lblBig->font().pointSizeF(), 12.0);
    QVERIFY(zoom->lblBig->font().bold());
    QCOMPARE(zoom->size(), zoom->lblBig->size());
    QCOMPARE(zoom->pos(), captionZoomTopLeft(rig.main.frames[3], gridTop.y(),
                                             rig.main.window_.frameGeometry().top(), zoom->size()));
    QCOMPARE(zoom->geometry().center().x(), rig.main.frames[3].center().x());

    // Opened again for another slot while it is open: it keeps its slot.
    QCOMPARE(openCaptionZoomWindow(rig.state, rig.opener.registry, 4), zoom);
    QCOMPARE(zoom->hoverSlot(), 3);
    closeCaptionZoomWindow(rig.opener.registry);
    QCOMPARE(rig.opener.registry.IsFormLoaded(kCaptionZoomName), 0);
    zoom = openCaptionZoomWindow(rig.state, rig.opener.registry, 4);
    QCOMPARE(zoom->hoverSlot(), 4);
    QCOMPARE(zoom->lblBig->text(), u"    \n    "_s); // a slot without captions
}

QTEST_MAIN(TestViewerWindows)
#include "tst_viewerwindows.moc"
