// The windows that show a whole site list, with lists of 200, 50,000 and
// 500,000 sites: the site-selection grid (first opening until painted, a
// second opening, one wheel step, one rebuild on a change of the lists), the
// edit-site and remove-site dialogs (opening until painted), and the page map's
// redraw at the end of a pass (ten slots sent by the own callsign, their sites
// spread over the list, the last site among them), also the first redraw
// after a change of the lists (the sites are indexed afresh). Resident size is printed
// before the grid is made and while it is open. Target: every figure at
// 500,000 sites within twice the figure at 200 sites plus 20 ms, and the grid's
// memory not growing with the list. It prints medians, it does not judge.
//
// Offscreen unless QT_QPA_PLATFORM says otherwise; run it under Xvfb with a
// window manager for the figures on X. `--largest N` leaves out the lists of
// more than N sites; `--grid-largest N` measures the grid only up to N sites
// (a grid that grows with the list can take minutes to open); `--rounds N`.

#include "BenchWindow.h"

#include "core/app/AppState.h"
#include "core/app/StartupFiles.h"
#include "core/sites/SlotMap.h"
#include "core/thumbs/SlotAssignment.h"
#include "sites/EditSiteDialog.h"
#include "sites/RemoveSiteDialog.h"
#include "sites/SiteSelectionWindow.h"
#include "stations/PageMapWindow.h"
#include "support/FakeMainWindow.h"
#include "support/FakePrompts.h"

#include "ui/WindowRegistry.h"
#include <QListWidget>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QWheelEvent>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <unistd.h>
#include <vector>

using namespace tavimo;

namespace {

const QString kMyCall = QStringLiteral("DL0XYZ");
const QString kFromPrefix = QStringLiteral("From: ");

// Tells which windows have been painted: a paint of any of their widgets.
// Qt paints every dirty widget of a window in one go, so once the call of
// processEvents that delivered the first paint returns, the window is on the
// screen.
class PaintWatch : public QObject {
public:
    PaintWatch() { qApp->installEventFilter(this); }
    ~PaintWatch() override { qApp->removeEventFilter(this); }
    QSet<QWidget *> painted;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Paint && watched->isWidgetType())
            painted.insert(static_cast<QWidget *>(watched)->window());
        return QObject::eventFilter(watched, event);
    }
};

