// The main menus and refreshing: page switches, thumbnails per page, window
// size and language each reload once and leave their marks and captions right;
// the Setup menu's check marks; the openers with their hand-over values; the
// help text; the two refresh timers, the refresh rate, manual refreshing, what
// each reload command keeps and clears, the blink of a picked slot, and the
// UTC clock in a half-hour zone as the minute changes.

#include "support/MainWindowHarness.h"

#include "core/text/Language.h"
#include "mainwindow/HelpWindow.h"

#include <QElapsedTimer>
#include <QMenuBar>
#include <QPointer>
#include <QToolButton>
#include <QtTest>

#include <ctime>

using namespace tavimo;
using namespace tavimo::test;
using namespace Qt::StringLiterals;

namespace {
// A window on the quiet sites with its timers ticked by hand; start() forgets
// what start-up opened.
struct Rig : Harness {
    Rig(int autoRefresh = 1, int startPage = 0, int seconds = 30) {
        writeConfig(2, autoRefresh, startPage, seconds);
        addQuietSites();
    }
    bool start() {
        const bool started = startUp();
        opener.calls.clear();
        return started;
    }
};
} // namespace

class MenusTest : public QObject {
    Q_OBJECT

private slots:
    void pageSwitch_data();
    void pageSwitch();
    void settingChangeReloadsOnce_data();
    void settingChangeReloadsOnce();
    void setupCheckMarks_data();
    void setupCheckMarks();
    void openers_data();
    void openers();
    void helpText();
    void wxPageReloadsEveryThirdTick_data();
    void wxPageReloadsEveryThirdTick();
    void rateChangeRestartsTheCount();
    void manualRefreshStopsBothTimers_data();
    void manualRefreshStopsBothTimers();
    void reloadCommands_data();
    void reloadCommands();
    void blinkStopsOnAPageOrLayoutChange_data();
    void blinkStopsOnAPageOrLayoutChange();
    void clockShowsUtcInAHalfHourZone_data();
    void clockShowsUtcInAHalfHourZone();
    void clockCaptionFollowsTheMinute();
    void pageNamesNeverPushItemsOffTheBar_data();
    void pageNamesNeverPushItemsOffTheBar();
};

void MenusTest::pageSwitch_data() {
    QTest::addColumn<int>("startPage");
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("autoRefresh");
    QTest::addColumn<bool>("online");
    QTest::newRow("to page 3") << 0 << 3 << 1 << true;
    QTest::newRow("to the WX page") << 0 << 11 << 1 << true;
    QTest::newRow("from the WX page to page 2") << 1 << 2 << 1 << true;
    QTest::newRow("to page 3, manual") << 0 << 3 << 0 << true;
    QTest::newRow("to page 3, offline") << 0 << 3 << 1 << false;
}

void MenusTest::pageSwitch() {
    QFETCH(int, startPage);
    QFETCH(int, page);
    QFETCH(int, autoRefresh);
    QFETCH(bool, online);
    Rig rig(autoRefresh, startPage);
    QVERIFY(rig.start());
    rig.page().Online = online;
    rig.page().FinishedCount = 3;
    rig.page().SlotTable.setValue(0, stCheckHeight, u"90"_s);
    rig.cell(0).lblCall->setText(u"AB1CD"_s);
    rig.plainRefreshLook();

    rig.click(u"mnuPage"_s, page);

    QCOMPARE(rig.page().CurrentPage, page);
    QCOMPARE(rig.checkedItems(u"mnuPage"_s, 1, 11), QList<int>{page});
    const auto pageItem = menuPicture(rig.item(u"mnuPg"_s));
    QVERIFY(pageItem);
    QCOMPARE(pageItem->text, rig.item(u"mnuPage"_s, page)->text());
    QCOMPARE(rig.page().SlotTable.value(0, stCheckHeight), QString());
    // The grid was emptied; only a site of the new page may label the cell again.
    QVERIFY(rig.cell(0).lblCall->text() != u"AB1CD"_s);
    QCOMPARE(rig.opener.calls, (QStringList{"closeGallery", "rebuildSiteSelection"}));

    const bool wx = page == 11;
    QCOMPARE(rig.sstvReloads, online && !wx ? 1 : 0);
    QCOMPARE(rig.wxReloads, online && wx ? 1 : 0);
    QCOMPARE(rig.loadingLook(), online);
    if (online)
        QCOMPARE(rig.page().FinishedCount, 0);
    // The timer of the new page, and only that one, when refreshing is automatic.
    QCOMPARE(rig.timers().sstvRunning(), autoRefresh == 1 && !wx);
    QCOMPARE(rig.timers().wxRunning(), autoRefresh == 1 && wx);
}

