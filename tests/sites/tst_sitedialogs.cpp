#include "SiteWindowsHarness.h"

#include "core/app/StartupFiles.h"
#include "core/base/TextFile.h"
#include "core/files/StoreSettings.h"
#include "core/sites/SiteLists.h"
#include "sites/AboutDialog.h"
#include "sites/AddSiteDialog.h"
#include "sites/EditSiteDialog.h"
#include "sites/PageNamesDialog.h"
#include "sites/RemoveSiteDialog.h"
#include "stations/OwnPositionDialog.h"
#include "stations/SiteMapWindow.h"
#include "stations/StationWindow.h"
#include "stations/WebMapWindow.h"
#include "support/CallbookPages.h"
#include "support/DrawnCell.h"
#include "support/FakePageView.h"
#include "support/Routes.h"
#include "ui/RefusedBox.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QWindow>

using namespace tavimo;
using namespace tavimo::test;

Q_DECLARE_METATYPE(std::function<QWidgetList()>)

namespace {

SiteRecord wxAt(const QString &name, int slot) {
    SiteRecord r = makeSite(name, u"http://127.0.0.1/wx/"_s + name + u".jpg"_s);
    r.SlotMap = {QString(), wxSlotText(slot), wxSlotText(slot), wxSlotText(slot), wxSlotText(slot)};
    return r;
}

void pick(QListWidget *list, int row) {
    list->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
}

// A dark desktop scheme: dark fills and tool tips, near-white text.
const QColor kDarkToolTip(49, 54, 59);

QPalette darkScheme(QPalette palette) {
    for (QPalette::ColorRole fill : {QPalette::Window, QPalette::Base, QPalette::Button})
        palette.setColor(fill, QColor(53, 53, 53));
    for (QPalette::ColorRole text :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::ToolTipText})
        palette.setColor(text, QColor(240, 240, 240));
    palette.setColor(QPalette::ToolTipBase, kDarkToolTip);
    return palette;
}

// Opens a window and gives the parts of it that carry text.
using OpenParts = std::function<QWidgetList()>;

bool pointerBusy() {
    return QGuiApplication::overrideCursor() != nullptr;
}

} // namespace

// The dialogs of the Setup menu: add, edit and remove a site, the page names, About.
class TestSiteDialogs : public QObject {
    Q_OBJECT

    std::unique_ptr<SiteWindowsHarness> h;

    AddSiteDialog *openAdd() { return openAddSite(h->state, h->registry); }
    EditSiteDialog *openEdit() { return openEditSite(h->state, h->registry); }
    RemoveSiteDialog *openRemove() { return openRemoveSite(h->state, h->registry); }
    // Add (SSTV) or edit (the second site), with its commit button and fields.
    std::tuple<QPointer<QDialog>, QPushButton *, SiteDialogFields *> openAddOrEdit(bool add) {
        if (add) {
            AddSiteDialog *dialog = openAdd();
            dialog->Option1->click();
            return {dialog, dialog->cmdAdd, dialog->fields};
        }
        EditSiteDialog *dialog = openEdit();
        pick(dialog->List1, 1);
        return {dialog, dialog->cmdSave, dialog->fields};
    }
    QString dataFile(const QString &name) const { return h->state.paths.data(name); }
    QStringList written(const QString &name) const {
        return callsigns(name == kSiteListFile ? readSiteList(dataFile(name)).sites
                                               : readWxSiteList(dataFile(name)).sites);
    }
    // The callbook's record page of `call`, answered after delayMs.
    void serveRecord(const QString &call, std::optional<double> lat, std::optional<double> lon,
                     const QString &grid = {}, int delayMs = 0) {
        CallbookStation station;
        station.callsign = call;
        station.name = u"Site"_s;
        station.latitude = lat;
        station.longitude = lon;
        station.grid = grid;
        h->server.setRoute(u"/eham/"_s + callbookRecordPath(1, call),
                           answerRoute(callbookRecordPage(1, station), delayMs, "text/html"));
    }
    // The main window got its input, refreshing and a reload back exactly once.
    void verifyHandedBack() const {
        QCOMPARE(h->main.count("stop"), 1);
        QCOMPARE(h->main.count("resume"), 1);
        QCOMPARE(h->main.count("reload"), 1);
        QCOMPARE(QGuiApplication::modalWindow(), nullptr);
    }

private slots:
    void init() {
        QLocale::setDefault(QLocale::c());
        h = std::make_unique<SiteWindowsHarness>();
        h->state.SiteList = {sstvAt(u"AA1A"_s, 3, 9), sstvAt(u"BB2B"_s, 3, -1),
                             sstvAt(u"CC3C"_s, 1, 0)};
        h->state.WxSiteList = {wxAt(u"METEOR"_s, 0), wxAt(u"NOAA 19"_s, 4)};
        h->state.page.CurrentPage = 3;
    }
    void cleanup() { h.reset(); }

