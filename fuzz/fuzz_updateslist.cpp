// The maker's updates list and the news rules applied to a list of sites.
#include "FuzzSupport.h"

#include "core/net/UpdateCheck.h"
#include "core/net/UpdatesList.h"
#include "core/sites/SiteLists.h"

using namespace tavimo;
using namespace tavimo::fuzz;

namespace {

// The records of the lines of a list, each as its two lines, in any order.
QStringList recordsOf(const QStringList &lines) {
    QStringList records;
    for (qsizetype i = 0; i + 1 < lines.size(); i += 2)
        records.append(lines[i] + u'\n' + lines[i + 1]);
    records.sort();
    return records;
}

// The list after the news were applied is saved, read and saved again: every site the news
// left in it must survive, and the second save must write what the first did.
void saveReadSave(const SiteList &sites) {
    const QStringList first = siteListLines(sites);
    qsizetype named = 0;
    for (const SiteRecord &site : sites)
        named += site.Callsign.isEmpty() ? 0 : 1;
    must(first.size() == 2 * named, "every site with a callsign is written");
    const QString path = writeScratch(QStringLiteral("news.lst"), textFileBytes(first));
    const SiteListFile read = readSiteList(path);
    must(read.status == ListStatus::Read, "the saved list reads");
    const QStringList second = siteListLines(read.sites);
    must(recordsOf(second) == recordsOf(first), "save, read, save gives the same list");
}

SiteList sampleSites() {
    SiteList sites;
    for (const char *call : {"K1ABC", "SM0XYZ", "DL0ABC", ""}) {
        SiteRecord r;
        r.Callsign = QString::fromLatin1(call);
        r.PictureUrl = QStringLiteral("http://127.0.0.1/%1/image1.jpg").arg(r.Callsign);
        // As a list file gives them.
        for (int layout = 1; layout <= 4; ++layout)
            r.SlotMap[layout] = QStringLiteral("0000000000");
        sites.append(r);
    }
    return sites;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray bytes = input(data, size);
    readUpdatesHeader(bytes);
    parseUpdatesListDate(QString::fromLatin1(bytes.left(64)));
    const SiteList sites = sampleSites();
    for (const ListSource source : {ListSource::Main, ListSource::Mirror})
        judgeUpdatesList(source, bytes, QDate(2024, 5, 31), sites);
    const std::optional<UpdatesList> list = readUpdatesList(bytes);
    if (!list)
        return 0;
    compareSiteList(*list, sites);
    SiteList changed = sites;
    const SiteNews news = applySiteChanges(changed, *list);
    fillMissingPositions(changed, *list);
    applyClosingChanges(changed, news, {});
    saveReadSave(changed);
    for (const NewSiteEntry &entry : list->newSites)
        newSiteRecord(entry);
    return 0;
}
