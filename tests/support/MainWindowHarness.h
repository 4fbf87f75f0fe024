#pragma once

// A main window in a folder of its own: temporary data, program and bundled
// folders, a settings file, sites on a loopback server (404 unless served),
// and fakes for prompts, connection check, single instance, clock, desktop,
// file dialog, clipboard and the other windows.

#include "core/app/AppState.h"
#include "core/app/WindowOpener.h"
#include "core/base/TextFile.h"
#include "core/files/AppPaths.h"
#include "core/files/SettingsStore.h"
#include "core/net/DownloadControl.h"
#include "mainwindow/MainMenus.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/PageLoader.h"
#include "mainwindow/RefreshSchedule.h"
#include "mainwindow/SlotActions.h"
#include "mainwindow/UpdateServices.h"
#include "platform/ClockSetter.h"
#include "platform/ConnectionChecker.h"
#include "platform/DesktopBridge.h"
#include "support/FakePrompts.h"
#include "support/Fixtures.h"
#include "support/LoopbackServer.h"
#include "support/PlatformFakes.h"
#include "support/PointerEvents.h"
#include "support/TestFiles.h"
#include "ui/AnimatedPicture.h"
#include "ui/CornerMenu.h"
#include "ui/MenuBarPainter.h"
#include "ui/ThumbCell.h"
#include "ui/ThumbGrid.h"
#include "ui/ThumbPointer.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

namespace tavimo::test {

using namespace Qt::StringLiterals;

// Notes each call as "name arg arg", with what the main window had set then.
class RecordingOpener final : public WindowOpener {
public:
    struct HandOver {
        bool loadingLook = false;
        bool sstvRunning = false;
    };
    QStringList calls;
    QList<HandOver> handOvers;
    QList<QStringList> siteNews;
    QList<bool> siteNewsFromMain;
    std::function<HandOver()> handOver;
    std::function<void()> onCloseAll;

    QStringList named(const QString &name) const {
        QStringList result;
        for (const QString &call : calls) {
            if (call == name || call.startsWith(name + u' '))
                result << call;
        }
        return result;
    }
    qsizetype count(const QString &name) const { return named(name).size(); }

    void openGallery(const GalleryRequest &r) override {
        const bool slot = r.mode == GalleryRequest::Mode::PageSlot;
        note({"openGallery", slot ? "slot" : "site", QString::number(r.index)});
    }
    void closeGallery() override { note({"closeGallery"}); }
    void openPictureViewer(const QString &path, int slot, QPoint) override {
        note({"openPictureViewer", path, QString::number(slot)});
    }
    void openStation(const QString &call, bool fromCall) override {
        note({"openStation", call, QString::number(fromCall)});
    }
    void openSiteMap(const SiteMapRequest &r) override {
        note({"openSiteMap", QString::number(r.mapIndex), QString::number(r.position.SiteLat),
              QString::number(r.position.SiteLon), r.callsign});
    }
    void openWebMap(const QString &call, const QString &address) override {
        note({"openWebMap", call, address});
    }
    void openSiteSelection(const SelectionRequest &r) override {
        note({"openSiteSelection", QString::number(r.galleryPick), QString::number(r.slot),
              QString::number(r.wxList)});
    }
    void rebuildSiteSelection() override { note({"rebuildSiteSelection"}); }
    void openSiteNews(const QStringList &sections, bool fromMain) override {
        note({"openSiteNews"});
        siteNews << sections;
        siteNewsFromMain << fromMain;
    }
    void openAbout() override { note({"openAbout"}); }
    void openAddSite() override { note({"openAddSite"}); }
    void openEditSite() override { note({"openEditSite"}); }
    void openRemoveSite() override { note({"openRemoveSite"}); }
    void openOwnPosition() override { note({"openOwnPosition"}); }
    void openPageNames() override { note({"openPageNames"}); }
    void openHelp() override { note({"openHelp"}); }
    void closeAll() override {
        note({"closeAll"});
        if (onCloseAll)
            onCloseAll();
    }

private:
    void note(const QStringList &parts) {
        calls << parts.join(u' ');
        handOvers << (handOver ? handOver() : HandOver{});
    }
};

// A file dialog answered from a queue (cancelled when it is empty); notes
// each request and whether the SSTV refresh ran meanwhile.
struct FakeFileDialog {
    QStringList answers;
    QList<FileDialogRequest> requests;
    QList<bool> refreshRunning;
    std::function<bool()> sstvRunning;

