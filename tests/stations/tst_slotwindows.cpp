#include "StationsHarness.h"

#include "core/sites/SlotMap.h"
#include "core/text/ProgramTexts.h"
#include "core/thumbs/LastHeard.h"
#include "platform/DesktopBridge.h"
#include "sitesim/SiteSimulator.h"
#include "stations/LastHeardWindow.h"
#include "stations/WebMapWindow.h"
#include "support/FakePageView.h"
#include "support/Routes.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>

using namespace tavimo;
using namespace tavimo::test;

namespace {

const QString kSatellite = "http://m.example/maps?q=51.5,-0.12&t=h&z=18";
const QString kStreet = "http://m.example/maps?q=&layer=c&cbll=51.5,-0.12&cbp=12,0,0,0,0";

// Page 2 on view; its slot 3 (zero-based) holds the simulator's first site, in London. What the
// web map window hands to the desktop, the file dialog, the clipboard and the browser is noted.
struct SlotWorld : StationsHarness {
    FakePageView *fake = nullptr;
    QList<QUrl> browser;
    WebMapServices services{&desktop, transfers.fileDialog(), transfers.clipboard(),
                            [this](const QUrl &address) {
                                browser.append(address);
                                return true;
                            },
                            [this]() -> std::unique_ptr<WebPageView> {
                                auto view = std::make_unique<FakePageView>();
                                fake = view.get();
                                return view;
                            }};

    SlotWorld() {
        QDir(folder.path()).mkdir("pics");
        transfers.dialogAnswer = folder.filePath("pics/view.bmp");
        state.config.AutoRefreshMode = 1;
        state.config.ThumbSetting = 4;
        state.page.CurrentPage = 2;
        state.texts.LngLoading = "Loading...";
        state.texts.LngNoPosTpl = "No position known for ??";
        SiteRecord london = makeSite("G0ABC", url(sitesim::sstvPicturePath(1)), 51.5);
        london.SlotMap[4] = withSstvSlotOnPage(kEmptySlotMap, 2, 3);
        state.SiteList = {london, makeSite("K1NUL", "http://127.0.0.1/2/image1.jpg")};
        main.frames.insert(3, QRect(300, 200, 120, 90));
    }
};

} // namespace

// The windows a slot's pop-up opens over the grid: the list of stations last heard, and the
// street and satellite views of the site.
class SlotWindowsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<SlotWorld> w;

    WebMapWindow *open(const QString &job) {
        return openWebMapWindow(w->state, w->windows, {job, false}, w->services);
    }
    LastHeardWindow *openList(int slot) { return openLastHeardWindow(w->state, w->windows, slot); }

