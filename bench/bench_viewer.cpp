// Opening the large picture viewer on JPEG pictures of 640 x 480, 5600 x 4200
// and 16000 x 16000 pixels: the time until the window is on the screen, until
// the picture is painted in it, and the longest the window's thread was
// blocked meanwhile (target: under 20 ms whatever the size).
//
// How it measures: one process, the real viewer through
// openPictureViewerWindow, as a click on a thumbnail opens it. The pictures
// are drawn once and kept in the temporary folder for later runs. A round
// starts with the open call (a block of its own) and runs the event loop until
// the viewer's picture part has painted a picture; the viewer is then closed.
// A timer beating every millisecond meanwhile finds the longest turn of the
// event loop. Medians of the rounds are printed, per size. A picture the
// viewer refuses is reported as such. Uses the offscreen platform unless
// QT_QPA_PLATFORM says otherwise (xcb under xvfb-run for a real X server).

#include "BenchWindow.h"

#include "core/app/AppState.h"
#include "gallery/PictureViewer.h"
#include "support/FakePrompts.h"
#include "ui/AnimatedPicture.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QPointer>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>
#include <cstdio>

using namespace tavimo;

namespace {

double median(QList<double> values) {
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

// A picture with detail everywhere, so that it decodes as a photograph does.
QString pictureFile(QSize size) {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::TempLocation) +
                           QStringLiteral("/tavimo-bench-viewer");
    QDir().mkpath(folder);
    const QString path = folder + QStringLiteral("/%1x%2.jpg").arg(size.width()).arg(size.height());
    if (QFileInfo(path).size() > 0)
        return path;
    std::fprintf(stderr, "drawing %dx%d...\n", size.width(), size.height());
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            line[x] = qRgb((x ^ y) & 255, (x * 3 + y / 2) & 255, ((x >> 4) * (y >> 4)) & 255);
        }
    }
    QImageWriter writer(path, "jpeg");
    writer.setQuality(85);
    if (!writer.write(image)) {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(path),
                     qPrintable(writer.errorString()));
        return {};
    }
    return path;
}

// Tells when the picture part has painted a picture, not just its back colour.
class PaintWatch : public QObject {
public:
    bool painted = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Paint && watched->objectName() == u"AniGIF1") {
            const auto *picture = qobject_cast<AnimatedPicture *>(watched);
            if (picture && !picture->firstFrame().isNull())
                painted = true;
        }
        return QObject::eventFilter(watched, event);
    }
};

struct Round {
    bool shown = false;
    double openCallMs = 0;
    double shownMs = 0;
    double paintedMs = 0;
    double longestBlockMs = 0;
};

Round openOnce(AppState &state, const QString &path) {
    WindowRegistry registry;
    PaintWatch watch;
    qApp->installEventFilter(&watch);
    Round round;
    QElapsedTimer clock;
    clock.start();
    QPointer<PictureViewer> viewer =
        openPictureViewerWindow(state, registry, ViewerSource::pageSlot(0), path, QPoint(5, 5));
    round.openCallMs = double(clock.nsecsElapsed()) / 1e6;
    round.longestBlockMs = round.openCallMs;
    if (viewer) {
        round.shown = true;
        // A beat every millisecond: a longer gap between two beats is a block.
        QTimer beat;
        beat.setTimerType(Qt::PreciseTimer);
        double last = round.openCallMs;
        QObject::connect(&beat, &QTimer::timeout, [&] {
            const double now = double(clock.nsecsElapsed()) / 1e6;
            round.longestBlockMs = std::max(round.longestBlockMs, now - last);
            last = now;
            if (round.shownMs == 0 && viewer->windowHandle() && viewer->windowHandle()->isExposed())
                round.shownMs = now;
        });
        beat.start(1);
        while (!watch.painted && clock.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        round.paintedMs = double(clock.nsecsElapsed()) / 1e6;
        if (round.shownMs == 0)
            round.shownMs = round.paintedMs;
        beat.stop();
        if (!watch.painted)
            std::fprintf(stderr, "the picture was not painted within a minute\n");
        viewer->close();
        bench::waitUntil([&] { return viewer.isNull(); });
    }
    qApp->removeEventFilter(&watch);
    return round;
}

} // namespace

int main(int argc, char *argv[]) {
    bench::prepareBenchEnvironment();
    QApplication app(argc, argv);
    AppState state;
    test::FakePrompts prompts;
    state.prompts = &prompts;
    state.texts.LngCannotShow = QStringLiteral("This picture cannot be shown");

    struct Case {
        QSize size;
        int rounds;
    };
    const QList<Case> cases{{{640, 480}, 15}, {{5600, 4200}, 9}, {{16000, 16000}, 5}};
    std::printf("%-12s %8s %10s %10s %10s %12s\n", "picture", "rounds", "open ms", "shown ms",
                "painted ms", "longest ms");
    for (const Case &c : cases) {
        const QString path = pictureFile(c.size);
        if (path.isEmpty())
            return 1;
        openOnce(state, path); // first use of the decoder, the fonts and the file cache
        QList<double> open, shown, painted, longest;
        bool refused = false;
        for (int k = 0; k < c.rounds && !refused; ++k) {
            const Round round = openOnce(state, path);
            if (!round.shown) {
                refused = true;
                break;
            }
            open << round.openCallMs;
            shown << round.shownMs;
            painted << round.paintedMs;
            longest << round.longestBlockMs;
        }
        const QString name = QStringLiteral("%1x%2").arg(c.size.width()).arg(c.size.height());
        if (refused) {
            std::printf(
                "%-12s refused: %s\n", qPrintable(name),
                qPrintable(prompts.texts().value(prompts.texts().size() - 1).replace(u'\n', u' ')));
            continue;
        }
        std::printf("%-12s %8d %10.1f %10.1f %10.1f %12.1f\n", qPrintable(name), c.rounds,
                    median(open), median(shown), median(painted), median(longest));
    }
    std::printf("medians; target: longest block under 20 ms whatever the size\n");
    return 0;
}
