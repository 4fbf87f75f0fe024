#pragma once

// What the gallery and viewer tests stand on: a data folder of their own, a
// loopback server holding a site's 30 pictures, a main window that records
// what is done to it, and an opener that opens the real viewer.

#include "core/app/AppState.h"
#include "core/app/MainWindowAccess.h"
#include "core/app/WindowOpener.h"
#include "core/files/SettingsStore.h"
#include "core/net/DownloadControl.h"
#include "core/thumbs/SlotFetcher.h"
#include "gallery/CaptionZoomWindow.h"
#include "gallery/GalleryFetch.h"
#include "gallery/GalleryWindow.h"
#include "gallery/PictureViewer.h"
#include "support/FakePrompts.h"
#include "support/Fixtures.h"
#include "support/LoopbackServer.h"
#include "support/TestFiles.h"
#include "ui/AnimatedPicture.h"
#include "ui/ThumbCell.h"
#include "ui/ThumbGrid.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QDir>
#include <QMainWindow>
#include <QMap>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <memory>

namespace tavimo::test {

using namespace Qt::StringLiterals;

// Stands in for the main window: records what the gallery does to it
// ("disable", "enable", "activate", "loading", "plain", "stop", "start") and
// shows the slot captions a test sets.
class FakeMainWindow final : public MainWindowAccess {
public:
    FakeMainWindow() {
        window_.setCentralWidget(new QWidget);
        window_.resize(900, 500);
    }
    QWidget *window() override { return &window_; }
    void setMainEnabled(bool enabled) override { note(enabled ? "enable" : "disable"); }
    void activateMain() override { note("activate"); }
    void StopRefreshTimers() override { note("stop"); }
    void StartRefreshTimers() override { note("start"); }
    void resumeRefreshTimers() override { note("resume"); }
    void setGalleryLoading(bool running) override { note(running ? "loading" : "plain"); }
    void armSitesChanged() override {}
    void handOverPickedSite(int) override {}
    QString pageCaption(int) const override { return {}; }
    void setPageCaption(int, const QString &) override {}
    void repaintPageItem() override {}
    QString slotCallCaption(int slot) const override { return calls.value(slot); }
    QString slotFromCaption(int slot) const override { return froms.value(slot); }
    void setSlotCallCaption(int, const QString &) override {}
    void clearSlot(int) override {}
    QRect slotFrameOnScreen(int slot) const override { return frames.value(slot); }
    QFont labelFont() const override { return font; }
    AnimatedPicture *slotPicture(int) override { return nullptr; }

    int count(const QString &entry) const { return int(log.count(entry)); }

    QMainWindow window_;
    QStringList log;
    QMap<int, QString> calls;
    QMap<int, QString> froms;
    QMap<int, QRect> frames;
    QFont font;

private:
    void note(const char *entry) { log.append(QString::fromLatin1(entry)); }
};

// Opens the real viewer and records the gallery's calls.
class ViewerOpener final : public WindowOpener {
public:
    explicit ViewerOpener(AppState &state) : state_(state) {}

    void openPictureViewer(const QString &path, int slot, QPoint at) override {
        calls << u"slot %1 %2"_s.arg(slot).arg(path);
        openPictureViewerWindow(state_, registry, ViewerSource::pageSlot(slot), path, at);
    }
    void openGalleryViewer(const QString &path, int cell, QPoint at) override {
        calls << u"cell %1 %2"_s.arg(cell).arg(path);
        openPictureViewerWindow(state_, registry, ViewerSource::galleryCell(cell), path, at);
    }
    void pictureShown(const ViewerSource &source, const QString &path) override {
        refreshPictureViewer(registry, source, path);
    }
    int IsFormLoaded(const QString &name) const override { return registry.IsFormLoaded(name); }

    PictureViewer *viewer() const {
        return qobject_cast<PictureViewer *>(registry.find(kPictureViewerName));
    }

