#include "core/app/AppState.h"
#include "platform/DesktopBridge.h"
#include "stations/WebMapTexts.h"
#include "stations/WebMapWindow.h"
#include "support/FakeMainWindow.h"
#include "support/FakePageView.h"
#include "support/FakePrompts.h"
#include "support/PlatformFakes.h"
#include "support/TestFiles.h"
#include "ui/WindowRegistry.h"

#include <QDir>
#include <QGuiApplication>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

using namespace tavimo;

namespace {

const QString kSatellite = "http://m.example/maps?q=51.5,-0.12&t=h&z=18";
const QString kStreet = "http://m.example/maps?q=&layer=c&cbll=51.5,-0.12&cbp=12,0,0,0,0";

} // namespace

class WebMapWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir(dir_->path()).mkdir("pics"));
        state_ = std::make_unique<AppState>();
        state_->paths.dataFolder = dir_->filePath("data");
        state_->prompts = &prompts_;
        state_->mainWindow = &main_;
        state_->config.AutoRefreshMode = 1;
        state_->texts.LngNoPosTpl = "No position known for ??";
        SiteRecord london = test::makeSite("G0ABC", "http://127.0.0.1/1/image1.jpg");
        london.Latitude = 51.5;
        state_->SiteList = {test::makeSite("K1NUL", "http://127.0.0.1/2/image1.jpg"), london};
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
    WebMapWindow *open(const QString &job) {
        return openWebMapWindow(*state_, registry_, {job, false}, services_);
    }

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

QTEST_MAIN(WebMapWindowTest)
#include "tst_webmapwindow.moc"