void MenusTest::settingChangeReloadsOnce_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("startPage");
    QTest::addColumn<int>("slotCount");
    QTest::newRow("24 thumbnails") << "mnu5" << 3 << 0 << 24;
    QTest::newRow("15 thumbnails on the WX page") << "mnu5" << 2 << 1 << 15;
    QTest::newRow("extra large window") << "mnuGUIsizes" << 3 << 0 << 10;
    QTest::newRow("German on the WX page") << "mnuLang" << 2 << 1 << 10;
}

void MenusTest::settingChangeReloadsOnce() {
    QFETCH(QString, item);
    QFETCH(int, index);
    QFETCH(int, startPage);
    QFETCH(int, slotCount);
    Rig rig(1, startPage, 90);
    QVERIFY(rig.start());
    const int widthBefore = rig.w().frameGeometry().width();
    const QString englishSetup = rig.state.texts.LngSetup;
    rig.plainRefreshLook();
    rig.page().FinishedCount = 5;
    rig.page().SlotTable.setValue(1, stCheckHeight, u"90"_s);
    QSignalSpy languageChanged(&rig.state.events, &AppEvents::languageChanged);

    rig.click(item, index);
    QCOMPARE(languageChanged.size(), item == u"mnuLang" ? 1 : 0);

    // A reload like any other: loading look, a fresh pass.
    QCOMPARE(rig.reloads(), 1);
    QCOMPARE(rig.wxReloads, startPage);
    QVERIFY(rig.loadingLook());
    QCOMPARE(rig.page().FinishedCount, 0);
    QCOMPARE(rig.w().grid().cells().size(), slotCount);
    QCOMPARE(rig.timers().sstvRunning(), startPage == 0);
    QCOMPARE(rig.timers().wxRunning(), startPage == 1);
    rig.openSetup();
    QCOMPARE(rig.checkedItems(item, 0, item == u"mnuLang" ? 4 : 3), QList<int>{index});

    const LanguageTexts &texts = rig.state.texts;
    if (item == u"mnuLang") {
        QCOMPARE(rig.config().LanguageIndex, 2);
        const QStringList german =
            readTextLines(rig.data(u"Languages/"_s + languageFileName(2))).value();
        QCOMPARE(rig.item(u"mnuHelp"_s)->text(), ReadLanguageLine(german.at(20)));
        QVERIFY(texts.LngSetup != englishSetup);
        QVERIFY(rig.w().menus().clock->caption().endsWith(" UTC   " + texts.LngSetup));
        QCOMPARE(rig.item(u"mnuRefresh"_s)->text(), refreshMenuCaption(texts, 1, 90));
        QCOMPARE(rig.item(u"mnuPage"_s, 11)->text(), texts.LngWxPage);
        QCOMPARE(menuPicture(rig.item(u"mnuPg"_s))->text, texts.LngWxPage);
        return;
    }
    // A new grid starts empty: no remembered check picture may keep a
    // picture from being fetched.
    QCOMPARE(rig.page().SlotTable.value(1, stCheckHeight), QString());
    if (item == u"mnu5") {
        QCOMPARE(rig.config().ThumbSetting, index + 1);
        QCOMPARE(rig.page().SlotCount, slotCount);
    } else {
        QCOMPARE(rig.config().GuiSize, 3);
        QVERIFY(rig.w().frameGeometry().width() > widthBefore);
    }
}

void MenusTest::setupCheckMarks_data() {
    QTest::addColumn<int>("seconds");
    QTest::addColumn<int>("autoRefresh");
    QTest::addColumn<QList<int>>("rate");
    QTest::newRow("45 s marks 30 sec") << 45 << 1 << QList<int>{0};
    QTest::newRow("75 s marks 90 sec") << 75 << 1 << QList<int>{2};
    // Periods the menu does not offer mark nothing; above all not "Manual".
    QTest::newRow("300 s") << 300 << 1 << QList<int>{};
    QTest::newRow("manual at 90 s") << 90 << 0 << QList<int>{4};
}

