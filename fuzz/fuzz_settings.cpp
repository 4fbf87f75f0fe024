// The settings file (INI): placement, page names, save folder, blocked
// callsigns and endpoints.
#include "FuzzSupport.h"

#include "core/files/Endpoints.h"
#include "core/files/SettingsStore.h"
#include "core/files/StoreSettings.h"

using namespace tavimo;
using namespace tavimo::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    // A fresh name each time: the settings machinery caches files by name.
    static int run = 0;
    const QString path =
        writeScratch(QStringLiteral("settings%1.ini").arg(++run % 1000), input(data, size));
    {
        const SettingsStore store(path);
        readWindowPlacement(store);
        must(readPageNames(store, QStringLiteral("Page ")).size() == 10, "ten page names");
        readSaveFolder(store, QStringLiteral("/opt/tavimo"));
        must(readBlockedCallsigns(store).size() <= 10, "at most ten blocked callsigns");
        readEndpoints(store);
    }
    QFile::remove(path);
    return 0;
}
