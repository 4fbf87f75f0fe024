#pragma once

#include "core/app/WindowOpener.h"
#include "ui/WindowRegistry.h"

namespace tavimo {

struct AppState;

// The program's window opener. Each window plugs in here as it is built; until
// then its opener does nothing (and says so in the debug log).
class AppWindowOpener final : public WindowOpener {
public:
    explicit AppWindowOpener(AppState &state) : state_(state) {}

    // Gallery and viewers.
    void openGallery(const GalleryRequest &request) override;
    void openPictureViewer(const QString &picturePath, int selectedSlot, QPoint cursorPos) override;
    void openCaptionZoom(int hoverSlot) override;

    // Stations and maps.
    void openStation(const QString &callsign, bool lookupFromCall) override;
    void openSiteMap(const SiteMapRequest &request) override;
    void openWebMap(const QString &callsign, const QString &address) override;
    void openOwnPosition() override;
    void openLastHeard(int slot) override;
    void openPageMap() override;

    // Site lists and dialogs.
    void openSiteSelection(const SelectionRequest &request) override;
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
    WindowRegistry windows_;
};

} // namespace tavimo
