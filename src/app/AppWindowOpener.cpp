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

// ---- Gallery and viewers ------------------------------------------------------------

void AppWindowOpener::openGallery(const GalleryRequest &) {
    notBuilt("gallery");
}

void AppWindowOpener::openPictureViewer(const QString &, int, QPoint) {
    notBuilt("picture viewer");
}

void AppWindowOpener::openCaptionZoom(int) {
    notBuilt("caption zoom");
}

// ---- Stations and maps --------------------------------------------------------------

void AppWindowOpener::openStation(const QString &, bool) {
    notBuilt("station");
}

void AppWindowOpener::openSiteMap(const SiteMapRequest &) {
    notBuilt("site map");
}

void AppWindowOpener::openWebMap(const QString &, const QString &) {
    notBuilt("web map");
}

void AppWindowOpener::openOwnPosition() {
    notBuilt("own position");
}

void AppWindowOpener::openLastHeard(int) {
    notBuilt("last heard");
}

void AppWindowOpener::openPageMap() {
    notBuilt("page map");
}

// ---- Site lists and dialogs -------------------------------------------------------------

void AppWindowOpener::openSiteSelection(const SelectionRequest &) {
    notBuilt("site selection");
}

void AppWindowOpener::openSiteNews(const QStringList &, bool) {
    notBuilt("site news");
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

void AppWindowOpener::openPageNames() {
    notBuilt("page names");
}

void AppWindowOpener::openAbout() {
    notBuilt("about");
}

void AppWindowOpener::openTextMessages(int, const QString &) {
    notBuilt("text messages");
}

// ---- Help and shutdown ------------------------------------------------------------------

void AppWindowOpener::openHelp() {
    openOnce<HelpWindow>(windows_, QStringLiteral("HelpWindow"),
                         [this] { return new HelpWindow(readHelpText(state_.paths)); });
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
