#include "mainwindow/MainWindow.h"

#include "core/app/AppState.h"
#include "core/app/SaveConfig.h"
#include "core/app/WindowOpener.h"
#include "core/base/Prompts.h"
#include "core/files/AppPaths.h"
#include "core/files/Config.h"
#include "core/files/SettingsStore.h"
#include "core/net/DownloadControl.h"
#include "core/sites/SiteLists.h"
#include "mainwindow/Logging.h"
#include "platform/ConnectionChecker.h"
#include "ui/AnimatedPicture.h"
#include "ui/CornerMenu.h"
#include "ui/MenuBarPainter.h"
#include "ui/Placement.h"
#include "ui/ThumbCell.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>

#include <cmath>

namespace tavimo {

namespace {

const QString kTitle = QStringLiteral("Tavimo");

constexpr int kClockIntervalMs = 100;
constexpr int kOneShotMs = 100;

} // namespace

MainWindow::MainWindow(AppState &state, MainWindowDeps deps, QWidget *parent)
    : QMainWindow(parent), state_(state), deps_(std::move(deps)),
      refresh_([this] { return state_.page.isWxPage(); }, nullptr, deps_.sstvTick, deps_.wxTick) {
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(kTitle);
    state_.mainWindow = this;
    layout_ = tavimo::thumbLayout(2).value_or(ThumbLayout{});

    picAll_ = new QWidget(this);
    picAll_->setObjectName(QStringLiteral("picAll"));
    picAll_->installEventFilter(this);
    setCentralWidget(picAll_);

    buildMenus();

    siteNewsTimer.setSingleShot(true);
    siteNewsTimer.setInterval(kOneShotMs);
    blinkTimer.setInterval(150);
    clockTimer.setInterval(kClockIntervalMs);
    sitesChangedTimer.setSingleShot(true);
    sitesChangedTimer.setInterval(kOneShotMs);
    tipShowTimer.setInterval(1000);
    tipHideTimer.setInterval(3000);
    sitePickTimer.setSingleShot(true);
    sitePickTimer.setInterval(kOneShotMs);
    connect(&clockTimer, &QTimer::timeout, this, &MainWindow::Timer3_Timer);
    connect(&sitesChangedTimer, &QTimer::timeout, this, &MainWindow::Timer5_Timer);
    connect(&sitePickTimer, &QTimer::timeout, this, &MainWindow::Timer9_Timer);

    if (state_.downloads) {
        ucDnLoad = new DownloadControl(*state_.downloads, DownloadControl::Flavour::Bytes, this);
        ucCkNew = new DownloadControl(*state_.downloads, DownloadControl::Flavour::Picture, this);
        ucUpdates = new DownloadControl(*state_.downloads, DownloadControl::Flavour::Text, this);
        ucDnLoad->setObjectName(QStringLiteral("ucDnLoad"));
        ucCkNew->setObjectName(QStringLiteral("ucCkNew"));
        ucUpdates->setObjectName(QStringLiteral("ucUpdates"));
        connect(ucUpdates, &DownloadControl::ready, this, &MainWindow::ucUpdates_updatesReady);
        connect(ucUpdates, &DownloadControl::failed, this, &MainWindow::ucUpdates_noUpdates);
        connectPageRoad();
    } else {
        qCWarning(lcMainWindow) << "no download context: the window fetches nothing";
    }
    connectRefreshAndMenus();
    connectThumbActions();
}

MainWindow::~MainWindow() {
    if (state_.mainWindow == this)
        state_.mainWindow = nullptr;
}

// ---- Menus ------------------------------------------------------------------------

void MainWindow::registerItem(const QString &name, int index, QAction *action) {
    action->setObjectName(index < 0 ? name : QStringLiteral("%1(%2)").arg(name).arg(index));
    menuItems_.insert(MenuItemKey{name, index}, action);
}

QAction *MainWindow::addItem(QMenu *menu, const QString &name, int index, const QString &caption) {
    QAction *action = menu->addAction(caption);
    registerItem(name, index, action);
    return action;
}

QMenu *MainWindow::addSubmenu(QMenu *parent, const QString &name, int index,
                              const QString &caption) {
    QMenu *sub = parent->addMenu(caption);
    sub->setObjectName(name);
    registerItem(name, index, sub->menuAction());
    menus_.insert(name, sub);
    return sub;
}

void MainWindow::buildMenus() {
    QMenuBar *bar = menuBar();
    installMenuBarPainter(bar);
    const auto topMenu = [&](const QString &name, const QString &caption) {
        QMenu *m = bar->addMenu(caption);
        m->setObjectName(name);
        registerItem(name, -1, m->menuAction());
        menus_.insert(name, m);
        return m;
    };
    const auto separator = [&](QMenu *menu, const QString &name, int index = -1) {
        registerItem(name, index, menu->addSeparator());
    };

    // The page shown, as a picture of its name; its items switch pages.
    mnuPg = topMenu(QStringLiteral("mnuPg"), QStringLiteral("Page 1"));
    mnuPage.append(nullptr);
    for (int i = 1; i < kPageCount; ++i)
        mnuPage.append(
            addItem(mnuPg, QStringLiteral("mnuPage"), i, QStringLiteral("Page %1").arg(i)));
    mnuPage.append(
        addItem(mnuPg, QStringLiteral("mnuPage"), kPageCount, QStringLiteral("WX Sites")));
    for (QAction *page : std::as_const(mnuPage)) {
        if (page)
            page->setCheckable(true);
    }

    mnuRefresh = bar->addAction(QStringLiteral("  Refresh"));
    registerItem(QStringLiteral("mnuRefresh"), -1, mnuRefresh);

    QMenu *mnuFind = topMenu(QStringLiteral("mnuFind"), QStringLiteral("Find a site"));
    addItem(mnuFind, QStringLiteral("mnuThisPage"), -1, QStringLiteral("This page"));
    addItem(mnuFind, QStringLiteral("mnuAll"), -1, QStringLiteral("All sites"));

    mnuUpdate = topMenu(QStringLiteral("mnuUpdate"), QStringLiteral("Updates"));
    addItem(mnuUpdate, QStringLiteral("mnuUpTavimo"), -1, QStringLiteral("Update Tavimo"));
    mnuUpdate->menuAction()->setVisible(false);

    // Setup sits at the right end, its caption the UTC clock.
    mnuSetup = new QMenu(QStringLiteral(" Setup   "), this);
    mnuSetup->setObjectName(QStringLiteral("mnuSetup"));
    registerItem(QStringLiteral("mnuSetup"), -1, mnuSetup->menuAction());
    menus_.insert(QStringLiteral("mnuSetup"), mnuSetup);
    addItem(mnuSetup, QStringLiteral("mnuCall"), -1, QStringLiteral("Enter Callsign"));
    addItem(mnuSetup, QStringLiteral("mnuLatLon"), -1,
            QStringLiteral("Enter your Latitude and Longitude"));
    separator(mnuSetup, QStringLiteral("mnuSep"), 0);
    addItem(mnuSetup, QStringLiteral("mnupgSel"), -1, QStringLiteral("Select Page labels"));
    separator(mnuSetup, QStringLiteral("mnuSep1"));
    addItem(mnuSetup, QStringLiteral("mnuAdd"), -1, QStringLiteral("Add a Site"));
    addItem(mnuSetup, QStringLiteral("mnuEdit"), -1, QStringLiteral("Edit a Site"));
    addItem(mnuSetup, QStringLiteral("mnuRemove"), -1, QStringLiteral("Remove a Site"));
    separator(mnuSetup, QStringLiteral("mnuSep2"));
    QMenu *rate =
        addSubmenu(mnuSetup, QStringLiteral("mnuRefRate"), -1, QStringLiteral("Refresh rate"));
    const QStringList rates{QStringLiteral("30 sec"), QStringLiteral("60 sec"),
                            QStringLiteral("90 sec"), QStringLiteral("120 sec"),
                            QStringLiteral("Manual refresh")};
    for (int i = 0; i < rates.size(); ++i)
        addItem(rate, QStringLiteral("mnuRate"), i, rates[i])->setCheckable(true);
    QMenu *gui = addSubmenu(mnuSetup, QStringLiteral("mnuGUI"), -1, QStringLiteral("GUI size"));
    const QStringList sizes{QStringLiteral("Small"), QStringLiteral("Medium"),
                            QStringLiteral("Large"), QStringLiteral("Extra large")};
    for (int i = 0; i < sizes.size(); ++i)
        addItem(gui, QStringLiteral("mnuGUIsizes"), i, sizes[i])->setCheckable(true);
    QMenu *thumbs = addSubmenu(mnuSetup, QStringLiteral("mnuThumbs"), -1,
                               QStringLiteral("Number of thumbnails"));
    const QStringList counts{QStringLiteral(" 5"), QStringLiteral("10"), QStringLiteral("15"),
                             QStringLiteral("24")};
    for (int i = 0; i < counts.size(); ++i)
        addItem(thumbs, QStringLiteral("mnu5"), i, counts[i])->setCheckable(true);
    QMenu *startup =
        addSubmenu(mnuSetup, QStringLiteral("mnustartup"), -1, QStringLiteral("Startup sites"));
    addItem(startup, QStringLiteral("mnustartDSSTV"), -1, QStringLiteral("DSSTV sites"))
        ->setCheckable(true);
    addItem(startup, QStringLiteral("mnustartWX"), -1, QStringLiteral("WX sites"))
        ->setCheckable(true);
    QMenu *language =
        addSubmenu(mnuSetup, QStringLiteral("mnuLanguage"), -1, QStringLiteral("Language"));
    const QStringList languages{QStringLiteral("English"), QStringLiteral("Spanish"),
                                QStringLiteral("German"), QStringLiteral("French"),
                                QStringLiteral("Dutch")};
    for (int i = 0; i < languages.size(); ++i)
        addItem(language, QStringLiteral("mnuLang"), i, languages[i])->setCheckable(true);
    separator(mnuSetup, QStringLiteral("mnuSep3"));
    addItem(mnuSetup, QStringLiteral("mnuHelp"), -1, QStringLiteral("Help"));
    addItem(mnuSetup, QStringLiteral("mnuAbout"), -1, QStringLiteral("About Tavimo"));
    clock_ = installCornerMenu(bar, mnuSetup, mnuSetup->title());
    clock_->setObjectName(QStringLiteral("clock"));

    // Pop-ups, never on the bar.
    auto *popUp = new QMenu(QStringLiteral("Sites"), this);
    popUp->setObjectName(QStringLiteral("mnuPopUp"));
    menus_.insert(QStringLiteral("mnuPopUp"), popUp);
    for (int i = 0; i < kAlphaMenuItems; ++i)
        addItem(popUp, QStringLiteral("mnuAlphaList"), i, QString());

    auto *pop = new QMenu(QStringLiteral("PopUp"), this);
    pop->setObjectName(QStringLiteral("mnuPopMenu"));
    menus_.insert(QStringLiteral("mnuPopMenu"), pop);
    addItem(pop, QStringLiteral("mnuRefreshSite"), -1, QStringLiteral("Refresh this site"));
    addItem(pop, QStringLiteral("mnuReloadPage"), -1, QStringLiteral("Reload this page"));
    separator(pop, QStringLiteral("mnuRefreshSep"));
    addItem(pop, QStringLiteral("mnuLast15"), -1, QStringLiteral("Last15"));
    addItem(pop, QStringLiteral("mnuLast10"), -1, QStringLiteral("Last 10 heard"))
        ->setVisible(false);
    addItem(pop, QStringLiteral("mnuTX"), -1, QStringLiteral("TX1-TX5"))->setVisible(false);
    addItem(pop, QStringLiteral("mnuText"), -1, QStringLiteral("Text"))->setVisible(false);
    addItem(pop, QStringLiteral("mnuCamSite"), -1, QStringLiteral("View Cam"));
    separator(pop, QStringLiteral("mnuMapSep"));
    addItem(pop, QStringLiteral("mnuMapLoc"), -1, QStringLiteral("Map location"));
    addItem(pop, QStringLiteral("mnuNoLat"), -1, QStringLiteral("No lat"));
    QMenu *earth =
        addSubmenu(pop, QStringLiteral("mnuEarthView"), -1, QStringLiteral("Earth view"));
    addItem(earth, QStringLiteral("mnuStView"), 0, QStringLiteral("Street View"));
    addItem(earth, QStringLiteral("mnuStView"), 1, QStringLiteral("Satellite view"));
    addItem(pop, QStringLiteral("mnuQrzCall"), -1, QStringLiteral("QRZ call"));
    addItem(pop, QStringLiteral("mnuQrzFrom"), -1, QStringLiteral("QRZ from"))->setVisible(false);
    separator(pop, QStringLiteral("mnuQrzSep"));
    addItem(pop, QStringLiteral("mnuSave"), -1, QStringLiteral("Save"));
    addItem(pop, QStringLiteral("mnuPaste"), -1, QStringLiteral("Paste"));
    separator(pop, QStringLiteral("mnuPasteSep"));
    addItem(pop, QStringLiteral("mnuLeaveBlank"), -1, QStringLiteral("Leave"));
    addItem(pop, QStringLiteral("mnuSelectSite"), -1, QStringLiteral("Select"));
}

QAction *MainWindow::menuItem(const QString &name, int index) const {
    return menuItems_.value(MenuItemKey{name, index}, nullptr);
}

QMenu *MainWindow::menu(const QString &name) const {
    return menus_.value(name, nullptr);
}

void MainWindow::applyMenuCaptions(const MenuCaptions &captions) {
    for (auto it = captions.cbegin(); it != captions.cend(); ++it) {
        QAction *action = menuItem(it.key().menu, it.key().index);
        if (!action) {
            qCWarning(lcMainWindow) << "no menu item" << it.key().menu << it.key().index;
            continue;
        }
        if (QMenu *sub = action->menu())
            sub->setTitle(it.value());
        else
            action->setText(it.value());
    }
}

QString MainWindow::clockCaption() const {
    return state_.utcNow().toUTC().toString(QStringLiteral("hh:mm")) + QStringLiteral(" UTC   ") +
           state_.texts.LngSetup;
}

void MainWindow::LoadLanguageForWindow() {
    AppState &s = state_;
    MenuCaptions captions;
    const LanguageLoadResult result =
        LoadLanguage(s.paths.data(QStringLiteral("Languages")), s.config.LanguageIndex,
                     s.VersionTitle, *s.prompts, s.texts, captions);
    // Entries read before a failure keep their new values, captions included.
    applyMenuCaptions(captions);
    if (!result.succeeded())
        return;
    for (int i = 0; i < s.page.SlotCount && i < cells_.size(); ++i)
        cells_[i]->lblConnect->setText(s.texts.LngLoading);
    mnuUpdate->setTitle(s.texts.LngUpdate);
    restorePlainMenuText(mnuUpdate->menuAction(), s.texts.LngUpdate);
    mnuPage[s.page.PageCount]->setText(s.texts.LngWxPage);
    if (QAction *lang = menuItem(QStringLiteral("mnuLang"), s.config.LanguageIndex))
        lang->setChecked(true);
    // Setting the caption puts the plain item back, as after a finished pass.
    restorePlainMenuText(
        mnuRefresh, refreshMenuCaption(s.texts, s.config.AutoRefreshMode, s.config.RefreshSeconds));
    ClockText = clockCaption();
    clock_->setCaption(ClockText);
}

// ---- Start-up ---------------------------------------------------------------------

WindowOpener *MainWindow::opener() const {
    return deps_.opener ? deps_.opener : state_.opener;
}

int MainWindow::currentPageIndex() const {
    const int page = state_.page.CurrentPage;
    return page >= 1 && page < mnuPage.size() ? page : 1;
}

bool MainWindow::startUp() {
    AppState &s = state_;
    Prompts &prompts = *s.prompts;

    setWindowTitle(kTitle);
    s.screen = screenMetrics(screen());
    menuItem(QStringLiteral("mnuCall"))->setVisible(false);
    s.dateOrder = DateOrder::fromLocale(QLocale());
    s.ZeroChar = s.dateOrder.zeroChar();
    s.placement = readWindowPlacement(*s.settings);
    mnuUpdate->menuAction()->setVisible(false);

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
    const QStringList names = readPageNames(*s.settings, s.texts.LngPage);
    for (int i = 1; i < s.page.PageCount && i < mnuPage.size(); ++i)
        mnuPage[i]->setText(names.value(i - 1));
    mnuPage[s.page.PageCount]->setText(s.texts.LngWxPage);

    applyWindowPlacement(*this, s.placement);
    LayoutMainWindow(s.config.ThumbSetting);

    if (deps_.acquireSingleInstance && !deps_.acquireSingleInstance()) {
        prompts.message(s.texts.LngAlreadyRunning, kTitle);
        return false;
    }

    s.SaveFolder = readSaveFolder(*s.settings, s.paths.programFolder);
    s.lstBlock = readBlockedCallsigns(*s.settings);

    // Only now is this instance the one writer of the data folder.
    removeSaveLeftovers(s.paths.dataFolder, s.settings->fileName());
    StartupLists lists = loadSiteLists(s.paths, prompts);
    if (lists.endProgram)
        return false;
    s.SiteList = std::move(lists.sites);
    s.WxSiteList = std::move(lists.wxSites);
    s.sitesLoaded = lists.sitesLoaded;
    s.wxSitesLoaded = lists.wxSitesLoaded;

    if (WindowOpener *windows = opener())
        windows->rebuildSiteSelection();
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

    requestTimePage();

    refresh_.StopRefreshTimers();
    s.page.UpdateCheckPending = true;

    // Both timers are off here, so starting the timer of the page shown starts
    // exactly that one.
    const bool automatic = s.config.AutoRefreshMode == 1;
    if (!s.page.isWxPage()) {
        s.page.GalleryRequest = 0;
        menuItem(QStringLiteral("mnustartDSSTV"))->setChecked(true);
        mnuPage[1]->setChecked(true);
        if (automatic)
            refresh_.StartRefreshTimers();
        setRefreshMenuText(mnuRefresh, mnuRefresh->text());
        if (s.page.Online)
            LoadSstvPage();
    } else {
        setPageMenuText(mnuPg->menuAction(), mnuPage[s.page.PageCount]->text(), pageLabelWidth_);
        mnuPage[s.page.PageCount]->setChecked(true);
        menuItem(QStringLiteral("mnustartWX"))->setChecked(true);
        refresh_.StartRefreshTimers();
        LoadWxPage();
    }
    if (automatic)
        refresh_.StartRefreshTimers();

    startedUp_ = true;
    clockTimer.start();
    setFocus();
    return true;
}

// ---- Shutdown ---------------------------------------------------------------------

void MainWindow::showEvent(QShowEvent *event) {
    QMainWindow::showEvent(event);
    if (shownOnce_ || !startedUp_)
        return;
    shownOnce_ = true;
    // The desktop's frame is known only once the window is up; the size
    // counts it in, so the window is fitted again then.
    QTimer::singleShot(0, this, [this] {
        if (!isMaximized() && !isFullScreen())
            fitWindowSize();
    });
}

void MainWindow::closeEvent(QCloseEvent *event) {
    shutDown();
    event->accept();
}

void MainWindow::shutDown() {
    if (!startedUp_ || shutDown_)
        return;
    shutDown_ = true;
    AppState &s = state_;

    // Message boxes below run event loops: nothing of ours may tick in them.
    const auto stopEverything = [this] {
        refresh_.StopRefreshTimers();
        for (QTimer *timer : {&siteNewsTimer, &blinkTimer, &clockTimer, &sitesChangedTimer,
                              &tipShowTimer, &tipHideTimer, &sitePickTimer})
            timer->stop();
        for (DownloadControl *control : {ucDnLoad, ucCkNew, ucUpdates}) {
            if (control)
                control->cancelAll();
        }
    };
    stopEverything();

    // The other windows close before the save: a dialog that changes the lists
    // keeps its changes as it closes, and they must be saved with the rest.
    if (WindowOpener *windows = opener())
        windows->closeAll();
    // Closing dialogs restarts refreshing and arms the reload; undo that.
    stopEverything();

    WindowSideValues side;
    const bool visible = isVisible();
    if (visible) {
        side.placement = windowPlacement(*this);
        for (int i = 1; i < s.page.PageCount && i < mnuPage.size(); ++i)
            side.pageNames.append(mnuPage[i]->text());
        side.SaveFolder = s.SaveFolder;
        side.MonIdx = s.MonIdx;
        side.blockedCallsigns = s.lstBlock;
    }
    SaveConfigInputs in;
    in.paths = &s.paths;
    in.config = &s.config;
    in.sites = s.sitesLoaded ? &s.SiteList : nullptr;
    in.wxSites = s.wxSitesLoaded ? &s.WxSiteList : nullptr;
    in.store = s.settings;
    in.prompts = s.prompts;
    in.window = visible ? &side : nullptr;
    SaveConfig(in);

    flushSlotPictures();
    const CleanupResult cleanup = deleteCachedFiles(s.paths.dataFolder);
    for (const QString &path : cleanup.failed)
        qCWarning(lcMainWindow) << "cannot remove" << path;

    if (deps_.quit)
        deps_.quit();
    else
        QCoreApplication::quit();
}

// ---- Layout -----------------------------------------------------------------------

QColor MainWindow::backColor() const {
    return palette().color(QPalette::Window);
}

ThumbCell *MainWindow::cell(int slot) const {
    return slot >= 0 && slot < cells_.size() ? cells_[slot] : nullptr;
}

// The menu bar's height for the window's width: the window's client area
// below it is the grid. Measured from the bar, not from the grid widget,
// which the window lays out only once it is shown.
static int menuBarHeight(QMenuBar *bar, int width) {
    const int forWidth = bar->heightForWidth(width);
    return forWidth > 0 ? forWidth : bar->sizeHint().height();
}

void MainWindow::fitWindowSize() {
    const ScreenMetrics &screen = state_.screen;
    // What the frame and the menu bar add, before the window is resized.
    const QSize decoration = frameGeometry().size() - geometry().size();
    const QSize client(width(), height() - menuBarHeight(menuBar(), width()));
    frameExtra_ = tavimo::frameExtra(frameGeometry().size(), client, screen);
    const MainWindowSize size = mainWindowSize(screen, state_.config.GuiSize, layout_, frameExtra_);
    // A maximised or minimised window keeps its size; the grid fills it.
    if (!(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)))
        resize(std::max(1, size.widthPixels - decoration.width()),
               std::max(1, size.heightPixels - decoration.height()));
    const int bar = menuBarHeight(menuBar(), width());
    picAll_->setGeometry(0, bar, width(), std::max(0, height() - bar));
}

