// Reads and writes a 5,000-site tavimo.lst and prints the time per operation
// and per record. Start-up reads this file once; every site dialog writes it.

#include "core/sites/SiteLists.h"
#include "core/sites/SlotMap.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

using namespace tavimo;

namespace {

constexpr int kSites = 5000;
constexpr int kRounds = 20;

SiteList makeSites() {
    QRandomGenerator random(42);
    SiteList sites;
    for (int i = 0; i < kSites; ++i) {
        SiteRecord r;
        r.Callsign = QStringLiteral("%1%2%3")
                         .arg(QChar(u'A' + random.bounded(26)))
                         .arg(random.bounded(10))
                         .arg(i, 4, 36, QChar(u'0'))
                         .toUpper();
        r.PictureUrl = QStringLiteral("http://127.0.0.1:8080/sites/%1/image1.jpg").arg(i);
        for (int k = 1; k <= 4; ++k)
            r.SlotMap[k] =
                withSstvSlotOnPage(kEmptySlotMap, 1 + random.bounded(10), random.bounded(24));
        r.Latitude = random.bounded(180.0) - 90.0;
        r.Longitude = random.bounded(360.0) - 180.0;
        r.LastPictureDate = QStringLiteral("2024-05-01 10:%1").arg(i % 60, 2, 10, QChar(u'0'));
        if (i % 3 == 0)
            r.CamUrl = QStringLiteral("http://127.0.0.1:8080/cam/%1.jpg").arg(i);
        sites.append(r);
    }
    return sites;
}

void report(const char *what, const std::function<void()> &operation) {
    operation(); // warm the caches
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kRounds; ++i)
        operation();
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6 / kRounds;
    std::printf("%-28s %8.2f ms per operation %8.2f us per record\n", what, ms,
                ms * 1000.0 / kSites);
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(kSiteListFile);
    const SiteList sites = makeSites();
    if (!writeSiteList(path, sites)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }
    std::printf("%d sites, %d rounds\n", kSites, kRounds);

    report("read and sort tavimo.lst", [&] {
        if (readSiteList(path).sites.size() != kSites)
            std::abort();
    });
    report("write tavimo.lst", [&] { writeSiteList(path, sites); });
    report("sort shuffled list", [&] {
        SiteList copy = sites;
        SortSiteList(copy);
    });
    report("duplicate pass", [&] {
        SiteList copy = sites;
        removeDuplicateAddresses(copy);
    });
    return 0;
}
