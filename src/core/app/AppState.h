#pragma once

#include "core/app/AppEvents.h"
#include "core/app/Monitors.h"
#include "core/files/AppPaths.h"
#include "core/files/Config.h"
#include "core/files/Endpoints.h"
#include "core/sites/SiteRecord.h"
#include "core/sites/SlotTable.h"
#include "core/text/DateOrder.h"
#include "core/text/Language.h"
#include "core/thumbs/GridGeometry.h"
#include "core/thumbs/PageState.h"

#include "Version.h"
#include "core/files/StoreSettings.h"

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

inline const QString kVersionTitle = QStringLiteral("Tavimo  " TAVIMO_VERSION);

// The program's shared data: made once in main() and handed to every window;
// tests make their own. Nothing here is global.
struct AppState {
    AppPaths paths;
    SettingsStore *settings = nullptr;      // not owned
    Prompts *prompts = nullptr;             // not owned
    DownloadContext *downloads = nullptr;   // not owned: the one network manager and DownloadBuffer
    WindowOpener *opener = nullptr;         // not owned
    MainWindowAccess *mainWindow = nullptr; // set by the main window while it exists
    AppEvents events;                       // changes several windows care about
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