    QString operator()(const FileDialogRequest &request) {
        requests << request;
        refreshRunning << (sstvRunning && sstvRunning());
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
};

// Two SSTV sites and one WX site, current format, on a closed port.
inline QStringList sampleSiteListLines() {
    return {u"AB1CD*1000000000*1000000000*1000000000*1000000000*51.5*-0.12**"_s,
            u"http://127.0.0.1:1/ab1cd/image1.jpg"_s,
            u"EF2GH*2000000000*2000000000*2000000000*2000000000*40*-74**"_s,
            u"http://127.0.0.1:1/ef2gh/image1.jpg"_s};
}

inline QStringList sampleWxListLines() {
    return {u"NOAA*1*1*1*1"_s, u"http://127.0.0.1:1/wx/latest.jpg"_s};
}

// The fifteen configuration lines with the first six given.
inline QStringList configFileLines(int guiSize, int thumbSetting, int autoRefresh, int seconds,
                                   int startPage, int language = 0) {
    QStringList lines;
    for (int value : {guiSize, thumbSetting, autoRefresh, seconds, startPage, language})
        lines << QString::number(value);
    return lines + QStringList{"52.1", "5.1", "0", "0", "0", "SIM0OP", "0", "0", "0"};
}

class Harness {
public:
    // bundledLists: whether the bundled folder holds the default lists (a
    // missing tavimo.lst cannot be tested when provisioning brings it back).
    explicit Harness(bool bundledLists = true) {
        root = dir.path();
        state.paths.dataFolder = root + u"/data/tavimo"_s;
        state.paths.programFolder = root + u"/program"_s;
        state.paths.bundledDataFolder = root + u"/bundled"_s;
        QDir().mkpath(state.paths.programFolder);
        QDir().mkpath(state.paths.dataFolder);
        const QDir source(QStringLiteral(TAVIMO_SOURCE_DATA_DIR));
        QStringList files{u"tavimo.cfg"_s};
        if (bundledLists)
            files << u"tavimo.lst"_s << u"WXsites.lst"_s;
        for (const QString &name : QDir(source.filePath("Languages")).entryList(QDir::Files))
            files << u"Languages/"_s + name;
        for (const QString &name : files)
            writeBytes(state.paths.bundledDataFolder + u'/' + name,
                       readBytes(source.filePath(name)));

        iniPath = root + u"/config/Tavimo.ini"_s;
        QDir().mkpath(root + u"/config"_s);
        settings = std::make_unique<SettingsStore>(iniPath);
        downloads.setTransferTimeout(std::chrono::milliseconds(500));
        server.start();

        state.settings = settings.get();
        state.prompts = &prompts;
        state.downloads = &downloads;
        state.opener = &opener;
        state.endpoints = Endpoints::defaults();
        // Nothing leaves the machine.
        state.endpoints.ConnectionProbe = u"http://127.0.0.1:1/"_s;
        state.endpoints.WebMap = u"http://127.0.0.1:9/"_s;
        state.endpoints.TimePage.clear();
        state.utcNow = [] { return QDateTime(QDate(2024, 5, 1), QTime(13, 5, 9), Qt::UTC); };
    }

    QString data(const QString &relative) const { return state.paths.data(relative); }
    void writeData(const QString &relative, const QStringList &lines) {
        QDir().mkpath(QFileInfo(data(relative)).absolutePath());
        writeTextLines(data(relative), lines);
    }
    void writeConfig(int thumbSetting, int autoRefresh = 1, int startPage = 0, int seconds = 60,
                     int guiSize = 1, int language = 0) {
        writeData(u"tavimo.cfg"_s, configFileLines(guiSize, thumbSetting, autoRefresh, seconds,
                                                   startPage, language));
    }

