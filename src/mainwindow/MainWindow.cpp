#include "mainwindow/MainWindow.h"

#include "core/app/AppState.h"
#include "core/app/SaveAppState.h"
#include "core/app/SaveConfig.h"
#include "core/app/WindowOpener.h"
#include "core/base/Prompts.h"
#include "core/files/AppPaths.h"
#include "core/files/Config.h"
#include "core/files/SettingsStore.h"
#include "core/sites/SiteLists.h"
#include "core/thumbs/SlotFetcher.h"
#include "mainwindow/CaptionFit.h"
#include "mainwindow/EmptyListsNote.h"
#include "mainwindow/Logging.h"
#include "mainwindow/MainMenus.h"
#include "mainwindow/PageLoader.h"
#include "mainwindow/PageNames.h"
#include "mainwindow/RefreshSchedule.h"
#include "mainwindow/SlotActions.h"
#include "mainwindow/UpdateServices.h"
#include "platform/ConnectionChecker.h"
#include "ui/AnimatedPicture.h"
#include "ui/CornerMenu.h"
#include "ui/FramePlacement.h"
#include "ui/MenuBarPainter.h"
#include "ui/Placement.h"
#include "ui/ThumbCell.h"
#include "ui/ThumbGrid.h"
#include "ui/ThumbPointer.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QMoveEvent>
#include <QResizeEvent>
#include <QShortcut>

#include <algorithm>

