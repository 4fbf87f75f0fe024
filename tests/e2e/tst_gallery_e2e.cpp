// The gallery, the large viewer and the enlarged captions from the real main
// window, against the site simulator: a right-click on a thumbnail opens the
// gallery of its site's last 30 pictures, a cell opens the viewer, Ctrl on a
// thumbnail shows its captions larger, and a page refresh running beside the
// gallery keeps its own pass.

#include "core/app/AppState.h"
#include "core/app/WindowOpener.h"
#include "core/files/Endpoints.h"
#include "core/files/SettingsStore.h"
#include "core/net/DownloadControl.h"
#include "core/thumbs/SlotFetcher.h"
#include "gallery/CaptionZoomWindow.h"
#include "gallery/GalleryFetch.h"
#include "gallery/GalleryWindow.h"
#include "gallery/PictureViewer.h"
#include "mainwindow/MainMenus.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/PageLoader.h"
#include "mainwindow/RefreshSchedule.h"
#include "sitesim/DataFolderWriter.h"
#include "sitesim/SiteSimulator.h"
#include "support/FakePrompts.h"
#include "support/LoopbackServer.h"
#include "ui/AnimatedPicture.h"
#include "ui/ThumbCell.h"
#include "ui/ThumbGrid.h"
#include "ui/WindowRegistry.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <memory>

using namespace tavimo;
using namespace Qt::StringLiterals;

namespace {

// The program's gallery windows, opened as the program opens them.
class GalleryOpener final : public WindowOpener {
public:
    explicit GalleryOpener(AppState &state) : state_(state) {}

    void openGallery(const GalleryRequest &request) override {
        openGalleryWindow(state_, registry, request, GalleryServices{});
    }
    void closeGallery() override { closeGalleryWindow(registry); }
    void openPictureViewer(const QString &path, int slot, QPoint at) override {
        openPictureViewerWindow(state_, registry, ViewerSource::pageSlot(slot), path, at);
    }
    void openGalleryViewer(const QString &path, int cell, QPoint at) override {
        openPictureViewerWindow(state_, registry, ViewerSource::galleryCell(cell), path, at);
    }
    void pictureShown(const ViewerSource &source, const QString &path) override {
        refreshPictureViewer(registry, source, path);
    }
    void openCaptionZoom(int slot) override { openCaptionZoomWindow(state_, registry, slot); }
    void closeCaptionZoom() override { closeCaptionZoomWindow(registry); }
    int IsFormLoaded(const QString &name) const override { return registry.IsFormLoaded(name); }
    void closeAll() override {
        for (QWidget *window : registry.loadedWindows())
            window->close();
    }

    template <class W> W *window(const QString &name) const {
        return qobject_cast<W *>(registry.find(name));
    }

    WindowRegistry registry;

private:
    AppState &state_;
};

// Twelve simulated sites on page 1, the last `slow` of them slow, at a moment
// that stands still; the main window in a data folder written for them.
class Rig {
public:
    explicit Rig(int slow = 0) : opener(state) {
        sitesim::SimConfig config;
        config.sstvCount = 12;
        config.wxCount = 0;
        config.slow = slow;
        const QDateTime fixed(QDate(2024, 5, 1), QTime(12, 0), Qt::UTC);
        sim = std::make_unique<sitesim::SiteSimulator>(config, [fixed] { return fixed; });
        server.setHandler([this](const test::RecordedRequest &r) { return sim->answer(r); });
        server.start();
        const QString home = dir.path();
        sitesim::writeDataFolder(home, sim->sstvSites(), {},
                                 u"http://127.0.0.1:%1"_s.arg(server.port()));
        state.paths.dataFolder = sitesim::dataFolderOf(home);
        state.paths.programFolder = home + u"/program"_s;
        state.paths.bundledDataFolder = QStringLiteral(TAVIMO_SOURCE_DATA_DIR);
        settings = std::make_unique<SettingsStore>(sitesim::settingsFileOf(home));
        downloads.setTransferTimeout(std::chrono::seconds(5));
        state.settings = settings.get();
        state.prompts = &prompts;
        state.downloads = &downloads;
        state.opener = &opener;
        state.endpoints = readEndpoints(*settings);
        state.endpoints.TimePage.clear();
        state.utcNow = [fixed] { return fixed; };

        MainWindowDeps deps;
        deps.opener = &opener;
        deps.quit = [] {};
        deps.sstvTick = std::chrono::hours(1);
        deps.wxTick = std::chrono::hours(1);
        window = std::make_unique<MainWindow>(state, deps);
    }
    ~Rig() {
        for (QWidget *w : opener.registry.loadedWindows())
            delete w;
    }

    bool mainPassOver() const {
        return state.page.FinishedCount >= state.page.ExpectedCount &&
               !window->menus().loadingLook();
    }
    static void send(QWidget *target, QEvent::Type type, Qt::MouseButton button,
                     Qt::KeyboardModifiers modifiers = {}) {
        const QPointF at(5, 5);
        QMouseEvent event(type, at, target->mapToGlobal(at), button,
                          type == QEvent::MouseMove ? Qt::MouseButtons() : button, modifiers);
        QApplication::sendEvent(target, &event);
    }
    static QWidget *picture(ThumbCell &cell) {
        return cell.AniGIF->isHidden() ? static_cast<QWidget *>(cell.img) : cell.AniGIF;
    }
    GalleryWindow *gallery() const { return opener.window<GalleryWindow>(kGalleryWindowName); }

