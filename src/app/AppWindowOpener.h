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

    void openGallery(int galleryRequest) override;
    void closeGallery() override;
    void openPictureViewer(const QString &picturePath, int selectedSlot, QPoint cursorPos) override;
    void openCaptionZoom(int hoverSlot) override;
    void closeCaptionZoom() override;
    void openStation(const QString &callsign, bool lookupFromCall) override;
    void openSiteMap(int mapIndex, double siteLat, double siteLon) override;
    void openWebMap(const QString &callsign, const QString &address) override;
    void openSiteSelection(bool galleryPick, int slot, bool wxList) override;
    void rebuildSiteSelection() override;
    void openSiteNews(const QStringList &updatesList, bool updatesFromMain) override;
    void openAbout() override;
    void openAddSite() override;
    void openEditSite() override;
    void openRemoveSite() override;
    void openOwnPosition() override;
    void openPageNames() override;
    void openHelp() override;
    void openTextMessages(int slot, const QString &slotCallsign) override;
    void openLastHeard(int slot) override;
    void closeLastHeard() override;
    void openPageMap() override;
    void closeAll() override;
    int IsFormLoaded(const QString &name) const override { return windows_.IsFormLoaded(name); }

private:
    AppState &state_;
    WindowRegistry windows_;
};

} // namespace tavimo
