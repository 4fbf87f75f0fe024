#include "core/app/AppState.h"
#include "core/net/DownloadControl.h"
#include "core/sites/SlotMap.h"
#include "core/thumbs/LastHeard.h"
#include "sitesim/SiteSimulator.h"
#include "stations/LastHeardWindow.h"
#include "support/FakeMainWindow.h"
#include "support/LoopbackServer.h"
#include "support/TestFiles.h"
#include "ui/WindowRegistry.h"

#include <QLabel>
#include <QPointer>
#include <QScopeGuard>
#include <QTest>

using namespace tavimo;

class LastHeardTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        server_.clearRoutes();
        server_.clearRequests();
        QVERIFY(server_.isRunning() || server_.start());
        state_.downloads = &downloads_;
        state_.mainWindow = &main_;
        state_.texts.LngLoading = "Loading...";
        state_.config.ThumbSetting = 4;
        state_.page.CurrentPage = 2;
        // Page 2, slot 3 (zero-based) holds the simulator's first site.
        SiteRecord site = test::makeSite("G0ABC", url(sitesim::sstvPicturePath(1)));
        site.SlotMap[4] = withSstvSlotOnPage(kEmptySlotMap, 2, 3);
        state_.SiteList = {site};
        main_.frames.insert(3, QRect(300, 200, 120, 90));
    }
    void cleanup() { qDeleteAll(registry_.loadedWindows()); }

    void address_data() {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QString>("list");
        QTest::newRow("marker removed") << "http://h/1/image1.jpgNoDelete"
                                        << "http://h/1/list.jpg";
        QTest::newRow("no image1") << "http://h/wx/latest.jpg"
                                   << "";
        QTest::newRow("case-sensitive") << "http://h/Image1.jpg"
                                        << "";
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
        LastHeardWindow *window = openLastHeardWindow(state_, registry_, 3);
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
        state_.page.CurrentPage = page;
        state_.SiteList[0].PictureUrl = url(picture);
        LastHeardWindow *window = openLastHeardWindow(state_, registry_, slot);
        QTRY_COMPARE(window->Label1->text(), kListNotFound);
        QTEST(int(server_.requests().size()), "requests");
    }

    void clickCloses() {
        QPointer<LastHeardWindow> window = openLastHeardWindow(state_, registry_, 3);
        QTest::mouseClick(window->Label1, Qt::LeftButton);
        QTRY_VERIFY(!window);
    }

    void answerAfterCloseIsDropped() {
        test::Route late;
        late.body = "late\r\n";
        late.delayMs = 200;
        server_.setRoute("/late/list.jpg", late);
        state_.SiteList[0].PictureUrl = url("/late/image1.jpg");
        QPointer<LastHeardWindow> window = openLastHeardWindow(state_, registry_, 3);
        // Closed while the answer is on its way.
        QTRY_COMPARE(server_.requestCount("/late/list.jpg"), 1);
        closeLastHeardWindow(registry_);
        QTRY_VERIFY(!window);
        QTest::qWait(400); // the answer arrives, and goes nowhere
    }

private:
    QString url(const QString &path) const { return server_.url(path).toString(); }

    test::LoopbackServer server_;
    DownloadContext downloads_;
    test::FakeMainWindow main_;
    AppState state_;
    WindowRegistry registry_;
};

QTEST_MAIN(LastHeardTest)
#include "tst_lastheard.moc"
