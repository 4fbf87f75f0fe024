#pragma once

#include "core/app/WindowOpener.h"
#include "ui/WindowRegistry.h"

namespace tavimo {

struct AppState;
class DesktopBridge;

// The program's window opener: every secondary window opens through here,
// from the request captured when it was asked for.
class AppWindowOpener final : public WindowOpener {
public:
    // desktop: reaches the other programs' windows for the paste commands; may be null.
    AppWindowOpener(AppState &state, DesktopBridge *desktop) : state_(state), desktop_(desktop) {}

    // Gallery and viewers.
    void openGallery(const GalleryRequest &request) override;
    void closeGallery() override;
    void openPictureViewer(const QString &picturePath, int selectedSlot, QPoint cursorPos) override;
    void openGalleryViewer(const QString &picturePath, int cell, QPoint cursorPos) override;
    void pictureShown(const ViewerSource &source, const QString &picturePath) override;
    void openCaptionZoom(int hoverSlot) override;
    void closeCaptionZoom() override;

    // Stations and maps.
    void openStation(const QString &callsign, bool lookupFromCall) override;
    void openSiteMap(const SiteMapRequest &request) override;
    void openWebMap(const QString &callsign, const QString &address) override;
    void openOwnPosition() override;
    void openLastHeard(int slot) override;
    void closeLastHeard() override;
    void openPageMap() override;

    // Site lists and dialogs.
    void openSiteSelection(const SelectionRequest &request) override;
    void rebuildSiteSelection() override;
    void openSiteNews(const QStringList &updatesList, bool updatesFromMain) override;
    void openAddSite() override;
    void openEditSite() override;
    void openRemoveSite() override;
    void openPageNames() override;
    void openAbout() override;
    void openTextMessages(int slot, const QString &slotCallsign) override;

    void openHelp() override;
    int IsFormLoaded(const QString &name) const override { return windows_.IsFormLoaded(name); }
    void closeAll() override;

private:
    AppState &state_;
    DesktopBridge *desktop_;
    WindowRegistry windows_;
};

} // namespace tavimo