private slots:
    void init() { w = std::make_unique<SlotWorld>(); }
    void cleanup() { w.reset(); }

    // ---- The last-heard list ----------------------------------------------------------

    void address_data() {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QString>("list");
        const auto row = [](const char *name, const char *picture, const char *list) {
            QTest::newRow(name) << QString(picture) << QString(list);
        };
        row("marker removed", "http://h/1/image1.jpgNoDelete", "http://h/1/list.jpg");
        row("no image1", "http://h/wx/latest.jpg", "");
        row("case-sensitive", "http://h/Image1.jpg", "");
    }
    void address() {
        QFETCH(QString, picture);
        QTEST(lastHeardAddress(picture), "list");
    }

    void text_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("shown");
        QTest::newRow("CR LF") << QByteArray("A\r\nB\r\n") << "  A\n   B\n   Click to close   ";
        QTest::newRow("LF only") << QByteArray("A\nB\n") << "  A\n   B\n   Click to close   ";
        QTest::newRow("empty") << QByteArray() << "  Click to close   ";
        QTest::newRow("capped") << QByteArray(70000, '\n')
                                << "  " + QString("\n   ").repeated(65536) + "Click to close   ";
    }
    void text() {
        QFETCH(QByteArray, reply);
        QTEST(lastHeardText(reply, "Click to close"), "shown");
    }

    void placement_data() {
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<QPoint>("topLeft"); // of a 200 x 300 window on a 1920 x 1080 screen
        QTest::newRow("over the frame") << QRect(100, 200, 120, 90) << QPoint(60, 200);
        QTest::newRow("right edge") << QRect(1850, 100, 120, 90) << QPoint(1720, 100);
        QTest::newRow("bottom edge") << QRect(500, 1000, 120, 80) << QPoint(460, 780);
        QTest::newRow("no frame") << QRect() << QPoint(860, 390);
    }
    void placement() {
        QFETCH(QRect, frame);
        QTEST(placeOverSlot(frame, QSize(200, 300), QRect(0, 0, 1920, 1080)), "topLeft");
    }

    void showsTheList() {
        sitesim::SiteSimulator sim{sitesim::SimConfig{}};
        w->server.setHandler([&sim](const RecordedRequest &r) { return sim.answer(r); });
        const auto detach = qScopeGuard([this] { w->server.setHandler({}); });
        QPointer<LastHeardWindow> window = openList(3);
        QCOMPARE(window->Label1->text(), "   Loading...");
        QTRY_VERIFY(window->Label1->text().startsWith("  Last heard at " +
                                                      sim.sstvSites()[0].callsign + "\n   "));
        QCOMPARE(window->Label1->text().count(" UTC\n"), 10);
        QCOMPARE(window->pos().y(), 200); // over the slot, centred across it
        QCOMPARE(window->pos().x() + window->width() / 2, 360);
        QVERIFY(w->main.calls.isEmpty()); // the main window goes on as it was
        QTest::mouseClick(window->Label1, Qt::LeftButton);
        QTRY_VERIFY(!window);
    }

    void notFound_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("picture");
        QTest::addColumn<int>("requests");
        QTest::newRow("404") << 3 << 2 << "/none/image1.jpg" << 1;
        QTest::newRow("empty slot") << 5 << 2 << "/none/image1.jpg" << 0;
        QTest::newRow("WX page") << 3 << kPageCount << "/none/image1.jpg" << 0;
        QTest::newRow("no image1") << 3 << 2 << "/none/latest.jpg" << 0;
    }
    void notFound() {
        QFETCH(int, slot);
        QFETCH(int, page);
        QFETCH(QString, picture);
        w->state.page.CurrentPage = page;
        w->state.SiteList[0].PictureUrl = w->url(picture);
        LastHeardWindow *window = openList(slot);
        QTRY_COMPARE(window->Label1->text(), kListNotFound);
        QTEST(int(w->server.requests().size()), "requests");
    }

    // A list without end is read to its first 64 KiB, which show with the note in front.
    void aListWithoutEndIsCut() {
        Route endless = answerRoute("Last heard at K1ABC 12:00 UTC\r\n");
        endless.endless = true;
        w->server.setRoute("/long/list.jpg", endless);
        w->state.SiteList[0].PictureUrl = w->url("/long/image1.jpg");
        w->state.texts.LngTextCut = "(cut)";
        QPointer<LastHeardWindow> window = openList(3);
        QTRY_VERIFY(window->Label1->text().startsWith("   (cut)\n  Last heard at K1ABC 12:00 UTC"));
        QTRY_COMPARE(w->server.openConnections(), 0);
        closeLastHeardWindow(w->windows);
    }

    void answerAfterCloseIsDropped() {
        w->server.setRoute("/late/list.jpg", answerRoute("late\r\n", 200));
        w->state.SiteList[0].PictureUrl = w->url("/late/image1.jpg");
        QPointer<LastHeardWindow> window = openList(3);
        // Closed while the answer is on its way.
        QTRY_COMPARE(w->server.requestCount("/late/list.jpg"), 1);
        closeLastHeardWindow(w->windows);
        QTRY_VERIFY(!window);
        QTest::qWait(400); // the answer arrives, and goes nowhere
    }

    // ---- The street and satellite views -----------------------------------------------

    void opens_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("caption");
        QTest::newRow("street view") << kStreet << "Tavimo   Street view of G0ABC";
        QTest::newRow("satellite") << kSatellite << "Tavimo   Satellite view of G0ABC";
    }
    void opens() {
        QFETCH(QString, address);
        QPointer<WebMapWindow> window = open("G0ABC*" + address);
        QTEST(window->windowTitle(), "caption");
        QCOMPARE(w->fake->loaded, QList<QUrl>{QUrl(address)});
        QCOMPARE(window->size(),
                 webMapWindowSize(QGuiApplication::primaryScreen()->geometry().size()));
        QVERIFY(window->cmdSave->isEnabled() && window->cmdPaste->isEnabled());
        window->close();
        QTRY_VERIFY(!window);
        // Blocked while open; refreshing is left alone.
        QCOMPARE(w->main.calls, (QStringList{"disable", "enable"}));
    }

    void refuses_data() {
        QTest::addColumn<QString>("job");
        QTest::addColumn<bool>("wxPage");
        QTest::addColumn<QString>("message");
        QTest::newRow("no star") << kSatellite << false
                                 << "This map view cannot be opened:\n" + kSatellite;
        QTest::newRow("not http") << "G0ABC*ftp://m.example/x" << false
                                  << "This map view cannot be opened:\nG0ABC*ftp://m.example/x";
        QTest::newRow("WX page") << "G0ABC*" + kSatellite << true
                                 << QString::fromUtf16(u"No position known for GØABC");
        QTest::newRow("no position")
            << "K1NUL*" + kSatellite << false << "No position known for K1NUL";
    }
    void refuses() {
        QFETCH(QString, job);
        QFETCH(bool, wxPage);
        QFETCH(QString, message);
        w->state.ZeroChar = QString::fromUtf16(u"Ø");
        QVERIFY(!openWebMapWindow(w->state, w->windows, {job, wxPage}, w->services));
        QCOMPARE(w->prompts.texts(), QStringList{message});
        QVERIFY(!w->fake && w->main.calls.isEmpty());
    }

    void saveWritesMapBmpAndHandsItOn() {
        WebMapWindow *window = open("G0ABC*" + kSatellite);
        w->fake->onCapture = [&] { QVERIFY(!window->cmdSave->isEnabled()); };
        QTest::mouseClick(window->cmdSave, Qt::LeftButton);
        const QString mapFile = w->state.paths.data("images/Map.bmp");
        QCOMPARE(QImage(mapFile).size(), QSize(400, 300));
        QCOMPARE(w->transfers.dialogs.size(), 1);
        QCOMPARE(w->transfers.dialogs[0].NameFilters, QStringList{"bmp files (*.bmp)"});
        QCOMPARE(readBytes(w->folder.filePath("pics/view.bmp")), readBytes(mapFile));
        QCOMPARE(w->state.SaveFolder, w->folder.filePath("pics/"));
        QVERIFY(w->transfers.images.isEmpty() && w->prompts.calls.isEmpty());
        QCOMPARE(w->main.calls, (QStringList{"disable", "stop", "start"}));
        QVERIFY(window->cmdSave->isEnabled());
    }

    void copyHandsToEasyPal_data() {
        QTest::addColumn<bool>("easyPalRuns");
        QTest::addColumn<QStringList>("keys");
        QTest::newRow("EasyPal runs") << true << QStringList{"{F7}"};
        QTest::newRow("no EasyPal") << false << QStringList{};
    }
    void copyHandsToEasyPal() {
        QFETCH(bool, easyPalRuns);
        if (easyPalRuns)
            w->desktop.addWindow("EasyPal");
        QTest::mouseClick(open("G0ABC*" + kStreet)->cmdPaste, Qt::LeftButton);
        QCOMPARE(w->transfers.images.size(), 1);
        QCOMPARE(w->transfers.images[0].size(), QSize(400, 300));
        QTEST(w->desktop.sentKeys(), "keys");
        QVERIFY(w->desktop.log().indexOf("keys {F7}") >= w->desktop.log().indexOf("front EasyPal"));
        QVERIFY(w->transfers.dialogs.isEmpty() &&
                !QFile::exists(w->state.paths.data("images/Map.bmp")));
    }

    void failedCaptureDoesNothing_data() {
        QTest::addColumn<bool>("save");
        QTest::newRow("save") << true;
        QTest::newRow("copy") << false;
    }
    void failedCaptureDoesNothing() {
        QFETCH(bool, save);
        w->desktop.addWindow("EasyPal");
        const QString mapFile = w->state.paths.data("images/Map.bmp");
        QVERIFY(writeBytes(mapFile, "an older capture"));
        WebMapWindow *window = open("G0ABC*" + kSatellite);
        w->fake->image = QImage();
        QTest::mouseClick(save ? window->cmdSave : window->cmdPaste, Qt::LeftButton);
        QCOMPARE(w->prompts.texts(), QStringList{programText(ProgramText::MapCaptureFailed, 0)});
        QVERIFY(w->transfers.dialogs.isEmpty() && w->transfers.images.isEmpty() &&
                w->desktop.sentKeys().isEmpty());
        QCOMPARE(readBytes(mapFile), QByteArray("an older capture"));
    }

    void browser_data() {
        QTest::addColumn<bool>("embeddedFails");
        QTest::newRow("no embedded view") << false;
        QTest::newRow("embedded view fails") << true;
    }
    void browser() {
        QFETCH(bool, embeddedFails);
        if (!embeddedFails)
            w->services.makeView = [] { return nullptr; };
        QPointer<WebMapWindow> window = open("G0ABC*" + kSatellite);
        if (embeddedFails)
            emit w->fake->failed();
        QTRY_COMPARE(w->browser, QList<QUrl>{QUrl(kSatellite)});
        QCOMPARE(w->prompts.texts(),
                 embeddedFails ? QStringList{programText(ProgramText::EmbeddedMapFailed, 0)}
                               : QStringList{});
        QVERIFY(!window->showsPageInside() && !window->cmdSave->isEnabled());
        QCOMPARE(window->cmdPaste->toolTip(), programText(ProgramText::MapInBrowserOnly, 0));
    }
};

QTEST_MAIN(SlotWindowsTest)
#include "tst_slotwindows.moc"
