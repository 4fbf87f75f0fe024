// The main menus: page switches, thumbnails per page, window size and
// language each reload once and leave their marks and captions right; the
// Setup menu's check marks; the start page; the openers with their
// hand-over values; and the help window.

#include "RefreshRig.h"

#include "core/CornerMenu.h"
#include "core/Language.h"
#include "core/TextFile.h"
#include "mainwindow/HelpWindow.h"
#include "mainwindow/ThumbCell.h"

#include <QtTest>

using namespace tavimo;
using namespace tavimo::test;

namespace {

RefreshRig::Options rigOptions(int autoRefresh = 1, int startPage = 0, int seconds = 60) {
    RefreshRig::Options options;
    options.autoRefresh = autoRefresh;
    options.startPage = startPage;
    options.refreshSeconds = seconds;
    return options;
}

QList<int> checkedItems(RefreshRig &rig, const QString &name, int first, int last) {
    QList<int> checked;
    for (int i = first; i <= last; ++i) {
        if (rig.item(name, i)->isChecked())
            checked << i;
    }
    return checked;
}

} // namespace

class MenusTest : public QObject {
    Q_OBJECT

private slots:
    void pageSwitch_data();
    void pageSwitch();
    void thumbnailSetting_data();
    void thumbnailSetting();
    void windowSize();
    void languageChange_data();
    void languageChange();
    void setupCheckMarks_data();
    void setupCheckMarks();
    void startPageItems();
    void openers_data();
    void openers();
    void galleryOpenerKeepsThePageRefreshing_data();
    void galleryOpenerKeepsThePageRefreshing();
    void helpWindowShowsTheBundledText();
    void helpWindowNamesAMissingFile();
};

void MenusTest::pageSwitch_data() {
    QTest::addColumn<int>("startPage");
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("autoRefresh");
    QTest::addColumn<bool>("online");
    QTest::addColumn<int>("galleryRequestAfter");
    QTest::newRow("to page 3") << 0 << 3 << 1 << true << 0;
    QTest::newRow("to the WX page") << 0 << 11 << 1 << true << 7;
    QTest::newRow("from the WX page to page 2") << 1 << 2 << 1 << true << 0;
    QTest::newRow("to page 3, manual") << 0 << 3 << 0 << true << 0;
    QTest::newRow("to page 3, offline") << 0 << 3 << 1 << false << 0;
}

void MenusTest::pageSwitch() {
    QFETCH(int, startPage);
    QFETCH(int, page);
    QFETCH(int, autoRefresh);
    QFETCH(bool, online);
    QFETCH(int, galleryRequestAfter);
    RefreshRig rig(rigOptions(autoRefresh, startPage));
    QVERIFY(rig.start());
    rig.page().Online = online;
    rig.page().GalleryRequest = 7;
    rig.page().FinishedCount = 3;
    rig.page().SlotTable.setValue(0, stCheckHeight, QStringLiteral("90"));
    rig.w().cell(0)->lblCall->setText(QStringLiteral("AB1CD"));
    restorePlainMenuText(rig.item(QStringLiteral("mnuRefresh")),
                         rig.item(QStringLiteral("mnuRefresh"))->text());

    rig.click(QStringLiteral("mnuPage"), page);

    QCOMPARE(rig.page().CurrentPage, page);
    QCOMPARE(checkedItems(rig, QStringLiteral("mnuPage"), 1, 11), QList<int>{page});
    const auto pageItem = menuPicture(rig.item(QStringLiteral("mnuPg")));
    QVERIFY(pageItem);
    QCOMPARE(pageItem->text, rig.item(QStringLiteral("mnuPage"), page)->text());
    QCOMPARE(rig.page().SlotTable.value(0, stCheckHeight), QString());
    // The grid was emptied; only a site of the new page may label the cell again.
    QVERIFY(rig.w().cell(0)->lblCall->text() != QStringLiteral("AB1CD"));
    QCOMPARE(rig.page().GalleryRequest, galleryRequestAfter);
    QCOMPARE(rig.opener.names(),
             (QStringList{QStringLiteral("closeGallery"), QStringLiteral("rebuildSiteSelection")}));

    const bool wx = page == 11;
    QCOMPARE(rig.sstvReloads, online && !wx ? 1 : 0);
    QCOMPARE(rig.wxReloads, online && wx ? 1 : 0);
    QCOMPARE(rig.loadingLook(), online);
    if (online)
        QCOMPARE(rig.page().FinishedCount, 0);
    // The timer of the new page, and only that one, when refreshing is automatic.
    QCOMPARE(rig.w().refreshTimers().sstvRunning(), autoRefresh == 1 && !wx);
    QCOMPARE(rig.w().refreshTimers().wxRunning(), autoRefresh == 1 && wx);
}