namespace tavimo {

namespace {

const QString kTitle = QStringLiteral("Tavimo");

// The clock caption shows minutes: it changes at each minute's start, and is
// looked at every 15 s besides, so that a clock set meanwhile shows soon.
constexpr qint64 kMinuteMs = 60'000;
constexpr qint64 kClockLookMs = 15'000;
constexpr qint64 kClockMarginMs = 5;

// The menu bar's height for the window's width: the window's client area
// below it is the grid. Measured from the bar, not from the grid widget,
// which the window lays out only once it is shown.
int menuBarHeight(QMenuBar *bar, int width) {
    const int forWidth = bar->heightForWidth(width);
    return forWidth > 0 ? forWidth : bar->sizeHint().height();
}

} // namespace

MainWindow::MainWindow(AppState &state, MainWindowDeps deps, QWidget *parent)
    : QMainWindow(parent), state_(state), deps_(std::move(deps)) {
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(kTitle);
    state_.mainWindow = this;
    opener_ = deps_.opener ? deps_.opener : state_.opener;

    grid_ = new ThumbGrid(this);
    setCentralWidget(grid_);
    menus_ = new MainMenus(*this, state_.config);
    emptyNote_ = new EmptyListsNote(*grid_, state_, *menus_->mnuAdd);
    pointer_ = new ThumbPointer(
        *grid_,
        [this] {
            return ThumbContext{state_.page.SlotTable, state_.SiteList, state_.config, state_.texts,
                                state_.page.isWxPage()};
        },
        state_.paths, opener_, this);
    pointer_->setEarthViewCaption([this] { return menus_->earthViewTemplate(); });
    loader_ = new PageLoader(state_, *grid_, opener_, this);
    schedule_ = new RefreshSchedule(state_, *loader_, deps_.sstvTick, deps_.wxTick, this);
    actions_ = new SlotActions({state_, *grid_, *loader_, *menus_, *schedule_, opener_, this},
                               {deps_.showFileDialog, deps_.desktop, deps_.clipboard}, this);
    updates_ = new UpdateServices(state_, deps_.clockSetter, opener_, this);

    clockTimer.setSingleShot(true);
    clockTimer.setTimerType(Qt::PreciseTimer);
    connect(&clockTimer, &QTimer::timeout, this, &MainWindow::clockTimer_Timer);
    wireParts();
    wireMenus();
}

MainWindow::~MainWindow() {
    if (state_.mainWindow == this)
        state_.mainWindow = nullptr;
}

// ---- Wiring ----------------------------------------------------------------------------

void MainWindow::wireParts() {
    connect(pointer_, &ThumbPointer::slotFilesNeeded, loader_, &PageLoader::flushSlotPictures);
    connect(pointer_, &ThumbPointer::slotPressed, actions_, &SlotActions::slotPressed);
    connect(pointer_, &ThumbPointer::refetchRequested, loader_, &PageLoader::StartSlotFetch);
    connect(pointer_, &ThumbPointer::popUpRequested, this,
            [this](QPoint at) { menus_->mnuPopMenu->popup(at); });

    connect(loader_, &PageLoader::passEnded, this, &MainWindow::passEnded);
    connect(loader_, &PageLoader::nothingToLoad, menus_, &MainMenus::showPlainRefresh);
    connect(loader_, &PageLoader::slotReassigned, this, [this](int slot) {
        pointer_->forgetTip(slot);
        if (opener_)
            opener_->closeCaptionZoom();
        menus_->showLoadingLook();
    });
    // A pass redraws every slot's captions: enlarged ones would be stale.
    connect(&state_.events, &AppEvents::pageShown, this, [this] {
        if (opener_)
            opener_->closeCaptionZoom();
    });

    connect(schedule_, &RefreshSchedule::loadingLookWanted, menus_, &MainMenus::showLoadingLook);
    connect(schedule_, &RefreshSchedule::hoverReset, pointer_, &ThumbPointer::clearHover);
    connect(schedule_, &RefreshSchedule::rateChanged, this, [this] {
        menus_->setRefreshCaption(refreshMenuCaption(state_.texts, state_.config.AutoRefreshMode,
                                                     state_.config.RefreshSeconds));
    });

    connect(updates_, &UpdateServices::newerVersionFound, this, [this](const QString &version) {
        newerVersion_ = version;
        showUpdateNotice();
    });
    connect(updates_, &UpdateServices::noNewerVersion, this, [this] {
        newerVersion_.clear();
        menus_->hideUpdateNotice();
    });

    // New cells: their sender and waiting lines sit at the foot of the cell,
    // clear of the callsign line, and the captions take the grid's scale.
    connect(grid_, &ThumbGrid::cellsMade, this, [this] {
        for (ThumbCell *cell : grid_->cells()) {
            cell->lblFrom->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
            cell->lblConnect()->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        }
    });
    grid_->installEventFilter(this);

    // The keys work wherever the focus is in the main window, as its menus do.
    for (const Qt::Key key : {Qt::Key_F5, Qt::Key_F2}) {
        auto *shortcut = new QShortcut(QKeySequence(key), this);
        connect(shortcut, &QShortcut::activated, this, [this, key] { Form_KeyDown(key); });
    }
}

void MainWindow::wireMenus() {
    MainMenus &m = *menus_;
    const auto onClick = [this](QAction *item, auto handler) {
        connect(item, &QAction::triggered, this, handler);
    };
    const auto onEach = [this](const QList<QAction *> &items, auto handler) {
        for (int i = 0; i < items.size(); ++i)
            connect(items[i], &QAction::triggered, this, [handler, i] { handler(i); });
    };

    onEach(m.mnuPage, [this](int i) { mnuPage_Click(i + 1); });
    onEach(m.mnu5, [this](int i) { mnu5_Click(i); });
    onEach(m.mnuGUIsizes, [this](int i) { mnuGUIsizes_Click(i); });
    onEach(m.mnuLang, [this](int i) { mnuLang_Click(i); });
    onEach(m.mnuRate, [this](int i) { schedule_->mnuRate_Click(i); });
    onClick(m.mnuRefresh, [this] { schedule_->mnuRefresh_Click(); });
    onClick(m.mnuReloadPage, [this] { schedule_->mnuReloadPage_Click(); });
    // Refreshing one site touches neither the timers nor the pass.
    onClick(m.mnuRefreshSite, [this] { loader_->StartSlotFetch(); });
    onClick(m.mnustartDSSTV, [this] { state_.config.StartPage = 0; });
    onClick(m.mnustartWX, [this] { state_.config.StartPage = 1; });
    onClick(m.mnuUpTavimo, [this] { updates_->mnuUpTavimo_Click(); });

    // The pop-up and the Find menu.
    onClick(m.mnuMapLoc, [this] { actions_->mnuMapLoc_Click(); });
    onEach(m.mnuStView, [this](int i) { actions_->mnuStView_Click(i); });
    onClick(m.mnuQrzCall, [this] { actions_->mnuQrzCall_Click(); });
    onClick(m.mnuLast15, [this] { actions_->mnuLast15_Click(); });
    onClick(m.mnuSave, [this] { actions_->mnuSave_Click(); });
    onClick(m.mnuPaste, [this] { actions_->mnuPaste_Click(); });
    onClick(m.mnuLeaveBlank, [this] { actions_->mnuLeaveBlank_Click(); });
    onClick(m.mnuSelectSite, [this] { actions_->mnuSelectSite_Click(); });
    onClick(m.mnuAll, [this] { actions_->mnuAll_Click(); });
    onClick(m.mnuThisPage, [this] { actions_->showAlphaList(); });
    onEach(m.mnuAlphaList, [this](int i) { actions_->mnuAlphaList_Click(i); });

    // The other windows.
    const auto opens = [this, &onClick](QAction *item, void (*open)(WindowOpener &)) {
        onClick(item, [this, open] {
            if (opener_)
                open(*opener_);
        });
    };
    opens(m.mnuHelp, [](WindowOpener &o) { o.openHelp(); });
    opens(m.mnuAbout, [](WindowOpener &o) { o.openAbout(); });
    opens(m.mnuAdd, [](WindowOpener &o) { o.openAddSite(); });
    opens(m.mnuEdit, [](WindowOpener &o) { o.openEditSite(); });
    opens(m.mnuRemove, [](WindowOpener &o) { o.openRemoveSite(); });
    opens(m.mnuLatLon, [](WindowOpener &o) { o.openOwnPosition(); });
    opens(m.mnupgSel, [](WindowOpener &o) { o.openPageNames(); });
}

// ---- Language and clock ----------------------------------------------------------------

void MainWindow::showUpdateNotice() {
    const LanguageTexts &texts = state_.texts;
    menus_->showUpdateNotice(QStringLiteral("   ") + texts.LngUpdate + QStringLiteral("   "),
                             texts.LngNewVersion + QStringLiteral("Tavimo ") + newerVersion_);
}

QString MainWindow::clockCaption() const {
    return state_.utcNow().toUTC().toString(QStringLiteral("hh:mm")) + QStringLiteral(" UTC   ") +
           state_.texts.LngSetup;
}

void MainWindow::clockTimer_Timer() {
    showClock();
    // Just past the next minute's start, or the next look, whichever is first.
    const qint64 intoMinute = state_.utcNow().toMSecsSinceEpoch() % kMinuteMs;
    clockTimer.start(int(std::min(kMinuteMs - intoMinute + kClockMarginMs, kClockLookMs)));
}

void MainWindow::showClock() {
    menus_->clock->setCaption(clockCaption());
}

void MainWindow::LoadLanguageForWindow() {
    AppState &s = state_;
    MainMenus &m = *menus_;
    MenuCaptions captions;
    const LanguageLoadResult result =
        LoadLanguage(s.paths.data(QStringLiteral("Languages")), s.config.LanguageIndex,
                     s.VersionTitle, *s.prompts, s.texts, captions);
    // Entries read before a failure keep their new values, captions included.
    m.applyCaptions(captions);
    if (!result.succeeded())
        return;
    const QList<ThumbCell *> &cells = grid_->cells();
    for (int i = 0; i < s.page.SlotCount && i < cells.size(); ++i)
        cells[i]->lblConnect()->setText(s.texts.LngLoading);
    m.mnuUpdate->setTitle(s.texts.LngUpdate);
    if (m.mnuUpdate->menuAction()->isVisible() && !newerVersion_.isEmpty())
        showUpdateNotice();
    else
        restorePlainMenuText(m.mnuUpdate->menuAction(), s.texts.LngUpdate);
    m.setSecondsWord(s.texts.LngSeconds);
    m.setPageCaption(s.page.PageCount, s.texts.LngWxPage);
    if (s.config.LanguageIndex >= 0 && s.config.LanguageIndex < m.mnuLang.size())
        m.mnuLang[s.config.LanguageIndex]->setChecked(true);
    // Setting the caption puts the plain item back, as after a finished pass.
    m.setRefreshCaption(
        refreshMenuCaption(s.texts, s.config.AutoRefreshMode, s.config.RefreshSeconds));
    showClock();
    emit s.events.languageChanged();
}

// ---- Start-up ---------------------------------------------------------------------

bool MainWindow::startUp() {
    AppState &s = state_;
    Prompts &prompts = *s.prompts;
    MainMenus &m = *menus_;

    setWindowTitle(kTitle);
    applyProgramIcon();
    s.screen = screenMetrics(screen());
    m.mnuCall->setVisible(false);
    s.dateOrder = DateOrder::fromLocale(QLocale());
    s.ZeroChar = s.dateOrder.zeroChar();
    s.placement = readWindowPlacement(*s.settings);
    m.hideUpdateNotice();

    // The data folder and its subfolders, with every bundled file the user
    // lacks (this stands in for an installer); a failure is not fatal here,
    // the files that cannot be read report themselves.
    if (const ProvisionResult provisioned = provisionDataFolder(s.paths); !provisioned.ok)
        qCWarning(lcMainWindow) << "cannot create" << provisioned.error;
    const LegacyMoveResult legacy =
        moveLegacyFiles(s.paths.programFolder, s.paths.dataFolder, deps_.folderWritable);
    for (const QString &failure : legacy.failed)
        qCWarning(lcMainWindow) << failure;
    s.lstMap = buildMapList(s.paths.data(QStringLiteral("Maps")));
    s.monitors.enumerate(screenRects());

    const ConfigFile config = readConfig(s.paths.data(kConfigFile));
    s.config = config.config;
    s.page.PageCount = config.PageCount;
    s.page.CurrentPage = config.CurrentPage;

    LoadLanguageForWindow();
    // Names stored as they were shown, defaults included: a default of any
    // language is shown in the language of now.
    pageWords_ = pageWordsOfAllLanguages(s.paths.data(QStringLiteral("Languages")));
    const QStringList names = readPageNames(*s.settings, s.texts.LngPage);
    for (int page = 1; page < s.page.PageCount; ++page) {
        const QString name = names.value(page - 1);
        m.setPageCaption(page, isDefaultPageName(name, page, pageWords_)
                                   ? s.texts.LngPage + QString::number(page)
                                   : name);
    }
    m.setPageCaption(s.page.PageCount, s.texts.LngWxPage);

    firstStart_ = isFirstStartPlacement(s.placement);
    applyWindowPlacement(*this, s.placement);
    LayoutMainWindow(s.config.ThumbSetting);
    // Centred as well as can be before the frame is known; once shown, the
    // frame itself is centred.
    if (firstStart_)
        placeFrameOnScreen(*this, true);

    if (deps_.acquireSingleInstance && !deps_.acquireSingleInstance()) {
        const QString problem =
            deps_.singleInstanceProblem ? deps_.singleInstanceProblem() : QString();
        if (problem.isEmpty())
            prompts.message(s.texts.LngAlreadyRunning, kTitle);
        else
            prompts.message(problem, kTitle, Prompts::Icon::Exclamation);
        return false;
    }

    s.SaveFolder = startSaveFolder(readSaveFolder(*s.settings, QString()));
    s.lstBlock = readBlockedCallsigns(*s.settings);

    // Only now is this instance the one writer of the data folder.
    removeSaveLeftovers(s.paths.dataFolder, s.settings->fileName());
    // Told once, now: otherwise every slot would show its picture as not
    // stored, and the close would be the first to say why.
    if (const QString folder = unwritableDataFolder(s.paths.dataFolder, deps_.dataFolderWritable);
        !folder.isEmpty()) {
        qCWarning(lcMainWindow) << "cannot write into" << folder;
        prompts.message(dataFolderReadOnlyMessage(s.texts, folder), kTitle,
                        Prompts::Icon::Exclamation);
    }
    // The hosts and names in it are not in use; the saves leave it alone and say nothing.
    if (const QString unreadable = s.settings->readError(); !unreadable.isEmpty())
        prompts.message(unreadable, kTitle, Prompts::Icon::Exclamation);
    StartupLists lists = loadSiteLists(s.paths, prompts);
    if (lists.endProgram)
        return false;
    s.SiteList = std::move(lists.sites);
    s.WxSiteList = std::move(lists.wxSites);
    s.sitesLoaded = lists.sitesLoaded;
    s.wxSitesLoaded = lists.wxSitesLoaded;
    emptyNote_->refresh();

    if (opener_)
        opener_->rebuildSiteSelection();
    update();

    // The connection check blocks on purpose: nothing is worth doing offline.
    setWindowTitle(windowTitle() + s.texts.LngOffline);
    for (;;) {
        const bool probeOff = s.endpoints.ConnectionProbe.isEmpty() || !deps_.connectionChecker;
        if (probeOff || deps_.connectionChecker->check())
            break;
        if (prompts.retryCancel(s.texts.LngNoConnection, kTitle) != Prompts::Answer::Retry)
            return false;
    }
    s.page.Online = true;
    setWindowTitle(kTitle);

    schedule_->StopRefreshTimers();
    s.page.UpdateCheckPending = true;

    // Both timers are off here, so starting the timer of the page shown starts
    // exactly that one.
    const bool automatic = s.config.AutoRefreshMode == 1;
    if (!s.page.isWxPage()) {
        m.mnustartDSSTV->setChecked(true);
        m.pageItem(1)->setChecked(true);
        if (automatic)
            schedule_->StartRefreshTimers();
        m.showLoadingLook();
    } else {
        m.showPage(s.page.PageCount);
        m.pageItem(s.page.PageCount)->setChecked(true);
        m.mnustartWX->setChecked(true);
        schedule_->StartRefreshTimers();
    }
    // The first requests go out once the window is on its way to the screen:
    // setting up the network costs milliseconds that the window need not wait.
    QTimer::singleShot(0, this, [this] {
        updates_->requestTimePage();
        if (!state_.page.isWxPage())
            loader_->LoadSstvPage();
        else
            loader_->LoadWxPage();
    });
    if (automatic)
        schedule_->StartRefreshTimers();

    startedUp_ = true;
    clockTimer_Timer();
    setFocus();
    return true;
}

// ---- Shutdown ---------------------------------------------------------------------

void MainWindow::showEvent(QShowEvent *event) {
    QMainWindow::showEvent(event);
    if (shownOnce_ || !startedUp_)
        return;
    shownOnce_ = true;
    // The desktop's frame is known only some time after the window is up,
    // when the window manager has framed it; the size counts the frame in,
    // and the frame must lie on the screen.
    placeWhenFramed(*this, [this] { settleOnScreen(); });
}

void MainWindow::settleOnScreen() {
    if (!isMaximized() && !isFullScreen())
        fitWindowSize();
    placeFrameOnScreen(*this, firstStart_);
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event) {
    if (watched == grid_ && event->type() == QEvent::Resize)
        fitCaptions();
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent *event) {
    shutDown();
    event->accept();
}

void MainWindow::stopEverything() {
    schedule_->stop();
    updates_->stop();
    actions_->stop();
    pointer_->stopTimers();
    grid_->stopSlotBlink();
    clockTimer.stop();
    loader_->cancelAll();
}

void MainWindow::shutDown() {
    if (!startedUp_ || shutDown_)
        return;
    shutDown_ = true;
    AppState &s = state_;

    // Message boxes below run event loops: nothing of ours may tick in them.
    stopEverything();
    // The other windows close before the save: a dialog that changes the lists
    // keeps its changes as it closes, and they must be saved with the rest.
    if (opener_)
        opener_->closeAll();
    // Closing dialogs restarts refreshing and arms the reload; undo that.
    stopEverything();

    WindowSideValues side;
    const bool visible = isVisible();
    if (visible) {
        side.placement = windowPlacement(*this);
        side.pageNames = menus_->pageCaptions(s.page.PageCount - 1);
        side.SaveFolder = s.SaveFolder;
        side.MonIdx = s.MonIdx;
        side.blockedCallsigns = s.lstBlock;
    }
    saveAppState(s, visible ? &side : nullptr);

    loader_->flushSlotPictures();
    const CleanupResult cleanup = deleteCachedFiles(s.paths.dataFolder);
    for (const QString &path : cleanup.failed)
        qCWarning(lcMainWindow) << "cannot remove" << path;

    if (deps_.quit)
        deps_.quit();
    else
        QCoreApplication::quit();
}

// ---- Layout -----------------------------------------------------------------------

void MainWindow::fitWindowSize() {
    const ScreenMetrics &screen = state_.screen;
    // What the frame and the menu bar add, before the window is resized.
    const QSize decoration = frameGeometry().size() - geometry().size();
    const QSize client(width(), height() - menuBarHeight(menuBar(), width()));
    frameExtra_ = tavimo::frameExtra(frameGeometry().size(), client, screen);
    const MainWindowSize size =
        mainWindowSize(screen, state_.config.GuiSize, grid_->gridLayout(), frameExtra_);
    // Made smaller by hand, the window stops at its "Small" size, where the
    // captions still fit their cells.
    const MainWindowSize small = mainWindowSize(screen, 0, grid_->gridLayout(), frameExtra_);
    setMinimumSize(std::max(1, small.widthPixels - decoration.width()),
                   std::max(1, small.heightPixels - decoration.height()));
    nominalGridWidth_ = size.widthPixels - (frameGeometry().width() - client.width());
    // A maximised or minimised window keeps its size; the grid fills it.
    if (!(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)))
        resize(std::max(1, size.widthPixels - decoration.width()),
               std::max(1, size.heightPixels - decoration.height()));
    const int bar = menuBarHeight(menuBar(), width());
    grid_->setGeometry(0, bar, width(), std::max(0, height() - bar));
}

