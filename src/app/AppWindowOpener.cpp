#include "app/AppWindowOpener.h"

#include "core/app/AppState.h"
#include "core/app/MainWindowAccess.h"
#include "core/geo/MapHandOver.h"
#include "gallery/CaptionZoomWindow.h"
#include "gallery/GalleryWindow.h"
#include "gallery/PictureViewer.h"
#include "mainwindow/HelpWindow.h"
#include "sites/AboutDialog.h"
#include "sites/AddSiteDialog.h"
#include "sites/EditSiteDialog.h"
#include "sites/PageNamesDialog.h"
#include "sites/RemoveSiteDialog.h"
#include "sites/SiteDialog.h"
#include "sites/SiteNewsDialog.h"
#include "sites/SiteSelectionWindow.h"
#include "sites/TextMessagesWindow.h"
#include "stations/LastHeardWindow.h"
#include "stations/OwnPositionDialog.h"
#include "stations/PageMapWindow.h"
#include "stations/SiteMapWindow.h"
#include "stations/StationWindow.h"
#include "stations/WebMapWindow.h"
#include "ui/OpenOnce.h"

#include <QLoggingCategory>
#include <QWidget>

Q_LOGGING_CATEGORY(lcApp, "tavimo.app", QtInfoMsg)

namespace tavimo {

// ---- Gallery and viewers ------------------------------------------------------------

void AppWindowOpener::openGallery(const GalleryRequest &request) {
    openGalleryWindow(state_, windows_, request,
                      GalleryServices{services_.showFileDialog, desktop_, services_.clipboard});
}

void AppWindowOpener::closeGallery() {
    closeGalleryWindow(windows_);
}

void AppWindowOpener::openPictureViewer(const QString &picturePath, int selectedSlot,
                                        QPoint cursorPos) {
    openPictureViewerWindow(state_, windows_, ViewerSource::pageSlot(selectedSlot), picturePath,
                            cursorPos);
}

void AppWindowOpener::openGalleryViewer(const QString &picturePath, int cell, QPoint cursorPos) {
    openPictureViewerWindow(state_, windows_, ViewerSource::galleryCell(cell), picturePath,
                            cursorPos);
}

void AppWindowOpener::pictureShown(const ViewerSource &source, const QString &picturePath) {
    refreshPictureViewer(windows_, source, picturePath);
}

void AppWindowOpener::openCaptionZoom(int hoverSlot) {
    openCaptionZoomWindow(state_, windows_, hoverSlot);
}

void AppWindowOpener::closeCaptionZoom() {
    closeCaptionZoomWindow(windows_);
}

// ---- Stations and maps --------------------------------------------------------------

void AppWindowOpener::openStation(const QString &callsign, bool lookupFromCall) {
    openStationWindow(
        state_, windows_, StationRequest::forSelectedSlot(state_, callsign, lookupFromCall),
        StationPictureServices{services_.showFileDialog, desktop_, services_.clipboard});
}

void AppWindowOpener::openSiteMap(const SiteMapRequest &request) {
    openSiteMapWindow(state_, windows_, request);
}

void AppWindowOpener::openWebMap(const QString &callsign, const QString &address) {
    WebMapServices services;
    services.desktop = desktop_;
    services.showFileDialog = services_.showFileDialog;
    services.clipboard = services_.clipboard;
    services.openInBrowser = services_.openInBrowser;
    services.makeView = services_.makeWebView;
    openWebMapWindow(
        state_, windows_,
        WebMapRequest{WebMapJob{callsign, address}.StreetViewJob(), state_.page.isWxPage()},
        services);
}

void AppWindowOpener::openOwnPosition() {
    openOwnPositionDialog(state_, windows_);
}

void AppWindowOpener::openLastHeard(int slot) {
    openLastHeardWindow(state_, windows_, slot);
}

void AppWindowOpener::closeLastHeard() {
    closeLastHeardWindow(windows_);
}

void AppWindowOpener::openPageMap() {
    openPageMapWindow(state_, windows_);
}

// ---- Site lists and dialogs -------------------------------------------------------------

void AppWindowOpener::openSiteSelection(const SelectionRequest &request) {
    tavimo::openSiteSelection(state_, windows_, request);
}

void AppWindowOpener::rebuildSiteSelection() {
    tavimo::rebuildSiteSelection(windows_);
}

void AppWindowOpener::openSiteNews(const QStringList &updatesList, bool updatesFromMain) {
    // The news waits while a site dialog is open: both change the lists.
    whenNoSiteDialog(windows_, &state_.events, [this, updatesList, updatesFromMain] {
        showSiteNewsDialog(state_, windows_, updatesList, updatesFromMain);
    });
}

void AppWindowOpener::openAddSite() {
    tavimo::openAddSite(state_, windows_);
}

void AppWindowOpener::openEditSite() {
    tavimo::openEditSite(state_, windows_);
}

void AppWindowOpener::openRemoveSite() {
    tavimo::openRemoveSite(state_, windows_);
}

void AppWindowOpener::openPageNames() {
    showPageNamesDialog(state_, windows_);
}

void AppWindowOpener::openAbout() {
    showAboutDialog(state_, windows_);
}

void AppWindowOpener::openTextMessages(int, const QString &slotCallsign) {
    showTextMessagesWindow(
        state_, windows_, slotCallsign,
        TextMessagesDeps{desktop_, services_.showFileDialog, services_.clipboard});
}

// ---- Help and shutdown ------------------------------------------------------------------

void AppWindowOpener::openHelp() {
    openOnce<HelpWindow>(windows_, QStringLiteral("HelpWindow"), [this] {
        return new HelpWindow(readHelpText(state_.paths),
                              state_.mainWindow ? state_.mainWindow->window() : nullptr);
    });
}

void AppWindowOpener::closeAll() {
    const QList<QWidget *> windows = windows_.loadedWindows();
    for (QWidget *window : windows) {
        if (window) {
            window->hide();
            window->close();
        }
    }
}

} // namespace tavimo
