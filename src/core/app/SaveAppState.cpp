#include "core/app/SaveAppState.h"

#include "core/app/AppState.h"

namespace tavimo {

SaveConfigResult saveAppState(AppState &s, const WindowSideValues *window) {
    SaveConfigInputs in;
    in.paths = &s.paths;
    in.config = &s.config;
    in.sites = s.sitesLoaded ? &s.SiteList : nullptr;
    in.wxSites = s.wxSitesLoaded ? &s.WxSiteList : nullptr;
    in.store = s.settings;
    in.prompts = s.prompts;
    in.window = s.settings ? window : nullptr;
    return SaveConfig(in);
}

} // namespace tavimo