void MainWindow::LayoutMainWindow(int setting) {
    AppState &s = state_;
    const int guiSize = s.config.GuiSize;
    labelFontSize_ = labelFontSize(s.screen.screenHeight, guiSize);
    if (guiSize == 0)
        labelsBold_ = false;
    const ThumbLayout layout = tavimo::thumbLayout(setting).value_or(grid_->gridLayout());
    grid_->setGridLayout(layout);
    s.page.SlotCount = layout.slotCount;
    fitWindowSize();
    menus_->fitPageItem(pageItemCaptions());
    menus_->showPage(s.page.CurrentPage);
    grid_->makeCells(labelFontSize_, labelsBold_);
    captionPoints_ = 0; // the cells are new
    fitCaptions();
}

void MainWindow::fitCaptions() {
    const QList<ThumbCell *> &cells = grid_->cells();
    if (cells.isEmpty())
        return;
    const double points = captionPoints(labelFontSize_, nominalGridWidth_, grid_->size(),
                                        grid_->gridLayout(), cells.first()->lblCall->font());
    if (points == captionPoints_)
        return;
    captionPoints_ = points;
    for (ThumbCell *cell : cells)
        cell->setLabelFont(points, labelsBold_);
}

QString MainWindow::startSaveFolder(const QString &stored) const {
    const auto folderOf = [](const QString &path) {
        return path.endsWith(u'/') ? path : path + u'/';
    };
    if (!stored.isEmpty() && deps_.folderWritable && deps_.folderWritable(stored))
        return folderOf(stored);
    // Every save starts in the pictures folder until the user saves elsewhere,
    // whether or not it is there yet: the first save dialog makes it. The home
    // folder offered instead would be stored as if chosen, and kept after the
    // pictures folder appears.
    const QString pictures = state_.paths.picturesFolder;
    return folderOf(pictures.isEmpty() ? QDir::homePath() : pictures);
}

