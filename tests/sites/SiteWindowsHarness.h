#pragma once

// The world of the site windows: shared data on a temporary data folder, a
// callbook on a loopback server, fake prompts, and a stand-in for the main
// window that notes what is asked of it.

#include "core/app/AppState.h"
#include "core/files/SettingsStore.h"
#include "core/net/DownloadControl.h"
#include "support/FakeMainWindow.h"
#include "support/FakePrompts.h"
#include "support/LoopbackServer.h"
#include "support/TestFiles.h"
#include "ui/WindowRegistry.h"

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>

#include <chrono>
#include <memory>

namespace tavimo::test {

using namespace Qt::StringLiterals;

struct SiteWindowsHarness {
    QTemporaryDir dir;
    LoopbackServer server;
    DownloadContext downloads;
    FakePrompts prompts;
    FakeMainWindow main;
    std::unique_ptr<SettingsStore> settings;
    WindowRegistry registry;
    AppState state;

    SiteWindowsHarness() {
        main.widget.setGeometry(100, 80, 900, 700);
        main.widget.winId(); // a native window, for modal dialogs to block
        server.start();
        downloads.setTransferTimeout(std::chrono::seconds(5));
        state.paths.dataFolder = dir.path() + u"/tavimo"_s;
        QDir().mkpath(state.paths.dataFolder);
        settings = std::make_unique<SettingsStore>(dir.path() + u"/Tavimo.ini"_s);
        state.settings = settings.get();
        state.prompts = &prompts;
        state.downloads = &downloads;
        state.mainWindow = &main;
        state.endpoints.CallbookEham = server.url(u"/eham/"_s).toString();
        state.sitesLoaded = state.wxSitesLoaded = true;
        state.config.ThumbSetting = 2;
        state.config.AutoRefreshMode = 1;
        state.texts.LngCall = u"Callsign:"_s;
    }
    ~SiteWindowsHarness() {
        for (QWidget *window : registry.loadedWindows())
            delete window;
    }
};

inline QStringList callsigns(const SiteList &sites) {
    QStringList calls;
    for (const SiteRecord &s : sites)
        calls << s.Callsign;
    return calls;
}

} // namespace tavimo::test
