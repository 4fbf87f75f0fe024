#pragma once

#include "core/app/WindowRequests.h"
#include "core/base/FileDialogs.h"
#include "core/thumbs/ThumbTip.h"
#include "platform/PictureTransfer.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>

class QWidget;

namespace tavimo {

struct AppState;
class DesktopBridge;
class MainMenus;
class PageLoader;
class RefreshSchedule;
class ThumbGrid;
class WindowOpener;

// What the slot pop-up and the Find menu do: remember what a press selected,
// put a picked site into a slot or empty it, open the site-selection grid and
// act on its pick, show where a site lies on a region map or a web map, open
// the gallery or the station look-up for the slot, find a site of the page
// and blink its slot, and save or paste a slot's picture.
class SlotActions : public QObject {
    Q_OBJECT

public:
    // The window's parts this works with; each must outlive it.
    struct Parts {
        AppState &state;
        ThumbGrid &grid;
        PageLoader &loader;
        MainMenus &menus;
        RefreshSchedule &schedule;
        WindowOpener *opener = nullptr;
        QWidget *window = nullptr; // owner of the save dialog
    };
    // How a picture leaves the program: the save dialog, the desktop that
    // receives the paste keystrokes (may be null), the clipboard.
    struct Transfer {
        ShowFileDialogFunction showFileDialog;
        DesktopBridge *desktop = nullptr;
        ClipboardWriter clipboard;
    };

    SlotActions(Parts parts, Transfer transfer, QObject *parent = nullptr);

    // A press on a slot: it is the selected slot now, and its pop-up items
    // point at its site as it is now.
    void slotPressed(const ThumbClickPlan &plan);
    // The site position of the slot last pressed, as the pop-up's map items use it.
    SitePosition popUpPosition() const { return popUpSite_.position; }

    // The site-selection grid and its pick.
    void mnuSelectSite_Click();
    void mnuAll_Click();
    void handOverPickedSite(int siteIndex);
    bool pickPending() const { return sitePickTimer.isActive(); }

    void mnuLeaveBlank_Click();
    // Find: the alphabetical list of the page's sites, and a site chosen from it.
    void showAlphaList();
    void mnuAlphaList_Click(int Index);

    void mnuMapLoc_Click();
    void mnuStView_Click(int Index);
    void mnuQrzCall_Click();
    void mnuLast15_Click();
    void mnuSave_Click();
    void mnuPaste_Click();

    // The pending pick dropped (shutdown).
    void stop() { sitePickTimer.stop(); }

    // The region map the last map location looked for ("Europe Map").
    QString MapName;

private:
    void sitePickTimer_Timer();
    void openSelection(bool galleryPick);
    PictureTransferContext transferContext();

    Parts parts_;
    Transfer transfer_;
    // Fixed at the press that opened the pop-up, for its map items.
    struct PopUpSite {
        SitePosition position;
        QString callsign;
    } popUpSite_;
    // Fixed when the site-selection grid opened: where its pick goes.
    std::optional<SelectionRequest> sitePick_;
    int pickedSite_ = -1; // the pick handed over, until sitePickTimer fires
    QTimer sitePickTimer; // one shot: apply the site picked in the selection grid
};

} // namespace tavimo