void MenusTest::setupCheckMarks() {
    QFETCH(int, seconds);
    QFETCH(int, autoRefresh);
    QFETCH(QList<int>, rate);
    Rig rig(autoRefresh, 0, seconds);
    QVERIFY(rig.start());
    QCOMPARE(rig.config().RefreshSeconds, seconds);
    // A stray mark from a click is put right when the menu opens.
    rig.item(u"mnuRate"_s, 1)->setChecked(true);

    rig.openSetup();

    QCOMPARE(rig.checkedItems(u"mnuRate"_s, 0, 4), rate);
    QCOMPARE(rig.checkedItems(u"mnu5"_s, 0, 3), QList<int>{1});
    QCOMPARE(rig.checkedItems(u"mnuGUIsizes"_s, 0, 3), QList<int>{1});
    QVERIFY(rig.item(u"mnustartDSSTV"_s)->isChecked());
    QVERIFY(!rig.item(u"mnustartWX"_s)->isChecked());
}

void MenusTest::openers_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("call");
    const QStringList items{"mnuAbout",  "mnuAdd",   "mnuEdit", "mnuRemove",
                            "mnuLatLon", "mnupgSel", "mnuHelp"};
    const QStringList calls{"openAbout",       "openAddSite",   "openEditSite", "openRemoveSite",
                            "openOwnPosition", "openPageNames", "openHelp"};
    for (qsizetype i = 0; i < items.size(); ++i)
        QTest::newRow(qPrintable(items[i])) << items[i] << calls[i];
    // The site's own callsign, not its picture's age nor its sender.
    QTest::newRow("QRZ call") << u"mnuQrzCall"_s << u"openStation EF2GH 0"_s;
    QTest::newRow("gallery") << u"mnuLast15"_s << u"openGallery slot 4"_s;
}

void MenusTest::openers() {
    QFETCH(QString, item);
    QFETCH(QString, call);
    Rig rig;
    QVERIFY(rig.start());
    rig.page().SelectedSlot = 4;
    rig.cell(4).lblCall->setText(u"EF2GH - 5 min"_s);
    rig.tickSstv(10);

    rig.click(item);

    QCOMPARE(rig.opener.calls, QStringList{call});
    QCOMPARE(rig.reloads(), 0);
    if (item == u"mnuLast15") {
        // Set before the window opened, with the loading look and the refresh
        // paused; the page goes on refreshing afterwards.
        const RecordingOpener::HandOver &made = rig.opener.handOvers.constLast();
        QVERIFY(made.loadingLook);
        QVERIFY(!made.sstvRunning);
        QVERIFY(rig.timers().sstvRunning());
    }
}

