#pragma once

// A started main window for the refresh, menu and update-check tests: the
// harness's temporary folders, fakes and settings, plus a fake clock setter,
// chosen tick intervals, reloads counted by kind and an opener that notes the
// hand-over values as each window opens.

#include "MainWindowHarness.h"

#include "core/MenuBarPainter.h"
#include "platform/ClockSetter.h"
#include "support/LoopbackServer.h"

#include <QAction>
#include <QMenu>
#include <QTest>

#include <chrono>
#include <memory>

namespace tavimo::test {

// Records each call with its arguments and what the main window had set when
// the window opened.
class HandOverOpener final : public WindowOpener {
public:
    struct Call {
        QString name;
        QString argument;
        int galleryRequest = 0;
        bool refreshLoadingLook = false;
        bool sstvTimerRunning = false;
    };

    AppState *state = nullptr;
    std::function<QAction *()> refreshItem;
    std::function<bool()> sstvRunning;
    QList<Call> calls;
    QList<QStringList> siteNews; // the sections handed to each site-news window
    QList<bool> siteNewsFromMain;

    QStringList names() const {
        QStringList result;
        for (const Call &call : calls)
            result << call.name;
        return result;
    }
    int count(const QString &name) const { return int(names().count(name)); }

    void openGallery(int r) override { note(QStringLiteral("openGallery"), QString::number(r)); }
    void closeGallery() override { note(QStringLiteral("closeGallery")); }
    void openPictureViewer(const QString &path, int, QPoint) override {
        note(QStringLiteral("openPictureViewer"), path);
    }
    void openCaptionZoom(int) override { note(QStringLiteral("openCaptionZoom")); }
    void closeCaptionZoom() override { note(QStringLiteral("closeCaptionZoom")); }
    void openStation(const QString &callsign, bool fromCall) override {
        note(QStringLiteral("openStation"),
             callsign + (fromCall ? QStringLiteral(" from") : QStringLiteral(" site")));
    }
    void openSiteMap(int, double, double) override { note(QStringLiteral("openSiteMap")); }
    void openWebMap(const QString &, const QString &) override {
        note(QStringLiteral("openWebMap"));
    }
    void openSiteSelection(bool, int, bool) override { note(QStringLiteral("openSiteSelection")); }
    void rebuildSiteSelection() override { note(QStringLiteral("rebuildSiteSelection")); }
    void openSiteNews(const QStringList &sections, bool fromMain) override {
        note(QStringLiteral("openSiteNews"));
        siteNews << sections;
        siteNewsFromMain << fromMain;
    }
    void openAbout() override { note(QStringLiteral("openAbout")); }
    void openAddSite() override { note(QStringLiteral("openAddSite")); }
    void openEditSite() override { note(QStringLiteral("openEditSite")); }
    void openRemoveSite() override { note(QStringLiteral("openRemoveSite")); }
    void openOwnPosition() override { note(QStringLiteral("openOwnPosition")); }
    void openPageNames() override { note(QStringLiteral("openPageNames")); }
    void openHelp() override { note(QStringLiteral("openHelp")); }
    void openTextMessages(int, const QString &) override {
        note(QStringLiteral("openTextMessages"));
    }
    void openLastHeard(int) override { note(QStringLiteral("openLastHeard")); }
    void closeLastHeard() override { note(QStringLiteral("closeLastHeard")); }
    void openPageMap() override { note(QStringLiteral("openPageMap")); }
    void closeAll() override { note(QStringLiteral("closeAll")); }

private:
    void note(const QString &name, const QString &argument = QString()) {
        Call call{name, argument};
        if (state)
            call.galleryRequest = state->page.GalleryRequest;
        if (refreshItem)
            call.refreshLoadingLook = menuPicture(refreshItem()).has_value();
        if (sstvRunning)
            call.sstvTimerRunning = sstvRunning();
        calls << call;
    }
};

// Five SSTV sites, three of them on page 1, one on page 2 and one on page 3
// in every thumbnail setting, and two WX sites. Every page the tests switch
// to holds a site, so that a reload there has something to load. Their
// server never answers, so no answer changes a slot while a test looks.
inline QStringList rigSiteListLines(const QString &base) {
    return {QStringLiteral("AB1CD*1000000000*1000000000*1000000000*1000000000*51.5*-0.12**"),
            base + QStringLiteral("/ab1cd/image1.jpg"),
            QStringLiteral("EF2GH*2000000000*2000000000*2000000000*2000000000*40*-74**"),
            base + QStringLiteral("/ef2gh/image1.jpg"),
            QStringLiteral("K0XYZ*3000000000*3000000000*3000000000*3000000000*0*0**"),
            base + QStringLiteral("/k0xyz/image1.jpg"),
            QStringLiteral("ON4AA*0100000000*0100000000*0100000000*0100000000*50.8*4.4**"),
            base + QStringLiteral("/on4aa/image1.jpg"),
            QStringLiteral("SP3AB*0020000000*0020000000*0020000000*0020000000*52.2*21**"),
            base + QStringLiteral("/sp3ab/image1.jpg")};
}

inline QStringList rigWxListLines(const QString &base) {
    return {QStringLiteral("NOAA*1*1*1*1"), base + QStringLiteral("/wx/latest.jpg"),
            QStringLiteral("METEOR*2*2*2*2"), base + QStringLiteral("/wx/meteor.jpg")};
}

class RefreshRig {
public:
    struct Options {
        int guiSize = 1;
        int thumbSetting = 2;
        int autoRefresh = 1;
        int refreshSeconds = 30;
        int startPage = 0;
        int language = 0;
        // Long by default: the tests tick the timers themselves.
        std::chrono::milliseconds sstvTick = std::chrono::hours(1);
        std::chrono::milliseconds wxTick = std::chrono::hours(1);
    };

