#pragma once

// The ground of the gallery and viewer tests: a data folder of their own, two
// sites' pictures on the loopback server, the main window's stand-in, and an
// opener that opens the real viewer.

#include "core/app/AppState.h"
#include "core/app/WindowOpener.h"
#include "core/files/SettingsStore.h"
#include "core/net/DownloadControl.h"
#include "core/thumbs/SlotFetcher.h"
#include "gallery/CaptionZoomWindow.h"
#include "gallery/GalleryFetch.h"
#include "gallery/GalleryWindow.h"
#include "gallery/PictureViewer.h"
#include "support/FakeMainWindow.h"
#include "support/FakePrompts.h"
#include "support/Fixtures.h"
#include "support/LoopbackServer.h"
#include "support/PointerEvents.h"
#include "support/Routes.h"
#include "support/TestFiles.h"
#include "support/TransferRecorder.h"
#include "ui/AnimatedPicture.h"
#include "ui/ThumbCell.h"
#include "ui/ThumbGrid.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <memory>

namespace tavimo::test {

using namespace Qt::StringLiterals;

// Opens the real viewer, and notes the gallery's openings ("cell <n> <file>").
class ViewerOpener final : public WindowOpener {
public:
    explicit ViewerOpener(AppState &state) : state_(state) {}

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

// The trailer time of picture k.
inline QDateTime pictureTime(int k) {
    return QDateTime(QDate(2024, 5, 1), QTime(12, 0), Qt::UTC).addSecs(-60 * k);
}

class GalleryRig {
public:
    GalleryRig() : opener(state) {
        state.paths.dataFolder = dir.path() + u"/tavimo"_s;
        settings = std::make_unique<SettingsStore>(dir.path() + u"/Tavimo.ini"_s);
        downloads.setTransferTimeout(std::chrono::milliseconds(400));
        server.start();
        state.settings = settings.get();
        state.prompts = &prompts;
        state.downloads = &downloads;
        state.opener = &opener;
        state.mainWindow = &main;
        LanguageTexts &t = state.texts;
        t.LngLoading = u"Loading"_s;
        t.LngFromPrefix = u"From:"_s;
        t.LngCannotShow = u"This picture cannot be shown"_s;
        state.dateOrder = DateOrder{DateOrder::DayFirst, u"."_s};
        state.ZeroChar = u"\u00D8"_s;
        state.config.GuiSize = 1;
        // Page 1 shows EF2GH in slot 0 and AB1CD in slot 2.
        for (const auto &[call, folder, slot] :
             {std::tuple{u"AB1CD"_s, u"/ab/"_s, 2}, std::tuple{u"EF2GH"_s, u"/ef/"_s, 0}}) {
            state.page.SlotTable.setValue(slot, stSiteCall, call);
            state.page.SlotTable.setValue(slot, stSiteIndex,
                                          QString::number(state.SiteList.size()));
            state.SiteList << makeSite(call, server.url(folder + u"image1.jpg"_s).toString());
        }
        main.callCaptions[0] = u"EF2GH - 2 days"_s;
        main.callCaptions[2] = u"AB1CD"_s;
    }
    ~GalleryRig() {
        for (QWidget *window : opener.registry.loadedWindows())
            delete window;
        delete gallery_;
    }

    // Picture k: a still JPEG with a trailer naming `sender`.
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
    void stallAll() {
        server.setHandler([](const RecordedRequest &) { return std::optional(stalledRoute()); });
    }

    GalleryWindow &open(const GalleryRequest &request) {
        gallery_ =
            new GalleryWindow(state, request, GalleryServices{transfers.fileDialog(), nullptr, {}});
        gallery_->show();
        return *gallery_;
    }
    ThumbCell &cell(int c) { return *gallery_->grid().cell(c); }
    QString column(int c, int column) const { return state.page.SlotTable.value(c, column); }
    QString file(int c) const { return state.paths.data(u"images/last15/%1"_s.arg(c)); }
    // The gallery's pass has ended `ends` times.
    bool waitForPassEnd(int ends = 1) {
        return QTest::qWaitFor([&] { return main.count(u"plain"_s) >= ends; }, 10000);
    }
    int answered() const { return gallery_->fetch().fetcher()->pass().FinishedCount(); }
    // The part of a cell that takes the pointer.
    QWidget *pictureOf(int c) { return pointerPart(cell(c)); }

    QTemporaryDir dir;
    AppState state;
    std::unique_ptr<SettingsStore> settings;
    DownloadContext downloads;
    LoopbackServer server;
    FakePrompts prompts;
    FakeMainWindow main;
    ViewerOpener opener;
    TransferRecorder transfers;

private:
    GalleryWindow *gallery_ = nullptr;
};

} // namespace tavimo::test