    QTemporaryDir dir;
    std::unique_ptr<sitesim::SiteSimulator> sim;
    test::LoopbackServer server;
    AppState state;
    std::unique_ptr<SettingsStore> settings;
    test::FakePrompts prompts;
    DownloadContext downloads;
    GalleryOpener opener;
    std::unique_ptr<MainWindow> window;
};

} // namespace

class TestGalleryEndToEnd : public QObject {
    Q_OBJECT

private slots:
    void galleryViewerAndCaptions();
    void pageRefreshBesideTheGallery();
};

void TestGalleryEndToEnd::galleryViewerAndCaptions() {
    Rig rig;
    QVERIFY(rig.window->startUp());
    rig.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(rig.window.get()));
    QVERIFY(QTest::qWaitFor([&] { return rig.mainPassOver(); }, 20000));

    // Right-click the first thumbnail and choose its last 30 pictures.
    ThumbCell &slot0 = *rig.window->grid().cell(0);
    Rig::send(Rig::picture(slot0), QEvent::MouseButtonPress, Qt::RightButton);
    QAction *last30 = rig.window->menus().item(u"mnuLast15"_s);
    QVERIFY(last30 && last30->isVisible());
    rig.window->menus().mnuPopMenu->hide();
    last30->trigger();
    GalleryWindow *gallery = rig.gallery();
    QVERIFY(gallery && gallery->isVisible());
    QVERIFY(!rig.window->isEnabled());
    const QString call = rig.sim->sstvSites().first().callsign;
    QVERIFY(gallery->windowTitle().contains(call + u"'s site"_s));

    // All 30 cells fill with pictures from the site's folder.
    QVERIFY(QTest::qWaitFor([&] { return !gallery->fetch().passRunning(); }, 20000));
    for (int c = 0; c < 30; ++c) {
        ThumbCell &cell = *gallery->grid().cell(c);
        QVERIFY2(cell.img->hasPicture() || !cell.AniGIF->isHidden(),
                 qPrintable(QString::number(c)));
        QVERIFY(rig.state.page.SlotTable.value(c, stGalFrom) != u"Not found"_s);
        QVERIFY(cell.lblFrom->text().startsWith(rig.state.texts.LngFromPrefix));
    }
    QCOMPARE(rig.server.requestCount(u"/sstv/1/image30.jpg"_s), 1);

    // A cell opens the viewer with that cell's picture.
    ThumbCell &cell4 = *gallery->grid().cell(4);
    Rig::send(Rig::picture(cell4), QEvent::MouseButtonPress, Qt::LeftButton);
    auto *viewer = rig.opener.window<PictureViewer>(kPictureViewerName);
    QVERIFY(viewer && viewer->isVisible());
    QCOMPARE(viewer->source(), ViewerSource::galleryCell(4));
    QCOMPARE(viewer->picturePath(), rig.state.paths.data(u"images/last15/4"_s));
    QVERIFY(viewer->windowTitle().contains(rig.state.page.SlotTable.value(4, stGalFrom)));
    QTest::keyClick(viewer, Qt::Key_Escape);
    QTRY_VERIFY(!rig.opener.window<PictureViewer>(kPictureViewerName));

    gallery->close();
    QTRY_VERIFY(!rig.gallery());
    QVERIFY(rig.window->isEnabled());

    // Ctrl on a thumbnail: its captions, larger.
    ThumbCell &slot2 = *rig.window->grid().cell(2);
    Rig::send(Rig::picture(slot2), QEvent::MouseMove, Qt::NoButton, Qt::ControlModifier);
    auto *zoom = rig.opener.window<CaptionZoomWindow>(kCaptionZoomName);
    QVERIFY(zoom && zoom->isVisible());
    QCOMPARE(zoom->lblBig->text(), captionZoomText(slot2.lblCall->text(), slot2.lblFrom->text()));
    Rig::send(&rig.window->grid(), QEvent::MouseMove, Qt::NoButton);
    QVERIFY(!rig.opener.window<CaptionZoomWindow>(kCaptionZoomName));

    rig.window->close();
}

void TestGalleryEndToEnd::pageRefreshBesideTheGallery() {
    Rig rig(2);
    QVERIFY(rig.window->startUp());
    rig.window->show();

    // The page's first pass runs (its two slow sites keep it running for
    // seconds) when the gallery of a fast site opens beside it.
    QTRY_VERIFY(!rig.state.page.SlotTable.value(0, stSiteCall).isEmpty());
    rig.state.page.SelectedSlot = 0;
    rig.window->menus().item(u"mnuLast15"_s)->trigger();
    GalleryWindow *gallery = rig.gallery();
    QVERIFY(gallery);
    QVERIFY(!rig.mainPassOver());
    QVERIFY(QTest::qWaitFor([&] { return !gallery->fetch().passRunning(); }, 20000));
    // The gallery's end leaves the page's pass and its loading look alone.
    QVERIFY(rig.state.page.FinishedCount < rig.state.page.ExpectedCount);
    QVERIFY(rig.window->menus().loadingLook());
    // And the page's pass ends on its own count.
    QVERIFY(QTest::qWaitFor([&] { return rig.mainPassOver(); }, 30000));
    QCOMPARE(rig.state.page.FinishedCount, rig.state.page.ExpectedCount);
    QCOMPARE(rig.state.page.ExpectedCount, 12);
    for (int c = 0; c < 30; ++c)
        QVERIFY(rig.state.page.SlotTable.value(c, stGalFrom) != u"Not found"_s);

    gallery->close();
    rig.window->close();
}

QTEST_MAIN(TestGalleryEndToEnd)
#include "tst_gallery_e2e.moc"