void waitForPaint(const PaintWatch &watch, QWidget *window) {
    QElapsedTimer timer;
    timer.start();
    while (!watch.painted.contains(window) && timer.elapsed() < 600'000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// Runs `step` and the event loop until the window the step answers has been
// painted; milliseconds.
double timedUntilPainted(const std::function<QWidget *()> &step) {
    PaintWatch watch;
    QElapsedTimer timer;
    timer.start();
    QWidget *window = step();
    waitForPaint(watch, window);
    return timer.nsecsElapsed() / 1e6;
}

double median(std::vector<double> values) {
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double residentMiB() {
    return double(bench::residentBytes()) / (1024.0 * 1024.0);
}

// Sorted callsigns, a few sites on slots of page 1, positions all over the world.
SiteList makeSites(int count) {
    QRandomGenerator random(42);
    SiteList sites;
    sites.reserve(count);
    for (int i = 0; i < count; ++i) {
        SiteRecord r;
        r.Callsign = QStringLiteral("S%1").arg(i, 7, 10, QChar(u'0'));
        r.PictureUrl = QStringLiteral("http://127.0.0.1:8080/sites/%1/image1.jpg").arg(i);
        for (int k = 1; k <= 4; ++k)
            r.SlotMap[k] = kEmptySlotMap;
        r.Latitude = random.bounded(160.0) - 80.0;
        r.Longitude = random.bounded(340.0) - 170.0;
        sites.append(r);
    }
    return sites;
}

struct Bench {
    QTemporaryDir dir;
    test::FakePrompts prompts;
    test::FakeMainWindow main;
    WindowRegistry registry;
    AppState state;

    Bench() {
        main.widget.setGeometry(100, 80, 900, 700);
        main.widget.show();
        state.paths.dataFolder = dir.path() + QStringLiteral("/tavimo");
        QDir().mkpath(state.paths.data(QStringLiteral("Maps")));
        QFile::copy(QStringLiteral(TAVIMO_SOURCE_DATA_DIR "/Maps/World Map.png"),
                    state.paths.data(QStringLiteral("Maps/World Map.png")));
        state.lstMap = buildMapList(state.paths.data(QStringLiteral("Maps")));
        state.prompts = &prompts;
        state.mainWindow = &main;
        state.sitesLoaded = state.wxSitesLoaded = true;
        state.config.ThumbSetting = 2;
        // Every callsign holds a "0": each is shown with another zero, the costlier case.
        state.ZeroChar = QStringLiteral("\u00D8");
        state.config.MyCall = kMyCall;
        state.config.MyLat = 50.11;
        state.config.MyLon = 8.68;
        state.config.MapIndex = 0;
        state.texts.LngFromPrefix = kFromPrefix;
        state.texts.LngMe = QStringLiteral("Me");
        state.texts.LngKm = QStringLiteral("km");
        state.page.CurrentPage = 1;
        state.page.SlotCount = 10;
    }
    ~Bench() {
        for (QWidget *window : registry.loadedWindows())
            delete window;
    }

    void setSites(int count) {
        for (QWidget *window : registry.loadedWindows())
            delete window;
        state.SiteList = makeSites(count);
        // Ten slots of the page, their sites spread over the list, the last one among them;
        // every picture sent by the own callsign.
        for (int slot = 0; slot < 10; ++slot) {
            const int index = int((qint64(count) - 1) * (slot + 1) / 10);
            SiteRecord &site = state.SiteList[index];
            site.SlotMap[2] = withSstvSlotOnPage(kEmptySlotMap, 1, slot);
            state.page.SlotTable.setValue(slot, stSiteCall,
                                          shownCallsign(site.Callsign, state.ZeroChar));
            state.page.SlotTable.setValue(slot, stSiteIndex, QString::number(index));
            main.fromCaptions[slot] = kFromPrefix + shownCallsign(kMyCall, state.ZeroChar);
        }
    }
};

struct Figures {
    int sites = 0;
    double gridFirst = -1, gridSecond = -1, gridScroll = -1, gridRebuild = -1;
    double editOpen = -1, editFilled = -1, editLongestStep = -1, removeOpen = -1, pageMap = -1,
           pageMapChanged = -1;
    double rssBefore = -1, rssGrid = -1;
};

SiteSelectionWindow *openGrid(Bench &b) {
    return openSiteSelection(b.state, b.registry, captureSitePick(false, b.state.page));
}

void measureGrid(Bench &b, Figures &f, int rounds) {
    std::vector<double> first, second, scroll, rebuild;
    for (int round = 0; round < rounds; ++round) {
        for (QWidget *window : b.registry.loadedWindows())
            delete window;
        QCoreApplication::processEvents();
        if (round == 0)
            f.rssBefore = residentMiB();
        SiteSelectionWindow *grid = nullptr;
        first.push_back(timedUntilPainted([&] { return grid = openGrid(b); }));
        if (round == 0)
            f.rssGrid = residentMiB();

        grid->close(); // hidden, kept
        QCoreApplication::processEvents();
        second.push_back(timedUntilPainted([&] { return openGrid(b); }));

        scroll.push_back(timedUntilPainted([&] {
            QWheelEvent wheel(QPointF(100, 100), grid->mapToGlobal(QPointF(100, 100)), QPoint(),
                              QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                              false);
            QApplication::sendEvent(grid, &wheel);
            return grid;
        }));
        rebuild.push_back(timedUntilPainted([&] {
            emit b.state.events.sitesChanged();
            return grid;
        }));
        grid->close();
    }
    f.gridFirst = median(first);
    f.gridSecond = median(second);
    f.gridScroll = median(scroll);
    f.gridRebuild = median(rebuild);
}

// Opening until painted; with `filled`, also until the SSTV list box holds every site, and
// the longest turn of the event loop meanwhile (how long the dialog stops answering).
template <typename Open>
double measureDialog(int rounds, const Open &open, qsizetype sites = 0, double *filled = nullptr,
                     double *longestStep = nullptr) {
    std::vector<double> times, complete, longest;
    for (int round = 0; round < rounds; ++round) {
        decltype(open()) dialog = nullptr;
        QElapsedTimer timer;
        timer.start();
        times.push_back(timedUntilPainted([&] { return dialog = open(); }));
        if (filled) {
            double step = 0;
            while (dialog->List1->count() < sites) {
                QElapsedTimer turn;
                turn.start();
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
                step = std::max(step, turn.nsecsElapsed() / 1e6);
            }
            complete.push_back(timer.nsecsElapsed() / 1e6);
            longest.push_back(step);
        }
        delete dialog;
        QCoreApplication::processEvents();
    }
    if (filled) {
        *filled = median(complete);
        *longestStep = median(longest);
    }
    return median(times);
}

// The redraw at a pass end; with `changed`, also the first redraw after a change of the lists.
double measurePageMap(Bench &b, int rounds, double *changed) {
    PageMapWindow *map = openPageMapWindow(b.state, b.registry);
    if (!map) {
        std::fprintf(stderr, "no page map: %s\n", qPrintable(b.prompts.texts().join(u'\n')));
        return -1;
    }
    QCoreApplication::processEvents();
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        times.push_back(timedUntilPainted([&] {
            emit b.state.events.passFinished();
            return map;
        }));
    }
    std::vector<double> afterChange;
    for (int round = 0; round < rounds; ++round) {
        emit b.state.events.sitesChanged();
        afterChange.push_back(timedUntilPainted([&] {
            emit b.state.events.passFinished();
            return map;
        }));
    }
    *changed = median(afterChange);
    delete map;
    return median(times);
}

void print(const std::vector<Figures> &all) {
    const auto cell = [](double v) {
        return v < 0 ? QStringLiteral("%1").arg(QStringLiteral("-"), 10)
                     : QStringLiteral("%1").arg(v, 10, 'f', 2);
    };
    std::printf("\n%-34s", "sites");
    for (const Figures &f : all)
        std::printf("%10d", f.sites);
    std::printf("\n");
    const auto row = [&](const char *name, double Figures::*field) {
        std::printf("%-34s", name);
        for (const Figures &f : all)
            std::printf("%s", qPrintable(cell(f.*field)));
        std::printf("\n");
    };
    row("grid: first opening (ms)", &Figures::gridFirst);
    row("grid: second opening (ms)", &Figures::gridSecond);
    row("grid: one wheel step (ms)", &Figures::gridScroll);
    row("grid: rebuild on a change (ms)", &Figures::gridRebuild);
    row("edit-site dialog: opening (ms)", &Figures::editOpen);
    row("edit-site dialog: all rows in (ms)", &Figures::editFilled);
    row("  its longest turn meanwhile (ms)", &Figures::editLongestStep);
    row("remove-site dialog: opening (ms)", &Figures::removeOpen);
    row("page map: redraw at a pass end (ms)", &Figures::pageMap);
    row("page map: after a change (ms)", &Figures::pageMapChanged);
    row("resident before the grid (MiB)", &Figures::rssBefore);
    row("resident with the grid open (MiB)", &Figures::rssGrid);
    std::printf("%-34s", "the grid's own (MiB)");
    for (const Figures &f : all)
        std::printf("%s",
                    qPrintable(cell(f.rssGrid < 0 ? -1 : std::max(0.0, f.rssGrid - f.rssBefore))));
    std::printf("\n");
    if (all.size() >= 2) {
        const Figures &small = all.front();
        const Figures &large = all.back();
        std::printf("\nwithin target at %d sites (at most 2 x the figure at %d sites + 20 ms):\n",
                    large.sites, small.sites);
        const auto judge = [&](const char *name, double Figures::*field) {
            if (small.*field < 0 || large.*field < 0)
                return;
            const double limit = 2 * (small.*field) + 20;
            std::printf("  %-32s %8.2f ms, limit %8.2f ms: %s\n", name, large.*field, limit,
                        large.*field <= limit ? "yes" : "NO");
        };
        judge("grid: first opening", &Figures::gridFirst);
        judge("grid: second opening", &Figures::gridSecond);
        judge("grid: one wheel step", &Figures::gridScroll);
        judge("grid: rebuild", &Figures::gridRebuild);
        judge("edit-site dialog", &Figures::editOpen);
        judge("edit-site dialog: all rows in", &Figures::editFilled);
        judge("remove-site dialog", &Figures::removeOpen);
        judge("page map redraw", &Figures::pageMap);
        judge("page map after a change", &Figures::pageMapChanged);
    }
}

} // namespace

int main(int argc, char *argv[]) {
    bench::prepareBenchEnvironment();
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const auto option = [&](const QString &name, int fallback) {
        const qsizetype at = args.indexOf(name);
        return at >= 0 && at + 1 < args.size() ? args.at(at + 1).toInt() : fallback;
    };
    const int largest = option(QStringLiteral("--largest"), 500'000);
    const int gridLargest = option(QStringLiteral("--grid-largest"), largest);
    const int rounds = std::max(1, option(QStringLiteral("--rounds"), 5));
    std::printf("platform %s, %d rounds per figure, medians\n",
                qPrintable(QGuiApplication::platformName()), rounds);

    Bench b;
    // First use of fonts, styles and plugins, counted by no figure.
    b.setSites(200);
    Figures warmUp;
    measureGrid(b, warmUp, 1);

    std::vector<Figures> all;
    for (const int count : {200, 50'000, 500'000}) {
        if (count > largest)
            continue;
        Figures f;
        f.sites = count;
        b.setSites(count);
        std::fprintf(stderr, "%d sites...\n", count);
        if (count <= gridLargest)
            measureGrid(b, f, rounds);
        for (QWidget *window : b.registry.loadedWindows())
            delete window;
        f.editOpen = measureDialog(
            rounds, [&] { return openEditSite(b.state, b.registry); }, count, &f.editFilled,
            &f.editLongestStep);
        f.removeOpen = measureDialog(rounds, [&] { return openRemoveSite(b.state, b.registry); });
        f.pageMap = measurePageMap(b, std::max(rounds, 11), &f.pageMapChanged);
        all.push_back(f);
    }
    print(all);
    return 0;
}
