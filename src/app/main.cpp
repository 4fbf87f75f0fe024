// Tavimo: the latest pictures of SSTV and weather-satellite reception sites,
// side by side.

#include "Version.h"
#include "app/AppWindowOpener.h"
#include "core/app/AppState.h"
#include "core/base/Prompts.h"
#include "core/files/AppPaths.h"
#include "core/files/SettingsStore.h"
#include "core/net/DownloadControl.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/SessionEnd.h"
#include "platform/ClockSetter.h"
#include "platform/ConnectionChecker.h"
#include "platform/DesktopBridge.h"
#include "platform/LargeBlocks.h"
#include "platform/SingleInstanceGuard.h"
#include "platform/TerminationSignals.h"
#include "stations/WebPageView.h"
#include "ui/MessageBoxPrompts.h"

#include <QApplication>

using namespace tavimo;

int main(int argc, char *argv[]) {
    returnLargeBlocksToSystem();
    // The embedded web view needs this before the application object exists.
    prepareWebViewBeforeApplication();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavimo"));
    QApplication::setOrganizationName(QStringLiteral("Tavimo"));
    QApplication::setApplicationVersion(QString::fromLatin1(kVersion));

    SettingsStore settings;
    MessageBoxPrompts prompts;
    DownloadContext downloads;
    AppState state;
    state.paths = AppPaths::standard();
    state.settings = &settings;
    state.prompts = &prompts;
    state.downloads = &downloads;
    state.endpoints = readEndpoints(settings);

    TcpConnectionChecker connection(state.endpoints.ConnectionProbe);
    SingleInstanceGuard instance;
    const std::unique_ptr<ClockSetter> clockSetter = createClockSetter();
    const std::unique_ptr<DesktopBridge> desktop = createDesktopBridge();
    AppWindowOpener opener(state, desktop.get());
    state.opener = &opener;

    MainWindowDeps deps;
    deps.opener = &opener;
    deps.connectionChecker = &connection;
    deps.acquireSingleInstance = [&instance] { return instance.tryLock(); };
    deps.singleInstanceProblem = [&instance] { return instance.lockProblem(); };
    deps.clockSetter = clockSetter.get();
    deps.desktop = desktop.get();
    MainWindow window(state, deps);

    // An early exit saves nothing: the files stay as the user left them.
    if (!window.startUp())
        return 0;
    window.show();
    prompts.setParent(&window);

    // The desktop ending the session, or a terminal or service manager asking
    // the program to end, closes the window as the user would: it saves.
    TerminationSignals termination;
    closeOnSessionEnd(window, termination);
    return QApplication::exec();
}
