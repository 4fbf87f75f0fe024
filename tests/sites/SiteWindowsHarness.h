#pragma once

// The world of the site windows: shared data on a temporary data folder, a
// callbook on a loopback server, fake prompts, and a stand-in for the main
// window that notes what is asked of it.

#include "core/app/AppState.h"
#include "core/app/MainWindowAccess.h"
#include "core/files/SettingsStore.h"
#include "core/net/DownloadControl.h"
#include "support/FakePrompts.h"
#include "support/LoopbackServer.h"
#include "support/TestFiles.h"
#include "ui/WindowRegistry.h"

#include <QDir>
#include <QFont>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>

#include <chrono>
#include <memory>

namespace tavimo::test {

using namespace Qt::StringLiterals;

class RecordingMainWindow final : public MainWindowAccess {
public:
    RecordingMainWindow() : captions(30) {
        widget.setGeometry(100, 80, 900, 700);
        widget.winId(); // a native window, for modal dialogs to block
    }

    QWidget widget;
    int stopped = 0;
    int resumed = 0;
    int reloads = 0;
    int activated = 0;
    QList<int> handedOver;
    QList<int> cleared;
    QStringList captions;

    QWidget *window() override { return &widget; }
    void setMainEnabled(bool enabled) override { widget.setEnabled(enabled); }
    void activateMain() override { ++activated; }
    void StopRefreshTimers() override { ++stopped; }
    void StartRefreshTimers() override { ++resumed; }
    void resumeRefreshTimers() override { ++resumed; }
    void armSitesChanged() override { ++reloads; }
    void handOverPickedSite(int siteIndex) override { handedOver << siteIndex; }
    QString pageCaption(int page) const override { return u"Page %1"_s.arg(page); }
    void setPageCaption(int, const QString &) override {}
    void repaintPageItem() override {}
    QString slotCallCaption(int slot) const override { return captions.value(slot); }
    QString slotFromCaption(int) const override { return {}; }
    void clearSlot(int slot) override { cleared << slot; }
    QRect slotFrameOnScreen(int) const override { return {}; }
    QFont labelFont() const override { return widget.font(); }
    AnimatedPicture *slotPicture(int) override { return nullptr; }
    void setSlotCallCaption(int slot, const QString &caption) override { captions[slot] = caption; }
};

struct SiteWindowsHarness {
    QTemporaryDir dir;
    LoopbackServer server;
    DownloadContext downloads;
    FakePrompts prompts;
    RecordingMainWindow main;
    std::unique_ptr<SettingsStore> settings;
    WindowRegistry registry;
    AppState state;

    SiteWindowsHarness() {
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
