#include "core/app/SaveConfig.h"

#include "core/base/Prompts.h"
#include "core/files/AppPaths.h"
#include "core/files/SettingsStore.h"
#include "core/sites/SiteLists.h"

namespace tavimo {
namespace {

const QString kTitle = QStringLiteral("Tavimo");

SaveConfigResult failed(Prompts &prompts, const QString &file, const QString &error) {
    prompts.message(error, kTitle, Prompts::Icon::Exclamation);
    return {false, file, error};
}

void reportDuplicates(Prompts &prompts, SiteList &sites, const QString &heading) {
    for (const QString &duplicate : removeDuplicateAddresses(sites))
        prompts.message(heading + QStringLiteral("\r\n") + duplicate, kTitle);
}

} // namespace

SaveConfigResult SaveConfig(const SaveConfigInputs &in) {
    Prompts &prompts = *in.prompts;

    const QString configPath = in.paths->data(kConfigFile);
    if (const WriteResult w = writeConfig(configPath, *in.config); !w)
        return failed(prompts, configPath, w.error);

    if (in.sites) {
        reportDuplicates(prompts, *in.sites, QStringLiteral("Duplicate removed from SSTV list"));
        const QString path = in.paths->data(kSiteListFile);
        if (const WriteResult w = writeSiteList(path, *in.sites); !w)
            return failed(prompts, path, w.error);
    }
    if (in.wxSites) {
        reportDuplicates(prompts, *in.wxSites, QStringLiteral("Duplicate removed from WX list"));
        const QString path = in.paths->data(kWxSiteListFile);
        if (const WriteResult w = writeWxSiteList(path, *in.wxSites); !w)
            return failed(prompts, path, w.error);
    }

    if (!in.window)
        return {};
    SettingsStore &store = *in.store;
    writeWindowPlacement(store, in.window->placement);
    writePageNames(store, in.window->pageNames);
    writeSaveFolder(store, in.window->SaveFolder);
    writeMonitorIndex(store, in.window->MonIdx);
    writeBlockedCallsigns(store, in.window->blockedCallsigns);
    if (QString error; !store.sync(&error))
        return failed(prompts, store.fileName(), error);
    return {};
}

} // namespace tavimo
