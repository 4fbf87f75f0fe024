#pragma once

// A stand-in for the main window as the site dialogs see it, and the shared data of a
// program in a temporary folder, for tests of those dialogs without the real main window.

#include "core/app/AppState.h"
#include "core/app/MainWindowAccess.h"
#include "core/files/AppPaths.h"
#include "core/files/SettingsStore.h"
#include "core/net/DownloadControl.h"
#include "support/FakePrompts.h"
#include "ui/WindowRegistry.h"

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>

#include <memory>

namespace tavimo::test {

// Notes every call as a word ("disable", "enable", "stop", "resume", "reload", "clear 3",
// "repaint") and keeps eleven page captions.
class DialogHostFake final : public MainWindowAccess {
public:
    DialogHostFake() {
        for (int page = 1; page <= 11; ++page)
            captions << QStringLiteral("Page %1").arg(page);
        host.resize(800, 600);
        host.move(100, 50);
    }

    QWidget *window() override { return &host; }
    void setMainEnabled(bool enabled) override { calls << (enabled ? "enable" : "disable"); }
    void activateMain() override { calls << "activate"; }
    void StopRefreshTimers() override { calls << "stop"; }
    void StartRefreshTimers() override { calls << "start"; }
    void resumeRefreshTimers() override { calls << "resume"; }
    void armSitesChanged() override { calls << "reload"; }
    void handOverPickedSite(int siteIndex) override {
        calls << QStringLiteral("pick %1").arg(siteIndex);
    }
    QString pageCaption(int page) const override { return captions.value(page - 1); }
    void setPageCaption(int page, const QString &caption) override {
        if (page >= 1 && page <= captions.size())
            captions[page - 1] = caption;
    }
    void repaintPageItem() override {
        calls << QStringLiteral("repaint ") + captions.value(shownPage - 1);
    }
    QString slotCallCaption(int) const override { return {}; }
    QString slotFromCaption(int) const override { return {}; }
    void setSlotCallCaption(int, const QString &) override {}
    void clearSlot(int slot) override { calls << QStringLiteral("clear %1").arg(slot); }
    QRect slotFrameOnScreen(int) const override { return {}; }
    QFont labelFont() const override { return {}; }
    AnimatedPicture *slotPicture(int) override { return nullptr; }

    QWidget host;
    QStringList calls;
    QStringList captions;
    int shownPage = 1;
};

// The shared data of a program whose data folder and settings file are temporary.
struct DialogTestBed {
    DialogTestBed() : store(dir.filePath(QStringLiteral("Tavimo.ini"))) {
        state.paths.dataFolder = dir.filePath(QStringLiteral("data"));
        state.paths.programFolder = dir.filePath(QStringLiteral("program"));
        QDir().mkpath(state.paths.data(QStringLiteral("TextFiles")));
        state.settings = &store;
        state.prompts = &prompts;
        state.downloads = &downloads;
        state.mainWindow = &main;
        state.sitesLoaded = true;
        state.wxSitesLoaded = true;
        downloads.setTransferTimeout(std::chrono::milliseconds(3000));
    }

    QTemporaryDir dir;
    SettingsStore store;
    FakePrompts prompts;
    DownloadContext downloads;
    DialogHostFake main;
    WindowRegistry windows;
    AppState state;
};

} // namespace tavimo::test