    // Sites for the lists written at start-up; the slot map is the same in
    // every thumbnail setting.
    QString url(const QString &path) const { return server.url(path).toString(); }
    void addSite(const QString &call, const QString &slotMap, const QString &path,
                 const QString &lat = u"0"_s, const QString &lon = u"0"_s,
                 const QString &date = QString()) {
        sstvLines << QStringList{call, slotMap, slotMap, slotMap, slotMap, lat, lon, date, {}}.join(
                         u'*')
                  << url(path);
    }
    void addWxSite(const QString &name, const QString &slotMap, const QString &path) {
        wxLines << QStringList{name, slotMap, slotMap, slotMap, slotMap}.join(u'*') << url(path);
    }
    // Five SSTV sites (three on page 1, one each on pages 2 and 3) and two WX
    // sites, on a server that never answers: no answer changes a slot while a
    // test looks, yet every page the tests switch to has something to load.
    void addQuietSites() {
        server.setHandler([](const RecordedRequest &) {
            Route route;
            route.stall = true;
            return std::optional<Route>(route);
        });
        addSite("AB1CD", "1000000000", "/ab1cd/image1.jpg", "51.5", "-0.12");
        addSite("EF2GH", "2000000000", "/ef2gh/image1.jpg", "40", "-74");
        addSite("K0XYZ", "3000000000", "/k0xyz/image1.jpg");
        addSite("ON4AA", "0100000000", "/on4aa/image1.jpg", "50.8", "4.4");
        addSite("SP3AB", "0020000000", "/sp3ab/image1.jpg", "52.2", "21");
        addWxSite("NOAA", "1", "/wx/latest.jpg");
        addWxSite("METEOR", "2", "/wx/meteor.jpg");
    }

    void serve(const QString &path, const QByteArray &body, Route route = Route()) {
        route.body = body;
        server.setRoute(path, route);
    }
    // A still picture with a trailer at `path`, and its check picture beside it.
    void servePicture(const QString &path, const QString &text) {
        serve(path, withTrailer(jpegBytes(QSize(160, 120), QColor(40, 90, 160), text), u"PA0SND"_s,
                                u"OK"_s, QDateTime(QDate(2024, 5, 1), QTime(12, 34), Qt::UTC)));
        serve(path.left(path.lastIndexOf(u'/') + 1) + u"checknew.jpg"_s, checkPicture(1, 100));
    }

    MainWindow &window() {
        if (window_)
            return *window_;
        MainWindowDeps deps;
        deps.opener = windowOpener ? windowOpener : &opener;
        deps.connectionChecker = &checker;
        deps.acquireSingleInstance = [this] { return !otherInstance; };
        deps.singleInstanceProblem = [this] { return instanceLockProblem; };
        deps.folderWritable = [this](const QString &folder) {
            return programFolderWritable && QFileInfo(folder).isDir();
        };
        deps.quit = [this] { ++quits; };
        deps.clockSetter = &clock;
        deps.desktop = &desktop;
        deps.showFileDialog = [this](const FileDialogRequest &r) { return fileDialog(r); };
        deps.clipboard = [this](QMimeData *data) {
            clipboard.emplace_back(data);
            refreshAtClipboard << sstvRunning();
        };
        deps.sstvTick = sstvTick;
        deps.wxTick = wxTick;
        window_ = std::make_unique<MainWindow>(state, deps);
        window_->schedule().onReload = [this](bool wx) { ++(wx ? wxReloads : sstvReloads); };
        window_->updates().openExternalUrl = [this](const QString &address) {
            openedUrls << address;
            return true;
        };
        fileDialog.sstvRunning = [this] { return sstvRunning(); };
        opener.handOver = [this] {
            if (!window_)
                return RecordingOpener::HandOver{};
            return RecordingOpener::HandOver{loadingLook(), sstvRunning()};
        };
        return *window_;
    }

    // Writes the lists added (if any) and starts the window up.
    bool startUp() {
        if (!sstvLines.isEmpty())
            writeData(u"tavimo.lst"_s, sstvLines);
        if (!wxLines.isEmpty())
            writeData(u"WXsites.lst"_s, wxLines);
        if (!window().startUp())
            return false;
        // The first requests leave from the event loop, as the window shows.
        QCoreApplication::sendPostedEvents(window_.get());
        return true;
    }
    // Starts up, shows the window and waits for the first pass to end.
    bool startShown() {
        if (!startUp())
            return false;
        window_->show();
        return QTest::qWaitForWindowExposed(window_.get()) && waitForQuiet();
    }

    // Closes and destroys the window, as the program does when it ends.
    void closeWindow() {
        if (window_)
            window_->close();
        // The windows closed at shutdown go first, as when the program's event loop ends.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        window_.reset();
        settings->sync();
    }

