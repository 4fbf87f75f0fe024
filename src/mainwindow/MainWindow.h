#pragma once

#include "core/app/MainWindowAccess.h"
#include "core/app/StartupFiles.h"
#include "core/base/FileDialogs.h"
#include "core/thumbs/GridGeometry.h"
#include "platform/PictureTransfer.h"
#include "ui/QtFileDialog.h"

#include <QMainWindow>
#include <QTimer>

#include <chrono>
#include <functional>

namespace tavimo {

struct AppState;
class ClockSetter;
class ConnectionChecker;
class DesktopBridge;
class EmptyListsNote;
class MainMenus;
class PageLoader;
class RefreshSchedule;
class SlotActions;
class ThumbGrid;
class ThumbPointer;
class UpdateServices;
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
    // After a refusal: empty when another copy holds the lock, else a message
    // naming a lock file that no copy could hold, shown in place of "already
    // running" so that the user can remove it.
    std::function<QString()> singleInstanceProblem;
    // Whether the program folder may be written (files left there by older
    // versions are moved out only then).
    std::function<bool(const QString &)> folderWritable = isFolderWritable;
    // Whether the data folder and the folders the pictures go into may be
    // written; the user is told at start-up when one may not.
    std::function<bool(const QString &)> dataFolderWritable = isFolderWritable;
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
// site pictures, and shuts the program down when it closes. The work is done
// by its parts, which this class makes and wires:
//   ThumbGrid       the cells and what they show (ui)
//   ThumbPointer    tips, presses and the pop-up's trigger (ui)
//   MainMenus       the menu bar and pop-ups
//   PageLoader      page loads and the road of each picture (with a SlotFetcher)
//   RefreshSchedule the refresh timers and reload commands
//   SlotActions     what the pop-up and Find menu items do
//   UpdateServices  time page, newer version, site-list news
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

    // --- The parts --------------------------------------------------------------------

    ThumbGrid &grid() const { return *grid_; }
    ThumbPointer &pointer() const { return *pointer_; }
    MainMenus &menus() const { return *menus_; }
    PageLoader &loader() const { return *loader_; }
    RefreshSchedule &schedule() const { return *schedule_; }
    SlotActions &actions() const { return *actions_; }
    UpdateServices &updates() const { return *updates_; }

    double LabelFontSize() const { return labelFontSize_; }
    const FrameExtra &frameExtras() const { return frameExtra_; }
    bool clockRunning() const { return clockTimer.isActive(); }

    // --- MainWindowAccess -------------------------------------------------------------

    QWidget *window() override { return this; }
    void setMainEnabled(bool enabled) override;
    void activateMain() override;
    void StopRefreshTimers() override;
    void StartRefreshTimers() override;
    void resumeRefreshTimers() override;
    void setGalleryLoading(bool running) override;
    void armSitesChanged() override;
    void handOverPickedSite(int siteIndex) override;
    QString pageCaption(int page) const override;
    void setPageCaption(int page, const QString &caption) override;
    void repaintPageItem() override;
    QString slotCallCaption(int slot) const override;
    QString slotFromCaption(int slot) const override;
    void setSlotCallCaption(int slot, const QString &caption) override;
    void clearSlot(int slot) override;
    QRect slotFrameOnScreen(int slot) const override;
    QFont labelFont() const override;
    AnimatedPicture *slotPicture(int slot) override;

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void wireParts();
    void wireMenus();
    // Reads the language file and sets everything that depends on it.
    void LoadLanguageForWindow();
    // Sizes the window for GuiSize and the grid, frame included.
    void fitWindowSize();
    // Fits the window's size to its frame and puts the frame on the screen,
    // centred on a first start.
    void settleOnScreen();
    // The captions' font for the grid's size now.
    void fitCaptions();
    // Every page name and the language's width reserve: what the page item's width follows.
    QStringList pageItemCaptions() const;
    // The new-version notice and its download item in the language of now.
    void showUpdateNotice();
    // Where pictures are saved first: the stored folder while it can be
    // written, else the user's pictures folder (or home), with a trailing "/".
    QString startSaveFolder(const QString &stored) const;
    // The program's icon on its windows.
    void applyProgramIcon();
    // The clock caption: the UTC time "hh:mm", " UTC   " and the Setup word.
    QString clockCaption() const;
    // Every slot of the pass has finished: the update check when one is due,
    // the plain Refresh item.
    void passEnded();
    // Stops every timer and download of the window and its parts.
    void stopEverything();

    // Shows the clock caption and waits for its next change.
    void clockTimer_Timer();
    void showClock();
    void Form_KeyDown(Qt::Key key);
    void mnuPage_Click(int page);
    void mnu5_Click(int index);
    void mnuGUIsizes_Click(int index);
    // A new thumbnail setting or window size: the grid laid out afresh, the page reloaded.
    void relayOutAndReload();
    void mnuLang_Click(int index);

    AppState &state_;
    MainWindowDeps deps_;
    WindowOpener *opener_ = nullptr;
    bool startedUp_ = false;
    bool shutDown_ = false;
    bool shownOnce_ = false;

    ThumbGrid *grid_ = nullptr;
    MainMenus *menus_ = nullptr;
    EmptyListsNote *emptyNote_ = nullptr; // the line over the grid while no site is listed
    ThumbPointer *pointer_ = nullptr;
    PageLoader *loader_ = nullptr;
    RefreshSchedule *schedule_ = nullptr;
    SlotActions *actions_ = nullptr;
    UpdateServices *updates_ = nullptr;

    FrameExtra frameExtra_;
    double labelFontSize_ = 0;
    int nominalGridWidth_ = 0; // the grid's width at the size GuiSize gives
    double captionPoints_ = 0; // the captions' font as last fitted
    bool firstStart_ = false;  // no placement was stored: the window is centred
    QString newerVersion_;     // the version the home page announced, if newer
    QStringList pageWords_;    // the page word of every language
    bool labelsBold_ = true;   // the small size makes them regular for good
    QTimer clockTimer;         // UTC clock caption
};

} // namespace tavimo
