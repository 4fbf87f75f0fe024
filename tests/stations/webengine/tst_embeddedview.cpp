// The embedded web view against the simulator's local map page. It needs a
// real display (the build's test runs it under xvfb-run) and a build with the
// view; otherwise it skips.

#include "core/app/AppState.h"
#include "sitesim/SitePages.h"
#include "sitesim/SiteSimulator.h"
#include "stations/WebMapWindow.h"
#include "support/FakePrompts.h"
#include "support/LoopbackServer.h"
#include "support/TestFiles.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QDir>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace tavimo;

namespace {

// The satellite page's background (see sitesim/SitePages.cpp).
const QColor kPageColour(0x15, 0x65, 0xc0);

bool nearly(QRgb pixel, const QColor &colour) {
    return qAbs(qRed(pixel) - colour.red()) < 8 && qAbs(qGreen(pixel) - colour.green()) < 8 &&
           qAbs(qBlue(pixel) - colour.blue()) < 8;
}

} // namespace

class EmbeddedViewTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (!embeddedPageViewBuilt())
            QSKIP("built without the embedded web view");
        if (QGuiApplication::platformName() != u"xcb")
            QSKIP("the embedded web view needs a display (run under xvfb-run)");
        server_.setHandler([this](const test::RecordedRequest &r) { return sim_.answer(r); });
        QVERIFY(server_.start());
    }
    void cleanupTestCase() { server_.stop(); }

    void capturesTheLocalPage() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("pics"));
        AppState state;
        state.paths.dataFolder = dir.filePath("data");
        state.prompts = &prompts_;
        SiteRecord london = test::makeSite("G0ABC", "http://127.0.0.1/1/image1.jpg");
        london.Latitude = 51.5;
        london.Longitude = -0.12;
        state.SiteList = {london};
        WebMapServices services;
        services.showFileDialog = [&dir](const FileDialogRequest &) {
            return dir.filePath("pics/map.bmp");
        };
        services.clipboard = [](QMimeData *data) { delete data; };
        services.openInBrowser = [](const QUrl &) { return false; };

        const QString address =
            server_.url(sitesim::kMapPagePath + "?q=51.5,-0.12&t=h&z=18").toString();
        WindowRegistry registry;
        WebMapWindow *window = openWebMapWindow(state, registry, {"G0ABC*" + address}, services);
        QVERIFY(window);
        QVERIFY(window->showsPageInside());
        QVERIFY(QTest::qWaitForWindowExposed(window));

        // Loaded and drawn: the page's colour fills the middle of the picture.
        QImage shot;
        QTRY_VERIFY_WITH_TIMEOUT(
            (shot = window->view()->capture(),
             !shot.isNull() && nearly(shot.pixel(shot.rect().center()), kPageColour)),
            60000);
        const QWidget *page = window->view()->widget();
        QCOMPARE(shot.size(), page->size() * page->devicePixelRatio());
        // Not one flat colour: the page's text shows too.
        const QImage small = shot.scaled(64, 48);
        bool varied = false;
        for (int y = 0; y < small.height() && !varied; ++y)
            for (int x = 0; x < small.width() && !varied; ++x)
                varied = !nearly(small.pixel(x, y), kPageColour);
        QVERIFY(varied);

        QTest::mouseClick(window->cmdSave, Qt::LeftButton);
        QCOMPARE(QImage(dir.filePath("pics/map.bmp")).size(), shot.size());
        QVERIFY(prompts_.calls.isEmpty());
        // Closed, the page goes with the window, before the profile it uses.
        const QPointer<WebMapWindow> closing(window);
        window->close();
        QTRY_VERIFY(!closing);
    }

private:
    sitesim::SiteSimulator sim_{sitesim::SimConfig{}};
    test::LoopbackServer server_;
    test::FakePrompts prompts_;
};

int main(int argc, char *argv[]) {
    prepareWebViewBeforeApplication();
    QApplication app(argc, argv);
    EmbeddedViewTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_embeddedview.moc"