void MainWindow::LayoutMainWindow(int setting) {
    AppState &s = state_;
    const int guiSize = s.config.GuiSize;
    labelFontSize_ = labelFontSize(s.screen.screenHeight, guiSize);
    if (guiSize == 0)
        labelsBold_ = false;
    if (const auto chosen = tavimo::thumbLayout(setting))
        layout_ = *chosen;
    s.page.SlotCount = layout_.slotCount;
    fitWindowSize();

    QStringList captions;
    for (int i = 1; i <= s.page.PageCount && i < mnuPage.size(); ++i)
        captions.append(mnuPage[i]->text());
    pageLabelWidth_ = widestPageLabel(menuBar()->font(), captions, pageLabelWidth_);
    setPageMenuText(mnuPg->menuAction(), mnuPage[currentPageIndex()]->text(), pageLabelWidth_);

    // Cell 0 stays, the others are made afresh: exactly SlotCount cells.
    while (cells_.size() > 1)
        delete cells_.takeLast();
    if (cells_.isEmpty()) {
        cells_.append(new ThumbCell(0, picAll_));
        cells_.first()->show();
    }
    for (int i = 1; i < layout_.slotCount; ++i) {
        auto *cell = new ThumbCell(i, picAll_);
        cells_.append(cell);
        cell->show();
    }
    for (ThumbCell *cell : std::as_const(cells_)) {
        emptyCell(*cell);
        cell->setGeometryUnits(cellGeometry(cell->slot(), layout_.gridCols));
        cell->setLabelFont(labelFontSize_, labelsBold_);
        wireThumbCell(*cell);
    }
    placeCells();
}