void MainWindow::applyProgramIcon() {
    // The bundled pictures up to the size a title bar or task list shows (the
    // larger ones are for launchers, which find the installed icon by the
    // desktop entry's name). Looking the icon up in the desktop's theme first
    // would cost every start several milliseconds for the same picture.
    // They lie in the source tree's desktop folder, or where the install put
    // them for desktops, beside the installed bundled data.
    QIcon icon;
    const QString bundled = state_.paths.bundledDataFolder;
    for (const int size : {16, 32, 48, 64}) {
        for (const QString &file :
             {bundled + QStringLiteral("/desktop/icons/tavimo-%1.png").arg(size),
              bundled + QStringLiteral("/../icons/hicolor/%1x%1/apps/tavimo.png").arg(size)}) {
            if (QFileInfo::exists(file)) {
                icon.addFile(file, QSize(size, size));
                break;
            }
        }
    }
    if (icon.isNull())
        icon = QIcon::fromTheme(QStringLiteral("tavimo"));
    if (!icon.isNull()) {
        setWindowIcon(icon);
        if (QGuiApplication::windowIcon().isNull())
            QGuiApplication::setWindowIcon(icon);
    }
    QGuiApplication::setDesktopFileName(QStringLiteral("tavimo"));
}

// ---- Pass end and keys ------------------------------------------------------------

