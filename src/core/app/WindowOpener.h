#pragma once

#include "core/app/WindowRequests.h"

#include <QPoint>
#include <QString>
#include <QStringList>

namespace tavimo {

// Opens the program's secondary windows for the main window, grouped by the
// part of the program that builds them. Each window gets what it needs to
// know when it opens, as arguments or a request value; it takes nothing from
// shared scratch values later. Every window shows itself modeless; those that
// act as dialogs disable the main window themselves (see MainWindowAccess).
// Every call does nothing unless overridden, so the program's implementation
// (with main()) and the fakes of the tests override only what they offer.

// The gallery and the picture viewers.
class GalleryWindows {
public:
    virtual ~GalleryWindows() = default;

    // The gallery of a site's last pictures.
    virtual void openGallery(const GalleryRequest &) {}
    // Closes the gallery when it is open (a page switch does this).
    virtual void closeGallery() {}
    // The large picture viewer for a slot's picture file; cursorPos is the
    // pointer on the screen when the thumbnail was pressed.
    virtual void openPictureViewer(const QString & /*picturePath*/, int /*selectedSlot*/,
                                   QPoint /*cursorPos*/) {}
    // The large picture viewer for a gallery cell's picture file.
    virtual void openGalleryViewer(const QString & /*picturePath*/, int /*cell*/,
                                   QPoint /*cursorPos*/) {}
    // A slot's or a gallery cell's picture was shown anew: the viewer, when it
    // shows that slot's or cell's picture, shows the new one.
    virtual void pictureShown(const ViewerSource & /*source*/, const QString & /*picturePath*/) {}
    // The enlarged captions of a slot; opening it while it is open changes
    // nothing. Closed again when the pointer leaves the thumbnails.
    virtual void openCaptionZoom(int /*hoverSlot*/) {}
    virtual void closeCaptionZoom() {}
};

// Stations and maps.
class StationWindows {
public:
    virtual ~StationWindows() = default;

    // The station record of a callsign looked up in the callbooks.
    // lookupFromCall: the callsign is a picture's sender, not the slot's site.
    virtual void openStation(const QString & /*callsign*/, bool /*lookupFromCall*/) {}
    // One site on a regional map.
    virtual void openSiteMap(const SiteMapRequest &) {}
    // The street or satellite view of a web map address, captioned with the
    // site's callsign.
    virtual void openWebMap(const QString & /*callsign*/, const QString & /*address*/) {}
    // The user's own callsign, position and unit.
    virtual void openOwnPosition() {}
    // A site's last-heard list, laid over the slot (built, not offered).
    virtual void openLastHeard(int /*slot*/) {}
    virtual void closeLastHeard() {}
    // The page's sites on one map (built, not offered).
    virtual void openPageMap() {}
};

// The site lists and their dialogs.
class SiteWindows {
public:
    virtual ~SiteWindows() = default;

    // The site-selection grid; a pick is handed back through
    // MainWindowAccess::handOverPickedSite.
    virtual void openSiteSelection(const SelectionRequest &) {}
    // Rebuilds the site-selection grid for the lists and the page shown,
    // without showing it, once the grid has been opened and the caller's work
    // is done (a change of the lists announced meanwhile makes the same build).
    virtual void rebuildSiteSelection() {}
    // New, discontinued and changed sites: the sections of the updates list,
    // and whether it came from the maker's host (false: the mirror).
    virtual void openSiteNews(const QStringList & /*updatesList*/, bool /*updatesFromMain*/) {}
    virtual void openAddSite() {}
    virtual void openEditSite() {}
    virtual void openRemoveSite() {}
    virtual void openPageNames() {}
    virtual void openAbout() {}
    // A site's text messages; slotCallsign is the slot's callsign as shown
    // (built, not offered).
    virtual void openTextMessages(int /*slot*/, const QString & /*slotCallsign*/) {}
};

class WindowOpener : public GalleryWindows, public StationWindows, public SiteWindows {
public:
    // The bundled help text in a read-only window.
    virtual void openHelp() {}

    // How many windows of that name (a class name, letter case ignored) are open.
    virtual int IsFormLoaded(const QString & /*name*/) const { return 0; }

    // Hides and closes every window opened here; each runs its own close
    // handling (a dialog that saves does so now).
    virtual void closeAll() {}
};

} // namespace tavimo
