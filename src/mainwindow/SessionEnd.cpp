#include "mainwindow/SessionEnd.h"

#include "mainwindow/MainWindow.h"
#include "platform/TerminationSignals.h"

#include <QGuiApplication>
#include <QSessionManager>

namespace tavimo {

void closeOnSessionEnd(MainWindow &window, TerminationSignals &termination) {
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &window,
                     [&window] { window.close(); });
    auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
    if (!app)
        return;
#ifndef QT_NO_SESSIONMANAGER
    QObject::connect(app, &QGuiApplication::commitDataRequest, &window,
                     [&window](QSessionManager &) { window.close(); });
#endif
    QObject::connect(app, &QCoreApplication::aboutToQuit, &window, [&window] {
        if (!window.hasShutDown())
            window.shutDown();
    });
}

} // namespace tavimo
