#pragma once

#include "core/app/MainWindowAccess.h"
#include "core/app/StartupFiles.h"
#include "core/base/FileDialogs.h"
#include "core/net/UpdateCheck.h"
#include "core/text/Language.h"
#include "core/thumbs/DownloadKeys.h"
#include "core/thumbs/GridGeometry.h"
#include "core/thumbs/PagePlan.h"
#include "core/thumbs/RefreshTimers.h"
#include "core/thumbs/SlotAssignment.h"
#include "core/thumbs/ThumbTip.h"
#include "platform/PictureTransfer.h"
#include "ui/QtFileDialog.h"

#include <QHash>
#include <QList>
#include <QMainWindow>
#include <QMap>
#include <QThreadPool>
#include <QTimer>

#include <chrono>
#include <functional>
#include <optional>

class QAction;
class QLabel;
class QMenu;

namespace tavimo {

struct AppState;
class ClockSetter;
class ConnectionChecker;
class CornerMenuButton;
class DesktopBridge;
class DownloadControl;
class ThumbCell;
class WindowOpener;

// What the main window needs of the world outside the shared data; main()
// hands in the real services, tests their fakes.
struct MainWindowDeps {
    // Opens the other windows; falls back to AppState::opener when null.
    WindowOpener *opener = nullptr;
    // The start-up connection check; null counts as online.
    ConnectionChecker *connectionChecker = nullptr;
    // Takes the single-instance lock: false when another copy runs. Empty
    // means there is no other copy.
    std::function<bool()> acquireSingleInstance;
    // Whether the program folder may be written (files left there by older
    // versions are moved out only then).
    std::function<bool(const QString &)> folderWritable = isFolderWritable;
    // For the time page's answer and the paste commands.
    ClockSetter *clockSetter = nullptr;
    DesktopBridge *desktop = nullptr;
    // Asks where a picture is saved; tests answer without a dialog.
    ShowFileDialogFunction showFileDialog = qtFileDialog;
    // Takes the picture that is pasted; the system clipboard unless replaced.
    ClipboardWriter clipboard = writeToClipboard;
    // Ends the program once shutdown is done; QCoreApplication::quit when empty.
    std::function<void()> quit;
    // Tick intervals of the two refresh timers.
    std::chrono::milliseconds sstvTick = std::chrono::seconds(1);
    std::chrono::milliseconds wxTick = std::chrono::minutes(1);
};

// The thumbnail grid with its menus: starts the program up, shows one page of
// site pictures, and shuts the program down when it closes.
class MainWindow : public QMainWindow, public MainWindowAccess {
    Q_OBJECT

public:
    MainWindow(AppState &state, MainWindowDeps deps, QWidget *parent = nullptr);
    ~MainWindow() override;

    // Brings every setting, list and folder into its working state, checks the
    // connection and loads the start page. False when the program must end at
    // once (another copy runs, the SSTV list is missing, the user gave up at
    // the connection check); nothing has been saved then, and nothing will be.
    // The caller shows the window after a true answer.
    bool startUp();
    bool isStartedUp() const { return startedUp_; }

    // Stops every timer and download, closes the other windows, saves the
    // configuration, lists and settings, removes the cached pictures and ends
    // the program. Runs when the window closes; at most once, and never after
    // an early exit of startUp().
    void shutDown();
    bool hasShutDown() const { return shutDown_; }

    // Sizes the window for GuiSize and the thumbnail setting (1 to 4: 5, 10,
    // 15 or 24 slots) and builds that many empty cells. A setting outside 1..4
    // keeps the grid it has.
    void LayoutMainWindow(int setting);
    // Empties every cell in place, the window and the number of cells unchanged.
    void ArrangeThumbnailGrid();

    // The page loaders: they place the sites of the page shown into their
    // slots and start their downloads.
    void LoadSstvPage();
    void LoadWxPage();

    // --- Read-outs -----------------------------------------------------------------

    const QList<ThumbCell *> &cells() const { return cells_; }
    ThumbCell *cell(int slot) const;
    const ThumbLayout &gridLayout() const { return layout_; }
    int GridRows() const { return layout_.gridRows; }
    int GridCols() const { return layout_.gridCols; }
    double LabelFontSize() const { return labelFontSize_; }
    int PageLabelWidth() const { return pageLabelWidth_; }
    const FrameExtra &frameExtras() const { return frameExtra_; }
    QWidget *picAll() const { return picAll_; }
    RefreshTimers &refreshTimers() { return refresh_; }
    CornerMenuButton *clockButton() const { return clock_; }
    DownloadControl *updatesControl() const { return ucUpdates; }
    // A menu item by its name ("mnuRefresh") and, for a menu array, its index
    // ("mnuPage", 11). For a submenu this is its menu action. Null when unknown.
    QAction *menuItem(const QString &name, int index = -1) const;
    // A submenu by name ("mnuSetup", "mnuPopMenu"), or null.
    QMenu *menu(const QString &name) const;
    // The Setup caption: the UTC time "hh:mm", " UTC   " and the Setup word.
    QString clockCaption() const;

