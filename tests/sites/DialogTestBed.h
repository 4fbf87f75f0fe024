#pragma once

// What the tests of the site dialogs stand on without the real main window.

#include "core/app/AppState.h"
#include "core/files/AppPaths.h"
#include "core/files/SettingsStore.h"
#include "core/net/DownloadControl.h"
#include "support/FakeMainWindow.h"
#include "support/FakePrompts.h"
#include "ui/WindowRegistry.h"

#include <QDir>
#include <QTemporaryDir>

#include <memory>

namespace tavimo::test {

// The shared data of a program whose data folder and settings file are temporary, and a
// stand-in for the main window that keeps eleven page captions and notes every call.
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
        main.widget.resize(800, 600);
        main.widget.move(100, 50);
    }

    QTemporaryDir dir;
    SettingsStore store;
    FakePrompts prompts;
    DownloadContext downloads;
    FakeMainWindow main;
    WindowRegistry windows;
    AppState state;
};

} // namespace tavimo::test
