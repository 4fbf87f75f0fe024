#include "RecordingMainWindow.h"
#include "core/app/AppState.h"
#include "platform/DesktopBridge.h"
#include "stations/WebMapTexts.h"
#include "stations/WebMapWindow.h"
#include "support/FakePrompts.h"
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

const QString kSatellite = "http://maps.example/maps?q=51.5,-0.12&t=h&z=18";
const QString kStreet = "http://maps.example/maps?q=&layer=c&cbll=51.5,-0.12&cbp=12,0,0,0,0";

// A page that is "shown" by a plain widget and captured as a set picture.
class FakeView final : public WebPageView {
public:
    FakeView() : page_(new QWidget) {}
    ~FakeView() override {
        if (page_ && !page_->parent())
            delete page_;
    }
    QWidget *widget() override { return page_; }
    bool load(const QUrl &address) override {
        loaded.append(address);
        return true;
    }
    bool canCapture() const override { return true; }
    QImage capture() override {
        if (onCapture)
            onCapture();
        return image;
    }
    void fail() { emit failed(); }

    QList<QUrl> loaded;
    QImage image;
    std::function<void()> onCapture;

private:
    QPointer<QWidget> page_;
};

QImage picture(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(30, 120, 200));
    return image;
}

} // namespace

class WebMapWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        QVERIFY(QDir(dir_->path()).mkdir("pics"));
        state_ = std::make_unique<AppState>();
        state_->paths.dataFolder = dir_->filePath("data");
        state_->prompts = &prompts_;
        state_->mainWindow = &main_;
        state_->config.AutoRefreshMode = 1;
        state_->texts.LngNoPosTpl = "No position known for ??";
        SiteRecord london = test::makeSite("G0ABC", "http://127.0.0.1/1/image1.jpg");
        london.Latitude = 51.5;
        london.Longitude = -0.12;
        state_->SiteList = {test::makeSite("K1NUL", "http://127.0.0.1/2/image1.jpg"), london};

        prompts_.clear();
        main_.log.clear();
        bridge_ = std::make_unique<FakeDesktopBridge>();
        dialogs_.clear();
        clipboard_.clear();
        browser_.clear();
        fake_ = nullptr;
        embedded_ = true;
        browserOpens_ = true;
        services_.desktop = bridge_.get();
        services_.showFileDialog = [this](const FileDialogRequest &request) {
            dialogs_.append(request);
            return dir_->filePath("pics/view.bmp");
        };
        services_.clipboard = [this](QMimeData *data) {
            clipboard_.append(qvariant_cast<QImage>(data->imageData()));
            delete data;
        };
        services_.openInBrowser = [this](const QUrl &address) {
            browser_.append(address);
            return browserOpens_;
        };
        services_.makeView = [this]() -> std::unique_ptr<WebPageView> {
            if (!embedded_)
                return nullptr;
            auto view = std::make_unique<FakeView>();
            view->image = picture(QSize(400, 300));
            fake_ = view.get();
            return view;
        };
    }
    void cleanup() {
        qDeleteAll(registry_.loadedWindows());
        state_.reset();
    }

    void opens_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("caption");
        QTest::newRow("street view") << kStreet << "Tavimo   Street view of G0ABC";
        QTest::newRow("satellite") << kSatellite << "Tavimo   Satellite view of G0ABC";
    }
    void opens() {
        QFETCH(QString, address);
        QPointer<WebMapWindow> window = open("G0ABC*" + address);
        QVERIFY(window);
        QTEST(window->windowTitle(), "caption");
        QCOMPARE(fake_->loaded, QList<QUrl>{QUrl(address)});
        QVERIFY(window->showsPageInside());
        QCOMPARE(window->size(),
                 webMapWindowSize(QGuiApplication::primaryScreen()->geometry().size()));
        QVERIFY(window->cmdSave->isEnabled() && window->cmdPaste->isEnabled());
        // The main window takes no input meanwhile; refreshing is left alone.
        QCOMPARE(main_.log, QStringList{"disable"});
        window->close();
        QTRY_VERIFY(!window);
        QCOMPARE(main_.log, (QStringList{"disable", "enable"}));
    }

    void refuses_data() {
        QTest::addColumn<QString>("job");
        QTest::addColumn<bool>("wxPage");
        QTest::addColumn<QString>("zeroChar");
        QTest::addColumn<QString>("message");
        QTest::newRow("no star") << kSatellite << false << "0"
                                 << "This map view cannot be opened:\n" + kSatellite;
        QTest::newRow("not http") << "G0ABC*ftp://maps.example/x" << false << "0"
                                  << "This map view cannot be opened:\nG0ABC*ftp://maps.example/x";
        QTest::newRow("WX page") << "G0ABC*" + kSatellite << true << "0"
                                 << "No position known for G0ABC";
        QTest::newRow("site without a position")
            << "K1NUL*http://maps.example/maps?q=0,0&t=h&z=18" << false << QString("Ø")
            << QString::fromUtf16(u"No position known for K1NUL");
        QTest::newRow("unknown site, shown with its zero")
            << "W0XYZ*http://maps.example/maps?q=,&t=h&z=18" << false << QString("Ø")
            << QString::fromUtf16(u"No position known for WØXYZ");
    }
    void refuses() {
        QFETCH(QString, job);
        QFETCH(bool, wxPage);
        QFETCH(QString, zeroChar);
        QFETCH(QString, message);
        state_->ZeroChar = zeroChar;
        QVERIFY(!openWebMapWindow(*state_, registry_, {job, wxPage}, services_));
        QCOMPARE(prompts_.texts(), QStringList{message});
        QCOMPARE(registry_.IsFormLoaded("WebMapWindow"), 0);
        QVERIFY(!fake_);
        QVERIFY(main_.log.isEmpty());
    }

    void saveWritesMapBmpAndHandsItOn() {
        WebMapWindow *window = open("G0ABC*" + kSatellite);
        QList<bool> enabledDuringCapture;
        fake_->onCapture = [&] { enabledDuringCapture.append(window->cmdSave->isEnabled()); };
        main_.log.clear();
        QTest::mouseClick(window->cmdSave, Qt::LeftButton);

        QCOMPARE(enabledDuringCapture, QList<bool>{false});
        const QString mapFile = state_->paths.data("images/Map.bmp");
        QCOMPARE(QImage(mapFile).size(), QSize(400, 300));
        QCOMPARE(dialogs_.size(), 1);
        QCOMPARE(dialogs_[0].Filter, MakeFilter(QString(), "bmp files (*.bmp)", "*.bmp"));
        QCOMPARE(dialogs_[0].FileName, "image1");
        QCOMPARE(test::readBytes(dir_->filePath("pics/view.bmp")), test::readBytes(mapFile));
        QCOMPARE(state_->SaveFolder, dir_->filePath("pics/"));
        QVERIFY(clipboard_.isEmpty());
        QVERIFY(prompts_.calls.isEmpty());
        QCOMPARE(main_.log, (QStringList{"stop", "start"}));
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
        WebMapWindow *window = open("G0ABC*" + kStreet);
        QTest::mouseClick(window->cmdPaste, Qt::LeftButton);

        QCOMPARE(clipboard_.size(), 1);
        QCOMPARE(clipboard_[0].size(), QSize(400, 300));
        QTEST(bridge_->sentKeys(), "keys");
        const QStringList log = bridge_->log();
        if (easyPalRuns)
            QVERIFY(log.indexOf("keys {F7}") > log.indexOf("front EasyPal"));
        QCOMPARE(log.last(), "wait 500");
        QVERIFY(dialogs_.isEmpty());
        QVERIFY(!QFile::exists(state_->paths.data("images/Map.bmp")));
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
        QVERIFY(dialogs_.isEmpty());
        QVERIFY(clipboard_.isEmpty());
        QVERIFY(bridge_->sentKeys().isEmpty());
        QCOMPARE(test::readBytes(mapFile), QByteArray("an older capture"));
        QVERIFY(window->cmdSave->isEnabled());
    }

    void browserOnly_data() {
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("browser opens") << true << QStringList{};
        QTest::newRow("no browser")
            << false << QStringList{"No web browser could open " + kSatellite};
    }
    void browserOnly() {
        QFETCH(bool, opens);
        embedded_ = false;
        browserOpens_ = opens;
        WebMapWindow *window = open("G0ABC*" + kSatellite);
        QCOMPARE(browser_, QList<QUrl>{QUrl(kSatellite)});
        QVERIFY(!window->showsPageInside());
        QVERIFY(!window->cmdSave->isEnabled() && !window->cmdPaste->isEnabled());
        QCOMPARE(window->cmdSave->toolTip(), webMapTexts(0).browserOnly);
        QTEST(prompts_.texts(), "messages");
    }

    void fallsBackToTheBrowser() {
        QPointer<WebMapWindow> window = open("G0ABC*" + kSatellite);
        fake_->fail();
        QTRY_COMPARE(prompts_.texts(), QStringList{webMapTexts(0).embeddedFailed});
        QCOMPARE(browser_, QList<QUrl>{QUrl(kSatellite)});
        QVERIFY(window && !window->showsPageInside());
        QVERIFY(!window->cmdPaste->isEnabled());
    }

private:
    WebMapWindow *open(const QString &job) {
        return openWebMapWindow(*state_, registry_, {job, false}, services_);
    }

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<AppState> state_;
    test::FakePrompts prompts_;
    test::RecordingMainWindow main_;
    std::unique_ptr<FakeDesktopBridge> bridge_;
    WindowRegistry registry_;
    WebMapServices services_;
    FakeView *fake_ = nullptr;
    bool embedded_ = true;
    bool browserOpens_ = true;
    QList<FileDialogRequest> dialogs_;
    QList<QImage> clipboard_;
    QList<QUrl> browser_;
};

QTEST_MAIN(WebMapWindowTest)
#include "tst_webmapwindow.moc"