    // --- MainWindowAccess -------------------------------------------------------------

    QWidget *window() override { return this; }
    void setMainEnabled(bool enabled) override;
    void activateMain() override;
    void StopRefreshTimers() override;
    void StartRefreshTimers() override;
    void resumeRefreshTimers() override;
    void armSitesChanged() override;
    void handOverPickedSite(int siteIndex) override;
    QString pageCaption(int page) const override;
    void setPageCaption(int page, const QString &caption) override;
    void repaintPageItem() override;
    QString slotCallCaption(int slot) const override;
    QString slotFromCaption(int slot) const override;
    void clearSlot(int slot) override;
    QRect slotFrameOnScreen(int slot) const override;
    QFont labelFont() const override;
    AnimatedPicture *slotPicture(int slot) override;

    // --- The road of a picture: page loading, slot fetch and display ----------------

    // Fetches the picture of slot `SelectedSlot` again (the slot menu's
    // refresh, a click on a "Not found" slot). It is not counted in the pass.
    void StartSlotFetch();
    // Starts a pass over these slots: the loaders do, and assigning a site to
    // a slot runs a pass of that one slot. Each slot then counts once,
    // however it ends, and the end-of-pass rule runs once when all have. A
    // pass over no slot has no end: its caller puts the plain Refresh item back.
    void startPagePass(const QList<int> &slotList);
    // Requests the picture of SiteList[site] for an SSTV slot of the page
    // shown, under the key that ties the answer to both.
    void requestSlotPicture(int slot, int site);
    // Shows a stored slot picture, still or animated, fitted into the cell;
    // the placeholder when it cannot be shown. `site` is the SiteList index
    // for the age (SSTV pages only).
    // `picture` holds the bytes of `file`, which may still be on its way to
    // the disk.
    void ShowSlotPicture(const QString &file, int slot, int site, const QByteArray &picture);
    // Waits until every slot picture handed to the writer is on disk; anything
    // that reads slot files (viewer, save, paste, clean-up) calls it first.
    void flushSlotPictures();
    // The age caption and old-picture frame of an SSTV slot.
    void ShowPictureAge(int slot, int site);
    // The "not found" placeholder; counts the slot as finished. pictureRead:
    // the download worked but the picture cannot be shown.
    void ShowNotFound(int slot, int site, bool pictureRead);
    const PassCounter &pagePass() const { return pass_; }

    // --- Refresh schedule, menus, update check and clock -----------------------------
    // (public members of that work go here)

    // Looks for a newer version on the maker's home page and for news of the
    // site list in the updates list (its mirror when the list fails or is too
    // old). Runs at the end of the first whole pass after start-up, a Refresh
    // or a change of the site lists.
    void CheckForUpdates();
    // Asks the web time page for the time; its answer sets the clock.
    void requestTimePage();

    // Blinks the frame of `slot` blue and in its own colour, ten times in
    // three seconds, to show where a site picked from the alphabetical list is.
    void startSlotBlink(int slot);
    // The blink, while it runs: the slot, the ticks so far and the frame's own colour.
    int BlinkSlot = -1;
    int BlinkCount = 0;
    QColor BlinkColour;

    // The sites placed on the SSTV page shown, one entry each: the callsign as
    // stored, four blanks and the slot counted from 1. The page loader fills
    // it; F2 shows it as the alphabetical list.
    QStringList List1;

    // Called just before every reload the window starts on its own (refresh
    // timers, Refresh, the menus): wxPage says which loader runs.
    std::function<void(bool wxPage)> onReload;
    // Opens an address in the desktop's web browser; QDesktopServices when empty.
    std::function<bool(const QString &address)> openExternalUrl;

    // --- Thumbnail hover, click and pop-up; slot assignment; maps; save and paste ----

    // The pointer moves over a slot's picture, still or animated: prepares the
    // slot's tip, or with Ctrl alone opens its enlarged captions.
    void img_MouseMove(int Index, int Shift);
    // A button goes down on a slot's picture: the viewer, a fresh fetch of a
    // failed slot, or the slot's pop-up menu (any button but the left one).
    void img_MouseDown(int Index, int Button, int Shift);
    // The pointer is over the grid's background: the tip goes, the enlarged
    // captions close.
    void picAll_MouseMove();

