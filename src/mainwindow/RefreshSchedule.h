#pragma once

#include "core/thumbs/RefreshTimers.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>

namespace tavimo {

struct AppState;
class PageLoader;

// Keeping the page fresh: the two refresh timers, the refresh commands of the
// menu bar, the thumbnail pop-up and the keyboard, and the reload after the
// site lists changed. Every reload the window starts on its own goes through
// here: both timers stop, the page loads (only while online, except the WX
// page's own tick), and the timer of the page shown starts again when
// refreshing is automatic.
class RefreshSchedule : public QObject {
    Q_OBJECT

public:
    RefreshSchedule(AppState &state, PageLoader &loader, std::chrono::milliseconds sstvTick,
                    std::chrono::milliseconds wxTick, QObject *parent = nullptr);

    RefreshTimers &timers() { return refresh_; }
    void StopRefreshTimers() { refresh_.StopRefreshTimers(); }
    void StartRefreshTimers() { refresh_.StartRefreshTimers(); }
    // StartRefreshTimers when refreshing is automatic.
    void restartIfAutomatic();

    // The reload shared by the refresh commands: on an SSTV page the Refresh
    // item shows its loading look; nothing is loaded while offline.
    void commonReload();
    // The reload after a page, layout or language change: the loading look on
    // either kind of page, nothing while offline.
    void reloadAfterChange();

    void mnuRate_Click(int index);
    void mnuRefresh_Click();
    void mnuReloadPage_Click();
    // The site lists changed: shortly after, the page reloads from scratch and
    // checks for updates again.
    void armSitesChanged();
    bool sitesChangePending() const { return sitesChangedTimer.isActive(); }

    // Both timers and the pending reload off (shutdown).
    void stop();

    // Called just before every reload started here: wxPage says which loader runs.
    std::function<void(bool wxPage)> onReload;

signals:
    // The Refresh item shows its loading look.
    void loadingLookWanted();
    // The page is about to change under the pointer: nothing hovered any more.
    void hoverReset();
    // The refresh rate changed: the Refresh item's caption follows it.
    void rateChanged();

private:
    void sstvRefreshTimer_Timer();
    void wxRefreshTimer_Timer();
    void sitesChangedTimer_Timer();
    void loadSstv();
    void loadWx();

    AppState &state_;
    PageLoader &loader_;
    RefreshTimers refresh_;
    QTimer sitesChangedTimer; // one shot: reload after the site lists changed
};

} // namespace tavimo
