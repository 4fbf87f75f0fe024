#pragma once

// A started main window for the thumbnail tests: the harness's temporary
// folders and fakes, sites on a loopback server (404 unless a test serves a
// path), an opener that notes each call with its arguments, a fake desktop,
// a file dialog answered from a queue and a clipboard that keeps what it gets.

#include "MainWindowHarness.h"

#include "core/AnimatedPicture.h"
#include "core/DownloadControl.h"
#include "core/MenuBarPainter.h"
#include "mainwindow/ThumbCell.h"
#include "platform/ClockSetter.h"
#include "platform/DesktopBridge.h"
#include "support/Fixtures.h"
#include "support/LoopbackServer.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QTest>

#include <chrono>
#include <memory>
#include <vector>

namespace tavimo::test {

// Each call as one line: its name and its arguments, separated by blanks.
class NotingOpener final : public WindowOpener {
public:
    QStringList calls;

    QStringList named(const QString &name) const {
        QStringList result;
        for (const QString &call : calls) {
            if (call == name || call.startsWith(name + u' '))
                result << call;
        }
        return result;
    }

    void openGallery(int r) override { note({QStringLiteral("openGallery"), QString::number(r)}); }
    void closeGallery() override { note({QStringLiteral("closeGallery")}); }
    void openPictureViewer(const QString &path, int slot, QPoint) override {
        note({QStringLiteral("openPictureViewer"), path, QString::number(slot)});
    }
    void openCaptionZoom(int slot) override {
        note({QStringLiteral("openCaptionZoom"), QString::number(slot)});
    }
    void closeCaptionZoom() override { note({QStringLiteral("closeCaptionZoom")}); }
    void openStation(const QString &call, bool fromCall) override {
        note({QStringLiteral("openStation"), call, QString::number(fromCall)});
    }
    void openSiteMap(int index, double lat, double lon) override {
        note({QStringLiteral("openSiteMap"), QString::number(index), QString::number(lat),
              QString::number(lon)});
    }
    void openWebMap(const QString &call, const QString &address) override {
        note({QStringLiteral("openWebMap"), call, address});
    }
    void openSiteSelection(bool galleryPick, int slot, bool wxList) override {
        note({QStringLiteral("openSiteSelection"), QString::number(galleryPick),
              QString::number(slot), QString::number(wxList)});
    }
    void rebuildSiteSelection() override { note({QStringLiteral("rebuildSiteSelection")}); }
    void openSiteNews(const QStringList &, bool) override {
        note({QStringLiteral("openSiteNews")});
    }
    void openAbout() override { note({QStringLiteral("openAbout")}); }
    void openAddSite() override { note({QStringLiteral("openAddSite")}); }
    void openEditSite() override { note({QStringLiteral("openEditSite")}); }
    void openRemoveSite() override { note({QStringLiteral("openRemoveSite")}); }
    void openOwnPosition() override { note({QStringLiteral("openOwnPosition")}); }
    void openPageNames() override { note({QStringLiteral("openPageNames")}); }
    void openHelp() override { note({QStringLiteral("openHelp")}); }
    void openTextMessages(int, const QString &) override {
        note({QStringLiteral("openTextMessages")});
    }
    void openLastHeard(int) override { note({QStringLiteral("openLastHeard")}); }
    void closeLastHeard() override { note({QStringLiteral("closeLastHeard")}); }
    void openPageMap() override { note({QStringLiteral("openPageMap")}); }
    void closeAll() override { note({QStringLiteral("closeAll")}); }

private:
    void note(const QStringList &parts) { calls << parts.join(u' '); }
};

// A file dialog answered from a queue ("" = cancelled when the queue is
// empty); notes each request and whether the SSTV refresh ran meanwhile.
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

struct SiteLine {
    QString call;
    QString slotMap; // the same in every thumbnail setting
    QString lat;
    QString lon;
    QString path; // on the site server
};

class ThumbRig {
public:
    struct Options {
        int thumbSetting = 2;
        int autoRefresh = 1;
        int startPage = 0;
    };

    ThumbRig() {
        server.start();
        h.state.opener = &opener;
        h.state.endpoints.WebMap = QStringLiteral("http://127.0.0.1:9/");
    }

    QString url(const QString &path) const { return server.url(path).toString(); }

    void serve(const QString &path, const QByteArray &body) {
        Route route;
        route.body = body;
        server.setRoute(path, route);
    }
    // A still picture with a trailer at `path`, and its check picture beside it.
    void servePicture(const QString &path, const QString &text) {
        serve(path, withTrailer(jpegBytes(QSize(160, 120), QColor(40, 90, 160), text),
                                QStringLiteral("PA0SND"), QStringLiteral("OK"),
                                QDateTime(QDate(2024, 5, 1), QTime(12, 34), Qt::UTC)));
        serve(path.left(path.lastIndexOf(u'/') + 1) + QStringLiteral("checknew.jpg"),
              checkPicture(1, 100));
    }

