// The menus of the main window: switching pages, the settings of the Setup
// menu with their check marks, the help text, and the items that open the
// other windows.

#include "core/app/AppState.h"
#include "core/app/WindowOpener.h"
#include "core/base/Numbers.h"
#include "mainwindow/Logging.h"
#include "mainwindow/MainWindow.h"
#include "ui/MenuBarPainter.h"
#include "ui/ThumbCell.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace tavimo {

namespace {

constexpr int kRateItems = 5;
constexpr int kManualRateIndex = 4;
constexpr int kThumbItems = 4;
constexpr int kSizeItems = 4;

// The callsign at the start of a slot's caption, which may go on with the
// picture's age after a blank or a "-".
QString captionCallsign(const QString &caption) {
    const QString text = caption.trimmed();
    qsizetype end = 0;
    while (end < text.size() && text[end] != u' ' && text[end] != u'-')
        ++end;
    return text.left(end);
}

} // namespace

void MainWindow::connectMainMenus() {
    const auto onItem = [this](const QString &name, int index, auto handler) {
        if (QAction *item = menuItem(name, index))
            connect(item, &QAction::triggered, this, handler);
        else
            qCWarning(lcMainWindow) << "no menu item" << name << index;
    };
    for (int i = 1; i < mnuPage.size(); ++i)
        onItem(QStringLiteral("mnuPage"), i, [this, i] { mnuPage_Click(i); });
    for (int i = 0; i < kThumbItems; ++i)
        onItem(QStringLiteral("mnu5"), i, [this, i] { mnu5_Click(i); });
    for (int i = 0; i < kSizeItems; ++i)
        onItem(QStringLiteral("mnuGUIsizes"), i, [this, i] { mnuGUIsizes_Click(i); });
    for (int i = 0; i < kLanguageCount; ++i)
        onItem(QStringLiteral("mnuLang"), i, [this, i] { mnuLang_Click(i); });
    connect(mnuSetup, &QMenu::aboutToShow, this, &MainWindow::mnuSetup_Click);

    onItem(QStringLiteral("mnustartDSSTV"), -1, [this] { mnustartDSSTV_Click(); });
    onItem(QStringLiteral("mnustartWX"), -1, [this] { mnustartWX_Click(); });
    onItem(QStringLiteral("mnuHelp"), -1, [this] { mnuHelp_Click(); });
    onItem(QStringLiteral("mnuAbout"), -1, [this] { mnuAbout_Click(); });
    onItem(QStringLiteral("mnuAdd"), -1, [this] { mnuAdd_Click(); });
    onItem(QStringLiteral("mnuEdit"), -1, [this] { mnuEdit_Click(); });
    onItem(QStringLiteral("mnuRemove"), -1, [this] { mnuRemove_Click(); });
    onItem(QStringLiteral("mnuLatLon"), -1, [this] { mnuLatLon_Click(); });
    onItem(QStringLiteral("mnupgSel"), -1, [this] { mnupgSel_Click(); });
    onItem(QStringLiteral("mnuQrzCall"), -1, [this] { mnuQrzCall_Click(); });
    onItem(QStringLiteral("mnuLast15"), -1, [this] { mnuLast15_Click(); });
    onItem(QStringLiteral("mnuUpTavimo"), -1, [this] { mnuUpTavimo_Click(); });
}

// ---- Pages ------------------------------------------------------------------------------

void MainWindow::mnuPage_Click(int index) {
    AppState &s = state_;
    if (index < 1 || index > s.page.PageCount || index >= mnuPage.size())
        return;
    // The blink belongs to a site of the page that is going.
    stopSlotBlink();
    if (WindowOpener *windows = opener())
        windows->closeGallery();
    s.page.SlotTable.erase();
    clearHoverState();
    s.page.CurrentPage = index;
    setPageMenuText(mnuPg->menuAction(), mnuPage[index]->text(), pageLabelWidth_);
    for (int i = 1; i < mnuPage.size(); ++i)
        mnuPage[i]->setChecked(i == index);
    if (!s.page.isWxPage())
        s.page.GalleryRequest = 0;
    refresh_.StopRefreshTimers();
    ArrangeThumbnailGrid();
    if (WindowOpener *windows = opener())
        windows->rebuildSiteSelection();
    reloadAfterChange();
    restartRefreshIfAutomatic();
}

// ---- Setup: layout and language -------------------------------------------------------

void MainWindow::mnu5_Click(int index) {
    AppState &s = state_;
    if (index < 0 || index >= kThumbItems)
        return;
    refresh_.StopRefreshTimers();
    s.page.GalleryRequest = 0;
    s.config.ThumbSetting = std::int16_t(index + 1);
    stopSlotBlink();
    // The grid is made afresh and empty, and each slot holds another site now:
    // nothing of the old slots may decide whether a picture is fetched.
    s.page.SlotTable.erase();
    LayoutMainWindow(s.config.ThumbSetting);
    reloadAfterChange();
    restartRefreshIfAutomatic();
}

