// Keeping the page fresh: the two refresh timers, the refresh commands of the
// menu bar, the thumbnail pop-up and the keyboard, the reload after the site
// lists changed, the alphabetical list on F2 and the blink of a picked slot.

#include "core/app/AppState.h"
#include "mainwindow/Logging.h"
#include "mainwindow/MainWindow.h"
#include "ui/MenuBarPainter.h"
#include "ui/ThumbCell.h"

#include <QAction>
#include <QMenu>
#include <QShortcut>

namespace tavimo {

namespace {

constexpr int kKeyF2 = 113;
constexpr int kKeyF5 = 116;
// The WX page is reloaded on every third tick of its one-minute timer.
constexpr int kWxTicksPerReload = 3;
constexpr int kRateItems = 5; // 30, 60, 90, 120 seconds and manual
constexpr int kManualRateIndex = 4;
constexpr int kBlinkTicks = 20;
const QColor kBlinkBlue(0, 0, 255);
// Between a callsign and its slot number in the alphabetical list.

} // namespace

void MainWindow::connectRefreshAndMenus() {
    connect(&refresh_, &RefreshTimers::sstvTick, this, &MainWindow::Timer6_Timer);
    connect(&refresh_, &RefreshTimers::wxTick, this, &MainWindow::Timer4_Timer);
    connect(&blinkTimer, &QTimer::timeout, this, &MainWindow::Timer2_Timer);
    connect(&siteNewsTimer, &QTimer::timeout, this, &MainWindow::Timer1_Timer);

    connect(mnuRefresh, &QAction::triggered, this, &MainWindow::mnuRefresh_Click);
    for (int i = 0; i < kRateItems; ++i) {
        if (QAction *rate = menuItem(QStringLiteral("mnuRate"), i))
            connect(rate, &QAction::triggered, this, [this, i] { mnuRate_Click(i); });
    }
    connect(menuItem(QStringLiteral("mnuRefreshSite")), &QAction::triggered, this,
            &MainWindow::mnuRefreshSite_Click);
    connect(menuItem(QStringLiteral("mnuReloadPage")), &QAction::triggered, this,
            &MainWindow::mnuReloadPage_Click);

    // The keys work wherever the focus is in the main window, as its menus do.
    for (const int key : {kKeyF5, kKeyF2}) {
        auto *shortcut = new QShortcut(QKeySequence(key == kKeyF5 ? Qt::Key_F5 : Qt::Key_F2), this);
        connect(shortcut, &QShortcut::activated, this, [this, key] { Form_KeyDown(key); });
    }

    connectMainMenus();
}

// ---- Reloading ----------------------------------------------------------------------

// Each loader starts a pass of its own, which counts its slots from nothing.
void MainWindow::loadSstv() {
    if (onReload)
        onReload(false);
    LoadSstvPage();
}

void MainWindow::loadWx() {
    if (onReload)
        onReload(true);
    LoadWxPage();
}

void MainWindow::commonReload() {
    if (!state_.page.Online)
        return;
    if (!state_.page.isWxPage()) {
        setRefreshMenuText(mnuRefresh, mnuRefresh->text());
        loadSstv();
    } else {
        loadWx();
    }
}

void MainWindow::reloadAfterChange() {
    if (!state_.page.Online)
        return;
    setRefreshMenuText(mnuRefresh, mnuRefresh->text());
    if (!state_.page.isWxPage())
        loadSstv();
    else
        loadWx();
}

void MainWindow::restartRefreshIfAutomatic() {
    if (state_.config.AutoRefreshMode == 1)
        refresh_.StartRefreshTimers();
}

void MainWindow::clearHoverState() {
    hover_.TipText.clear();
    hover_.HoverIndex = -1;
    hover_.LastTipSlot = -1;
}

// ---- The refresh timers -------------------------------------------------------------

void MainWindow::Timer6_Timer() {
    ++refresh_.Timer6Seconds;
    if (refresh_.Timer6Seconds < state_.config.RefreshSeconds)
        return;
    refresh_.Timer6Seconds = 0;
    refresh_.StopRefreshTimers();
    if (!state_.page.isWxPage())
        commonReload();
    restartRefreshIfAutomatic();
}

void MainWindow::Timer4_Timer() {
    ++refresh_.Timer4Ticks;
    if (refresh_.Timer4Ticks < kWxTicksPerReload)
        return;
    refresh_.Timer4Ticks = 0;
    // The WX page reloads even offline: its sites are asked directly, and a
    // failure shows on each slot.
    loadWx();
}

// ---- Refresh commands -----------------------------------------------------------------

void MainWindow::mnuRate_Click(int index) {
    if (index < 0 || index >= kRateItems)
        return;
    Config &config = state_.config;
    config.RefreshSeconds = std::int16_t((index + 1) * 30);
    if (index >= kManualRateIndex) {
        config.AutoRefreshMode = 0;
        refresh_.StopRefreshTimers();
    } else {
        config.AutoRefreshMode = 1;
        refresh_.StartRefreshTimers();
    }
    restorePlainMenuText(mnuRefresh, refreshMenuCaption(state_.texts, config.AutoRefreshMode,
                                                        config.RefreshSeconds));
}

void MainWindow::mnuRefresh_Click() {
    clearHoverState();
    state_.page.UpdateCheckPending = true;
    refresh_.StopRefreshTimers();
    // The slot table stays: only pictures whose check picture changed are fetched.
    commonReload();
    restartRefreshIfAutomatic();
}

void MainWindow::mnuReloadPage_Click() {
    // Without the remembered check pictures every picture is fetched again.
    state_.page.SlotTable.erase();
    clearHoverState();
    refresh_.StopRefreshTimers();
    commonReload();
    restartRefreshIfAutomatic();
}

void MainWindow::Timer5_Timer() {
    sitesChangedTimer.stop();
    state_.page.SlotTable.erase();
    clearHoverState();
    state_.page.UpdateCheckPending = true;
    refresh_.StopRefreshTimers();
    commonReload();
    restartRefreshIfAutomatic();
}

// Refreshing one site touches neither the timers nor the pass.
void MainWindow::mnuRefreshSite_Click() {
    StartSlotFetch();
}

// ---- Keys and the alphabetical list -------------------------------------------------

void MainWindow::Form_KeyDown(int key) {
    if (key == kKeyF5)
        mnuRefresh_Click();
    if (key == kKeyF2)
        showAlphaList();
}

void MainWindow::showAlphaList() {
    QMenu *popUp = menu(QStringLiteral("mnuPopUp"));
    if (!popUp)
        return;
    const QList<AlphaMenuItem> items = alphaMenu(List1, state_.ZeroChar);
    for (int i = 0; i < kAlphaMenuItems; ++i) {
        QAction *item = menuItem(QStringLiteral("mnuAlphaList"), i);
        if (!item)
            continue;
        item->setVisible(i < items.size());
        if (i < items.size())
            item->setText(items[i].caption);
    }
    // Left edge at the third slot's frame, top at the top of the grid.
    QPoint at = picAll_->mapToGlobal(QPoint(0, 0));
    if (const QRect third = slotFrameOnScreen(2); !third.isNull())
        at.setX(third.left());
    popUp->popup(at);
}

// ---- The blink of a picked slot -----------------------------------------------------

void MainWindow::startSlotBlink(int slot) {
    ThumbCell *target = cell(slot);
    if (!target)
        return;
    stopSlotBlink();
    BlinkSlot = slot;
    BlinkCount = 0;
    BlinkColour = target->shapeColor();
    blinkTimer.start();
}

void MainWindow::Timer2_Timer() {
    ThumbCell *target = cell(BlinkSlot);
    if (!target) {
        blinkTimer.stop();
        return;
    }
    ++BlinkCount;
    target->setShapeColor(BlinkCount % 2 == 1 ? kBlinkBlue : BlinkColour);
    if (BlinkCount >= kBlinkTicks) {
        blinkTimer.stop();
        target->setShapeColor(BlinkColour);
        target->update();
    }
}

void MainWindow::stopSlotBlink() {
    if (!blinkTimer.isActive())
        return;
    blinkTimer.stop();
    if (ThumbCell *target = cell(BlinkSlot))
        target->setShapeColor(BlinkColour);
}

} // namespace tavimo
