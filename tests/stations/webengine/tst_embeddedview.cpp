// The embedded web view against the simulator's local map page. It needs a
// real display (the build runs it under xvfb-run) and a build with the view;
// otherwise it skips.

#include "core/app/AppState.h"
#include "sitesim/SitePages.h"
#include "sitesim/SiteSimulator.h"
#include "stations/WebMapWindow.h"
#include "support/FakePrompts.h"
#include "support/LoopbackServer.h"
#include "support/TestFiles.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QOpenGLContext>
#include <QPointer>
#include <QTest>

using namespace tavimo;

class EmbeddedViewTest : public QObject {
    Q_OBJECT

private slots:
    void capturesTheLocalPage() {
        if (!embeddedPageViewBuilt())
            QSKIP("built without the embedded web view");
        if (QGuiApplication::platformName() != u"xcb")
            QSKIP("the embedded web view needs a display (run under xvfb-run)");
        sitesim::SiteSimulator sim{sitesim::SimConfig{}};
        test::LoopbackServer server;
        server.setHandler([&sim](const test::RecordedRequest &r) { return sim.answer(r); });
        QVERIFY(server.start());
        test::FakePrompts prompts;
        AppState state;
        state.prompts = &prompts;
        state.SiteList = {test::makeSite("G0ABC", "http://127.0.0.1/1/image1.jpg")};
        state.SiteList[0].Latitude = 51.5;
        WebMapServices services;
        services.openInBrowser = [](const QUrl &) { return false; }; // never a real browser
        // The module is loaded as the program loads it, only from the build folder.
        services.makeView = [] { return createEmbeddedPageView(TAVIMO_WEBVIEW_MODULE); };
        const QString page = server.url(sitesim::kMapPagePath + "?q=51.5,0&t=h&z=18").toString();
        WindowRegistry registry;
        QPointer<WebMapWindow> window =
            openWebMapWindow(state, registry, {"G0ABC*" + page}, services);
        QVERIFY(window && window->showsPageInside());

        // Loaded and drawn: the satellite page's blue fills the picture's middle.
        QImage shot;
        const auto pageBlue = [&shot, &window] {
            shot = window->view()->capture();
            const QColor middle = shot.isNull() ? QColor() : shot.pixelColor(shot.rect().center());
            return qAbs(middle.red() - 0x15) + qAbs(middle.green() - 0x65) +
                       qAbs(middle.blue() - 0xc0) <
                   12;
        };
        QTRY_VERIFY_WITH_TIMEOUT(pageBlue(), 60000);
        const QWidget *view = window->view()->widget();
        QCOMPARE(shot.size(), view->size() * view->devicePixelRatio());
        QVERIFY(prompts.calls.isEmpty());
        // Clicked, the page takes the keys; Escape still closes the window, and the page goes
        // with it, before the program ends.
        QWidget *inside = view->focusProxy() ? view->focusProxy() : const_cast<QWidget *>(view);
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::mouseClick(inside, Qt::LeftButton, {}, inside->rect().center());
        QTRY_COMPARE(QApplication::focusWidget(), inside);
        QTest::keyClick(inside, Qt::Key_Escape);
        QTRY_VERIFY(!window);
    }

    // Without OpenGL the engine would crash on its first page: no embedded
    // view is made, and the window shows the page in the browser.
    void withoutOpenGlNoView() {
        if (!embeddedPageViewBuilt())
            QSKIP("built without the embedded web view");
        if (QOpenGLContext().create())
            QSKIP("this display has OpenGL");
        QVERIFY(!createEmbeddedPageView(TAVIMO_WEBVIEW_MODULE));
    }
};

int main(int argc, char *argv[]) {
    prepareWebViewBeforeApplication();
    QApplication app(argc, argv);
    EmbeddedViewTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_embeddedview.moc"