    // The tip under a hovered thumbnail, and what the pointer has done so far.
    QLabel *tipLabel() const { return lblToolTip; }
    const ThumbHover &thumbHover() const { return hover_; }
    // The site position of the slot last clicked, as the pop-up's map items use it.
    SitePosition popUpPosition() const { return popUpPosition_; }

    // The region map the last map location looked for ("Europe Map").
    QString MapName;

    // Timers named after their role; the handlers below run on their ticks.
    QTimer siteNewsTimer;     // one shot: open the site-news dialog
    QTimer blinkTimer;        // 150 ms blink of a slot frame
    QTimer clockTimer;        // UTC clock caption
    QTimer sitesChangedTimer; // one shot: reload after the site lists changed
    QTimer tipShowTimer;      // hover tip delay
    QTimer tipHideTimer;      // hover tip lifetime
    QTimer sitePickTimer;     // one shot: apply the site picked in the selection grid

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildMenus();
    QAction *addItem(QMenu *menu, const QString &name, int index, const QString &caption);
    QMenu *addSubmenu(QMenu *parent, const QString &name, int index, const QString &caption);
    void registerItem(const QString &name, int index, QAction *action);
    void applyMenuCaptions(const MenuCaptions &captions);

    // Reads the language file and sets everything that depends on it.
    void LoadLanguageForWindow();
    void placeCells();
    // Sizes the window for GuiSize and the grid, frame included.
    void fitWindowSize();
    QColor backColor() const;
    void emptyCell(ThumbCell &cell);
    int currentPageIndex() const;
    WindowOpener *opener() const;

    // Event handlers, filled by the page, fetch and update logic.
    void Timer3_Timer();
    void Timer5_Timer();
    void Timer9_Timer();
    void ucUpdates_updatesReady(const QString &key, const QByteArray &bytes);
    void ucUpdates_noUpdates(const QString &key);

    // --- The road of a picture (private) ----------------------------------------------

    // Writes slot picture files one after the other, away from the window's
    // thread, so that a pass never waits for the disk.
    QThreadPool slotFileWriter_;
    void writeSlotPictureLater(const QString &file, const QByteArray &picture);

    // What a request was made for: an answer whose slot shows another site or
    // another page by now is not applied.
    struct SlotRequest {
        int page = 0;
        QString call; // the site's callsign as stored (WX: its name)
    };

    void connectPageRoad();
    void ucCkNew_PictureReady(const QString &Ky);
    void ucCkNew_NoCkNew(const QString &id);
    void ucDnLoad_NoImage(const QString &id);
    void ucDnLoad_Progress(const QString &id, qint64 BytesMax, qint64 BytesDone);
    void ucDnLoad_PictureReady(const QString &id, const QByteArray &bytes);
    void requestCheckPicture(int slot, int site, const QString &url);
    void requestWxPicture(int slot, const QString &url, const QString &name);
    // The slot and site an answer may still be applied to. An answer that no
    // longer fits its slot is dropped, but the slot still counts.
    enum class AnswerUse { Outcome, Progress };
    std::optional<SlotTarget> checkAnswerTarget(const QString &key);
    std::optional<SlotTarget> pictureAnswerTarget(const QString &key, AnswerUse use);
    bool requestStillFits(const std::optional<SlotRequest> &request, const SlotTarget &target);
    void dropAnswer(int slot);
    void finishSlot(int slot);
    void applyEndOfPassRule();
    void mirrorPassCounts();

    PassCounter pass_;
    bool passEndApplied_ = false;
    bool strayImage1Checked_ = false;
    QHash<QString, SlotRequest> checkRequests_;
    QHash<QString, SlotRequest> pictureRequests_;

    // --- Refresh schedule, menus, update check and clock (private) -------------------

    // Connects the refresh timers, the menus, F2 and F5 and the update check
    // to their handlers; runs once, after the menus are built.
    void connectRefreshAndMenus();
    void connectMainMenus();

    // The refresh timers' ticks.
    void Timer6_Timer();
    void Timer4_Timer();
    // The reload shared by the refresh commands: on an SSTV page the Refresh
    // item shows its loading look; nothing is loaded while offline.
    void commonReload();
    // The reload after a page, layout or language change: the loading look on
    // either kind of page, nothing while offline.
    void reloadAfterChange();
    void loadSstv();
    void loadWx();
    void restartRefreshIfAutomatic();
    void clearHoverState();

