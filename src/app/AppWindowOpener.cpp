#include "app/AppWindowOpener.h"

#include "core/app/AppState.h"
#include "mainwindow/HelpWindow.h"
#include "ui/OpenOnce.h"

#include <QLoggingCategory>
#include <QWidget>

Q_LOGGING_CATEGORY(lcApp, "tavimo.app", QtInfoMsg)

namespace tavimo {

namespace {

void notBuilt(const char *window) {
    qCDebug(lcApp) << "the" << window << "window is not part of this build yet";
}

} // namespace

void AppWindowOpener::openGallery(int galleryRequest) {
    Q_UNUSED(galleryRequest);
    notBuilt("gallery");
}

void AppWindowOpener::closeGallery() {}

void AppWindowOpener::openPictureViewer(const QString &picturePath, int selectedSlot,
                                        QPoint cursorPos) {
    Q_UNUSED(picturePath);
    Q_UNUSED(selectedSlot);
    Q_UNUSED(cursorPos);
    notBuilt("picture viewer");
}

void AppWindowOpener::openCaptionZoom(int hoverSlot) {
    Q_UNUSED(hoverSlot);
    notBuilt("caption zoom");
}

void AppWindowOpener::closeCaptionZoom() {}

void AppWindowOpener::openStation(const QString &callsign, bool lookupFromCall) {
    Q_UNUSED(callsign);
    Q_UNUSED(lookupFromCall);
    notBuilt("station");
}

void AppWindowOpener::openSiteMap(int mapIndex, double siteLat, double siteLon) {
    Q_UNUSED(mapIndex);
    Q_UNUSED(siteLat);
    Q_UNUSED(siteLon);
    notBuilt("site map");
}

void AppWindowOpener::openWebMap(const QString &callsign, const QString &address) {
    Q_UNUSED(callsign);
    Q_UNUSED(address);
    notBuilt("web map");
}

void AppWindowOpener::openSiteSelection(bool galleryPick, int slot, bool wxList) {
    Q_UNUSED(galleryPick);
    Q_UNUSED(slot);
    Q_UNUSED(wxList);
    notBuilt("site selection");
}

void AppWindowOpener::rebuildSiteSelection() {}

void AppWindowOpener::openSiteNews(const QStringList &updatesList, bool updatesFromMain) {
    Q_UNUSED(updatesList);
    Q_UNUSED(updatesFromMain);
    notBuilt("site news");
}

void AppWindowOpener::openAbout() {
    notBuilt("about");
}

void AppWindowOpener::openAddSite() {
    notBuilt("add site");
}

void AppWindowOpener::openEditSite() {
    notBuilt("edit site");
}

void AppWindowOpener::openRemoveSite() {
    notBuilt("remove site");
}

void AppWindowOpener::openOwnPosition() {
    notBuilt("own position");
}

void AppWindowOpener::openPageNames() {
    notBuilt("page names");
}

void AppWindowOpener::openHelp() {
    openOnce<HelpWindow>(windows_, QStringLiteral("HelpWindow"),
                         [this] { return new HelpWindow(readHelpText(state_.paths)); });
}

void AppWindowOpener::openTextMessages(int slot, const QString &slotCallsign) {
    Q_UNUSED(slot);
    Q_UNUSED(slotCallsign);
    notBuilt("text messages");
}

void AppWindowOpener::openLastHeard(int slot) {
    Q_UNUSED(slot);
    notBuilt("last heard");
}

void AppWindowOpener::closeLastHeard() {}

void AppWindowOpener::openPageMap() {
    notBuilt("page map");
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