void MenusTest::helpText() {
    AppPaths paths;
    paths.bundledDataFolder = QStringLiteral(TAVIMO_SOURCE_DATA_DIR);
    QTemporaryDir data;
    paths.dataFolder = data.path();
    const QString text = readHelpText(paths);
    for (const char *topic : {"Pages", "Refresh", "Reload this page", "F2", "F5", "tavimo.lst",
                              "image1.jpg", "checknew.jpg", "UpdatesList"})
        QVERIFY2(text.contains(QLatin1String(topic)), topic);
    // The help names the menu items as the English menus read.
    FakePrompts prompts;
    LanguageTexts texts;
    MenuCaptions captions;
    QVERIFY(LoadLanguage(paths.bundledDataFolder + u"/Languages"_s, 0, u"Tavimo  4.91"_s, prompts,
                         texts, captions)
                .succeeded());
    QStringList named = captions.values();
    named.removeAll(u"Enter your callsign"_s); // an item the menu never shows
    named << texts.LngRefresh << texts.LngRefreshSite << texts.LngReloadPage << texts.LngSave
          << texts.LngPaste << texts.LngLeave << texts.LngSelectSite << texts.LngUpdate
          << texts.LngWxPage;
    for (const QString &caption : std::as_const(named)) {
        const QString plain = QString(caption).remove(u"??"_s).simplified();
        const QString firstWords = plain.section(u' ', 0, 1);
        QVERIFY2(text.contains(firstWords), qPrintable(caption));
    }
    for (const char *gone : {"Select Page labels", "GUI size", "QRZ call", "Startup sites"})
        QVERIFY2(!text.contains(QLatin1String(gone)), gone);

    // Read-only, its tables aligned in a font of one width; Esc and Ctrl+W close it.
    for (const QKeySequence &keys :
         {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
        auto *window = new HelpWindow(text);
        QPointer<HelpWindow> alive(window);
        QVERIFY(window->isReadOnly());
        QCOMPARE(window->toPlainText(), text);
        const QFontMetrics metrics(window->font());
        QCOMPARE(metrics.horizontalAdvance(u"iiii"_s), metrics.horizontalAdvance(u"MMMM"_s));
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::keySequence(window, keys);
        QTRY_VERIFY(alive.isNull());
    }

    // A missing file is named in the window instead.
    paths.bundledDataFolder = paths.dataFolder;
    QCOMPARE(helpFilePath(paths), QString());
    QVERIFY(readHelpText(paths).contains(data.filePath(u"help/tavimo-help.txt"_s)));
}

void MenusTest::wxPageReloadsEveryThirdTick_data() {
    QTest::addColumn<int>("seconds");
    QTest::addColumn<int>("autoRefresh");
    QTest::addColumn<bool>("online");
    QTest::newRow("30 s") << 30 << 1 << true;
    QTest::newRow("manual") << 150 << 0 << true;
    QTest::newRow("offline") << 60 << 1 << false;
}

void MenusTest::wxPageReloadsEveryThirdTick() {
    QFETCH(int, seconds);
    QFETCH(int, autoRefresh);
    QFETCH(bool, online);
    Rig rig(autoRefresh, /*startPage=*/1, seconds);
    QVERIFY(rig.startUp());
    QVERIFY(rig.timers().wxRunning());
    rig.page().Online = online;

    rig.tickWx(2);
    QCOMPARE(rig.reloads(), 0);
    // A pass begun by the timer counts its own answers only.
    rig.page().FinishedCount = 7;
    rig.tickWx(1);
    QCOMPARE(rig.wxReloads, 1);
    QCOMPARE(rig.sstvReloads, 0);
    QCOMPARE(rig.page().FinishedCount, 0);
    QCOMPARE(rig.timers().Timer4Ticks, 0);
    QVERIFY(!rig.loadingLook()); // the WX page has no loading look
    rig.tickWx(6);
    QCOMPARE(rig.wxReloads, 3);
    QVERIFY(rig.timers().wxRunning());
}

void MenusTest::rateChangeRestartsTheCount() {
    Rig rig;
    QVERIFY(rig.startUp());
    rig.tickSstv(20);

    rig.click(u"mnuRate"_s, 1);
    QCOMPARE(rig.reloads(), 0);
    QCOMPARE(rig.config().RefreshSeconds, 60);
    QCOMPARE(rig.config().AutoRefreshMode, 1);
    QCOMPARE(rig.timers().Timer6Seconds, 0);
    QVERIFY(rig.timers().sstvRunning());
    QCOMPARE(rig.item(u"mnuRefresh"_s)->text(), rig.state.texts.LngRefresh + u" (auto 60 sec) "_s);
    rig.tickSstv(59);
    QCOMPARE(rig.reloads(), 0);
    rig.tickSstv(1);
    QCOMPARE(rig.sstvReloads, 1);
}

void MenusTest::manualRefreshStopsBothTimers_data() {
    QTest::addColumn<int>("startPage");
    QTest::newRow("SSTV page") << 0;
    QTest::newRow("WX page") << 1;
}

void MenusTest::manualRefreshStopsBothTimers() {
    QFETCH(int, startPage);
    Rig rig(1, startPage, 60);
    QVERIFY(rig.startUp());

    rig.click(u"mnuRate"_s, 4);
    QCOMPARE(rig.config().RefreshSeconds, 150);
    QCOMPARE(rig.config().AutoRefreshMode, 0);
    QVERIFY(!rig.timers().sstvRunning());
    QVERIFY(!rig.timers().wxRunning());
    const LanguageTexts &texts = rig.state.texts;
    QCOMPARE(rig.item(u"mnuRefresh"_s)->text(),
             texts.LngRefresh + u" ("_s + texts.LngManual + u") "_s);
    QCOMPARE(rig.reloads(), 0);

    rig.click(u"mnuRefresh"_s);
    QCOMPARE(startPage == 1 ? rig.wxReloads : rig.sstvReloads, 1);
    QCOMPARE(rig.reloads(), 1);
    QVERIFY(!rig.timers().sstvRunning());
    QVERIFY(!rig.timers().wxRunning());
}

void MenusTest::reloadCommands_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("online");
    QTest::addColumn<bool>("tableErased");
    QTest::addColumn<bool>("checkPending");
    QTest::addColumn<int>("reloads");
    QTest::addColumn<bool>("countRestarted");
    QTest::newRow("refresh timer at its period") << "timer" << true << false << false << 1 << true;
    QTest::newRow("Refresh") << "mnuRefresh" << true << false << true << 1 << true;
    QTest::newRow("F5") << "F5" << true << false << true << 1 << true;
    QTest::newRow("Reload this page") << "mnuReloadPage" << true << true << false << 1 << true;
    QTest::newRow("site lists changed") << "sitesChanged" << true << true << true << 1 << true;
    QTest::newRow("Refresh this site") << "mnuRefreshSite" << true << false << false << 0 << false;
    QTest::newRow("Refresh, offline") << "mnuRefresh" << false << false << true << 0 << true;
    QTest::newRow("site lists changed, offline")
        << "sitesChanged" << false << true << true << 0 << true;
}

