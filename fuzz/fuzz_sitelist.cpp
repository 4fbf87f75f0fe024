// tavimo.lst: the old-format conversion, the reader and the duplicate pass;
// what is written reads back to the same lines.
#include "FuzzSupport.h"

#include "core/sites/SiteLists.h"

using namespace tavimo;
using namespace tavimo::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QString path = writeScratch(QStringLiteral("tavimo.lst"), input(data, size));
    if (isOldFormatSiteList(path)) {
        const QString backups = scratch().filePath(QStringLiteral("Backups"));
        ConvertOldSiteList(path, backups);
        QDir(backups).removeRecursively();
    }
    SiteListFile first = readSiteList(path);
    if (first.status != ListStatus::Read)
        return 0;
    removeDuplicateAddresses(first.sites);
    const QStringList written = siteListLines(first.sites);
    writeScratch(QStringLiteral("tavimo.lst"), textFileBytes(written));
    SiteListFile second = readSiteList(path);
    must(second.status == ListStatus::Read, "a written list reads");
    must(removeDuplicateAddresses(second.sites).isEmpty(), "no duplicates after a save");
    must(siteListLines(second.sites) == written, "write, read, write gives the same lines");
    return 0;
}