    MainWindow &w() { return *window_; }
    PageState &page() { return state.page; }
    Config &config() { return state.config; }
    ThumbCell &cell(int slot) { return *window_->grid().cell(slot); }
    RefreshTimers &timers() { return window_->schedule().timers(); }
    bool sstvRunning() { return timers().sstvRunning(); }
    int reloads() const { return sstvReloads + wxReloads; }
    QAction *item(const QString &name, int index = -1) {
        return window_->menus().item(name, index);
    }
    QMenu *popUp() { return window_->menus().mnuPopMenu; }
    // Runs a menu item as a click does.
    void click(const QString &name, int index = -1) {
        QAction *action = item(name, index);
        QVERIFY2(action, qPrintable(name));
        action->trigger();
    }
    // The Setup menu opening, which sets its check marks.
    void openSetup() { emit window_->menus().mnuSetup->aboutToShow(); }
    bool loadingLook() { return window_->menus().loadingLook(); }
    void plainRefreshLook() { window_->menus().showPlainRefresh(); }
    QList<int> checkedItems(const QString &name, int first, int last) {
        QList<int> checked;
        for (int i = first; i <= last; ++i) {
            if (item(name, i)->isChecked())
                checked << i;
        }
        return checked;
    }
    void tickSstv(int times) {
        for (int i = 0; i < times; ++i)
            emit timers().sstvTick();
    }
    void tickWx(int times) {
        for (int i = 0; i < times; ++i)
            emit timers().wxTick();
    }

    int siteIndex(const QString &call) const {
        for (int i = 0; i < state.SiteList.size(); ++i) {
            if (state.SiteList[i].Callsign == call)
                return i;
        }
        return -1;
    }
    SiteRecord &site(const QString &call) { return state.SiteList[siteIndex(call)]; }

    // Every download of the window has answered, and no pass is running.
    bool waitForQuiet() {
        return QTest::qWaitFor(
            [&] {
                return window_->loader().fetcher()->pendingCount() == 0 &&
                       page().FinishedCount >= page().ExpectedCount && !loadingLook();
            },
            10000);
    }

    // The part of a slot that takes the pointer: the animation when it shows.
    QWidget *picture(int slot) { return pointerPart(cell(slot)); }
    static void send(QWidget *target, QEvent::Type type, Qt::MouseButton button,
                     Qt::KeyboardModifiers modifiers = {}) {
        sendMouse(target, type, button, modifiers);
    }
    void hover(int slot, Qt::KeyboardModifiers modifiers = {}) {
        send(picture(slot), QEvent::MouseMove, Qt::NoButton, modifiers);
    }
    void press(int slot, Qt::MouseButton button) {
        send(picture(slot), QEvent::MouseButtonPress, button);
    }
    // Right-clicks the slot and chooses a pop-up item, as the user does.
    void choose(int slot, const QString &name, int index = -1) {
        press(slot, Qt::RightButton);
        QAction *action = item(name, index);
        QVERIFY2(action && action->isVisible(), qPrintable(name));
        popUp()->hide();
        action->trigger();
    }

    QTemporaryDir dir;
    QString root;
    QString iniPath;
    std::unique_ptr<SettingsStore> settings;
    LoopbackServer server;
    QStringList sstvLines;
    QStringList wxLines;
    FakePrompts prompts;
    DownloadContext downloads;
    FakeConnectionChecker checker{{}, true};
    RecordingOpener opener;
    // The opener the window gets instead of `opener` (the program's own, say).
    WindowOpener *windowOpener = nullptr;
    FakeClockSetter clock;
    FakeDesktopBridge desktop;
    FakeFileDialog fileDialog;
    std::vector<std::unique_ptr<QMimeData>> clipboard;
    QList<bool> refreshAtClipboard; // whether the SSTV refresh ran as each arrived
    QStringList openedUrls;
    // Long by default: the tests tick the timers themselves.
    std::chrono::milliseconds sstvTick = std::chrono::hours(1);
    std::chrono::milliseconds wxTick = std::chrono::hours(1);
    bool otherInstance = false;
    QString instanceLockProblem; // with otherInstance: the lock file is no lock
    bool programFolderWritable = true;
    int quits = 0;
    int sstvReloads = 0;
    int wxReloads = 0;
    AppState state;

private:
    std::unique_ptr<MainWindow> window_;
};

} // namespace tavimo::test
