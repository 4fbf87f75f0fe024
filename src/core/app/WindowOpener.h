#pragma once

#include <QPoint>
#include <QString>
#include <QStringList>

namespace tavimo {

// Opens the program's secondary windows for the main window. Each window gets
// what it needs to know as arguments when it opens; it takes nothing from
// shared scratch values later. Every window shows itself modeless; those that
// act as dialogs disable the main window themselves (see MainWindowAccess).
// The program's implementation lives with main(); tests record the calls.
class WindowOpener {
public:
    virtual ~WindowOpener() = default;

    // --- From the menus and the thumbnail pop-up ----------------------------

    // The gallery: 1 to 30 shows the site of that slot (one-based) of the page
    // shown; below 1 shows SiteList[galleryRequest + 1000].
    virtual void openGallery(int galleryRequest) = 0;
    // Closes the gallery when it is open (a page switch does this).
    virtual void closeGallery() = 0;

    // The large picture viewer for a slot's picture file; cursorPos is the
    // pointer on the screen when the thumbnail was pressed.
    virtual void openPictureViewer(const QString &picturePath, int selectedSlot,
                                   QPoint cursorPos) = 0;

    // The enlarged captions of a slot; opening it while it is open changes
    // nothing. Closed again when the pointer leaves the thumbnails.
    virtual void openCaptionZoom(int hoverSlot) = 0;
    virtual void closeCaptionZoom() = 0;

    // The station record of a callsign looked up in the callbooks.
    // lookupFromCall: the callsign is a picture's sender, not the slot's site.
    virtual void openStation(const QString &callsign, bool lookupFromCall) = 0;

    // One site on the regional map mapIndex (an index into the map list); a
    // position of 0, 0 means the site has none.
    virtual void openSiteMap(int mapIndex, double siteLat, double siteLon) = 0;

    // The street or satellite view of a web map address, captioned with the
    // site's callsign.
    virtual void openWebMap(const QString &callsign, const QString &address) = 0;

    // The site-selection grid over SiteList (wxList false) or WxSiteList. A
    // pick is handed back through MainWindowAccess::handOverPickedSite; with
    // galleryPick it opens the gallery, otherwise it fills `slot`.
    virtual void openSiteSelection(bool galleryPick, int slot, bool wxList) = 0;
    // Rebuilds the site-selection grid for the lists and the page shown,
    // without showing it.
    virtual void rebuildSiteSelection() = 0;

    // New, discontinued and changed sites: the sections of the updates list,
    // and whether it came from the maker's host (false: the mirror).
    virtual void openSiteNews(const QStringList &updatesList, bool updatesFromMain) = 0;

    virtual void openAbout() = 0;
    virtual void openAddSite() = 0;
    virtual void openEditSite() = 0;
    virtual void openRemoveSite() = 0;
    virtual void openOwnPosition() = 0;
    virtual void openPageNames() = 0;

    // The bundled help text in a read-only window.
    virtual void openHelp() = 0;

    // --- Windows the main window builds but does not offer -------------------

    // A site's text messages; slotCallsign is the slot's callsign as shown.
    virtual void openTextMessages(int slot, const QString &slotCallsign) = 0;
    // A site's last-heard list, laid over the slot.
    virtual void openLastHeard(int slot) = 0;
    virtual void closeLastHeard() = 0;
    // The page's sites on one map.
    virtual void openPageMap() = 0;

    // How many windows of that name (a class name, letter case ignored) are open.
    virtual int IsFormLoaded(const QString &name) const {
        Q_UNUSED(name);
        return 0;
    }

    // --- Shutdown ---------------------------------------------------------------

    // Hides and closes every window opened here; each runs its own close
    // handling (a dialog that saves does so now).
    virtual void closeAll() = 0;
};

} // namespace tavimo