void MenusTest::thumbnailSetting_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("slotCount");
    QTest::addColumn<int>("startPage");
    QTest::newRow("24 thumbnails") << 3 << 24 << 0;
    QTest::newRow("5 thumbnails") << 0 << 5 << 0;
    QTest::newRow("15 thumbnails on the WX page") << 2 << 15 << 1;
}

void MenusTest::thumbnailSetting() {
    QFETCH(int, index);
    QFETCH(int, slotCount);
    QFETCH(int, startPage);
    RefreshRig rig(rigOptions(1, startPage));
    QVERIFY(rig.start());
    rig.page().GalleryRequest = 4;
    rig.page().SlotTable.setValue(1, stCheckHeight, QStringLiteral("90"));

    rig.click(QStringLiteral("mnu5"), index);

    QCOMPARE(rig.config().ThumbSetting, index + 1);
    QCOMPARE(rig.w().cells().size(), slotCount);
    QCOMPARE(rig.page().SlotCount, slotCount);
    QCOMPARE(rig.page().GalleryRequest, 0);
    // The new grid starts empty: no remembered check picture may keep a
    // picture from being fetched.
    QCOMPARE(rig.page().SlotTable.value(1, stCheckHeight), QString());
    QCOMPARE(rig.reloads(), 1);
    QCOMPARE(rig.wxReloads, startPage == 1 ? 1 : 0);
    QVERIFY(rig.loadingLook());
    QCOMPARE(rig.w().refreshTimers().sstvRunning(), startPage == 0);
    QCOMPARE(rig.w().refreshTimers().wxRunning(), startPage == 1);

    rig.openSetup();
    QCOMPARE(checkedItems(rig, QStringLiteral("mnu5"), 0, 3), QList<int>{index});
}

void MenusTest::windowSize() {
    RefreshRig rig(rigOptions(1, 0));
    QVERIFY(rig.start());
    const int widthBefore = rig.w().frameGeometry().width();
    restorePlainMenuText(rig.item(QStringLiteral("mnuRefresh")),
                         rig.item(QStringLiteral("mnuRefresh"))->text());
    rig.page().FinishedCount = 5;
    rig.page().SlotTable.setValue(1, stCheckHeight, QStringLiteral("90"));

    rig.click(QStringLiteral("mnuGUIsizes"), 3);

    QCOMPARE(rig.config().GuiSize, 3);
    QVERIFY(rig.w().frameGeometry().width() > widthBefore);
    QCOMPARE(rig.w().cells().size(), 10);
    // A reload like any other: loading look, a fresh pass, every picture again.
    QCOMPARE(rig.sstvReloads, 1);
    QVERIFY(rig.loadingLook());
    QCOMPARE(rig.page().FinishedCount, 0);
    QCOMPARE(rig.page().SlotTable.value(1, stCheckHeight), QString());
    QVERIFY(rig.w().refreshTimers().sstvRunning());

    rig.openSetup();
    QCOMPARE(checkedItems(rig, QStringLiteral("mnuGUIsizes"), 0, 3), QList<int>{3});

    // Offline it reloads nothing and still restarts the timer.
    rig.page().Online = false;
    rig.click(QStringLiteral("mnuGUIsizes"), 0);
    QCOMPARE(rig.sstvReloads, 1);
    QVERIFY(rig.w().refreshTimers().sstvRunning());
}

void MenusTest::languageChange_data() {
    QTest::addColumn<int>("startPage");
    QTest::newRow("on an SSTV page") << 0;
    QTest::newRow("on the WX page") << 1;
}