void MainWindow::emptyCell(ThumbCell &cell) {
    const QColor back = backColor();
    cell.setShapeColor(back);
    cell.lblCall->setText(QString());
    cell.lblCall->show();
    cell.lblFrom->setText(QString());
    cell.lblFrom->show();
    cell.lblConnect->setText(QString());
    QPalette palette = cell.img->palette();
    palette.setColor(QPalette::Window, back);
    cell.img->setPalette(palette);
    cell.img->clear();
    cell.img->setToolTip(QString());
    cell.img->show();
    cell.AniGIF->hide();
    cell.AniGIF->setToolTip(QString());
    cell.AniGIF->clear();
    cell.picProg->hide();
}

void MainWindow::ArrangeThumbnailGrid() {
    const QColor back = backColor();
    for (ThumbCell *cell : std::as_const(cells_)) {
        const CellGeometry &units = cell->geometryUnits();
        cell->moveImg(units.imgAfterPageSwitch);
        cell->img->clear();
        cell->img->setToolTip(QString());
        cell->img->update();
        cell->AniGIF->hide();
        cell->AniGIF->clear();
        cell->AniGIF->setToolTip(QString());
        cell->AniGIF->setBackColor(back);
        cell->AniGIF->refresh();
        cell->lblCall->setText(QString());
        cell->lblFrom->setText(QString());
        cell->setShapeColor(back);
        cell->picProg->hide();
    }
    hover_.LastTipSlot = -1;
}

