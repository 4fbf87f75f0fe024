#include "mainwindow/RefreshSchedule.h"

#include "core/app/AppState.h"
#include "mainwindow/PageLoader.h"

namespace tavimo {

namespace {

// The WX page is reloaded on every third tick of its one-minute timer.
constexpr int kWxTicksPerReload = 3;
constexpr int kRateItems = 5; // 30, 60, 90, 120 seconds and manual
constexpr int kManualRateIndex = 4;
constexpr int kOneShotMs = 100;

} // namespace

RefreshSchedule::RefreshSchedule(AppState &state, PageLoader &loader,
                                 std::chrono::milliseconds sstvTick,
                                 std::chrono::milliseconds wxTick, QObject *parent)
    : QObject(parent), state_(state), loader_(loader),
      refresh_([&state] { return state.page.isWxPage(); }, nullptr, sstvTick, wxTick) {
    sitesChangedTimer.setSingleShot(true);
    sitesChangedTimer.setInterval(kOneShotMs);
    connect(&refresh_, &RefreshTimers::sstvTick, this, &RefreshSchedule::sstvRefreshTimer_Timer);
    connect(&refresh_, &RefreshTimers::wxTick, this, &RefreshSchedule::wxRefreshTimer_Timer);
    connect(&sitesChangedTimer, &QTimer::timeout, this, &RefreshSchedule::sitesChangedTimer_Timer);
}

void RefreshSchedule::restartIfAutomatic() {
    if (state_.config.AutoRefreshMode == 1)
        refresh_.StartRefreshTimers();
}

void RefreshSchedule::stop() {
    refresh_.StopRefreshTimers();
    sitesChangedTimer.stop();
}

// ---- Reloading ----------------------------------------------------------------------

// Each loader starts a pass of its own, which counts its slots from nothing.
void RefreshSchedule::loadSstv() {
    if (onReload)
        onReload(false);
    loader_.LoadSstvPage();
}

void RefreshSchedule::loadWx() {
    if (onReload)
        onReload(true);
    loader_.LoadWxPage();
}

void RefreshSchedule::commonReload() {
    if (!state_.page.Online)
        return;
    if (!state_.page.isWxPage()) {
        emit loadingLookWanted();
        loadSstv();
    } else {
        loadWx();
    }
}

void RefreshSchedule::reloadAfterChange() {
    if (!state_.page.Online)
        return;
    emit loadingLookWanted();
    if (!state_.page.isWxPage())
        loadSstv();
    else
        loadWx();
}

// ---- The timers -------------------------------------------------------------------------

void RefreshSchedule::sstvRefreshTimer_Timer() {
    ++refresh_.Timer6Seconds;
    if (refresh_.Timer6Seconds < state_.config.RefreshSeconds)
        return;
    refresh_.Timer6Seconds = 0;
    refresh_.StopRefreshTimers();
    if (!state_.page.isWxPage())
        commonReload();
    restartIfAutomatic();
}

void RefreshSchedule::wxRefreshTimer_Timer() {
    ++refresh_.Timer4Ticks;
    if (refresh_.Timer4Ticks < kWxTicksPerReload)
        return;
    refresh_.Timer4Ticks = 0;
    // The WX page reloads even offline: its sites are asked directly, and a
    // failure shows on each slot.
    loadWx();
}

void RefreshSchedule::armSitesChanged() {
    sitesChangedTimer.start();
}

void RefreshSchedule::sitesChangedTimer_Timer() {
    sitesChangedTimer.stop();
    state_.page.SlotTable.erase();
    emit hoverReset();
    state_.page.UpdateCheckPending = true;
    refresh_.StopRefreshTimers();
    commonReload();
    restartIfAutomatic();
}

// ---- Refresh commands -----------------------------------------------------------------

void RefreshSchedule::mnuRate_Click(int index) {
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
    emit rateChanged();
}

void RefreshSchedule::mnuRefresh_Click() {
    emit hoverReset();
    state_.page.UpdateCheckPending = true;
    refresh_.StopRefreshTimers();
    // The slot table stays: only pictures whose check picture changed are fetched.
    commonReload();
    restartIfAutomatic();
}

void RefreshSchedule::mnuReloadPage_Click() {
    // Without the remembered check pictures every picture is fetched again.
    state_.page.SlotTable.erase();
    emit hoverReset();
    refresh_.StopRefreshTimers();
    commonReload();
    restartIfAutomatic();
}

} // namespace tavimo