void MainWindow::passEnded() {
    PageState &page = state_.page;
    if (page.UpdateCheckPending) {
        page.UpdateCheckPending = false;
        updates_->CheckForUpdates();
    }
    menus_->showPlainRefresh();
    emit state_.events.passFinished();
}

void MainWindow::Form_KeyDown(Qt::Key key) {
    if (key == Qt::Key_F5)
        schedule_->mnuRefresh_Click();
    if (key == Qt::Key_F2)
        actions_->showAlphaList();
}

// ---- Pages, layout and language from the menus ---------------------------------------

void MainWindow::mnuPage_Click(int page) {
    AppState &s = state_;
    if (page < 1 || page > s.page.PageCount || !menus_->pageItem(page))
        return;
    // The blink belongs to a site of the page that is going.
    grid_->stopSlotBlink();
    if (opener_)
        opener_->closeGallery();
    s.page.SlotTable.erase();
    pointer_->clearHover();
    s.page.CurrentPage = page;
    menus_->showPage(page);
    menus_->checkPage(page);
    schedule_->StopRefreshTimers();
    grid_->ArrangeThumbnailGrid();
    if (opener_)
        opener_->rebuildSiteSelection();
    schedule_->reloadAfterChange();
    schedule_->restartIfAutomatic();
}