void MainWindow::placeCells() {
    const UserScale scale(layout_.scaleSize(), picAll_->size());
    for (ThumbCell *cell : std::as_const(cells_))
        cell->place(scale);
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event) {
    if (thumbEventFilter(watched, event))
        return true;
    if (watched == picAll_ && event->type() == QEvent::Resize)
        placeCells();
    return QMainWindow::eventFilter(watched, event);
}

// ---- Timers and downloads ---------------------------------------------------------

void MainWindow::Timer3_Timer() {
    ClockText = clockCaption();
    clock_->setCaption(ClockText);
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
    refresh_.StopRefreshTimers();
}

void MainWindow::StartRefreshTimers() {
    refresh_.StartRefreshTimers();
}

void MainWindow::resumeRefreshTimers() {
    if (state_.config.AutoRefreshMode == 1)
        refresh_.StartRefreshTimers();
}

void MainWindow::armSitesChanged() {
    sitesChangedTimer.start();
}

void MainWindow::handOverPickedSite(int siteIndex) {
    pickedSite_ = siteIndex;
    sitePickTimer.start();
}

QString MainWindow::pageCaption(int page) const {
    return page >= 1 && page < mnuPage.size() ? mnuPage[page]->text() : QString();
}

void MainWindow::setPageCaption(int page, const QString &caption) {
    if (page >= 1 && page < mnuPage.size())
        mnuPage[page]->setText(caption);
}