void MenusTest::languageChange() {
    QFETCH(int, startPage);
    RefreshRig rig(rigOptions(1, startPage, 90));
    QVERIFY(rig.start());
    const QString englishSetup = rig.h.state.texts.LngSetup;

    rig.click(QStringLiteral("mnuLang"), 2);

    const LanguageTexts &texts = rig.h.state.texts;
    QCOMPARE(rig.config().LanguageIndex, 2);
    QCOMPARE(checkedItems(rig, QStringLiteral("mnuLang"), 0, 4), QList<int>{2});
    const QStringList german =
        readTextLines(rig.h.data(QStringLiteral("Languages/") + languageFileName(2))).value();
    QCOMPARE(rig.item(QStringLiteral("mnuHelp"))->text(), ReadLanguageLine(german.at(20)));
    QVERIFY(texts.LngSetup != englishSetup);
    QVERIFY(rig.w().clockButton()->caption().endsWith(QStringLiteral(" UTC   ") + texts.LngSetup));
    QCOMPARE(rig.item(QStringLiteral("mnuRefresh"))->text(), refreshMenuCaption(texts, 1, 90));
    QCOMPARE(rig.item(QStringLiteral("mnuPage"), 11)->text(), texts.LngWxPage);
    if (startPage == 1)
        QCOMPARE(menuPicture(rig.item(QStringLiteral("mnuPg")))->text, texts.LngWxPage);

    QCOMPARE(rig.reloads(), 1);
    QCOMPARE(rig.wxReloads, startPage == 1 ? 1 : 0);
    QVERIFY(rig.loadingLook());
}

void MenusTest::setupCheckMarks_data() {
    QTest::addColumn<int>("seconds");
    QTest::addColumn<int>("autoRefresh");
    QTest::addColumn<QList<int>>("rate");
    QTest::newRow("30 s") << 30 << 1 << QList<int>{0};
    QTest::newRow("45 s marks 30 sec") << 45 << 1 << QList<int>{0};
    QTest::newRow("75 s marks 90 sec") << 75 << 1 << QList<int>{2};
    QTest::newRow("90 s") << 90 << 1 << QList<int>{2};
    QTest::newRow("120 s") << 120 << 1 << QList<int>{3};
    // Periods the menu does not offer mark nothing; above all not "Manual".
    QTest::newRow("150 s, automatic") << 150 << 1 << QList<int>{};
    QTest::newRow("300 s") << 300 << 1 << QList<int>{};
    QTest::newRow("manual at 90 s") << 90 << 0 << QList<int>{4};
}

void MenusTest::setupCheckMarks() {
    QFETCH(int, seconds);
    QFETCH(int, autoRefresh);
    QFETCH(QList<int>, rate);
    RefreshRig rig(rigOptions(autoRefresh, 0, seconds));
    QVERIFY(rig.start());
    QCOMPARE(rig.config().RefreshSeconds, seconds);
    // A stray mark from a click is put right when the menu opens.
    rig.item(QStringLiteral("mnuRate"), 1)->setChecked(true);

    rig.openSetup();

    QCOMPARE(checkedItems(rig, QStringLiteral("mnuRate"), 0, 4), rate);
    QCOMPARE(checkedItems(rig, QStringLiteral("mnu5"), 0, 3), QList<int>{1});
    QCOMPARE(checkedItems(rig, QStringLiteral("mnuGUIsizes"), 0, 3), QList<int>{1});
    QVERIFY(rig.item(QStringLiteral("mnustartDSSTV"))->isChecked());
    QVERIFY(!rig.item(QStringLiteral("mnustartWX"))->isChecked());
}

void MenusTest::startPageItems() {
    RefreshRig rig;
    QVERIFY(rig.start());
    rig.click(QStringLiteral("mnustartWX"));
    QCOMPARE(rig.config().StartPage, 1);
    rig.openSetup();
    QVERIFY(rig.item(QStringLiteral("mnustartWX"))->isChecked());
    QVERIFY(!rig.item(QStringLiteral("mnustartDSSTV"))->isChecked());
    // Nothing else happens now; the page shown stays.
    QCOMPARE(rig.page().CurrentPage, 1);
    QCOMPARE(rig.reloads(), 0);

    rig.click(QStringLiteral("mnustartDSSTV"));
    QCOMPARE(rig.config().StartPage, 0);
    rig.openSetup();
    QVERIFY(rig.item(QStringLiteral("mnustartDSSTV"))->isChecked());
    QVERIFY(!rig.item(QStringLiteral("mnustartWX"))->isChecked());
}

