#include "core/app/AppState.h"
#include "core/net/DownloadControl.h"
#include "core/sites/SlotMap.h"
#include "core/thumbs/LastHeard.h"
#include "platform/DesktopBridge.h"
#include "sitesim/SiteSimulator.h"
#include "stations/LastHeardWindow.h"
#include "stations/WebMapTexts.h"
#include "stations/WebMapWindow.h"
#include "support/FakeMainWindow.h"
#include "support/FakePageView.h"
#include "support/FakePrompts.h"
#include "support/LoopbackServer.h"
#include "support/PlatformFakes.h"
#include "support/TestFiles.h"
#include "ui/WindowRegistry.h"

#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

using namespace tavimo;

namespace {

const QString kSatellite = "http://m.example/maps?q=51.5,-0.12&t=h&z=18";
const QString kStreet = "http://m.example/maps?q=&layer=c&cbll=51.5,-0.12&cbp=12,0,0,0,0";

} // namespace

// The windows a slot's pop-up opens over the grid: the list of stations last heard, and the
// street and satellite views of the site.
class SlotWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(server_.start()); }
    void init() {
        server_.clearRoutes();
        server_.clearRequests();
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir(dir_->path()).mkdir("pics"));
        state_ = std::make_unique<AppState>();
        state_->paths.dataFolder = dir_->filePath("data");
        state_->downloads = &downloads_;
        state_->prompts = &prompts_;
        state_->mainWindow = &main_;
        state_->config.AutoRefreshMode = 1;
        state_->config.ThumbSetting = 4;
        state_->page.CurrentPage = 2;
        state_->texts.LngLoading = "Loading...";
        state_->texts.LngNoPosTpl = "No position known for ??";
        // Page 2, slot 3 (zero-based) holds the simulator's first site, in London.
        SiteRecord london = test::makeSite("G0ABC", url(sitesim::sstvPicturePath(1)), 51.5);
        london.SlotMap[4] = withSstvSlotOnPage(kEmptySlotMap, 2, 3);
        state_->SiteList = {london, test::makeSite("K1NUL", "http://127.0.0.1/2/image1.jpg")};
        main_.frames.insert(3, QRect(300, 200, 120, 90));
        prompts_.clear();
        main_.calls.clear();
        bridge_ = std::make_unique<test::FakeDesktopBridge>();
        dialogs_.clear();
        clipboard_.clear();
        browser_.clear();
        fake_ = nullptr;
        services_ = {bridge_.get(),
                     [this](const FileDialogRequest &request) {
                         dialogs_.append(request.NameFilters);
                         return dir_->filePath("pics/view.bmp");
                     },
                     [this](QMimeData *data) {
                         clipboard_.append(qvariant_cast<QImage>(data->imageData()));
                         delete data;
                     },
                     [this](const QUrl &address) {
                         browser_.append(address);
                         return true;
                     },
                     [this]() -> std::unique_ptr<WebPageView> {
                         auto view = std::make_unique<test::FakePageView>();
                         fake_ = view.get();
                         return view;
                     }};
    }
    void cleanup() { qDeleteAll(registry_.loadedWindows()); }

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
        server_.setHandler([&sim](const test::RecordedRequest &r) { return sim.answer(r); });
        const auto detach = qScopeGuard([this] { server_.setHandler({}); });
        LastHeardWindow *window = openLastHeardWindow(*state_, registry_, 3);
        QCOMPARE(window->Label1->text(), "   Loading...");
        QTRY_VERIFY(window->Label1->text().startsWith("  Last heard at " +
                                                      sim.sstvSites()[0].callsign + "\n   "));
        QCOMPARE(window->Label1->text().count(" UTC\n"), 10);
        QCOMPARE(window->pos().y(), 200); // over the slot, centred across it
        QCOMPARE(window->pos().x() + window->width() / 2, 360);
        QVERIFY(main_.calls.isEmpty()); // the main window goes on as it was
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
        state_->page.CurrentPage = page;
        state_->SiteList[0].PictureUrl = url(picture);
        LastHeardWindow *window = openLastHeardWindow(*state_, registry_, slot);
        QTRY_COMPARE(window->Label1->text(), kListNotFound);
        QTEST(int(server_.requests().size()), "requests");
    }

    void clickCloses() {
        QPointer<LastHeardWindow> window = openLastHeardWindow(*state_, registry_, 3);
        QTest::mouseClick(window->Label1, Qt::LeftButton);
        QTRY_VERIFY(!window);
    }

    void answerAfterCloseIsDropped() {
        test::Route late;
        late.body = "late\r\n";
        late.delayMs = 200;
        server_.setRoute("/late/list.jpg", late);
        state_->SiteList[0].PictureUrl = url("/late/image1.jpg");
        QPointer<LastHeardWindow> window = openLastHeardWindow(*state_, registry_, 3);
        // Closed while the answer is on its way.
        QTRY_COMPARE(server_.requestCount("/late/list.jpg"), 1);
        closeLastHeardWindow(registry_);
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
        QCOMPARE(fake_->loaded, QList<QUrl>{QUrl(address)});
        QCOMPARE(window->size(),
                 webMapWindowSize(QGuiApplication::primaryScreen()->geometry().size()));
        QVERIFY(window->cmdSave->isEnabled() && window->cmdPaste->isEnabled());
        window->close();
        QTRY_VERIFY(!window);
        // Blocked while open; refreshing is left alone.
        QCOMPARE(main_.calls, (QStringList{"disable", "enable"}));
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
        state_->ZeroChar = QString::fromUtf16(u"Ø");
        QVERIFY(!openWebMapWindow(*state_, registry_, {job, wxPage}, services_));
        QCOMPARE(prompts_.texts(), QStringList{message});
        QVERIFY(!fake_ && main_.calls.isEmpty());
    }

    void saveWritesMapBmpAndHandsItOn() {
        WebMapWindow *window = open("G0ABC*" + kSatellite);
        fake_->onCapture = [&] { QVERIFY(!window->cmdSave->isEnabled()); };
        QTest::mouseClick(window->cmdSave, Qt::LeftButton);
        const QString mapFile = state_->paths.data("images/Map.bmp");
        QCOMPARE(QImage(mapFile).size(), QSize(400, 300));
        QCOMPARE(dialogs_, QStringList{"bmp files (*.bmp)"});
        QCOMPARE(test::readBytes(dir_->filePath("pics/view.bmp")), test::readBytes(mapFile));
        QCOMPARE(state_->SaveFolder, dir_->filePath("pics/"));
        QVERIFY(clipboard_.isEmpty() && prompts_.calls.isEmpty());
        QCOMPARE(main_.calls, (QStringList{"disable", "stop", "start"}));
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
            bridge_->addWindow("EasyPal");
        QTest::mouseClick(open("G0ABC*" + kStreet)->cmdPaste, Qt::LeftButton);
        QCOMPARE(clipboard_.size(), 1);
        QCOMPARE(clipboard_[0].size(), QSize(400, 300));
        QTEST(bridge_->sentKeys(), "keys");
        QVERIFY(bridge_->log().indexOf("keys {F7}") >= bridge_->log().indexOf("front EasyPal"));
        QVERIFY(dialogs_.isEmpty() && !QFile::exists(state_->paths.data("images/Map.bmp")));
    }

    void failedCaptureDoesNothing_data() {
        QTest::addColumn<bool>("save");
        QTest::newRow("save") << true;
        QTest::newRow("copy") << false;
    }
    void failedCaptureDoesNothing() {
        QFETCH(bool, save);
        bridge_->addWindow("EasyPal");
        const QString mapFile = state_->paths.data("images/Map.bmp");
        QVERIFY(test::writeBytes(mapFile, "an older capture"));
        WebMapWindow *window = open("G0ABC*" + kSatellite);
        fake_->image = QImage();
        QTest::mouseClick(save ? window->cmdSave : window->cmdPaste, Qt::LeftButton);
        QCOMPARE(prompts_.texts(), QStringList{webMapTexts(0).captureFailed});
        QVERIFY(dialogs_.isEmpty() && clipboard_.isEmpty() && bridge_->sentKeys().isEmpty());
        QCOMPARE(test::readBytes(mapFile), QByteArray("an older capture"));
    }

    void browser_data() {
        QTest::addColumn<bool>("embeddedFails");
        QTest::newRow("no embedded view") << false;
        QTest::newRow("embedded view fails") << true;
    }
    void browser() {
        QFETCH(bool, embeddedFails);
        if (!embeddedFails)
            services_.makeView = [] { return nullptr; };
        QPointer<WebMapWindow> window = open("G0ABC*" + kSatellite);
        if (embeddedFails)
            emit fake_->failed();
        QTRY_COMPARE(browser_, QList<QUrl>{QUrl(kSatellite)});
        QCOMPARE(prompts_.texts(),
                 embeddedFails ? QStringList{webMapTexts(0).embeddedFailed} : QStringList{});
        QVERIFY(!window->showsPageInside() && !window->cmdSave->isEnabled());
        QCOMPARE(window->cmdPaste->toolTip(), webMapTexts(0).browserOnly);
    }

private:
    QString url(const QString &path) const { return server_.url(path).toString(); }
    WebMapWindow *open(const QString &job) {
        return openWebMapWindow(*state_, registry_, {job, false}, services_);
    }

    test::LoopbackServer server_;
    DownloadContext downloads_;
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<AppState> state_;
    test::FakePrompts prompts_;
    test::FakeMainWindow main_;
    std::unique_ptr<test::FakeDesktopBridge> bridge_;
    WindowRegistry registry_;
    WebMapServices services_;
    test::FakePageView *fake_ = nullptr;
    QStringList dialogs_; // the filters offered
    QList<QImage> clipboard_;
    QList<QUrl> browser_;
};

QTEST_MAIN(SlotWindowsTest)
#include "tst_slotwindows.moc"