    // The frame is one for the three dialogs; the add and edit tests check it on their own way out.
    void frameBlocksTheMainWindowUntilAnyWayOut_data() {
        QTest::addColumn<int>("way");
        QTest::addRow("its own button") << 0;
        QTest::addRow("Escape") << 1;
        QTest::addRow("the close box") << 2;
    }
    void frameBlocksTheMainWindowUntilAnyWayOut() {
        QFETCH(int, way);
        auto *menu = new QPushButton(u"menu"_s, &h->main.widget);
        menu->setGeometry(10, 10, 80, 30);
        h->main.widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&h->main.widget));
        int clicks = 0;
        connect(menu, &QPushButton::clicked, [&clicks] { ++clicks; });
        const auto clickMenu = [this] {
            QTest::mouseClick(h->main.widget.windowHandle(), Qt::LeftButton, {}, QPoint(40, 25));
        };

        QPointer<RemoveSiteDialog> dialog = openRemove();
        QCOMPARE(openRemove(), dialog.data()); // one at a time
        QCOMPARE(h->main.count("stop"), 1);
        QCOMPARE(h->main.count("resume"), 0);
        QVERIFY(h->main.widget.isEnabled()); // blocked, not greyed out
        clickMenu();
        QCOMPARE(clicks, 0);

        if (way == 0) {
            pick(dialog->List1, 1);
            dialog->cmdRemove->click();
        } else if (way == 1) {
            QTest::keyClick(dialog, Qt::Key_Escape);
        } else {
            dialog->close();
        }
        QTRY_VERIFY(dialog.isNull());
        verifyHandedBack();
        QCOMPARE(QFile::exists(dataFile(kSiteListFile)), way == 0); // saved on a change only
        clickMenu();
        QCOMPARE(clicks, 1);
    }

    void addStoresTheSiteInItsList() {
        h->state.ZeroChar = u"Ø"_s;
        AddSiteDialog *add = openAdd();
        QVERIFY(!add->fields->txtCall->isEnabled());
        add->Option1->click();
        QTest::keyClicks(add->fields->txtCall, u"BB0X"_s);
        QCOMPARE(add->fields->txtCall->text(), u"BBØX"_s);
        add->fields->txtUrl->setText(u"http://127.0.0.1/bb0x/image1.jpg"_s);
        add->fields->txtCamUrl->setText(u"http://127.0.0.1/bb0x/cam.jpg"_s);
        add->fields->txtLat->setText(u"-33,87"_s);
        add->fields->txtLon->setText(u"151.2"_s);
        add->cmdAdd->click();
        QTRY_VERIFY(!siteDialogOpen(h->registry));
        verifyHandedBack();
        QCOMPARE(written(kSiteListFile), (QStringList{u"AA1A"_s, u"BB0X"_s, u"BB2B"_s, u"CC3C"_s}));
        const SiteRecord added = readSiteList(dataFile(kSiteListFile)).sites[1];
        QCOMPARE(added.Latitude, -33.87);
        QCOMPARE(added.Longitude, 151.2);
        QCOMPARE(added.CamUrl, u"http://127.0.0.1/bb0x/cam.jpg"_s);

        add = openAdd();
        add->Option1->click();
        add->Option2->click(); // the position boxes close, their text stays
        QVERIFY(!add->fields->txtLat->isEnabled());
        QTest::keyClicks(add->fields->txtCall, u"NOAA 10"_s);
        add->fields->txtUrl->setText(u"http://127.0.0.1/wx/noaa10.jpg"_s);
        add->fields->txtLat->setText(u"9"_s);
        add->cmdAdd->click();
        QCOMPARE(written(kWxSiteListFile), (QStringList{u"METEOR"_s, u"NOAA 19"_s, u"NOAA 1Ø"_s}));
        QCOMPARE(h->state.WxSiteList[2].Latitude, 0.0);
    }

    void callBoxKeepsTheCaret() {
        h->state.ZeroChar = u"Ø"_s;
        AddSiteDialog *add = openAdd();
        add->Option1->click();
        QLineEdit *box = add->fields->txtCall;
        QTest::keyClicks(box, u"PØA"_s);
        box->setCursorPosition(1);
        QTest::keyClicks(box, u"0"_s);
        QCOMPARE(box->text(), u"PØØA"_s);
        QCOMPARE(box->cursorPosition(), 2);
    }

    void sameAddressIsRefused_data() {
        QTest::addColumn<bool>("add");
        QTest::addRow("add") << true;
        QTest::addRow("edit") << false;
    }
    void sameAddressIsRefused() {
        QFETCH(bool, add);
        const SiteList before = h->state.SiteList;
        const QString taken = before[0].PictureUrl;
        auto [dialog, commit, fields] = openAddOrEdit(add);
        if (add)
            fields->txtCall->setText(u"NEW"_s);
        fields->txtUrl->setText(taken);
        commit->click();
        QCOMPARE(h->prompts.texts(), QStringList{taken + u"\r\n already in Tavimo list"_s});
        QVERIFY(!dialog.isNull()); // open, to put the address right
        QCOMPARE(h->state.SiteList, before);
        // Another letter case makes another address.
        fields->txtUrl->setText(taken.toUpper());
        commit->click();
        QTRY_VERIFY(dialog.isNull());
        QCOMPARE(h->prompts.calls.size(), 1);
    }

    // Text the Windows-1252 lists cannot keep is refused, naming the field and the character.
    void fieldsThatWouldBreakTheListAreRefused_data() {
        QTest::addColumn<bool>("add");
        QTest::addColumn<QString>("call");
        QTest::addColumn<QString>("camUrl");
        QTest::addColumn<QString>("message");
        QTest::addRow("add: field separator in the callsign")
            << true << u"AB*C"_s << QString() << u"\"*\" (U+002A) in Callsign"_s;
        QTest::addRow("add: line break in the camera address")
            << true << u"ABC"_s << u"http://127.0.0.1/cam\n.jpg"_s << u"U+000A in Cam Url"_s;
        QTest::addRow("add: cyrillic callsign")
            << true << u"NOAA 20 Метеор"_s << QString() << u"\"М\" (U+041C) in Callsign"_s;
        QTest::addRow("edit: cyrillic camera address")
            << false << u"ABC"_s << u"http://127.0.0.1/камера.jpg"_s
            << u"\"к\" (U+043A) in Cam Url"_s;
    }
    void fieldsThatWouldBreakTheListAreRefused() {
        QFETCH(bool, add);
        QFETCH(QString, call);
        QFETCH(QString, camUrl);
        const SiteList before = h->state.SiteList;
        auto [dialog, commit, fields] = openAddOrEdit(add);
        fields->txtCall->setText(call);
        fields->txtUrl->setText(u"http://127.0.0.1/abc/image1.jpg"_s);
        fields->txtCamUrl->setText(camUrl);
        commit->click();
        QCOMPARE(h->prompts.calls.size(), 1);
        QFETCH(QString, message);
        QVERIFY2(h->prompts.calls[0].text.contains(message), qPrintable(h->prompts.calls[0].text));
        QVERIFY(!dialog.isNull());
        QCOMPARE(h->state.SiteList, before);
    }

    // A position box off the globe or without a number shows why and keeps Add or Save off;
    // what the user is still typing is no error.
    void positionBoxesOffTheGlobeAreRefused_data() {
        QTest::addColumn<bool>("add");
        QTest::addRow("add") << true;
        QTest::addRow("edit") << false;
    }
    void positionBoxesOffTheGlobeAreRefused() {
        QFETCH(bool, add);
        QPushButton *commit = nullptr;
        SiteDialogFields *fields = nullptr;
        if (add) {
            AddSiteDialog *add = openAdd();
            add->Option1->click();
            add->fields->txtCall->setText(u"NEW"_s);
            add->fields->txtUrl->setText(u"http://127.0.0.1/new/image1.jpg"_s);
            std::tie(commit, fields) = std::tuple(add->cmdAdd, add->fields);
        } else {
            EditSiteDialog *edit = openEdit();
            pick(edit->List1, 1);
            std::tie(commit, fields) = std::tuple(edit->cmdSave, edit->fields);
        }
        fields->txtLon->setText(u"5,5"_s);
        fields->txtLat->setText(u"95"_s);
        QVERIFY(!commit->isEnabled());
        QVERIFY(showsRefusal(*fields->txtLat));
        QVERIFY(fields->txtLat->toolTip().contains(u"90"_s));
        fields->txtLat->setText(u"52"_s);
        fields->txtLon->setText(u"abc"_s);
        QVERIFY(!commit->isEnabled());
        QVERIFY(!showsRefusal(*fields->txtLat));
        QVERIFY(showsRefusal(*fields->txtLon));
        fields->txtLon->setText(u"-"_s);
        QVERIFY(commit->isEnabled());
        fields->txtLon->setText(u"5,"_s);
        QVERIFY(commit->isEnabled());
        fields->txtLat->setText(u"-95"_s);
        if (add) {
            // A WX site has no position: its boxes, switched off, do not count.
            auto *dialog = qobject_cast<AddSiteDialog *>(commit->window());
            dialog->Option2->click();
            QVERIFY(commit->isEnabled());
            QVERIFY(!showsRefusal(*fields->txtLat));
            dialog->Option1->click();
            QVERIFY(!commit->isEnabled());
        }
        fields->txtLat->setText(u"52"_s);
        commit->click();
        QTRY_VERIFY(!siteDialogOpen(h->registry));
        const SiteList &list = h->state.SiteList;
        const auto saved = std::find_if(list.begin(), list.end(), [add](const SiteRecord &r) {
            return r.Callsign == (add ? u"NEW"_s : u"BB2B"_s);
        });
        QVERIFY(saved != list.end());
        QCOMPARE(saved->Latitude, 52.0);
        QCOMPARE(saved->Longitude, 5.0);
    }

    void editChangesTheRecordInPlace() {
        h->state.ZeroChar = u"Ø"_s;
        h->state.SiteList[1].Latitude = 12.123456789012345678;
        EditSiteDialog *edit = openEdit();
        pick(edit->List1, 1);
        QVERIFY(!edit->List2->isEnabled());
        QCOMPARE(edit->fields->txtLat->text(), u"12.1234567890123"_s);
        edit->fields->txtCall->setText(u"ZZ0Z"_s);
        edit->fields->txtCamUrl->setText(u"http://127.0.0.1/cam.jpg"_s);
        edit->cmdSave->click();
        QTRY_VERIFY(!siteDialogOpen(h->registry));
        verifyHandedBack();
        // Not sorted again: the site keeps its place until the next add.
        const QStringList lines = readTextLines(dataFile(kSiteListFile)).value_or(QStringList());
        QCOMPARE(lines.value(2), u"ZZ0Z*"_s + kEmptySlotMap + u"*0000000000*0000000000*"_s +
                                     kEmptySlotMap +
                                     u"*12.1234567890123*0**http://127.0.0.1/cam.jpg"_s);
    }

    void renameChangesOnlyTheSitesOwnCaptions() {
        h->state.ZeroChar = u"Ø"_s;
        h->state.SiteList = {sstvAt(u"PA0AB"_s, 3, 0), sstvAt(u"PA0ABC"_s, 3, 1)};
        const QStringList shown{u"PAØAB - 3 d"_s, u"PAØABC"_s};
        for (int slot = 0; slot < 2; ++slot) {
            h->main.callCaptions[slot] = shown[slot];
            h->state.page.SlotTable.setValue(slot, stSiteCall, shown[slot].section(u' ', 0, 0));
        }
        EditSiteDialog *edit = openEdit();
        pick(edit->List1, 0);
        edit->fields->txtCall->setText(u"PA0XY"_s);
        edit->cmdSave->click();
        QCOMPARE(h->main.callCaptions.mid(0, 2), (QStringList{u"PAØXY - 3 d"_s, u"PAØABC"_s}));
        QCOMPARE(h->state.page.SlotTable.value(0, stSiteCall), u"PAØXY"_s);
    }

    void lookupFillsThePosition_data() {
        QTest::addColumn<std::optional<double>>("latitude");
        QTest::addColumn<std::optional<double>>("longitude");
        QTest::addColumn<QString>("grid");
        QTest::addColumn<QString>("lat");
        QTest::addColumn<QString>("lon");
        QTest::newRow("coordinates")
            << std::optional(52.5) << std::optional(-4.25) << QString() << u"52.5"_s << u"-4.25"_s;
        QTest::newRow("a grid square only: its centre")
            << std::optional<double>() << std::optional<double>() << u"JO22ob"_s << u"52.0625"_s
            << u"5.2083333333333"_s;
        QTest::newRow("latitude 0 counts as none")
            << std::optional(0.0) << std::optional(4.1) << QString() << u"0"_s << u"0"_s;
    }
    void lookupFillsThePosition() {
        QFETCH(std::optional<double>, latitude);
        QFETCH(std::optional<double>, longitude);
        QFETCH(QString, grid);
        serveRecord(u"PA3ABC"_s, latitude, longitude, grid);
        AddSiteDialog *add = openAdd();
        QVERIFY(!add->cmdGetLatLon->isEnabled());
        add->Option1->click();
        add->fields->txtCall->setText(u"pa3abc-2"_s);
        add->cmdGetLatLon->click();
        QVERIFY(pointerBusy());
        QTRY_VERIFY(!pointerBusy());
        QTEST(add->fields->txtLat->text(), "lat");
        QTEST(add->fields->txtLon->text().left(15), "lon");
    }

    void failedLookupGivesBackBoxesAndPointer() {
        EditSiteDialog *edit = openEdit();
        pick(edit->List1, 2);
        edit->fields->txtLat->setText(u"48.1"_s);
        edit->cmdGetQrz->click();                          // the callbook does not know CC3C
        QCOMPARE(edit->fields->txtLat->text(), QString()); // cleared at once
        QTRY_VERIFY(!pointerBusy());
        QCOMPARE(edit->fields->txtLat->text(), u"48.1"_s);
        QCOMPARE(edit->fields->lblLookUp->text(), u"CC3C  not found"_s);

        // Closed while the page is on its way: the pointer comes back too.
        serveRecord(u"CC3C"_s, 1.5, 1.5, {}, 2000);
        edit->cmdGetQrz->click();
        QPointer<EditSiteDialog> open = edit;
        edit->close();
        QTRY_VERIFY(open.isNull());
        QVERIFY(!pointerBusy());
    }

    void removeTakesTheSiteOutAndClearsItsSlot_data() {
        QTest::addColumn<bool>("wxPage");
        QTest::addColumn<bool>("wxList");
        QTest::addColumn<int>("row");
        QTest::addColumn<QList<int>>("cleared");
        QTest::addColumn<QStringList>("left");
        QTest::newRow("slot A of page 3")
            << false << false << 0 << QList<int>{9} << QStringList{u"BB2B"_s, u"CC3C"_s};
        QTest::newRow("WX site on the WX page")
            << true << true << 1 << QList<int>{4} << QStringList{u"METEOR"_s};
    }
    void removeTakesTheSiteOutAndClearsItsSlot() {
        QFETCH(bool, wxPage);
        QFETCH(bool, wxList);
        QFETCH(int, row);
        h->state.page.CurrentPage = wxPage ? h->state.page.PageCount : 3;
        int changes = 0;
        connect(&h->state.events, &AppEvents::sitesChanged, [&changes] { ++changes; });
        RemoveSiteDialog *remove = openRemove();
        QVERIFY(!remove->cmdRemove->isEnabled());
        pick(wxList ? remove->List2 : remove->List1, row);
        QVERIFY(!(wxList ? remove->List1 : remove->List2)->isEnabled());
        remove->cmdRemove->click();
        QTEST(written(wxList ? kWxSiteListFile : kSiteListFile), "left");
        QTEST(h->main.numbers("clear"), "cleared");
        QCOMPARE(changes, 1);
    }

    void lastSiteOfAListCanGo() {
        h->state.SiteList = {sstvAt(u"AA1A"_s, 3, 0)};
        RemoveSiteDialog *remove = openRemove();
        pick(remove->List1, 0);
        remove->cmdRemove->click();
        QVERIFY(h->state.SiteList.isEmpty());
        QVERIFY(readBytes(dataFile(kSiteListFile)).isEmpty());
    }

    void failedSaveSaysSoOnceAndKeepsTheLists() {
        // The data folder cannot be made: a file stands in its way.
        writeBytes(h->dir.path() + u"/blocked"_s, "x");
        h->state.paths.dataFolder = h->dir.path() + u"/blocked/tavimo"_s;
        RemoveSiteDialog *remove = openRemove();
        pick(remove->List1, 0);
        remove->cmdRemove->click();
        QCOMPARE(h->prompts.calls.size(), 1);
        QCOMPARE(callsigns(h->state.SiteList), (QStringList{u"BB2B"_s, u"CC3C"_s}));
    }

    void siteNewsWaitsForTheSiteDialogs() {
        QObject context;
        int runs = 0;
        whenNoSiteDialog(h->registry, &context, [&runs] { ++runs; });
        QCOMPARE(runs, 1); // none open: at once
        EditSiteDialog *edit = openEdit();
        whenNoSiteDialog(h->registry, &context, [&runs] { ++runs; });
        QTest::qWait(20);
        QCOMPARE(runs, 1);
        edit->close();
        QTRY_COMPARE(runs, 2);
        QVERIFY(!siteDialogOpen(h->registry));
    }
    void pageNames_data() {
        QTest::addColumn<bool>("closeButton");
        QTest::addColumn<int>("shownPage");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("Close, page 2 on view")
            << true << 2 << QStringList{"stop", "disable", "repaint Moon", "enable", "resume"};
        QTest::newRow("Close, WX page on view")
            << true << 11 << QStringList{"stop", "disable", "repaint Page 11", "enable", "resume"};
        QTest::newRow("close box")
            << false << 2 << QStringList{"stop", "disable", "enable", "resume"};
    }
    void pageNames() {
        QFETCH(bool, closeButton);
        QFETCH(int, shownPage);
        h->state.texts.LngPage = u"Page "_s;
        h->main.shownPage = shownPage;
        QStringList captions = h->main.pageCaptions;
        QSignalSpy changed(&h->state.events, &AppEvents::pageNamesChanged);

        QPointer<PageNamesDialog> dialog = showPageNamesDialog(h->state, h->registry);
        QCOMPARE(dialog->Label1[9]->text(), u"Page 10:"_s);
        QCOMPARE(dialog->Text1[1]->text(), u"Page 2"_s);
        dialog->Text1[1]->setText(u"Moon"_s);
        dialog->Text1[9]->clear();
        if (closeButton)
            dialog->cmdClose->click();
        else
            dialog->close();
        QTRY_VERIFY(dialog.isNull());
        QTEST(h->main.calls, "calls");
        QCOMPARE(changed.size(), closeButton ? 1 : 0);
        if (closeButton) {
            captions[1] = u"Moon"_s;
            captions[9] = QString();
        }
        QCOMPARE(h->main.pageCaptions, captions);
        // What a restart reads back.
        const QStringList stored = readPageNames(SettingsStore(h->settings.fileName()), u"Page "_s);
        QCOMPARE(stored.value(1), closeButton ? u"Moon"_s : u"Page 2"_s);
    }

    // Names that cannot be stored still take effect, and the user hears why
    // they will not come back, once, naming the file.
    void pageNamesNotStoredAreTold() {
        const QString blocker = h->dir.path() + u"/not-a-folder"_s;
        QVERIFY(writeBytes(blocker, "x"));
        SettingsStore blocked(blocker + u"/Tavimo.ini"_s);
        h->state.settings = &blocked;
        QPointer<PageNamesDialog> dialog = showPageNamesDialog(h->state, h->registry);
        dialog->Text1[0]->setText(u"Moon"_s);
        dialog->cmdClose->click();
        QTRY_VERIFY(dialog.isNull());
        QCOMPARE(h->main.pageCaptions.value(0), u"Moon"_s);
        QCOMPARE(h->prompts.calls.size(), 1);
        QVERIFY2(h->prompts.calls[0].text.contains(u"Tavimo.ini"_s),
                 qPrintable(h->prompts.calls[0].text));
        QCOMPARE(h->prompts.calls[0].icon, Prompts::Icon::Exclamation);
        h->state.settings = &h->settings;
    }

    void aboutSlideshow_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("firstCaption");
        QTest::addColumn<QString>("thanks");
        QTest::newRow("English") << 0 << "Our test card, as a station sends it before a contact"
                                 << "Thanks to";
        QTest::newRow("German") << 2
                                << "Unser Testbild, wie eine Station es vor einer Verbindung sendet"
                                << "Danke an";
    }
    void aboutSlideshow() {
        QFETCH(int, language);
        QFETCH(QString, firstCaption);
        QFETCH(QString, thanks);
        h->state.config.LanguageIndex = static_cast<std::int16_t>(language);
        QPointer<AboutDialog> about = showAboutDialog(h->state, h->registry);
        QCOMPARE(about->slideTimer.interval(), 5000);
        QVERIFY(about->Label3->text().startsWith(u"Tavimo  4.91\n"_s));
        QVERIFY(about->Label2->text().startsWith(thanks));
        QCOMPARE(about->Label1->text(), firstCaption);

        QSet<QString> captions;
        for (int tick = 1; tick <= AboutDialog::kSlides; ++tick) {
            about->slideTimer_Timer();
            const int shown = tick % AboutDialog::kSlides;
            QCOMPARE(about->slideIndex(), shown);
            QLabel *picture = about->Image1[shown];
            QVERIFY(!picture->pixmap().isNull() && !picture->isHidden());
            QCOMPARE(picture->y() + picture->height() / 2, AboutDialog::kPictureCentreY);
            QCOMPARE(about->Label1->y(), picture->y() + picture->height() + 5);
            captions.insert(about->Label1->text());
        }
        QCOMPARE(about->Label1->text(), firstCaption);
        QCOMPARE(captions.size(), AboutDialog::kSlides);
        about->close();
        QTRY_VERIFY(about.isNull());
        QVERIFY(h->main.calls.isEmpty()); // neither blocks nor stops the main window
    }

    // Text on a background these windows fix stays dark where a dark desktop scheme writes
    // near-white, and the site map's labels take the tool tips' text with their fill.
    // fill: the colour the parts must be filled with; invalid: any.
    void textOnFixedBackgrounds_data() {
        QTest::addColumn<OpenParts>("open");
        QTest::addColumn<QColor>("fill");
        QTest::newRow("About caption") << OpenParts([this] {
            return QWidgetList{showAboutDialog(h->state, h->registry)->Label3};
        }) << QColor();
        QTest::newRow("page names button") << OpenParts([this] {
            return QWidgetList{showPageNamesDialog(h->state, h->registry)->cmdClose};
        }) << QColor();
        QTest::newRow("refused latitude") << OpenParts([this] {
            AddSiteDialog *add = openAdd();
            add->Option1->click();
            add->fields->txtLat->setText(u"95"_s);
            return QWidgetList{add->fields->txtLat};
        }) << QColor();
        QTest::newRow("station record and its sources") << OpenParts([this] {
            StationWindow *w =
                openStationWindow(h->state, h->registry, {u"G0ABC"_s, false, {}}, {});
            return QWidgetList{w->lblCall, w->optDatabase[0], w->optDatabase[1], w->optDatabase[2]};
        }) << QColor();
        QTest::newRow("site map labels") << OpenParts([this] {
            QDir().mkpath(h->state.paths.data(u"Maps"_s));
            QFile::copy(QStringLiteral(TAVIMO_SOURCE_DATA_DIR "/Maps/Europe Map.png"),
                        h->state.paths.data(u"Maps/Europe Map.png"_s));
            h->state.lstMap = buildMapList(h->state.paths.data(u"Maps"_s));
            h->state.texts.LngMe = u"Me"_s;
            h->state.config.MyLat = 50.1; // Frankfurt; the site is in Munich
            h->state.config.MyLon = 8.7;
            SiteMapWindow *w =
                openSiteMapWindow(h->state, h->registry, {0, {48.14, 11.58}, u"DL0MUC"_s});
            return QWidgetList{w->lblCall(), w->lblMe()};
        }) << kDarkToolTip;
        QTest::newRow("own position's look-up button") << OpenParts([this] {
            h->state.texts.LngGetLatLon = u"Get position from callbook"_s;
            OwnPositionDialog *w = openOwnPositionDialog(h->state, h->registry);
            w->txtCall->setText(u"G0ABC"_s);
            return QWidgetList{w->cmdGetLatLon};
        }) << QColor();
        QTest::newRow("street view's buttons") << OpenParts([this] {
            h->state.SiteList.append(makeSite(u"G0ABC"_s, u"http://127.0.0.1/image1.jpg"_s, 51.5));
            WebMapServices services;
            services.makeView = [] { return std::make_unique<FakePageView>(); };
            WebMapWindow *w =
                openWebMapWindow(h->state, h->registry,
                                 {u"G0ABC*http://127.0.0.1/maps?q=51.5,0"_s, false}, services);
            return QWidgetList{w->cmdPaste, w->cmdSave};
        }) << QColor();
    }
    void textOnFixedBackgrounds() {
        QFETCH(OpenParts, open);
        QFETCH(QColor, fill);
        const QPalette before = QApplication::palette();
        QApplication::setPalette(darkScheme(before));
        const auto restore = qScopeGuard([&] { QApplication::setPalette(before); });
        for (QWidget *part : open()) {
            QWidget *window = part->window();
            const QRect inside =
                QRect(part->mapTo(window, QPoint()), part->size()).adjusted(3, 3, -3, -3);
            const DrawnCell drawn = drawnCell(window->grab().toImage(), inside);
            QVERIFY2(drawn.inkContrast >= 4.5,
                     qPrintable(u"%1: ink %2:1 on %3"_s.arg(part->property("text").toString())
                                    .arg(drawn.inkContrast, 0, 'f', 1)
                                    .arg(drawn.background.name())));
            if (fill.isValid())
                QCOMPARE(drawn.background, fill);
        }
    }
};

QTEST_MAIN(TestSiteDialogs)
#include "tst_sitedialogs.moc"
