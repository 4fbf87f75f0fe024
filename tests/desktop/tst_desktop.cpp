// The windows as a window manager frames, places and stacks them: the program
// against the simulated sites on a 1920x1080 screen under openbox, clicked and
// keyed through the X server as a user does. With TAVIMO_SHOT_DIR set, the
// screen is saved there at each step worth looking at.

#include "ProgramRig.h"
#include "XDesktop.h"

#include "core/base/TextCodec.h"
#include "core/net/UpdatesList.h"
#include "gallery/GalleryWindow.h"
#include "gallery/PictureViewer.h"
#include "mainwindow/HelpWindow.h"
#include "sites/AboutDialog.h"
#include "sites/SiteDialog.h"
#include "sites/SiteNewsDialog.h"
#include "sites/SiteSelectionWindow.h"
#include "stations/StationPictureWindow.h"
#include "stations/StationWindow.h"
#include "support/UpdateServices.h"
#include "ui/WindowRegistry.h"

#include <QMenuBar>
#include <QPixmap>
#include <QRegion>
#include <QScreen>
#include <QWindow>
#include <QtTest>

#include <functional>

using namespace tavimo;
using namespace tavimo::test;
using namespace Qt::StringLiterals;

namespace {

const QRect kScreen(0, 0, 1920, 1080);

// The window stays where it is for a while, framed: the window manager and
// the window are done with it. Its frame as the X server has it, title bar
// and borders included, in `frame`.
bool settled(const XDesktop &x, QWidget *window, QRect *frame = nullptr) {
    QRect last;
    int still = 0;
    QList<QRect> seen;
    const bool done = QTest::qWaitFor(
        [&] {
            const QRect now = x.frame(window->winId());
            still = !now.isEmpty() && now == last ? still + 1 : 0;
            if (now != last)
                seen << now;
            last = now;
            return still >= 5;
        },
        5000);
    if (!done)
        qWarning() << window << "went through" << seen;
    if (frame)
        *frame = last;
    return done;
}

void shot(const QString &name) {
    const QString folder = qEnvironmentVariable("TAVIMO_SHOT_DIR");
    if (folder.isEmpty())
        return;
    QTest::qWait(300);
    QGuiApplication::primaryScreen()->grabWindow(0).save(folder + u'/' + name + u".png"_s);
}

// The site news window, on an updates list that announces nothing.
void openSiteNews(ProgramRig &rig) {
    const QByteArray list = updatesListBytes({}, ProgramRig::kNow.date());
    rig.program.openSiteNews(decodeCp1252(list).split(kUpdatesSectionMarker.toString()), true);
}

QWidget *activeSecondary(ProgramRig &rig) {
    QWidget *active = QApplication::activeWindow();
    return active && active != &rig.w() ? active : nullptr;
}

} // namespace

class DesktopTest : public QObject {
    Q_OBJECT

    XDesktop x_;

    // Whether `upper` lies above `lower` in the window manager's stacking.
    bool above(const QWidget *upper, const QWidget *lower) const {
        const QList<quint64> order = x_.stacking();
        const qsizetype u = order.indexOf(upper->winId());
        const qsizetype l = order.indexOf(lower->winId());
        return u >= 0 && l >= 0 && u > l;
    }

    // A point of the main window's grid that `covered` does not cover.
    static std::optional<QPoint> uncoveredPointOfMain(ProgramRig &rig, const QRegion &covered) {
        const QRect grid(rig.w().grid().mapToGlobal(QPoint(0, 0)), rig.w().grid().size());
        for (const QPoint &at :
             {grid.bottomLeft() + QPoint(8, -8), grid.bottomRight() + QPoint(-8, -8),
              grid.topLeft() + QPoint(8, 8), grid.topRight() + QPoint(-8, 8)}) {
            if (!covered.contains(at))
                return at;
        }
        return std::nullopt;
    }

private slots:
    void initTestCase() {
        if (QGuiApplication::platformName() != u"xcb"_s || !x_.isOpen())
            QSKIP("needs an X server with a window manager (tests/support/with-openbox)");
        QCOMPARE(QGuiApplication::primaryScreen()->geometry(), kScreen);
    }

