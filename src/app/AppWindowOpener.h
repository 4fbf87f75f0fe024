#pragma once

#include "core/app/WindowOpener.h"
#include "core/base/FileDialogs.h"
#include "platform/PictureTransfer.h"
#include "stations/WebPageView.h"
#include "ui/QtFileDialog.h"
#include "ui/WindowRegistry.h"

#include <utility>

namespace tavimo {

struct AppState;
class DesktopBridge;

// What the opened windows reach outside the program: main() keeps the
// desktop's own, tests hand in fakes.
struct AppWindowServices {
    ShowFileDialogFunction showFileDialog = qtFileDialog;
    ClipboardWriter clipboard = writeToClipboard;
    // The street and satellite view; empty: the embedded view when the program
    // has it, else the default browser (openInBrowser, or the desktop's).
    WebPageViewFactory makeWebView;
    OpenUrlFunction openInBrowser;
};

// The program's window opener: every secondary window opens through here,
// from the request captured when it was asked for.
class AppWindowOpener final : public WindowOpener {
public:
    // desktop: reaches the other programs' windows for the paste commands; may be null.
    AppWindowOpener(AppState &state, DesktopBridge *desktop, AppWindowServices services = {})
        : state_(state), desktop_(desktop), services_(std::move(services)) {}

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
    AppWindowServices services_;
    WindowRegistry windows_;
};

} // namespace tavimo