void MainWindow::repaintPageItem() {
    setPageMenuText(mnuPg->menuAction(), mnuPage[currentPageIndex()]->text(), pageLabelWidth_);
}

QString MainWindow::slotCallCaption(int slot) const {
    const ThumbCell *c = cell(slot);
    return c ? c->lblCall->text() : QString();
}

QString MainWindow::slotFromCaption(int slot) const {
    const ThumbCell *c = cell(slot);
    return c ? c->lblFrom->text() : QString();
}

void MainWindow::clearSlot(int slot) {
    ThumbCell *c = cell(slot);
    if (!c)
        return;
    c->AniGIF->clear();
    c->AniGIF->hide();
    c->img->clear();
    c->setShapeColor(backColor());
    c->lblCall->setText(QString());
    c->lblFrom->setText(QString());
    c->moveImg(c->geometryUnits().img);
    c->picProg->hide();
    state_.page.SlotTable.setValue(slot, stSiteCall, QString());
}

QRect MainWindow::slotFrameOnScreen(int slot) const {
    if (!cell(slot))
        return {};
    const UserScale scale(layout_.scaleSize(), picAll_->size());
    const QRect frame = scale.toPixels(QRectF(cellGeometry(slot, layout_.gridCols).shape1));
    return QRect(picAll_->mapToGlobal(frame.topLeft()), frame.size());
}

QFont MainWindow::labelFont() const {
    return cells_.isEmpty() ? font() : cells_.first()->lblCall->font();
}

AnimatedPicture *MainWindow::slotPicture(int slot) {
    ThumbCell *c = cell(slot);
    return c ? c->AniGIF : nullptr;
}

} // namespace tavimo