void MainWindow::mnu5_Click(int index) {
    if (index < 0 || index >= menus_->mnu5.size())
        return;
    state_.config.ThumbSetting = std::int16_t(index + 1);
    relayOutAndReload();
}

void MainWindow::mnuGUIsizes_Click(int index) {
    if (index < 0 || index >= menus_->mnuGUIsizes.size())
        return;
    state_.config.GuiSize = std::int16_t(index);
    relayOutAndReload();
}

void MainWindow::relayOutAndReload() {
    schedule_->StopRefreshTimers();
    grid_->stopSlotBlink();
    // The grid is made afresh and empty, and each slot may hold another site
    // now: nothing of the old slots may decide whether a picture is fetched.
    state_.page.SlotTable.erase();
    LayoutMainWindow(state_.config.ThumbSetting);
    schedule_->reloadAfterChange();
    schedule_->restartIfAutomatic();
}

void MainWindow::mnuLang_Click(int index) {
    AppState &s = state_;
    if (index < 0 || index >= menus_->mnuLang.size())
        return;
    for (int i = 0; i < menus_->mnuLang.size(); ++i)
        menus_->mnuLang[i]->setChecked(i == index);
    s.config.LanguageIndex = std::int16_t(index);
    const LanguageTexts before = s.texts;
    LoadLanguageForWindow();
    // Everything already shown says it in the new language at once.
    loader_->languageChanged(before);
    bool renamed = false;
    for (int page = 1; page < s.page.PageCount; ++page) {
        if (isDefaultPageName(menus_->pageCaption(page), page,
                              pageWords_ + QStringList{before.LngPage})) {
            menus_->setPageCaption(page, s.texts.LngPage + QString::number(page));
            renamed = true;
        }
    }
    if (renamed)
        emit s.events.pageNamesChanged();
    // The page item is as wide as the widest page name, the new WX name included.
    repaintPageItem();
    schedule_->StopRefreshTimers();
    schedule_->reloadAfterChange();
    schedule_->restartIfAutomatic();
}

