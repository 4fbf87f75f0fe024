#pragma once

#include "core/AppPaths.h"
#include "core/Config.h"
#include "core/DateOrder.h"
#include "core/Endpoints.h"
#include "core/GridGeometry.h"
#include "core/Language.h"
#include "core/Monitors.h"
#include "core/SiteRecord.h"
#include "core/SlotTable.h"
#include "core/StoreSettings.h"
#include "core/WindowRegistry.h"

#include <QColor>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

namespace tavimo {

class DownloadContext;
class MainWindowAccess;
class Prompts;
class SettingsStore;
class WindowOpener;

// The current time in UTC; tests hand in a clock of their own.
using UtcClock = std::function<QDateTime()>;

inline const QString kVersionTitle = QStringLiteral("Tavimo  4.91");

// The page on show and the bookkeeping of the pass over it.
struct PageState {
    int PageCount = kPageCount;
    int CurrentPage = 1; // 1..10 SSTV pages; PageCount is the WX page
    int SlotCount = 10;  // cells of the grid: 5, 10, 15 or 24
    int SelectedSlot = 0;
    int ExpectedCount = 0;
    int FinishedCount = 0;
    QString CurrentUrl;
    bool Online = false;
    bool UpdateCheckPending = true;
    int GalleryRequest = 0;
    tavimo::SlotTable SlotTable;

    bool isWxPage() const { return CurrentPage >= PageCount; }
};

// The program's shared data: made once in main() and handed to every window;
// tests make their own. Nothing here is global.
struct AppState {
    AppPaths paths;
    SettingsStore *settings = nullptr;      // not owned
    Prompts *prompts = nullptr;             // not owned
    DownloadContext *downloads = nullptr;   // not owned: the one network manager and DownloadBuffer
    WindowOpener *opener = nullptr;         // not owned
    MainWindowAccess *mainWindow = nullptr; // set by the main window while it exists
    UtcClock utcNow = [] { return QDateTime::currentDateTimeUtc(); };
    Endpoints endpoints = Endpoints::defaults();
    QString VersionTitle = kVersionTitle;

    Config config;
    PageState page;

    tavimo::SiteList SiteList;
    tavimo::WxSiteList WxSiteList;
    // A list that could not be read is never written back over the user's file.
    bool sitesLoaded = false;
    bool wxSitesLoaded = false;

    LanguageTexts texts;
    DateOrder dateOrder;
    QString ZeroChar = QStringLiteral("0");

    QStringList lstMap;   // map picture file names, sorted without regard to case
    QString SaveFolder;   // last folder a picture was saved to
    QStringList lstBlock; // blocked callsign fragments
    int MonIdx = 0;
    WindowPlacement placement;

    MonitorList monitors;
    WindowRegistry windows;

    // The screen the main window opened on, in twips as the layouts expect.
    ScreenMetrics screen;
    // Colours of the web view window.
    QColor ColorLight{110, 180, 220};
    QColor ColorDark{57, 140, 190};

    // --- The road of a picture ---

    // --- Refresh schedule, menus, update check and clock ---

    // --- Thumbnail hover, click and pop-up; slot assignment; maps ---
};

} // namespace tavimo
