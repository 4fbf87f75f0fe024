// Reading a tavimo.lst: the time to load and sort lists of 5,000, 50,000 and
// 500,000 sites, once as Tavimo writes them (sorted by callsign) and once in
// random order (a list made by hand or by another tool), and the time to write
// each back. Start-up reads the file once; every site dialog writes it.
//
// How it measures: the list is generated with random callsigns (one in fifty
// repeats an earlier one, as a club's several sites do), written to a
// temporary folder, and read with readSiteList (read, parse and sort) as
// start-up does; freeing the list read is not timed. Rounds repeat until
// their count or about a minute per row; medians are printed. `--largest N`
// leaves out the lists of more than N sites.

#include "core/sites/SiteLists.h"
#include "core/sites/SlotMap.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <random>

using namespace tavimo;

namespace {

constexpr qint64 kRowBudgetMs = 60'000;

SiteList makeSites(int count) {
    QRandomGenerator random(42);
    SiteList sites;
    sites.reserve(count);
    for (int i = 0; i < count; ++i) {
        SiteRecord r;
        if (i % 50 == 49) {
            r.Callsign = sites.at(random.bounded(i)).Callsign;
        } else {
            r.Callsign = QStringLiteral("%1%2%3%4")
                             .arg(QChar(u'A' + random.bounded(26)))
                             .arg(QChar(u'A' + random.bounded(26)))
                             .arg(random.bounded(10))
                             .arg(i, 4, 36, QChar(u'0'))
                             .toUpper();
        }
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

struct Timing {
    double medianMs = 0;
    int rounds = 0;
};

// `operation` returns what it made, so that freeing it is not timed.
template <typename Operation> Timing timed(int rounds, const Operation &operation) {
    QList<double> times;
    QElapsedTimer total;
    total.start();
    while (times.size() < rounds && (times.isEmpty() || total.elapsed() < kRowBudgetMs)) {
        QElapsedTimer timer;
        timer.start();
        const auto made = operation();
        times << double(timer.nsecsElapsed()) / 1e6;
    }
    std::sort(times.begin(), times.end());
    return {times.at(times.size() / 2), int(times.size())};
}

void print(const char *what, int sites, const Timing &t) {
    std::printf("%-26s %9d %12.1f %10.2f %7d\n", what, sites, t.medianMs,
                t.medianMs * 1000.0 / sites, t.rounds);
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    qint64 largest = 500'000;
    const QStringList args = QCoreApplication::arguments();
    if (const qsizetype at = args.indexOf(QStringLiteral("--largest")); at > 0)
        largest = args.value(at + 1).toLongLong();

    QTemporaryDir dir;
    const QString path = dir.filePath(kSiteListFile);
    std::printf("%-26s %9s %12s %10s %7s\n", "operation", "sites", "median ms", "us/site",
                "rounds");
    for (const int count : {5'000, 50'000, 500'000}) {
        if (count > largest)
            continue;
        const int rounds = count <= 5'000 ? 21 : count <= 50'000 ? 9 : 5;
        SiteList sorted = makeSites(count);
        std::stable_sort(
            sorted.begin(), sorted.end(),
            [](const SiteRecord &a, const SiteRecord &b) { return a.Callsign < b.Callsign; });
        SiteList shuffled = sorted;
        std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(7));

        const auto load = [&] {
            SiteListFile list = readSiteList(path);
            if (list.sites.size() != count)
                std::abort();
            return list;
        };
        if (!writeSiteList(path, sorted)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        load(); // warm the file cache
        print("load and sort, sorted", count, timed(rounds, load));
        writeSiteList(path, shuffled);
        load();
        print("load and sort, shuffled", count, timed(rounds, load));
        print("write", count, timed(rounds, [&] { return writeSiteList(path, sorted); }));
    }
    std::printf("targets: 50,000 shuffled under 150 ms; 500,000 sorted under 1.5 s\n");
    return 0;
}
