#pragma once

#include <QFont>
#include <QRect>
#include <QString>

class QWidget;

namespace tavimo {

class AnimatedPicture;

// What the secondary windows may read and change of the main window. They
// reach it only through this interface, never through the main window's own
// class, so they build without it and tests can stand in for it.
class MainWindowAccess {
public:
    virtual ~MainWindowAccess() = default;

    // --- The window itself ------------------------------------------------------

    // The main window, to place a window beside it or read its state and
    // background colour.
    virtual QWidget *window() = 0;
    // Dialogs disable the main window while they are open and enable it again
    // when they close; the dialogs themselves have no parent, so they stay usable.
    virtual void setMainEnabled(bool enabled) = 0;
    // Brings the main window to the front and gives it the keyboard focus.
    virtual void activateMain() = 0;

    // --- Refreshing ---------------------------------------------------------------

    // Both refresh timers off (a dialog that changes sites or settings opens).
    virtual void StopRefreshTimers() = 0;
    // The timer of the page shown on, whatever the refresh mode.
    virtual void StartRefreshTimers() = 0;
    // StartRefreshTimers when refreshing is automatic: what a dialog does when
    // it closes.
    virtual void resumeRefreshTimers() = 0;

    // --- The Refresh item ----------------------------------------------------------

    // The gallery's downloads show on the Refresh item: its loading look while
    // a gallery pass runs (`running`); when the pass ends, the plain item again
    // unless the page's own pass is still running (its end restores it then).
    virtual void setGalleryLoading(bool /*running*/) {}

    // --- Results handed back ------------------------------------------------------

    // The site lists changed: shortly after, the main window reloads its page
    // from scratch and checks for updates again.
    virtual void armSitesChanged() = 0;
    // The site-selection grid picked the list entry siteIndex; the main window
    // applies it shortly after, outside the caller's handler.
    virtual void handOverPickedSite(int siteIndex) = 0;

    // --- Page names -------------------------------------------------------------------

    // The caption of the page item `page` (1 to 10 the SSTV pages, 11 the WX page).
    virtual QString pageCaption(int page) const = 0;
    virtual void setPageCaption(int page, const QString &caption) = 0;
    // Paints the menu-bar item of the page shown again from its caption.
    virtual void repaintPageItem() = 0;

    // --- Thumbnail slots ------------------------------------------------------------------

    // The callsign label of a slot (callsign as shown, maybe followed by the
    // picture's age) and its sender label; empty for a slot the page lacks.
    virtual QString slotCallCaption(int slot) const = 0;
    virtual QString slotFromCaption(int slot) const = 0;
    // Sets the callsign label of a slot (a renamed site shows its new name at
    // once); a slot the page lacks is ignored.
    virtual void setSlotCallCaption(int slot, const QString &caption) = 0;
    // Empties a slot whose site is gone: picture, animation, captions, frame
    // colour, and the slot's site callsign in the slot table.
    virtual void clearSlot(int slot) = 0;
    // A slot's frame on the screen, in pixels; empty for a slot the page lacks.
    virtual QRect slotFrameOnScreen(int slot) const = 0;
    // The font of the thumbnails' callsign labels.
    virtual QFont labelFont() const = 0;
    // The animated-picture part of a slot (which holds the slot's picture after
    // a click, still or animated), or null.
    virtual AnimatedPicture *slotPicture(int slot) = 0;
};

} // namespace tavimo
