// Opening the site map on the world picture (2800 x 1412) until it is on the
// screen, against loading the same PNG into a bare QLabel and showing that in
// a window of the same size and place: the ratio is what the window costs
// beyond the picture itself (target: 1.2 at most). The map window is as large
// as the screen for a picture larger than that; a top-level QLabel left to
// size itself takes only two thirds of the screen, and painting fewer pixels
// is no floor. Median of the rounds, the two taken in turn. It prints, it does
// not judge.

#include "BenchWindow.h"

#include "core/app/AppState.h"
#include "core/app/StartupFiles.h"
#include "stations/MapCanvas.h"
#include "stations/SiteMapWindow.h"
#include "support/FakePrompts.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

using namespace tavimo;

namespace {

// Tells when a widget has been painted once.
class PaintWatch : public QObject {
public:
    bool painted = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Paint)
            painted = true;
        return QObject::eventFilter(watched, event);
    }
};

void waitForPaint(const PaintWatch &watch) {
    while (!watch.painted)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char *argv[]) {
    bench::prepareBenchEnvironment();
    QApplication app(argc, argv);

    QTemporaryDir dir;
    const QString picture = QStringLiteral(TAVIMO_SOURCE_DATA_DIR "/Maps/World Map.png");
    AppState state;
    state.paths.dataFolder = dir.path();
    QDir().mkpath(state.paths.data(QStringLiteral("Maps")));
    if (!QFile::copy(picture, state.paths.data(QStringLiteral("Maps/World Map.png")))) {
        std::fprintf(stderr, "cannot copy %s\n", qPrintable(picture));
        return 1;
    }
    state.lstMap = buildMapList(state.paths.data(QStringLiteral("Maps")));
    test::FakePrompts prompts;
    state.prompts = &prompts;
    state.config.MyLat = 50.11;
    state.config.MyLon = 8.68;
    state.texts.LngMe = QStringLiteral("Me");
    state.texts.LngKm = QStringLiteral("km");

    QRect mapGeometry;
    const std::function<double()> siteMap = [&] {
        WindowRegistry registry;
        QElapsedTimer timer;
        timer.start();
        SiteMapWindow *window =
            openSiteMapWindow(state, registry, SiteMapRequest{0, {35.68, 139.69}, "JA1ABC"});
        if (!window) {
            std::fprintf(stderr, "%s\n", qPrintable(prompts.texts().join(u'\n')));
            std::exit(1);
        }
        PaintWatch watch;
        window->picInner()->installEventFilter(&watch);
        waitForPaint(watch);
        const double ms = timer.nsecsElapsed() / 1e6;
        mapGeometry = window->geometry();
        delete window;
        return ms;
    };
    const std::function<double()> bareLabel = [&] {
        QElapsedTimer timer;
        timer.start();
        auto label = std::make_unique<QLabel>();
        label->setPixmap(QPixmap(picture));
        label->setGeometry(mapGeometry);
        PaintWatch watch;
        label->installEventFilter(&watch);
        label->show();
        waitForPaint(watch);
        return timer.nsecsElapsed() / 1e6;
    };

    constexpr int rounds = 21;
    siteMap(); // first use of fonts and plugins, counted by neither; the window's place
    bareLabel();
    std::vector<double> windowMs;
    std::vector<double> labelMs;
    for (int i = 0; i < rounds; ++i) {
        windowMs.push_back(siteMap());
        labelMs.push_back(bareLabel());
    }
    const double w = median(windowMs);
    const double l = median(labelMs);
    std::printf("site map on the world picture: %8.2f ms (median of %d)\n", w, rounds);
    std::printf("the same PNG in a bare QLabel: %8.2f ms\n", l);
    std::printf("ratio: %.2f (target at most 1.20)\n", w / l);
    return 0;
}
