// The main menus: page switches, thumbnails per page, window size and
// language each reload once and leave their marks and captions right; the
// Setup menu's check marks; the openers with their hand-over values; and the
// help text.

#include "support/MainWindowHarness.h"

#include "core/text/Language.h"
#include "mainwindow/HelpWindow.h"

#include <QPointer>

#include <QtTest>

using namespace tavimo;
using namespace tavimo::test;
using namespace Qt::StringLiterals;

namespace {
// A started window on the quiet sites; what start-up opened is forgotten.
struct Rig : Harness {
    Rig(int autoRefresh = 1, int startPage = 0, int seconds = 60) {
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
    QTest::newRow("German") << "mnuLang" << 2 << 0 << 10;
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
        if (startPage == 1)
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
    for (const char *topic : {"Pages", "Refresh", "Reload this page", "F2", "F5", "tavimo.lst"})
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

QTEST_MAIN(MenusTest)
#include "tst_menus.moc"
