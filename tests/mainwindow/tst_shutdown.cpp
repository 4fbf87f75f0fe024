// Shutdown of the main window: what it saves, what it removes, in which
// order, and the desktop's ways of asking the program to end.

#include "MainWindowHarness.h"

#include "core/Config.h"
#include "core/SiteLists.h"
#include "mainwindow/SessionEnd.h"
#include "platform/TerminationSignals.h"

#include <QtTest>

#include <csignal>

using namespace tavimo;
using namespace tavimo::test;

class ShutdownTest : public QObject {
    Q_OBJECT

private slots:
    void closingSavesAndRemovesCachedPictures();
    void dialogsCloseBeforeTheSave();
    void hiddenWindowKeepsTheStoredPlacement();
    void terminationSignalClosesTheWindow();
    void quittingOtherwiseStillShutsDown();

private:
    static void touch(const QString &path) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("x");
    }
};

void ShutdownTest::closingSavesAndRemovesCachedPictures() {
    Harness h;
    h.writeData(QStringLiteral("tavimo.lst"), sampleSiteListLines());
    h.writeData(QStringLiteral("WXsites.lst"), sampleWxListLines());
    QVERIFY(h.startUp());
    MainWindow &w = h.window();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    const QStringList cached{
        QStringLiteral("images/sstv/0"),        QStringLiteral("images/sstv/23"),
        QStringLiteral("images/wx/1"),          QStringLiteral("images/last15/3"),
        QStringLiteral("images/Map.bmp"),       QStringLiteral("Sites.txt"),
        QStringLiteral("DiscontinuedSites.txt")};
    for (const QString &file : cached)
        touch(h.data(file));
    touch(h.data(QStringLiteral("TextFiles/AB1CD-1.txt")));
    h.state.config.MyCall = QStringLiteral("NEW1CALL");
    h.state.SiteList[0].LastPictureDate = QStringLiteral("05/01/24 13:05");
    w.setPageCaption(2, QStringLiteral("Asia"));

    w.close();

    QCOMPARE(h.quits, 1);
    QVERIFY(w.hasShutDown());
    QVERIFY(!w.refreshTimers().sstvRunning() && !w.refreshTimers().wxRunning());
    QVERIFY(!w.clockTimer.isActive());
    for (const QString &file : cached)
        QVERIFY2(!QFileInfo::exists(h.data(file)), qPrintable(file));
    for (const char *folder : {"images", "images/sstv", "images/wx", "images/last15", "TextFiles"})
        QVERIFY(QFileInfo(h.data(QLatin1String(folder))).isDir());
    QVERIFY(QFileInfo::exists(h.data(QStringLiteral("TextFiles/AB1CD-1.txt"))));

    QCOMPARE(readConfig(h.data(QStringLiteral("tavimo.cfg"))).config.MyCall,
             QStringLiteral("NEW1CALL"));
    const SiteListFile sites = readSiteList(h.data(QStringLiteral("tavimo.lst")));
    QCOMPARE(sites.sites.size(), 2);
    QCOMPARE(sites.sites[0].LastPictureDate, QStringLiteral("05/01/24 13:05"));
    QCOMPARE(readWxSiteList(h.data(QStringLiteral("WXsites.lst"))).sites.size(), 1);
    h.closeWindow();
    SettingsStore saved(h.iniPath);
    QCOMPARE(saved.value(QStringLiteral("LABELS"), QStringLiteral("2")), QStringLiteral("Asia"));
    QCOMPARE(saved.value(QStringLiteral("Geometry"), QStringLiteral("showCmd")),
             QStringLiteral("1"));

    // A second close does nothing more.
    QCOMPARE(h.quits, 1);
}

void ShutdownTest::dialogsCloseBeforeTheSave() {
    Harness h;
    h.writeData(QStringLiteral("tavimo.cfg"), configFileLines(1, 2, 1, 60, 0));
    QVERIFY(h.startUp());
    MainWindow &w = h.window();
    w.show();
    // A dialog that changes data as it closes, restarts refreshing and asks
    // for a reload, as the site dialogs do.
    h.opener.onCloseAll = [&] {
        h.state.config.MyCall = QStringLiteral("FROMDIALOG");
        w.resumeRefreshTimers();
        w.armSitesChanged();
    };
    QWidget registered;
    registered.setAttribute(Qt::WA_DeleteOnClose, false);
    registered.show();
    h.state.windows.add(QStringLiteral("AboutDialog"), &registered);

    w.close();

    QCOMPARE(h.opener.calls.count(QStringLiteral("closeAll")), 1);
    QVERIFY(!registered.isVisible());
    QCOMPARE(readConfig(h.data(QStringLiteral("tavimo.cfg"))).config.MyCall,
             QStringLiteral("FROMDIALOG"));
    QVERIFY(!w.refreshTimers().sstvRunning());
    QVERIFY(!w.sitesChangedTimer.isActive());
}

void ShutdownTest::hiddenWindowKeepsTheStoredPlacement() {
    Harness h;
    h.settings->setValue(QStringLiteral("Geometry"), QStringLiteral("Left"), QStringLiteral("33"));
    QVERIFY(h.startUp());
    h.state.config.MyCall = QStringLiteral("HIDDEN1");
    h.window().shutDown();
    QCOMPARE(readConfig(h.data(QStringLiteral("tavimo.cfg"))).config.MyCall,
             QStringLiteral("HIDDEN1"));
    h.closeWindow();
    SettingsStore saved(h.iniPath);
    QCOMPARE(saved.value(QStringLiteral("Geometry"), QStringLiteral("Left")), QStringLiteral("33"));
    QVERIFY(!saved.contains(QStringLiteral("LABELS"), QStringLiteral("1")));
}

void ShutdownTest::terminationSignalClosesTheWindow() {
    Harness h;
    QVERIFY(h.startUp());
    MainWindow &w = h.window();
    w.show();
    TerminationSignals termination;
    QVERIFY(termination.isActive());
    closeOnSessionEnd(w, termination);
    h.state.config.MyCall = QStringLiteral("SIGTERM1");

    std::raise(SIGTERM);

    QTRY_VERIFY(w.hasShutDown());
    QVERIFY(!w.isVisible());
    QCOMPARE(readConfig(h.data(QStringLiteral("tavimo.cfg"))).config.MyCall,
             QStringLiteral("SIGTERM1"));
}

void ShutdownTest::quittingOtherwiseStillShutsDown() {
    Harness h;
    QVERIFY(h.startUp());
    MainWindow &w = h.window();
    TerminationSignals termination;
    closeOnSessionEnd(w, termination);
    h.state.config.MyCall = QStringLiteral("QUIT1");
    // The event loop ending by any other way (the last window gone, a quit
    // from elsewhere) announces it with aboutToQuit.
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
    QVERIFY(w.hasShutDown());
    QCOMPARE(readConfig(h.data(QStringLiteral("tavimo.cfg"))).config.MyCall,
             QStringLiteral("QUIT1"));
}

QTEST_MAIN(ShutdownTest)
#include "tst_shutdown.moc"