void MenusTest::reloadCommands() {
    QFETCH(QString, command);
    QFETCH(bool, online);
    QFETCH(bool, tableErased);
    QFETCH(bool, checkPending);
    QFETCH(int, reloads);
    QFETCH(bool, countRestarted);
    Rig rig;
    QVERIFY(rig.startUp());
    MainWindow &w = rig.w();
    rig.page().Online = online;
    rig.page().UpdateCheckPending = false;
    rig.page().SlotTable.setValue(2, stCheckHeight, u"77"_s);
    rig.page().SelectedSlot = 2;
    rig.tickSstv(command == u"timer" ? 29 : 5);
    QCOMPARE(rig.reloads(), 0);

    if (command == u"timer") {
        rig.tickSstv(1);
    } else if (command == u"F5") {
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_F5);
    } else if (command == u"sitesChanged") {
        w.armSitesChanged();
        QTRY_VERIFY(!w.schedule().sitesChangePending());
    } else {
        rig.click(command);
    }

    QCOMPARE(rig.sstvReloads, reloads);
    if (command == u"timer") { // the next one a whole period later
        rig.tickSstv(29);
        QCOMPARE(rig.sstvReloads, 1);
        rig.tickSstv(1);
        QCOMPARE(rig.sstvReloads, 2);
    }
    // Refreshing one site forgets its check height, so its next check picture
    // brings the picture whatever it says.
    const QString heightAfter = tableErased                    ? QString()
                                : command == u"mnuRefreshSite" ? u"0"_s
                                                               : u"77"_s;
    QCOMPARE(rig.page().SlotTable.value(2, stCheckHeight), heightAfter);
    QCOMPARE(rig.page().UpdateCheckPending, checkPending);
    QVERIFY(w.schedule().timers().sstvRunning());
    QCOMPARE(w.schedule().timers().Timer6Seconds, countRestarted ? 0 : 5);
    if (reloads > 0) {
        QVERIFY(rig.loadingLook());
        QCOMPARE(rig.page().FinishedCount, 0);
    }
}

void MenusTest::blinkStopsOnAPageOrLayoutChange_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<int>("index");
    QTest::newRow("page switch") << "mnuPage" << 2;
    QTest::newRow("thumbnail setting") << "mnu5" << 0;
    QTest::newRow("window size") << "mnuGUIsizes" << 3;
}

void MenusTest::blinkStopsOnAPageOrLayoutChange() {
    QFETCH(QString, item);
    QFETCH(int, index);
    Rig rig;
    QVERIFY(rig.startUp());
    MainWindow &w = rig.w();
    w.grid().startSlotBlink(7);
    QTRY_VERIFY(w.grid().blinkTicks() > 0);

    rig.click(item, index);
    QVERIFY(!w.grid().isBlinking());
    QTest::qWait(200); // a tick that slipped through would paint now
    for (ThumbCell *cell : w.grid().cells())
        QVERIFY(cell->shapeColor() != QColor(0, 0, 255));
}

void MenusTest::clockShowsUtcInAHalfHourZone_data() {
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QString>("caption");
    // Local times of India (UTC + 5:30).
    QTest::newRow("afternoon") << QDateTime(QDate(2024, 5, 1), QTime(18, 35, 40)) << "13:05";
    QTest::newRow("after local midnight")
        << QDateTime(QDate(2024, 5, 2), QTime(5, 0, 0)) << "23:30";
    QTest::newRow("just after UTC midnight")
        << QDateTime(QDate(2024, 5, 2), QTime(5, 31, 0)) << "00:01";
}