void MenusTest::openers_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("call");
    QTest::addColumn<QString>("argument");
    QTest::newRow("About") << "mnuAbout"
                           << "openAbout"
                           << "";
    QTest::newRow("Add a Site") << "mnuAdd"
                                << "openAddSite"
                                << "";
    QTest::newRow("Edit a Site") << "mnuEdit"
                                 << "openEditSite"
                                 << "";
    QTest::newRow("Remove a Site") << "mnuRemove"
                                   << "openRemoveSite"
                                   << "";
    QTest::newRow("own position") << "mnuLatLon"
                                  << "openOwnPosition"
                                  << "";
    QTest::newRow("page labels") << "mnupgSel"
                                 << "openPageNames"
                                 << "";
    QTest::newRow("Help") << "mnuHelp"
                          << "openHelp"
                          << "";
    // The site's own callsign, not its picture's age nor its sender.
    QTest::newRow("QRZ call") << "mnuQrzCall"
                              << "openStation"
                              << "EF2GH site";
    QTest::newRow("gallery") << "mnuLast15"
                             << "openGallery"
                             << "5";
}

void MenusTest::openers() {
    QFETCH(QString, item);
    QFETCH(QString, call);
    QFETCH(QString, argument);
    RefreshRig rig;
    QVERIFY(rig.start());
    rig.page().SelectedSlot = 4;
    rig.w().cell(4)->lblCall->setText(QStringLiteral("EF2GH - 5 min"));

    rig.click(item);

    QCOMPARE(rig.opener.names(), QStringList{call});
    const HandOverOpener::Call &made = rig.opener.calls.constFirst();
    QCOMPARE(made.argument, argument);
    if (call == u"openGallery") {
        // Set before the window opened, and the loading look with it.
        QCOMPARE(made.galleryRequest, 5);
        QVERIFY(made.refreshLoadingLook);
    }
    QCOMPARE(rig.reloads(), 0);
}

void MenusTest::galleryOpenerKeepsThePageRefreshing_data() {
    QTest::addColumn<int>("autoRefresh");
    QTest::newRow("automatic") << 1;
    QTest::newRow("manual") << 0;
}

void MenusTest::galleryOpenerKeepsThePageRefreshing() {
    QFETCH(int, autoRefresh);
    RefreshRig rig(rigOptions(autoRefresh));
    QVERIFY(rig.start());
    rig.page().SelectedSlot = 0;
    rig.tickSstv(10);
    rig.click(QStringLiteral("mnuLast15"));
    QVERIFY(!rig.opener.calls.constFirst().sstvTimerRunning);
    QCOMPARE(rig.w().refreshTimers().sstvRunning(), autoRefresh == 1);
    QCOMPARE(rig.page().GalleryRequest, 1);
}

void MenusTest::helpWindowShowsTheBundledText() {
    AppPaths paths;
    paths.bundledDataFolder = QStringLiteral(TAVIMO_SOURCE_DATA_DIR);
    QTemporaryDir data;
    paths.dataFolder = data.path();
    QCOMPARE(helpFilePath(paths),
             QStringLiteral(TAVIMO_SOURCE_DATA_DIR) + QStringLiteral("/help/tavimo-help.txt"));
    const QString text = readHelpText(paths);
    for (const char *topic : {"Pages", "Refresh", "Reload this page", "F2", "tavimo.lst"})
        QVERIFY2(text.contains(QLatin1String(topic)), topic);

    // A first start copies it into the data folder, where it is found too.
    QVERIFY(provisionDataFolder(paths).ok);
    AppPaths copied = paths;
    copied.bundledDataFolder = data.filePath(QStringLiteral("nowhere"));
    QCOMPARE(helpFilePath(copied), data.filePath(QStringLiteral("help/tavimo-help.txt")));
    QCOMPARE(readHelpText(copied), text);

    HelpWindow window(text);
    QVERIFY(window.isReadOnly());
    QCOMPARE(window.toPlainText(), text);
    QVERIFY(window.testAttribute(Qt::WA_DeleteOnClose));
}

void MenusTest::helpWindowNamesAMissingFile() {
    QTemporaryDir empty;
    AppPaths paths;
    paths.bundledDataFolder = empty.path();
    paths.dataFolder = empty.path();
    QCOMPARE(helpFilePath(paths), QString());
    const QString text = readHelpText(paths);
    QVERIFY(text.contains(empty.filePath(QStringLiteral("help/tavimo-help.txt"))));
}

QTEST_MAIN(MenusTest)
#include "tst_menus.moc"