    RefreshRig() : RefreshRig(Options{}) {}
    explicit RefreshRig(const Options &options) : options_(options) {
        h.writeData(QStringLiteral("tavimo.cfg"),
                    configFileLines(options.guiSize, options.thumbSetting, options.autoRefresh,
                                    options.refreshSeconds, options.startPage, options.language));
        sites.setHandler([](const RecordedRequest &) {
            Route route;
            route.stall = true;
            return std::optional<Route>(route);
        });
        sites.start();
        const QString base = sites.url(QStringLiteral("")).toString();
        h.writeData(QStringLiteral("tavimo.lst"), rigSiteListLines(base));
        h.writeData(QStringLiteral("WXsites.lst"), rigWxListLines(base));
        h.state.opener = &opener;
        opener.state = &h.state;
    }

    // Makes and starts the window; false when start-up ended early.
    bool start() {
        MainWindowDeps deps;
        deps.opener = &opener;
        deps.connectionChecker = &h.checker;
        deps.acquireSingleInstance = [] { return true; };
        deps.folderWritable = [](const QString &) { return false; };
        deps.quit = [] {};
        deps.clockSetter = &clock;
        deps.sstvTick = options_.sstvTick;
        deps.wxTick = options_.wxTick;
        window_ = std::make_unique<MainWindow>(h.state, deps);
        window_->onReload = [this](bool wx) { ++(wx ? wxReloads : sstvReloads); };
        window_->openExternalUrl = [this](const QString &address) {
            openedUrls << address;
            return true;
        };
        opener.refreshItem = [this] { return window_->menuItem(QStringLiteral("mnuRefresh")); };
        opener.sstvRunning = [this] { return window_->refreshTimers().sstvRunning(); };
        const bool started = window_->startUp();
        opener.calls.clear();
        return started;
    }

    MainWindow &w() { return *window_; }
    PageState &page() { return h.state.page; }
    Config &config() { return h.state.config; }
    int reloads() const { return sstvReloads + wxReloads; }

    QAction *item(const QString &name, int index = -1) { return window_->menuItem(name, index); }
    // Runs a menu item as a click does.
    void click(const QString &name, int index = -1) {
        QAction *action = item(name, index);
        QVERIFY2(action, qPrintable(name));
        action->trigger();
    }
    // The Setup menu opening, which sets its check marks.
    void openSetup() { emit window_->menu(QStringLiteral("mnuSetup"))->aboutToShow(); }
    bool loadingLook() { return menuPicture(item(QStringLiteral("mnuRefresh"))).has_value(); }

    void tickSstv(int times) {
        for (int i = 0; i < times; ++i)
            emit window_->refreshTimers().sstvTick();
    }
    void tickWx(int times) {
        for (int i = 0; i < times; ++i)
            emit window_->refreshTimers().wxTick();
    }

    LoopbackServer sites;
    Harness h;
    FakeClockSetter clock;
    HandOverOpener opener;
    int sstvReloads = 0;
    int wxReloads = 0;
    QStringList openedUrls;

private:
    Options options_;
    std::unique_ptr<MainWindow> window_;
};

} // namespace tavimo::test
