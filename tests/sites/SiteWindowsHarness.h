#pragma once

// The world of the site windows: shared data on a temporary data folder and
// settings file, a callbook on a loopback server, fake prompts, and a stand-in
// for the main window that keeps eleven page captions and notes every call.

#include "core/app/AppState.h"
#include "core/files/SettingsStore.h"
#include "core/net/DownloadControl.h"
#include "core/sites/SlotMap.h"
#include "support/FakeMainWindow.h"
#include "support/FakePrompts.h"
#include "support/LoopbackServer.h"
#include "support/TestFiles.h"
#include "ui/WindowRegistry.h"

#include <QDir>
#include <QListWidget>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>

#include <chrono>

namespace tavimo::test {

using namespace Qt::StringLiterals;

struct SiteWindowsHarness {
    QTemporaryDir dir;
    LoopbackServer server;
    DownloadContext downloads;
    FakePrompts prompts;
    FakeMainWindow main;
    SettingsStore settings{dir.path() + u"/Tavimo.ini"_s};
    WindowRegistry registry;
    AppState state;

    SiteWindowsHarness() {
        main.widget.setGeometry(100, 80, 900, 700);
        main.widget.winId(); // a native window, for modal dialogs to block
        server.start();
        downloads.setTransferTimeout(std::chrono::seconds(5));
        state.paths.dataFolder = dir.path() + u"/tavimo"_s;
        QDir().mkpath(state.paths.dataFolder);
        state.settings = &settings;
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

// An SSTV site shown in `slot` of `page` (-1: none) under the harness's thumbnail setting.
inline SiteRecord sstvAt(const QString &call, int page, int slot) {
    SiteRecord r = makeSite(call, u"http://127.0.0.1/"_s + call + u"/image1.jpg"_s);
    r.SlotMap[2] = withSstvSlotOnPage(kEmptySlotMap, page, slot);
    return r;
}

inline QStringList listTexts(const QListWidget *list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

inline QStringList callsigns(const SiteList &sites) {
    QStringList calls;
    for (const SiteRecord &s : sites)
        calls << s.Callsign;
    return calls;
}

} // namespace tavimo::test