void MenusTest::clockShowsUtcInAHalfHourZone() {
    QFETCH(QDateTime, now);
    QFETCH(QString, caption);
    QCOMPARE(QDateTime(QDate(2024, 5, 1), QTime(12, 0)).offsetFromUtc(), 5 * 3600 + 30 * 60);
    Rig rig;
    rig.state.utcNow = [now] { return now; };
    QVERIFY(rig.startUp());
    QTRY_COMPARE(rig.w().menus().clock->caption(),
                 caption + u" UTC   "_s + rig.state.texts.LngSetup);
}

// On a clock of the test's own that runs from just before a minute's end.
void MenusTest::clockCaptionFollowsTheMinute() {
    const QDateTime start(QDate(2024, 5, 1), QTime(13, 5, 59, 600), Qt::UTC);
    QElapsedTimer running;
    running.start();
    Rig rig;
    rig.state.utcNow = [&] { return start.addMSecs(running.elapsed()); };
    QVERIFY(rig.startUp());
    const QString setup = u" UTC   "_s + rig.state.texts.LngSetup;
    const CornerMenuButton &clock = *rig.w().menus().clock;
    if (running.elapsed() < 300)
        QCOMPARE(clock.caption(), u"13:05"_s + setup);
    QTRY_COMPARE_WITH_TIMEOUT(clock.caption(), u"13:06"_s + setup, 3000);
    QVERIFY(rig.w().clockRunning());
    rig.closeWindow();
}

int main(int argc, char *argv[]) {
    // Local time must be India's before anything reads it.
    qputenv("TZ", "Asia/Kolkata");
    tzset();
    QApplication app(argc, argv);
    MenusTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_menus.moc"

void MenusTest::pageNamesNeverPushItemsOffTheBar_data() {
    QTest::addColumn<int>("language");
    QTest::newRow("English") << 0;
    QTest::newRow("German") << 2;
}

// A page name too long for the bar is cut short with its whole text in the tip; Refresh and
// Find a site stay on the bar, and a shorter or emptied name gives the width back at once.
void MenusTest::pageNamesNeverPushItemsOffTheBar() {
    QFETCH(int, language);
    Rig rig;
    rig.writeConfig(2, 1, 0, 60, 1, language);
    QVERIFY(rig.start());
    MainWindow &w = rig.window();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QMenuBar *bar = w.menuBar();
    QAction *page = rig.item(u"mnuPg"_s);
    const auto allOnTheBar = [&] {
        QCoreApplication::processEvents();
        const auto *more = bar->findChild<QToolButton *>(u"qt_menubar_ext_button"_s);
        const int right = bar->cornerWidget(Qt::TopRightCorner)->geometry().left();
        for (const char *name : {"mnuPg", "mnuRefresh", "mnuFind"}) {
            const QRect item = bar->actionGeometry(rig.item(QString::fromLatin1(name)));
            if (item.isEmpty() || item.right() >= right)
                return false;
        }
        return !more || !more->isVisible();
    };
    const int usualWidth = bar->actionGeometry(page).width();
    QVERIFY(allOnTheBar());

    // As the page names dialog hands a name over.
    const QString longName = u"The sites of the whole northern hemisphere "_s.repeated(3);
    w.setPageCaption(1, longName);
    w.repaintPageItem();
    QVERIFY(allOnTheBar());
    QVERIFY(menuPicture(page)->text.endsWith(QChar(0x2026)));
    QCOMPARE(page->toolTip(), longName);
    QCOMPARE(w.pageCaption(1), longName); // the page menu keeps the whole name

    w.setPageCaption(1, u"Home"_s);
    w.repaintPageItem();
    QVERIFY(allOnTheBar());
    QCOMPARE(bar->actionGeometry(page).width(), usualWidth);
    QCOMPARE(menuPicture(page)->text, u"Home"_s);

    w.setPageCaption(1, QString());
    w.repaintPageItem();
    QCOMPARE(w.pageCaption(1), rig.state.texts.LngPage + u"1"_s);
    QCOMPARE(menuPicture(page)->text, w.pageCaption(1));
}