void MainWindow::mnuGUIsizes_Click(int index) {
    AppState &s = state_;
    if (index < 0 || index >= kSizeItems)
        return;
    refresh_.StopRefreshTimers();
    s.config.GuiSize = std::int16_t(index);
    stopSlotBlink();
    // The cells are made afresh and empty: every picture is fetched again.
    s.page.SlotTable.erase();
    LayoutMainWindow(s.config.ThumbSetting);
    reloadAfterChange();
    restartRefreshIfAutomatic();
}

void MainWindow::mnuLang_Click(int index) {
    AppState &s = state_;
    if (index < 0 || index >= kLanguageCount)
        return;
    for (int i = 0; i < kLanguageCount; ++i) {
        if (QAction *item = menuItem(QStringLiteral("mnuLang"), i))
            item->setChecked(i == index);
    }
    s.config.LanguageIndex = std::int16_t(index);
    LoadLanguageForWindow();
    // The page item is as wide as the widest page name, the new WX name included.
    pageLabelWidth_ = widestPageLabel(menuBar()->font(), {s.texts.LngBarCaption, s.texts.LngWxPage},
                                      pageLabelWidth_);
    repaintPageItem();
    refresh_.StopRefreshTimers();
    reloadAfterChange();
    restartRefreshIfAutomatic();
}

// Check marks of the Setup menu, set each time it opens.
void MainWindow::mnuSetup_Click() {
    const Config &config = state_.config;
    std::optional<int> rate;
    if (config.AutoRefreshMode != 1) {
        rate = kManualRateIndex;
    } else {
        // The nearest item: 45 s marks "30 sec", 75 s "90 sec". A period
        // beyond the last timed item marks none; it is no manual refresh.
        const double k = roundHalfEven(config.RefreshSeconds / 30.0 - 1);
        if (k >= 0 && k < kManualRateIndex)
            rate = int(k);
    }
    for (int i = 0; i < kRateItems; ++i) {
        if (QAction *item = menuItem(QStringLiteral("mnuRate"), i))
            item->setChecked(rate == i);
    }
    for (int i = 0; i < kThumbItems; ++i) {
        if (QAction *item = menuItem(QStringLiteral("mnu5"), i))
            item->setChecked(i == config.ThumbSetting - 1);
    }
    menuItem(QStringLiteral("mnustartDSSTV"))->setChecked(config.StartPage == 0);
    menuItem(QStringLiteral("mnustartWX"))->setChecked(config.StartPage != 0);
    for (int i = 0; i < kSizeItems; ++i) {
        if (QAction *item = menuItem(QStringLiteral("mnuGUIsizes"), i))
            item->setChecked(i == config.GuiSize);
    }
}

void MainWindow::mnustartDSSTV_Click() {
    state_.config.StartPage = 0;
}

void MainWindow::mnustartWX_Click() {
    state_.config.StartPage = 1;
}

// ---- Openers ----------------------------------------------------------------------------

void MainWindow::mnuHelp_Click() {
    if (WindowOpener *windows = opener())
        windows->openHelp();
}

void MainWindow::mnuAbout_Click() {
    if (WindowOpener *windows = opener())
        windows->openAbout();
}

void MainWindow::mnuAdd_Click() {
    if (WindowOpener *windows = opener())
        windows->openAddSite();
}

void MainWindow::mnuEdit_Click() {
    if (WindowOpener *windows = opener())
        windows->openEditSite();
}

void MainWindow::mnuRemove_Click() {
    if (WindowOpener *windows = opener())
        windows->openRemoveSite();
}

void MainWindow::mnuLatLon_Click() {
    if (WindowOpener *windows = opener())
        windows->openOwnPosition();
}

void MainWindow::mnupgSel_Click() {
    if (WindowOpener *windows = opener())
        windows->openPageNames();
}

void MainWindow::mnuQrzCall_Click() {
    // The site's own callsign, not the sender of its picture.
    const QString callsign = captionCallsign(slotCallCaption(state_.page.SelectedSlot));
    if (WindowOpener *windows = opener())
        windows->openStation(callsign, /*lookupFromCall=*/false);
}

void MainWindow::mnuLast15_Click() {
    AppState &s = state_;
    refresh_.StopRefreshTimers();
    s.page.GalleryRequest = s.page.SelectedSlot + 1;
    // The gallery's downloads show as loading until its own pass ends.
    setRefreshMenuText(mnuRefresh, mnuRefresh->text());
    if (WindowOpener *windows = opener())
        windows->openGallery(s.page.GalleryRequest);
    // The page goes on refreshing while the gallery is open.
    restartRefreshIfAutomatic();
}

} // namespace tavimo