// ---- MainWindowAccess -------------------------------------------------------------

void MainWindow::setMainEnabled(bool enabled) {
    setEnabled(enabled);
}

void MainWindow::activateMain() {
    raise();
    activateWindow();
    setFocus();
}

void MainWindow::StopRefreshTimers() {
    schedule_->StopRefreshTimers();
}

void MainWindow::StartRefreshTimers() {
    schedule_->StartRefreshTimers();
}

void MainWindow::resumeRefreshTimers() {
    schedule_->restartIfAutomatic();
}

void MainWindow::setGalleryLoading(bool running) {
    if (running) {
        menus_->showLoadingLook();
        return;
    }
    // The page's own pass puts the plain item back when it ends.
    const SlotFetcher *fetcher = loader_->fetcher();
    if (!fetcher || fetcher->pass().isComplete())
        menus_->showPlainRefresh();
}

void MainWindow::armSitesChanged() {
    schedule_->armSitesChanged();
}

void MainWindow::handOverPickedSite(int siteIndex) {
    actions_->handOverPickedSite(siteIndex);
}

QString MainWindow::pageCaption(int page) const {
    return menus_->pageCaption(page);
}

void MainWindow::setPageCaption(int page, const QString &caption) {
    // An emptied name is the page's default name, as the next start reads it.
    const bool sstvPage = page >= 1 && page < state_.page.PageCount;
    menus_->setPageCaption(page, caption.isEmpty() && sstvPage
                                     ? state_.texts.LngPage + QString::number(page)
                                     : caption);
}

