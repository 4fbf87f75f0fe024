// WXsites.lst: the reader and the duplicate pass; what is written reads back
// to the same lines.
#include "FuzzSupport.h"

#include "core/sites/SiteLists.h"

using namespace tavimo;
using namespace tavimo::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QString path = writeScratch(QStringLiteral("WXsites.lst"), input(data, size));
    SiteListFile first = readWxSiteList(path);
    if (first.status != ListStatus::Read)
        return 0;
    removeDuplicateAddresses(first.sites);
    const QStringList written = wxSiteListLines(first.sites);
    writeScratch(QStringLiteral("WXsites.lst"), textFileBytes(written));
    SiteListFile second = readWxSiteList(path);
    must(second.status == ListStatus::Read, "a written list reads");
    must(wxSiteListLines(second.sites) == written, "write, read, write gives the same lines");
    return 0;
}
