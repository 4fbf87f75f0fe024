#pragma once

// The world of the station windows in a folder of their own: shared data on a
// temporary data folder, callbooks on a loopback server, fake prompts and a
// main window that only counts what is done to it.

#include "core/app/AppState.h"
#include "core/app/MainWindowAccess.h"
#include "core/net/DownloadControl.h"
#include "support/FakePrompts.h"
#include "support/LoopbackServer.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QFont>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <chrono>

namespace tavimo::test {

class FakeMainWindow final : public MainWindowAccess {
public:
    QWidget widget;
    bool enabled = true;
    int stops = 0;
    int resumes = 0;
    int activations = 0;
    QRect frame{600, 300, 120, 90};

    QWidget *window() override { return &widget; }
    void setMainEnabled(bool on) override { enabled = on; }
    void activateMain() override { ++activations; }
    void StopRefreshTimers() override { ++stops; }
    void StartRefreshTimers() override {}
    void resumeRefreshTimers() override { ++resumes; }
    void armSitesChanged() override {}
    void handOverPickedSite(int) override {}
    QString pageCaption(int) const override { return {}; }
    void setPageCaption(int, const QString &) override {}
    void repaintPageItem() override {}
    QString slotCallCaption(int) const override { return {}; }
    QString slotFromCaption(int) const override { return {}; }
    void setSlotCallCaption(int, const QString &) override {}
    void clearSlot(int) override {}
    QRect slotFrameOnScreen(int) const override { return frame; }
    QFont labelFont() const override { return {}; }
    AnimatedPicture *slotPicture(int) override { return nullptr; }
};

struct StationsHarness {
    QTemporaryDir folder;
    LoopbackServer server;
    DownloadContext downloads;
    FakePrompts prompts;
    FakeMainWindow main;
    WindowRegistry windows;
    AppState state;

    StationsHarness() {
        server.start();
        downloads.setTransferTimeout(std::chrono::seconds(5));
        main.widget.setGeometry(100, 80, 800, 600);
        state.paths.dataFolder = folder.path();
        state.downloads = &downloads;
        state.prompts = &prompts;
        state.mainWindow = &main;
        state.texts.LngGrid = QStringLiteral("Grid");
        state.endpoints.CallbookEham = url(QStringLiteral("/callbook/eham/"));
        state.endpoints.CallbookQrz = url(QStringLiteral("/callbook/qrz/"));
        state.endpoints.CallbookHamdata = url(QStringLiteral("/callbook/hamdata/"));
        state.endpoints.QrzPictures = url(QStringLiteral("/qrzpics/"));
    }
    ~StationsHarness() {
        for (QWidget *window : windows.loadedWindows())
            delete window;
        server.stop();
    }

    QString url(const QString &path) const { return server.url(path).toString(); }

    // Lets deferred deletes run, so closed windows are gone.
    static void settle() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
    static bool pointerBusy() { return QGuiApplication::overrideCursor() != nullptr; }
};

} // namespace tavimo::test
