#pragma once

#include "core/files/Config.h"
#include "core/files/StoreSettings.h"
#include "core/sites/SiteRecord.h"

#include <QString>
#include <QStringList>

namespace tavimo {

struct AppPaths;
class Prompts;
class SettingsStore;

// What only the main window knows; handed over only while it is visible.
struct WindowSideValues {
    WindowPlacement placement;
    QStringList pageNames; // pages 1 to 10
    QString SaveFolder;
    int MonIdx = 0;
    QStringList blockedCallsigns; // the first ten are kept
};

// paths, config and prompts are always needed; store whenever window is given.
struct SaveConfigInputs {
    const AppPaths *paths = nullptr;
    const Config *config = nullptr;
    // A list that failed to load is passed as null and never written back.
    // The duplicate pass empties callsigns in the lists given.
    SiteList *sites = nullptr;
    WxSiteList *wxSites = nullptr;
    SettingsStore *store = nullptr;
    Prompts *prompts = nullptr;
    const WindowSideValues *window = nullptr; // null while the main window is hidden
};

struct SaveConfigResult {
    bool ok = true;
    QStringList failedFiles; // the files that could not be written, lists first
    QString error;           // the message that named them
};

// Writes tavimo.cfg, tavimo.lst (after its duplicate pass), WXsites.lst (after
// its duplicate pass) and, with the window-side values, the settings store, in
// this order. Every file is replaced whole or not at all, and a file that
// cannot be written does not keep the others from being saved. Then, once
// everything is on disk, one message names the duplicates dropped and one the
// files that could not be saved, the lists first.
SaveConfigResult SaveConfig(const SaveConfigInputs &in);

} // namespace tavimo
