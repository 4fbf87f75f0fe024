#pragma once

#include "core/app/SaveConfig.h"
#include "core/files/AppPaths.h"
#include "core/files/SettingsStore.h"
#include "core/sites/SiteLists.h"

#include "support/TestFiles.h"

namespace tavimo::test {

// Two versions of everything a save writes, for the tests that interrupt
// saves: every file differs between them, and each is large enough that a
// save takes a while.
struct SavedState {
    Config config;
    SiteList sites;
    WxSiteList wxSites;
    WindowSideValues window;
};

inline SavedState savedState(int version) {
    SavedState s;
    s.config.ThumbSetting = 2;
    s.config.RefreshSeconds = std::int16_t(60 + version);
    s.config.MyCall = QStringLiteral("K%1ABC").arg(version);
    for (int i = 0; i < 400; ++i) {
        SiteRecord r =
            makeSite(QStringLiteral("K%1V%2").arg(i).arg(version),
                     QStringLiteral("http://127.0.0.1/site%1/image%2.jpg").arg(i).arg(version));
        r.Latitude = 40 + version;
        r.LastPictureDate = QStringLiteral("2024-05-0%1 10:%2").arg(version + 1).arg(i % 60);
        s.sites.append(r);
    }
    for (int i = 0; i < 40; ++i)
        s.wxSites.append(makeSite(QStringLiteral("WX %1 v%2").arg(i).arg(version),
                                  QStringLiteral("http://127.0.0.1/wx%1/%2").arg(i).arg(version)));
    s.window.placement = {0, 1, 100, 100, 10, 20, 810 + version, 620};
    s.window.pageNames = QStringList(10, QStringLiteral("Page v%1").arg(version));
    return s;
}

// Saves the version; the settings store only when one is given.
inline SaveConfigResult saveVersion(const AppPaths &paths, SavedState &state, Prompts &prompts,
                                    SettingsStore *store = nullptr) {
    return SaveConfig({&paths, &state.config, &state.sites, &state.wxSites, store, &prompts,
                       store ? &state.window : nullptr});
}

inline QStringList savedFileNames() {
    return {kConfigFile, kSiteListFile, kWxSiteListFile};
}

} // namespace tavimo::test
