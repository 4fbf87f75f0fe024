#pragma once

// The world of the station windows in a folder of their own: shared data on a
// temporary data folder, callbooks on a loopback server, fake prompts, and a
// main window, desktop, file dialog and clipboard that note what is done to them.

#include "core/app/AppState.h"
#include "core/net/DownloadControl.h"
#include "support/FakeMainWindow.h"
#include "support/FakePrompts.h"
#include "support/LoopbackServer.h"
#include "support/PlatformFakes.h"
#include "support/TransferRecorder.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <chrono>

namespace tavimo::test {

struct StationsHarness {
    QTemporaryDir folder;
    LoopbackServer server;
    DownloadContext downloads;
    FakePrompts prompts;
    FakeMainWindow main;
    WindowRegistry windows;
    FakeDesktopBridge desktop;
    TransferRecorder transfers;
    AppState state;

    StationsHarness() {
        server.start();
        downloads.setTransferTimeout(std::chrono::seconds(5));
        main.widget.setGeometry(100, 80, 800, 600);
        main.frames.insert(state.page.SelectedSlot, QRect(600, 300, 120, 90));
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