void MainWindow::repaintPageItem() {
    // A name given since the window was laid out may be wider, or narrower, than all before it.
    menus_->fitPageItem(pageItemCaptions());
    menus_->showPage(state_.page.CurrentPage);
}

QStringList MainWindow::pageItemCaptions() const {
    // The language's width reserve keeps the item from jumping between short names; the WX
    // page's name of the language may not have reached its menu item yet.
    return menus_->pageCaptions(state_.page.PageCount)
           << state_.texts.LngBarCaption << state_.texts.LngWxPage;
}

QString MainWindow::slotCallCaption(int slot) const {
    const ThumbCell *c = grid_->cell(slot);
    return c ? c->lblCall->text() : QString();
}

QString MainWindow::slotFromCaption(int slot) const {
    const ThumbCell *c = grid_->cell(slot);
    return c ? c->lblFrom->text() : QString();
}

void MainWindow::setSlotCallCaption(int slot, const QString &caption) {
    if (ThumbCell *c = grid_->cell(slot))
        c->lblCall->setText(caption);
}

void MainWindow::clearSlot(int slot) {
    loader_->clearSlot(slot);
}

QRect MainWindow::slotFrameOnScreen(int slot) const {
    return grid_->slotFrameOnScreen(slot);
}

QFont MainWindow::labelFont() const {
    return grid_->labelFont();
}

AnimatedPicture *MainWindow::slotPicture(int slot) {
    ThumbCell *c = grid_->cell(slot);
    return c ? c->AniGIF() : nullptr;
}

} // namespace tavimo
