// Shutdown of the main window: what it saves, what it removes, in which
// order, and the desktop's ways of asking the program to end.

#include "support/MainWindowHarness.h"

#include "core/files/Config.h"
#include "core/sites/SiteLists.h"
#include "mainwindow/SessionEnd.h"
#include "platform/TerminationSignals.h"

#include <QtTest>

#include <csignal>

using namespace tavimo;
using namespace tavimo::test;
using namespace Qt::StringLiterals;

namespace {
QString savedCall(const Harness &h) {
    return readConfig(h.data(u"tavimo.cfg"_s)).config.MyCall;
}
} // namespace

class ShutdownTest : public QObject {
    Q_OBJECT

private slots:
    void closingSavesAndRemovesCachedPictures();
    void dialogsCloseBeforeTheSave();
    void hiddenWindowKeepsTheStoredPlacement();
    void endingOtherwiseStillShutsDown_data();
    void endingOtherwiseStillShutsDown();
};

void ShutdownTest::closingSavesAndRemovesCachedPictures() {
    Harness h;
    h.writeData(u"tavimo.lst"_s, sampleSiteListLines());
    h.writeData(u"WXsites.lst"_s, sampleWxListLines());
    QVERIFY(h.startUp());
    MainWindow &w = h.window();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QStringList cached{"images/sstv/0",        "images/sstv/23", "images/wx/1",
                             "images/last15/3",      "images/Map.bmp", "Sites.txt",
                             "DiscontinuedSites.txt"};
    for (const QString &file : cached + QStringList{"TextFiles/AB1CD-1.txt"})
        QVERIFY(writeBytes(h.data(file), "x"));
    h.state.config.MyCall = u"NEW1CALL"_s;
    h.state.SiteList[0].LastPictureDate = u"05/01/24 13:05"_s;
    w.setPageCaption(2, u"Asia"_s);

    w.close();

    QCOMPARE(h.quits, 1);
    QVERIFY(w.hasShutDown());
    QVERIFY(!w.schedule().timers().sstvRunning() && !w.schedule().timers().wxRunning());
    QVERIFY(!w.clockRunning());
    for (const QString &file : cached)
        QVERIFY2(!QFileInfo::exists(h.data(file)), qPrintable(file));
    for (const char *folder : {"images", "images/sstv", "images/wx", "images/last15", "TextFiles"})
        QVERIFY(QFileInfo(h.data(QLatin1String(folder))).isDir());
    QVERIFY(QFileInfo::exists(h.data(u"TextFiles/AB1CD-1.txt"_s)));
    QCOMPARE(savedCall(h), u"NEW1CALL"_s);
    const SiteListFile sites = readSiteList(h.data(u"tavimo.lst"_s));
    QCOMPARE(sites.sites.size(), 2);
    QCOMPARE(sites.sites[0].LastPictureDate, u"05/01/24 13:05"_s);
    QCOMPARE(readWxSiteList(h.data(u"WXsites.lst"_s)).sites.size(), 1);
    h.closeWindow();
    SettingsStore saved(h.iniPath);
    QCOMPARE(saved.value(u"LABELS"_s, u"2"_s), u"Asia"_s);
    QCOMPARE(saved.value(u"Geometry"_s, u"showCmd"_s), u"1"_s);
    QCOMPARE(h.quits, 1); // a second close does nothing more
}

void ShutdownTest::dialogsCloseBeforeTheSave() {
    Harness h;
    QVERIFY(h.startUp());
    MainWindow &w = h.window();
    w.show();
    // A dialog that changes data as it closes, restarts refreshing and asks
    // for a reload, as the site dialogs do.
    h.opener.onCloseAll = [&] {
        h.state.config.MyCall = u"FROMDIALOG"_s;
        w.resumeRefreshTimers();
        w.armSitesChanged();
    };
    w.close();

    QCOMPARE(h.opener.count(u"closeAll"_s), 1);
    QCOMPARE(savedCall(h), u"FROMDIALOG"_s);
    QVERIFY(!w.schedule().timers().sstvRunning());
    QVERIFY(!w.schedule().sitesChangePending());
}

void ShutdownTest::hiddenWindowKeepsTheStoredPlacement() {
    Harness h;
    h.settings->setValue(u"Geometry"_s, u"Left"_s, u"33"_s);
    QVERIFY(h.startUp());
    h.state.config.MyCall = u"HIDDEN1"_s;
    h.window().shutDown();
    QCOMPARE(savedCall(h), u"HIDDEN1"_s);
    h.closeWindow();
    SettingsStore saved(h.iniPath);
    QCOMPARE(saved.value(u"Geometry"_s, u"Left"_s), u"33"_s);
    QVERIFY(!saved.contains(u"LABELS"_s, u"1"_s));
}

void ShutdownTest::endingOtherwiseStillShutsDown_data() {
    QTest::addColumn<bool>("signal");
    QTest::newRow("SIGTERM") << true;
    // The event loop ending any other way announces it with aboutToQuit.
    QTest::newRow("event loop quits") << false;
}

void ShutdownTest::endingOtherwiseStillShutsDown() {
    QFETCH(bool, signal);
    Harness h;
    QVERIFY(h.startUp());
    MainWindow &w = h.window();
    w.show();
    TerminationSignals termination;
    QVERIFY(termination.isActive());
    closeOnSessionEnd(w, termination);
    h.state.config.MyCall = u"ENDED1"_s;

    if (signal) {
        std::raise(SIGTERM);
        QTRY_VERIFY(w.hasShutDown());
        QVERIFY(!w.isVisible());
    } else {
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        QCoreApplication::exec();
        QVERIFY(w.hasShutDown());
    }
    QCOMPARE(savedCall(h), u"ENDED1"_s);
}

QTEST_MAIN(ShutdownTest)
#include "tst_shutdown.moc"