    void mnuRate_Click(int index);
    void mnuRefresh_Click();
    void mnuReloadPage_Click();
    void mnuRefreshSite_Click();
    void Form_KeyDown(int key);
    void showAlphaList();
    void Timer2_Timer();
    // Ends a running blink at once, the frame back in its own colour.
    void stopSlotBlink();

    void mnuPage_Click(int index);
    void mnu5_Click(int index);
    void mnuGUIsizes_Click(int index);
    void mnuLang_Click(int index);
    void mnuSetup_Click();
    void mnustartDSSTV_Click();
    void mnustartWX_Click();
    void mnuHelp_Click();
    void mnuAbout_Click();
    void mnuAdd_Click();
    void mnuEdit_Click();
    void mnuRemove_Click();
    void mnuLatLon_Click();
    void mnupgSel_Click();
    void mnuQrzCall_Click();
    void mnuLast15_Click();

    void timePageReady(const QByteArray &page);
    void homePageReady(const QByteArray &page);
    void applyUpdateDecision(const UpdateDecision &decision, const QByteArray &bytes);
    void Timer1_Timer();
    void mnuUpTavimo_Click();

    UpdateCheck updateCheck_;
    bool clockChecked_ = false; // the time page is taken once per start
    // `UpdatesList`: the sections of an accepted list with news, kept until
    // the site-news window opens with them; `UpdatesFromMain`: whether it came
    // from the maker's host rather than the mirror.
    QStringList UpdatesListSections;
    bool UpdatesFromMain = true;

    // --- Thumbnail hover, click and pop-up; slot assignment; maps (private) ----------

    void connectThumbActions();
    // Gives a cell's picture and frame to the hover and click handlers (once per cell).
    void wireThumbCell(ThumbCell &cell);
    // Mouse moves and presses on the thumbnails and the grid's background.
    bool thumbEventFilter(QObject *watched, QEvent *event);
    ThumbContext thumbContext() const;
    ThumbSlotState thumbSlotState(int slot) const;
    void applyTip(int slot, const ThumbTipPlan &tip);
    void applyPopUp(const ThumbPopUp &popUp);
    // The map views item's caption as the language gives it ("??" the callsign).
    QString earthViewTemplate();
    void showSlotViewer(int slot, const QString &path, QPoint cursorPos);
    void Timer7_Timer();
    void Timer8_Timer();

    void mnuMapLoc_Click();
    void mnuStView_Click(int Index);
    void mnuSave_Click();
    void mnuPaste_Click();
    PictureTransferContext transferContext();
    void mnuLeaveBlank_Click();
    void mnuSelectSite_Click();
    void mnuAll_Click();
    void mnuAlphaList_Click(int Index);
    // Puts the picked site into the slot the pick was captured for, and
    // fetches that slot alone.
    void assignPickedSite(const SitePick &pick, int siteIndex);

    ThumbHover hover_;
    QLabel *lblToolTip = nullptr;
    // Fixed at the click that opened the pop-up, for its map items.
    SitePosition popUpPosition_;
    // Fixed when the site-selection grid opened: where its pick goes.
    std::optional<SitePick> sitePick_;
    QString earthViewTemplate_;
    QString earthViewShown_;

    AppState &state_;
    MainWindowDeps deps_;
    RefreshTimers refresh_;
    bool startedUp_ = false;
    bool shutDown_ = false;
    bool shownOnce_ = false;

    DownloadControl *ucDnLoad = nullptr;  // slot pictures
    DownloadControl *ucCkNew = nullptr;   // check pictures
    DownloadControl *ucUpdates = nullptr; // time page, home page, updates list

    QWidget *picAll_ = nullptr;
    QList<ThumbCell *> cells_;
    ThumbLayout layout_;
    FrameExtra frameExtra_;
    double labelFontSize_ = 0;
    bool labelsBold_ = true; // the small size makes them regular for good
    int pageLabelWidth_ = 0; // only ever grows
    int pickedSite_ = -1;    // the pick handed over, until sitePickTimer fires
    QString ClockText;

    QMap<MenuItemKey, QAction *> menuItems_;
    QMap<QString, QMenu *> menus_;
    CornerMenuButton *clock_ = nullptr;
    QMenu *mnuPg = nullptr;
    QMenu *mnuSetup = nullptr;
    QMenu *mnuUpdate = nullptr;
    QAction *mnuRefresh = nullptr;
    QList<QAction *> mnuPage; // 1 to 11; element 0 unused
};

} // namespace tavimo
