#include "core/app/SaveConfig.h"

#include "core/base/Prompts.h"
#include "core/files/AppPaths.h"
#include "core/files/SettingsStore.h"
#include "core/sites/SiteLists.h"

namespace tavimo {
namespace {

const QString kTitle = QStringLiteral("Tavimo");

// One message box of no more than this many sites; the rest are counted.
constexpr int kDuplicatesShown = 20;

QString duplicatesMessage(const QString &heading, const QStringList &dropped) {
    QStringList lines{heading};
    lines += dropped.mid(0, kDuplicatesShown);
    if (dropped.size() > kDuplicatesShown)
        lines.append(QStringLiteral("... (%1 more)").arg(dropped.size() - kDuplicatesShown));
    return lines.join(QStringLiteral("\r\n"));
}

struct Failure {
    QString file;
    QString error;
};

} // namespace

SaveConfigResult SaveConfig(const SaveConfigInputs &in) {
    SaveConfigResult result;
    QList<Failure> listFailures, otherFailures;
    QStringList duplicateMessages;

    const QString configPath = in.paths->data(kConfigFile);
    if (const WriteResult w = writeConfig(configPath, *in.config); !w)
        otherFailures.append({configPath, w.error});

    const auto saveList = [&](SiteList *sites, const QString &fileName, const QString &heading,
                              auto write) {
        if (!sites)
            return;
        const QStringList dropped = removeDuplicateAddresses(*sites);
        if (!dropped.isEmpty())
            duplicateMessages.append(duplicatesMessage(heading, dropped));
        const QString path = in.paths->data(fileName);
        if (const WriteResult w = write(path, *sites); !w)
            listFailures.append({path, w.error});
    };
    saveList(in.sites, kSiteListFile, QStringLiteral("Duplicate removed from SSTV list"),
             writeSiteList);
    saveList(in.wxSites, kWxSiteListFile, QStringLiteral("Duplicate removed from WX list"),
             writeWxSiteList);

    if (in.window) {
        SettingsStore &store = *in.store;
        writeWindowPlacement(store, in.window->placement);
        writePageNames(store, in.window->pageNames);
        writeSaveFolder(store, in.window->SaveFolder);
        writeMonitorIndex(store, in.window->MonIdx);
        writeBlockedCallsigns(store, in.window->blockedCallsigns);
        if (QString error; !store.sync(&error))
            otherFailures.append({store.fileName(), error});
    }

    // The messages wait until every file is written: a box runs an event loop.
    Prompts &prompts = *in.prompts;
    if (!duplicateMessages.isEmpty())
        prompts.message(duplicateMessages.join(QStringLiteral("\r\n\r\n")), kTitle);
    QStringList errors;
    for (const Failure &failure : listFailures + otherFailures) {
        result.failedFiles.append(failure.file);
        errors.append(failure.error);
    }
    if (!errors.isEmpty()) {
        result.ok = false;
        result.error = errors.join(QStringLiteral("\n\n"));
        prompts.message(result.error, kTitle, Prompts::Icon::Exclamation);
    }
    return result;
}

} // namespace tavimo