    WindowRegistry registry;
    QStringList calls;

private:
    AppState &state_;
};

// The trailer date of picture k of the test sites.
inline QDateTime pictureTime(int k) {
    return QDateTime(QDate(2024, 5, 1), QTime(12, 0), Qt::UTC).addSecs(-60 * k);
}

class GalleryRig {
public:
    GalleryRig() : opener(state) {
        state.paths.dataFolder = dir.path() + u"/tavimo"_s;
        QDir().mkpath(state.paths.data(u"images/last15"_s));
        settings = std::make_unique<SettingsStore>(dir.path() + u"/Tavimo.ini"_s);
        downloads.setTransferTimeout(std::chrono::milliseconds(400));
        server.start();
        state.settings = settings.get();
        state.prompts = &prompts;
        state.downloads = &downloads;
        state.opener = &opener;
        state.mainWindow = &main;
        state.texts.LngLoading = u"Loading"_s;
        state.texts.LngFromPrefix = u"From:"_s;
        state.texts.LngNotFound1 = u"Sorry"_s;
        state.texts.LngNotFound2 = u"not found"_s;
        state.texts.LngNotFound3 = u"Image"_s;
        state.texts.LngFailed = u" (download failed) "_s;
        state.texts.LngCannotShow = u"This picture cannot be shown"_s;
        state.dateOrder = DateOrder{DateOrder::DayFirst, u"."_s};
        state.ZeroChar = u"\u00D8"_s;
        state.config.GuiSize = 1;
        // AB1CD shows in slot 2 of page 1, EF2GH in slot 0.
        addSite(u"AB1CD"_s, u"/ab/"_s);
        addSite(u"EF2GH"_s, u"/ef/"_s);
        place(2, 0);
        place(0, 1);
        main.calls[0] = u"EF2GH - 2 days"_s;
        main.calls[2] = u"AB1CD"_s;
    }

    ~GalleryRig() {
        // The windows go before the rig's state does.
        for (QWidget *window : opener.registry.loadedWindows())
            delete window;
        delete gallery_;
    }

    void addSite(const QString &call, const QString &folder) {
        state.SiteList.append(makeSite(call, server.url(folder + u"image1.jpg"_s).toString()));
    }
    void place(int slot, int site) {
        state.page.SlotTable.setValue(slot, stSiteCall, state.SiteList[site].Callsign);
        state.page.SlotTable.setValue(slot, stSiteIndex, QString::number(site));
    }

    // Picture k of a folder: a still JPEG with a trailer naming `sender`.
    QByteArray picture(int k, const QString &sender = u"XX9ABC"_s) const {
        return withTrailer(jpegBytes(QSize(64, 48), QColor(20 * k % 255, 80, 160)), sender, u"OK"_s,
                           pictureTime(k));
    }
    void serve(const QString &folder, int k, const QByteArray &body, Route route = Route()) {
        route.body = body;
        server.setRoute(folder + u"image%1.jpg"_s.arg(k), route);
    }
    void serveAll(const QString &folder, Route route = Route()) {
        for (int k = 1; k <= 30; ++k)
            serve(folder, k, picture(k), route);
    }
    // Every picture of the folder answers 404.
    void missingAll(const QString &folder) {
        for (int k = 1; k <= 30; ++k)
            serve(folder, k, {}, notFound());
    }
    static Route notFound() {
        Route route;
        route.status = 404;
        return route;
    }
    void stallAll() {
        server.setHandler([](const RecordedRequest &) {
            Route route;
            route.stall = true;
            return std::optional<Route>(route);
        });
    }

    GalleryWindow &open(const GalleryRequest &request) {
        gallery_ = new GalleryWindow(state, request, GalleryServices{fileDialog(), nullptr, {}});
        gallery_->show();
        return *gallery_;
    }
    GalleryWindow &g() { return *gallery_; }
    ThumbCell &cell(int c) { return *gallery_->grid().cell(c); }
    QString column(int c, int column) const { return state.page.SlotTable.value(c, column); }

    // Every cell of the gallery's pass has its answer.
    bool waitForPassEnd(int ends = 1) {
        return QTest::qWaitFor([&] { return main.count(u"plain"_s) >= ends; }, 10000);
    }
    int answered() const {
        const SlotFetcher *f = gallery_->fetch().fetcher();
        return f ? f->pass().FinishedCount() : 0;
    }
    // The picture part of a cell that takes the pointer.
    QWidget *pictureOf(int c) {
        ThumbCell &x = cell(c);
        return x.AniGIF->isHidden() ? static_cast<QWidget *>(x.img) : x.AniGIF;
    }
    static void send(QWidget *target, QEvent::Type type, Qt::MouseButton button,
                     Qt::KeyboardModifiers modifiers = {}) {
        const QPointF at(5, 5);
        QMouseEvent event(type, at, target->mapToGlobal(at), button,
                          type == QEvent::MouseMove ? Qt::MouseButtons() : button, modifiers);
        QApplication::sendEvent(target, &event);
    }

    ShowFileDialogFunction fileDialog() {
        return [this](const FileDialogRequest &request) {
            dialogRequests << request;
            return dialogAnswer;
        };
    }

    QTemporaryDir dir;
    AppState state;
    std::unique_ptr<SettingsStore> settings;
    DownloadContext downloads;
    LoopbackServer server;
    FakePrompts prompts;
    FakeMainWindow main;
    ViewerOpener opener;
    QList<FileDialogRequest> dialogRequests;
    QString dialogAnswer;

private:
    GalleryWindow *gallery_ = nullptr;
};

} // namespace tavimo::test
