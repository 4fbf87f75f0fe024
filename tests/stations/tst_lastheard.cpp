#include "RecordingMainWindow.h"
#include "core/app/AppState.h"
#include "core/net/DownloadControl.h"
#include "core/sites/SlotMap.h"
#include "core/thumbs/LastHeard.h"
#include "sitesim/SiteSimulator.h"
#include "stations/LastHeardWindow.h"
#include "support/LoopbackServer.h"
#include "support/TestFiles.h"
#include "ui/WindowRegistry.h"

#include <QLabel>
#include <QPointer>
#include <QScopeGuard>
#include <QTest>
#include <QTimeZone>

using namespace tavimo;

namespace {

// A site on SSTV page 2, slot 3 (zero-based) of thumbnail setting 4.
SiteRecord siteInSlot(const QString &callsign, const QString &url) {
    SiteRecord site = test::makeSite(callsign, url);
    site.SlotMap[4] = withSstvSlotOnPage(kEmptySlotMap, 2, 3);
    return site;
}

} // namespace

class LastHeardTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QVERIFY(server_.start());
        server_.clearRequests();
        downloads_.setTransferTimeout(std::chrono::milliseconds(3000));
        state_.downloads = &downloads_;
        state_.mainWindow = &main_;
        state_.texts.LngLoading = "Loading...";
        state_.texts.LngLastHeard = "Click to close";
        state_.config.ThumbSetting = 4;
        state_.page.CurrentPage = 2;
        state_.SiteList = {siteInSlot("G0ABC", url("/g0abc/image1.jpg"))};
        main_.frames.insert(3, QRect(300, 200, 120, 90));
    }
    void cleanup() {
        qDeleteAll(registry_.loadedWindows());
        server_.stop();
        server_.clearRoutes();
    }

    void address_data() {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QString>("list");
        QTest::newRow("beside the picture") << "http://h/sstv/1/image1.jpg"
                                            << "http://h/sstv/1/list.jpg";
        QTest::newRow("marker removed") << "http://h/sstv/1/image1.jpgNoDelete"
                                        << "http://h/sstv/1/list.jpg";
        QTest::newRow("no image1") << "http://h/wx/latest.jpg"
                                   << "";
        QTest::newRow("case-sensitive") << "http://h/Image1.jpg"
                                        << "";
    }
    void address() {
        QFETCH(QString, picture);
        QTEST(lastHeardAddress(picture), "list");
    }

    void addressOfSlot_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<bool>("wxPage");
        QTest::addColumn<QString>("list");
        QTest::newRow("the slot's site") << 3 << false << "http://h/b/list.jpg";
        QTest::newRow("empty slot") << 4 << false << "";
        QTest::newRow("WX page") << 3 << true << "";
    }
    void addressOfSlot() {
        QFETCH(int, slot);
        QFETCH(bool, wxPage);
        const SiteList sites{test::makeSite("A1AA", "http://h/a/image1.jpg"),
                             siteInSlot("B1BB", "http://h/b/image1.jpg"),
                             siteInSlot("C1CC", "http://h/c/image1.jpg")};
        QTEST(lastHeardAddress(sites, 4, 2, slot, wxPage), "list");
    }

    void text_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("shown");
        QTest::newRow("CR LF") << QByteArray("A\r\nB\r\n") << "  A\n   B\n   Click to close   ";
        QTest::newRow("LF only") << QByteArray("A\nB\n") << "  A\n   B\n   Click to close   ";
        QTest::newRow("lone CR, no last end") << QByteArray("A\rB") << "  A\n   BClick to close   ";
        QTest::newRow("empty") << QByteArray() << "  Click to close   ";
        QTest::newRow("Windows-1252")
            << QByteArray("\xd8") << QString::fromUtf16(u"  Ø") + "Click to close   ";
    }
    void text() {
        QFETCH(QByteArray, reply);
        QTEST(lastHeardText(reply, "Click to close"), "shown");
    }

    void textIsCapped() {
        const QString shown = lastHeardText(QByteArray(200000, 'x'), "Click to close");
        QCOMPARE(shown.count(u'x'), kLastHeardCapBytes);
    }

    void placement_data() {
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<QPoint>("topLeft");
        const QRect screen(0, 0, 1920, 1080);
        // The window is 200 x 300.
        QTest::newRow("centred on the frame")
            << QRect(100, 200, 120, 90) << screen << QPoint(60, 200);
        QTest::newRow("right edge") << QRect(1850, 100, 120, 90) << screen << QPoint(1720, 100);
        QTest::newRow("left edge") << QRect(0, 100, 120, 90) << screen << QPoint(0, 100);
        QTest::newRow("bottom edge") << QRect(500, 1000, 120, 80) << screen << QPoint(460, 780);
        QTest::newRow("second screen")
            << QRect(1930, 10, 120, 90) << QRect(1920, 0, 1280, 1024) << QPoint(1920, 10);
        QTest::newRow("no frame: centred") << QRect() << screen << QPoint(860, 390);
    }
    void placement() {
        QFETCH(QRect, frame);
        QFETCH(QRect, screen);
        QTEST(placeOverSlot(frame, QSize(200, 300), screen), "topLeft");
    }

    void showsTheList() {
        test::Route route;
        route.body = "G4XYZ 12:00\r\nF1ABC 11:58\r\n";
        server_.setRoute("/g0abc/list.jpg", route);
        LastHeardWindow *window = openLastHeardWindow(state_, registry_, 3);
        QVERIFY(window);
        QCOMPARE(window->Label1->text(), "   Loading...");
        QTRY_COMPARE(window->Label1->text(), "  G4XYZ 12:00\n   F1ABC 11:58\n   Click to close   ");
        QCOMPARE(window->Label1->textFormat(), Qt::PlainText);
        // Over the slot: its top at the frame's top, centred across it.
        QCOMPARE(window->pos().y(), 200);
        QCOMPARE(window->pos().x() + window->width() / 2, 360);
        QVERIFY(main_.widget.isEnabled());
        QVERIFY(main_.log.isEmpty()); // refreshing goes on
    }

    void missingListSaysSo() {
        test::Route route;
        route.status = 404;
        server_.setRoute("/g0abc/list.jpg", route);
        LastHeardWindow *window = openLastHeardWindow(state_, registry_, 3);
        QTRY_COMPARE(window->Label1->text(), kListNotFound);
    }

    void nothingToAskFor_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("picture");
        QTest::newRow("empty slot") << 5 << 2 << "/g0abc/image1.jpg";
        QTest::newRow("WX page") << 3 << kPageCount << "/g0abc/image1.jpg";
        QTest::newRow("no image1") << 3 << 2 << "/g0abc/latest.jpg";
    }
    void nothingToAskFor() {
        QFETCH(int, slot);
        QFETCH(int, page);
        QFETCH(QString, picture);
        state_.page.CurrentPage = page;
        state_.SiteList[0].PictureUrl = url(picture);
        LastHeardWindow *window = openLastHeardWindow(state_, registry_, slot);
        QCOMPARE(window->Label1->text(), kListNotFound);
        QTest::qWait(50);
        QCOMPARE(server_.requests().size(), 0);
    }

    void clickCloses() {
        QPointer<LastHeardWindow> window = openLastHeardWindow(state_, registry_, 3);
        QTest::mouseClick(window->Label1, Qt::LeftButton);
        QTRY_VERIFY(!window);
        QCOMPARE(registry_.IsFormLoaded("LastHeardWindow"), 0);
    }

    void answerAfterCloseIsDropped() {
        test::Route route;
        route.body = "late\r\n";
        route.delayMs = 200;
        server_.setRoute("/g0abc/list.jpg", route);
        QPointer<LastHeardWindow> window = openLastHeardWindow(state_, registry_, 3);
        closeLastHeardWindow(registry_);
        QTRY_VERIFY(!window);
        QTRY_COMPARE(server_.requestCount("/g0abc/list.jpg"), 1);
        QTest::qWait(400); // the answer arrives, and goes nowhere
    }

    void anotherSlotReplacesTheList() {
        state_.SiteList.append(test::makeSite("K1XYZ", url("/k1xyz/image1.jpg")));
        state_.SiteList.last().SlotMap[4] = withSstvSlotOnPage(kEmptySlotMap, 2, 7);
        QPointer<LastHeardWindow> first = openLastHeardWindow(state_, registry_, 3);
        QCOMPARE(openLastHeardWindow(state_, registry_, 3), first.data());
        LastHeardWindow *second = openLastHeardWindow(state_, registry_, 7);
        QVERIFY(!first);
        QCOMPARE(second->slot(), 7);
        QCOMPARE(registry_.IsFormLoaded("LastHeardWindow"), 1);
    }

    void simulatorServesAList() {
        const QDateTime origin(QDate(2024, 5, 1), QTime(12, 0), QTimeZone::utc());
        sitesim::SiteSimulator sim(sitesim::SimConfig{}, [origin] { return origin; });
        server_.setHandler([&sim](const test::RecordedRequest &r) { return sim.answer(r); });
        const auto detach = qScopeGuard([this] { server_.setHandler({}); });
        state_.SiteList = {siteInSlot("SIM", url(sitesim::sstvPicturePath(1)))};
        LastHeardWindow *window = openLastHeardWindow(state_, registry_, 3);
        const QString heading = "  Last heard at " + sim.sstvSites()[0].callsign + "\n   ";
        QTRY_VERIFY(window->Label1->text().startsWith(heading));
        QCOMPARE(window->Label1->text().count(" UTC\n"), 10);
    }

private:
    QString url(const QString &path) const { return server_.url(path).toString(); }

    test::LoopbackServer server_;
    DownloadContext downloads_;
    test::RecordingMainWindow main_;
    AppState state_;
    WindowRegistry registry_;
};

QTEST_MAIN(LastHeardTest)
#include "tst_lastheard.moc"