    bool start(const QList<SiteLine> &sstv, const QList<SiteLine> &wx, Options options) {
        h.writeData(
            QStringLiteral("tavimo.cfg"),
            configFileLines(1, options.thumbSetting, options.autoRefresh, 30, options.startPage));
        QStringList sstvLines;
        for (const SiteLine &s : sstv) {
            sstvLines << QStringList{s.call, s.slotMap, s.slotMap, s.slotMap, s.slotMap,
                                     s.lat,  s.lon,     QString(), QString()}
                             .join(u'*')
                      << url(s.path);
        }
        QStringList wxLines;
        for (const SiteLine &s : wx) {
            wxLines << QStringList{s.call, s.slotMap, s.slotMap, s.slotMap, s.slotMap}.join(u'*')
                    << url(s.path);
        }
        h.writeData(QStringLiteral("tavimo.lst"), sstvLines);
        h.writeData(QStringLiteral("WXsites.lst"), wxLines);

        MainWindowDeps deps;
        deps.opener = &opener;
        deps.connectionChecker = &h.checker;
        deps.acquireSingleInstance = [] { return true; };
        deps.folderWritable = [](const QString &) { return false; };
        deps.quit = [] {};
        deps.clockSetter = &clock;
        deps.desktop = &desktop;
        deps.showFileDialog = [this](const FileDialogRequest &request) {
            return fileDialog(request);
        };
        deps.clipboard = [this](QMimeData *data) {
            clipboard.emplace_back(data);
            refreshAtClipboard << window_->refreshTimers().sstvRunning();
        };
        // The tests look at whether the timers run, never wait for a tick.
        deps.sstvTick = std::chrono::hours(1);
        deps.wxTick = std::chrono::hours(1);
        window_ = std::make_unique<MainWindow>(h.state, deps);
        fileDialog.sstvRunning = [this] { return window_->refreshTimers().sstvRunning(); };
        if (!window_->startUp())
            return false;
        window_->show();
        if (!QTest::qWaitForWindowExposed(window_.get()))
            return false;
        return waitForQuiet();
    }

    MainWindow &w() { return *window_; }
    ThumbCell &cell(int slot) { return *window_->cell(slot); }
    PageState &page() { return h.state.page; }
    QAction *item(const QString &name, int index = -1) { return window_->menuItem(name, index); }
    QMenu *popUp() { return window_->menu(QStringLiteral("mnuPopMenu")); }

    int siteIndex(const QString &call) const {
        for (int i = 0; i < h.state.SiteList.size(); ++i) {
            if (h.state.SiteList[i].Callsign == call)
                return i;
        }
        return -1;
    }
    const SiteRecord &site(const QString &call) const { return h.state.SiteList[siteIndex(call)]; }

    // Every download of the window has answered, and no pass is running.
    bool waitForQuiet() {
        const auto pending = [this](const char *name) {
            auto *control = window_->findChild<DownloadControl *>(QLatin1String(name));
            return control ? control->pendingCount() : 0;
        };
        return QTest::qWaitFor(
            [&] {
                return pending("ucDnLoad") == 0 && pending("ucCkNew") == 0 &&
                       page().FinishedCount >= page().ExpectedCount &&
                       !menuPicture(item(QStringLiteral("mnuRefresh")));
            },
            10000);
    }

    // The part of a slot that takes the pointer: the animation when it shows.
    QWidget *picture(int slot) {
        ThumbCell &c = cell(slot);
        return c.AniGIF->isHidden() ? static_cast<QWidget *>(c.img) : c.AniGIF;
    }
    static void send(QWidget *target, QEvent::Type type, Qt::MouseButton button,
                     Qt::KeyboardModifiers modifiers) {
        const QPointF at(5, 5);
        QMouseEvent event(type, at, target->mapToGlobal(at), button,
                          type == QEvent::MouseMove ? Qt::MouseButtons() : button, modifiers);
        QApplication::sendEvent(target, &event);
    }
    void hover(int slot, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        send(picture(slot), QEvent::MouseMove, Qt::NoButton, modifiers);
    }
    void press(int slot, Qt::MouseButton button, Qt::KeyboardModifiers modifiers = {}) {
        send(picture(slot), QEvent::MouseButtonPress, button, modifiers);
    }
    void leaveToBackground() {
        send(window_->picAll(), QEvent::MouseMove, Qt::NoButton, Qt::NoModifier);
    }
    // Right-clicks the slot and chooses a pop-up item, as the user does.
    void choose(int slot, const QString &name, int index = -1) {
        press(slot, Qt::RightButton);
        QAction *action = item(name, index);
        QVERIFY2(action && action->isVisible(), qPrintable(name));
        popUp()->hide();
        action->trigger();
    }
    // The names of the pop-up items that the menu shows now.
    QStringList visiblePopUpItems() {
        QStringList names;
        for (QAction *action : popUp()->actions()) {
            if (action->isVisible())
                names << action->objectName();
        }
        return names;
    }

    LoopbackServer server;
    Harness h;
    NotingOpener opener;
    FakeClockSetter clock;
    FakeDesktopBridge desktop;
    FakeFileDialog fileDialog;
    std::vector<std::unique_ptr<QMimeData>> clipboard;
    QList<bool> refreshAtClipboard; // whether the SSTV refresh ran as each arrived

private:
    std::unique_ptr<MainWindow> window_;
};

} // namespace tavimo::test