    // A window that blocks the main window stays above it when the main
    // window is clicked; the blocked main window does nothing with the click.
    void blockingWindowsStayAboveMain_data() {
        QTest::addColumn<QString>("window");
        for (const char *name : {"site selection", "gallery", "station picture"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    void blockingWindowsStayAboveMain() {
        QFETCH(QString, window);
        const bool gallery = window == u"gallery"_s;
        ProgramRig rig;
        QVERIFY(rig.startShown());
        QVERIFY(settled(x_, &rig.w()));
        QWidget *blocking = nullptr;
        QRegion covered; // what the click must miss
        if (gallery) {
            rig.program.openGallery(GalleryRequest::pageSlot(0));
            blocking = ProgramRig::shown<GalleryWindow>();
        } else if (window == u"station picture"_s) {
            // Over the station window, which keeps the main window blocked.
            rig.choose(0, u"mnuQrzCall"_s);
            StationWindow *station = ProgramRig::shown<StationWindow>();
            QVERIFY(station);
            QTRY_VERIFY(!station->picture().isNull());
            QRect stationFrame;
            QVERIFY(settled(x_, station, &stationFrame));
            covered += stationFrame;
            QTest::mousePress(station->Image1, Qt::LeftButton);
            blocking = ProgramRig::shown<StationPictureWindow>();
        } else {
            rig.program.openSiteSelection(SitePick{0, false, true});
            blocking = ProgramRig::shown<SiteSelectionWindow>();
        }
        QVERIFY(blocking);
        QRect blockingFrame;
        QVERIFY(settled(x_, blocking, &blockingFrame));
        covered += blockingFrame;
        QCOMPARE(x_.transientFor(blocking->winId()), quint64(rig.w().winId()));
        if (window == u"site selection"_s) // centred on the screen, frame and all
            QVERIFY((blockingFrame.center() - kScreen.center()).manhattanLength() <= 2);
        QTRY_VERIFY(above(blocking, &rig.w()));

        // A thumbnail's picture, where the blocking window leaves it in sight.
        std::optional<QPoint> at = uncoveredPointOfMain(rig, covered);
        if (gallery) {
            const QRect picture(rig.cell(0).img->mapToGlobal(QPoint(0, 0)),
                                rig.cell(0).img->size());
            at = QPoint(picture.left() + 4, picture.center().y());
            QVERIFY(!blockingFrame.contains(*at));
        }
        QVERIFY(at);
        x_.click(*at);
        QTest::qWait(700);
        shot(u"1-"_s + QString(window).replace(u' ', u'-') + u"-after-click"_s);
        QVERIFY(above(blocking, &rig.w()));
        QVERIFY(blocking->isVisible());
        QVERIFY(!ProgramRig::shown<PictureViewer>());
        blocking->close();
    }

    // A click on the main window leaves the keyboard with a window that
    // blocks it (a click on its title bar or on its grid), and gives it to the
    // open viewer (a click on a thumbnail, which brings the viewer back):
    // Escape then closes that window.
    void clickOnMainLeavesTheKeyboard_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<bool>("onGrid");
        for (const char *name :
             {"gallery", "own position", "page names", "site news", "callbook record", "viewer"})
            QTest::newRow(name) << QString::fromLatin1(name) << (qstrcmp(name, "viewer") == 0);
        QTest::newRow("page names, grid") << u"page names"_s << true;
    }

    void clickOnMainLeavesTheKeyboard() {
        QFETCH(QString, window);
        QFETCH(bool, onGrid);
        ProgramRig rig;
        QVERIFY(rig.startShown());
        QVERIFY(settled(x_, &rig.w()));
        const QString picture = rig.root + u"/picture.jpg"_s;
        writeBytes(picture, jpegBytes(QSize(320, 240)));
        const QHash<QString, std::function<void()>> open{
            {u"gallery"_s, [&] { rig.program.openGallery(GalleryRequest::pageSlot(0)); }},
            {u"own position"_s, [&] { rig.program.openOwnPosition(); }},
            {u"page names"_s, [&] { rig.program.openPageNames(); }},
            {u"site news"_s, [&] { openSiteNews(rig); }},
            {u"callbook record"_s, [&] { rig.choose(0, u"mnuQrzCall"_s); }},
            {u"viewer"_s, [&] { rig.program.openPictureViewer(picture, 0, QPoint(10, 10)); }},
        };
        open[window]();
        QTRY_VERIFY(activeSecondary(rig));
        QPointer<QWidget> shown = activeSecondary(rig);
        QRect shownFrame, main;
        QVERIFY(settled(x_, shown, &shownFrame));
        QVERIFY(settled(x_, &rig.w(), &main));
        QPoint at(main.left() + main.width() / 4, (main.top() + rig.w().geometry().top()) / 2);
        for (int slot = 0; onGrid && slot < rig.page().SlotCount; ++slot) {
            const auto *img = rig.cell(slot).img;
            at = img->mapToGlobal(img->rect().center());
            if (!img->pixmap().isNull() && !shownFrame.contains(at))
                break;
        }
        QVERIFY(!shownFrame.contains(at));
        x_.click(at);
        QTest::qWait(700);
        QTRY_COMPARE(QApplication::activeWindow(), shown.data());
        x_.pressEscape();
        QTRY_VERIFY(!shown || !shown->isVisible());
    }

    // Started again after a close, the main window stands where it stood and
    // is as large as it was.
    void mainWindowComesBackAsItWas() {
        ProgramRig rig;
        QVERIFY(rig.startShown());
        QRect frame;
        QVERIFY(settled(x_, &rig.w(), &frame));
        const QRect client = rig.w().geometry();
        rig.closeWindow();
        const std::unique_ptr<ProgramRig> again = ProgramRig::startedAgain(rig);
        QVERIFY(again->startShown());
        QRect frameAgain;
        QVERIFY(settled(x_, &again->w(), &frameAgain));
        QCOMPARE(frameAgain, frame);
        QCOMPARE(again->w().geometry(), client);
    }

    // The viewer's frame lies on the monitor: a large picture fills it and is
    // panned to every edge, a picture that fits with its frame is shown at its
    // own size, a small one is centred.
    void viewerFrameLiesOnMonitor_data() {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<int>("fit");
        QTest::newRow("3000x2000") << QSize(3000, 2000) << int(ViewerLayout::Fit::Panned);
        QTest::newRow("1910x1070") << QSize(1910, 1070) << int(ViewerLayout::Fit::Panned);
        QTest::newRow("1000x700") << QSize(1000, 700) << int(ViewerLayout::Fit::OwnSize);
        QTest::newRow("320x240") << QSize(320, 240) << int(ViewerLayout::Fit::Enlarged);
    }

    void viewerFrameLiesOnMonitor() {
        QFETCH(QSize, picture);
        QFETCH(int, fit);
        ProgramRig rig;
        QVERIFY(rig.startShown());
        QVERIFY(settled(x_, &rig.w()));
        const QString path = rig.root + u"/picture.jpg"_s;
        writeBytes(path, jpegBytes(picture));
        rig.program.openPictureViewer(path, 0, QPoint(10, 10));
        PictureViewer *viewer = ProgramRig::shown<PictureViewer>();
        QVERIFY(viewer);
        QRect frame;
        QVERIFY(settled(x_, viewer, &frame));
        shot(u"2-viewer-"_s + QTest::currentDataTag());

        QVERIFY2(kScreen.contains(frame), qPrintable(u"frame %1,%2 %3x%4"_s.arg(frame.x())
                                                         .arg(frame.y())
                                                         .arg(frame.width())
                                                         .arg(frame.height())));
        QCOMPARE(int(viewer->viewLayout().fit), fit);
        // Centred on the monitor, frame and all.
        QVERIFY(qAbs(frame.center().x() - kScreen.center().x()) <= 1);
        QVERIFY(qAbs(frame.center().y() - kScreen.center().y()) <= 1);
        if (fit == int(ViewerLayout::Fit::Panned)) {
            // As large as the picture with its frame, at most the monitor.
            const QSize frameExtra = frame.size() - viewer->size();
            QCOMPARE(frame.size(), (picture + frameExtra).boundedTo(kScreen.size()));
            // Panning reaches the picture's bottom right corner, in sight.
            const QRect client(viewer->mapToGlobal(QPoint(0, 0)), viewer->size());
            viewer->pic1_MouseMove(viewer->monitor().center());
            viewer->pic1_MouseMove(client.bottomRight());
            const QRect shown = viewer->picture()->geometry();
            const ViewerLayout &layout = viewer->viewLayout();
            QVERIFY(layout.PanTall || layout.PanWide);
            if (layout.PanTall)
                QCOMPARE(shown.bottom(), viewer->rect().bottom());
            else
                QVERIFY(shown.height() <= viewer->height());
            if (layout.PanWide)
                QCOMPARE(shown.right(), viewer->rect().right());
            else
                QVERIFY(shown.width() <= viewer->width());
            QVERIFY(kScreen.contains(client));
        } else {
            QCOMPARE(viewer->picture()->geometry(), viewer->rect());
        }
        viewer->close();
    }

    // The gallery stands below the main window's title bar and menu bar.
    void galleryLeavesMainMenuBarInSight() {
        ProgramRig rig;
        QVERIFY(rig.startShown());
        QVERIFY(settled(x_, &rig.w()));
        rig.program.openGallery(GalleryRequest::pageSlot(0));
        auto *gallery = ProgramRig::shown<GalleryWindow>();
        QVERIFY(gallery);
        QRect galleryFrame, main;
        QVERIFY(settled(x_, gallery, &galleryFrame));
        QVERIFY(settled(x_, &rig.w(), &main));
        shot(u"3-gallery"_s);
        const QMenuBar *bar = rig.w().menuBar();
        const int barBottom = bar->mapToGlobal(QPoint(0, bar->height())).y();
        const int frameExtraH = main.height() - (rig.w().height() - bar->height());
        QCOMPARE(galleryFrame.top(), main.top() + frameExtraH);
        QVERIFY(galleryFrame.top() >= barBottom);
        gallery->close();
    }

    // The add, edit and remove dialogs, help and the site news stand with
    // their frame's right edge on the main window's right edge and their top
    // on its top, on the screen; the site news also when it opens as the main
    // window shows, before either is framed: on a first start, and with the
    // main window stored partly past the screen's edge.
    void siteDialogsStandBesideMain_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<bool>("pastTheEdge");
        QTest::newRow("add") << u"mnuAdd"_s << false;
        QTest::newRow("edit") << u"mnuEdit"_s << false;
        QTest::newRow("remove") << u"mnuRemove"_s << false;
        QTest::newRow("help") << u"mnuHelp"_s << false;
        QTest::newRow("site news as the main window shows") << QString() << false;
        QTest::newRow("site news, main window past the edge") << QString() << true;
    }

    void siteDialogsStandBesideMain() {
        QFETCH(QString, item);
        QFETCH(bool, pastTheEdge);
        ProgramRig rig;
        QWidget *dialog = nullptr;
        if (item.isEmpty()) {
            if (pastTheEdge)
                writeWindowPlacement(*rig.settings,
                                     {0, WindowPlacement::Normal, 100, 100, 1300, 300, 2300, 900});
            QVERIFY(rig.startUp());
            // Opened just before the main window shows: it is framed first,
            // and the main window is placed after it.
            openSiteNews(rig);
            rig.w().show();
            dialog = ProgramRig::shown<SiteNewsDialog>();
        } else {
            QVERIFY(rig.startShown());
            QVERIFY(settled(x_, &rig.w()));
            rig.openSetup();
            rig.click(item);
            dialog = item == u"mnuHelp"_s ? static_cast<QWidget *>(ProgramRig::shown<HelpWindow>())
                                          : ProgramRig::shown<SiteDialog>();
        }
        QVERIFY(dialog);
        QRect frame, main;
        QVERIFY(settled(x_, dialog, &frame));
        QVERIFY(settled(x_, &rig.w(), &main));
        shot(u"4-site-dialog-"_s + QTest::currentDataTag());
        QCOMPARE(frame.top(), main.top());
        QCOMPARE(frame.right(), main.right());
        QVERIFY(kScreen.contains(main));
        QVERIFY(kScreen.contains(frame));
        dialog->close();
    }

    // The About box's left edge stands 600 pixels left of the main window's right edge, and
    // on the screen beside a main window dragged past the screen's right edge.
    void aboutStandsBesideMain_data() {
        QTest::addColumn<int>("pastTheEdge");
        QTest::newRow("main window on the screen") << 0;
        QTest::newRow("main window dragged past the edge") << 400;
    }

    void aboutStandsBesideMain() {
        QFETCH(int, pastTheEdge);
        ProgramRig rig;
        QVERIFY(rig.startShown());
        QRect main;
        QVERIFY(settled(x_, &rig.w(), &main));
        if (pastTheEdge) {
            rig.w().move(rig.w().pos() + QPoint(kScreen.right() - main.right() + pastTheEdge, 0));
            QVERIFY(settled(x_, &rig.w(), &main));
            QVERIFY(main.right() > kScreen.right());
        }
        rig.program.openAbout();
        QWidget *about = ProgramRig::shown<AboutDialog>();
        QVERIFY(about);
        QRect frame;
        QVERIFY(settled(x_, about, &frame));
        QCOMPARE(frame.top(), main.top());
        QVERIFY(kScreen.contains(frame));
        if (!pastTheEdge)
            QCOMPARE(frame.left(), main.right() + 1 - 600);
        about->close();
    }

    // Escape, pressed with the window active, closes every secondary window.
    void escapeClosesEveryWindow_data() {
        QTest::addColumn<QString>("window");
        for (const char *name : {"gallery", "site map", "street view", "About", "site selection",
                                 "page names", "viewer", "help", "own position", "add site"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    void escapeClosesEveryWindow() {
        QFETCH(QString, window);
        ProgramRig rig;
        rig.installMaps();
        QVERIFY(rig.startShown());
        QVERIFY(settled(x_, &rig.w()));
        const QString picture = rig.root + u"/picture.jpg"_s;
        writeBytes(picture, jpegBytes(QSize(320, 240)));
        const QHash<QString, std::function<void()>> open{
            {u"gallery"_s, [&] { rig.program.openGallery(GalleryRequest::pageSlot(0)); }},
            {u"site map"_s, [&] { rig.choose(1, u"mnuMapLoc"_s); }},
            {u"street view"_s, [&] { rig.choose(1, u"mnuStView"_s, 0); }},
            {u"About"_s, [&] { rig.program.openAbout(); }},
            {u"site selection"_s,
             [&] {
                 rig.program.openSiteSelection(SitePick{0, false, false});
             }},
            {u"page names"_s, [&] { rig.program.openPageNames(); }},
            {u"viewer"_s, [&] { rig.program.openPictureViewer(picture, 0, QPoint(10, 10)); }},
            {u"help"_s, [&] { rig.program.openHelp(); }},
            {u"own position"_s, [&] { rig.program.openOwnPosition(); }},
            {u"add site"_s, [&] { rig.program.openAddSite(); }},
        };
        open[window]();
        QTRY_VERIFY(activeSecondary(rig));
        QPointer<QWidget> active = activeSecondary(rig);
        QVERIFY(settled(x_, active));
        x_.pressEscape();
        QTRY_VERIFY(!active || !active->isVisible());
        QTRY_VERIFY(rig.w().isEnabled());
    }
};

QTEST_MAIN(DesktopTest)
#include "tst_desktop.moc"
