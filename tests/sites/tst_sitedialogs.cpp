#include "FakeMainWindow.h"

#include "core/base/TextFile.h"
#include "core/sites/SiteLists.h"
#include "core/sites/SlotMap.h"
#include "sites/AddSiteDialog.h"
#include "sites/EditSiteDialog.h"
#include "sites/RemoveSiteDialog.h"
#include "support/TestFiles.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QWindow>

using namespace tavimo;
using namespace tavimo::test;
using namespace Qt::StringLiterals;

namespace {

SiteRecord sstvAt(const QString &call, int page, int slot) {
    SiteRecord r = makeSite(call, u"http://127.0.0.1/"_s + call + u"/image1.jpg"_s);
    r.SlotMap[2] = withSstvSlotOnPage(kEmptySlotMap, page, slot);
    return r;
}

SiteRecord wxAt(const QString &name, int slot) {
    SiteRecord r = makeSite(name, u"http://127.0.0.1/wx/"_s + name + u".jpg"_s);
    for (int k = 1; k <= 4; ++k)
        r.SlotMap[k] = wxSlotText(slot);
    return r;
}

QStringList callsigns(const SiteList &sites) {
    QStringList calls;
    for (const SiteRecord &s : sites)
        calls << s.Callsign;
    return calls;
}

void pick(QListWidget *list, int row) {
    list->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
}

// A callbook that answers when the test says so.
class FakeLookup final : public SitePositionLookup {
public:
    QStringList *asked = nullptr;
    void lookUp(const QString &callsign) override { *asked << callsign; }
};

enum class Kind { Add, Edit, Remove };

} // namespace

Q_DECLARE_METATYPE(Kind)

class TestSiteDialogs : public QObject {
    Q_OBJECT

    std::unique_ptr<SiteWindowsHarness> h;
    std::unique_ptr<WindowRegistry> registry;

    QStringList asked;
    QPointer<FakeLookup> lookup;

    SitePositionLookupFactory fakeLookup() {
        return [this](AppState &) {
            auto made = std::make_unique<FakeLookup>();
            made->asked = &asked;
            lookup = made.get();
            return made;
        };
    }
    AddSiteDialog *openAdd() { return openAddSite(h->state, *registry, fakeLookup()); }
    EditSiteDialog *openEdit() { return openEditSite(h->state, *registry, fakeLookup()); }

    QString dataFile(const QString &name) const { return h->state.paths.data(name); }
    SiteList written(const QString &name) const {
        return name == kSiteListFile ? readSiteList(dataFile(name)).sites
                                     : readWxSiteList(dataFile(name)).sites;
    }
    // The main window got its input, refreshing and a reload back exactly once.
    void verifyHandedBack() const {
        QCOMPARE(h->main.stopped, 1);
        QCOMPARE(h->main.resumed, 1);
        QCOMPARE(h->main.reloads, 1);
        QCOMPARE(QGuiApplication::modalWindow(), nullptr);
    }

private slots:
    void init() {
        QLocale::setDefault(QLocale::c());
        asked.clear();
        h = std::make_unique<SiteWindowsHarness>();
        registry = std::make_unique<WindowRegistry>();
        h->state.SiteList = {sstvAt(u"AA1A"_s, 3, 9), sstvAt(u"BB2B"_s, 3, -1),
                             sstvAt(u"CC3C"_s, 1, 0)};
        h->state.WxSiteList = {wxAt(u"METEOR"_s, 0), wxAt(u"NOAA 19"_s, 4)};
        h->state.page.CurrentPage = 3;
    }
    void cleanup() {
        registry.reset();
        h.reset();
    }

    void frameBlocksTheMainWindowUntilAnyWayOut_data() {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<int>("way");
        const QList<std::pair<const char *, Kind>> kinds{
            {"add", Kind::Add}, {"edit", Kind::Edit}, {"remove", Kind::Remove}};
        for (const auto &[name, kind] : kinds) {
            QTest::addRow("%s: its own button", name) << kind << 0;
            QTest::addRow("%s: Escape", name) << kind << 1;
            QTest::addRow("%s: the close box", name) << kind << 2;
        }
    }
    void frameBlocksTheMainWindowUntilAnyWayOut() {
        QFETCH(Kind, kind);
        QFETCH(int, way);
        auto *button = new QPushButton(u"menu"_s, &h->main.widget);
        button->setGeometry(10, 10, 80, 30);
        h->main.widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&h->main.widget));
        int clicks = 0;
        connect(button, &QPushButton::clicked, [&clicks] { ++clicks; });

        QPointer<QDialog> dialog;
        std::function<void()> commit;
        if (kind == Kind::Add) {
            AddSiteDialog *add = openAdd();
            QCOMPARE(openAdd(), add); // one at a time
            commit = [add] {
                add->Option2->click();
                add->fields->txtCall->setText(u"GOES"_s);
                add->fields->txtUrl->setText(u"http://127.0.0.1/goes.jpg"_s);
                add->cmdAdd->click();
            };
            dialog = add;
        } else if (kind == Kind::Edit) {
            EditSiteDialog *edit = openEdit();
            commit = [edit] {
                pick(edit->List1, 1);
                edit->cmdSave->click();
            };
            dialog = edit;
        } else {
            RemoveSiteDialog *remove = openRemoveSite(h->state, *registry);
            commit = [remove] {
                pick(remove->List1, 1);
                remove->cmdRemove->click();
            };
            dialog = remove;
        }
        QCOMPARE(h->main.stopped, 1);
        QCOMPARE(h->main.resumed, 0);
        QVERIFY(h->main.widget.isEnabled()); // blocked, not greyed out
        QTest::mouseClick(h->main.widget.windowHandle(), Qt::LeftButton, {}, QPoint(40, 25));
        QCOMPARE(clicks, 0);

        if (way == 0)
            commit();
        else if (way == 1)
            QTest::keyClick(dialog, Qt::Key_Escape);
        else
            dialog->close();
        QTRY_VERIFY(dialog.isNull());
        verifyHandedBack();
        QCOMPARE(QFile::exists(dataFile(kSiteListFile)), way == 0);
        QTest::mouseClick(h->main.widget.windowHandle(), Qt::LeftButton, {}, QPoint(40, 25));
        QCOMPARE(clicks, 1);
    }

    void addStoresTheSiteInItsList() {
        h->state.ZeroChar = u"Ø"_s;
        AddSiteDialog *add = openAdd();
        QVERIFY(!add->fields->txtCall->isEnabled());
        add->Option1->click();
        QVERIFY(add->fields->txtLat->isEnabled());
        QTest::keyClicks(add->fields->txtCall, u"BB0X"_s);
        QCOMPARE(add->fields->txtCall->text(), u"BBØX"_s);
        add->fields->txtUrl->setText(u"http://127.0.0.1/bb0x/image1.jpg"_s);
        add->fields->txtCamUrl->setText(u"http://127.0.0.1/bb0x/cam.jpg"_s);
        add->fields->txtLat->setText(u"-33,87"_s);
        add->fields->txtLon->setText(u"151.2 E"_s);
        QPointer<AddSiteDialog> open = add;
        add->cmdAdd->click();
        QTRY_VERIFY(open.isNull());

        QCOMPARE(callsigns(h->state.SiteList),
                 (QStringList{u"AA1A"_s, u"BB0X"_s, u"BB2B"_s, u"CC3C"_s}));
        const SiteList file = written(kSiteListFile);
        QCOMPARE(file, h->state.SiteList);
        const SiteRecord &added = file[1];
        QCOMPARE(added.Latitude, -33.87);
        QCOMPARE(added.Longitude, 151.2);
        QCOMPARE(added.CamUrl, u"http://127.0.0.1/bb0x/cam.jpg"_s);
        QCOMPARE(added.SlotMap[2], kEmptySlotMap);

        add = openAdd();
        add->Option1->click();
        add->Option2->click(); // the position boxes close, their text stays
        QVERIFY(!add->fields->txtLat->isEnabled());
        add->fields->txtCall->setText(u"NOAA 10"_s);
        add->fields->txtUrl->setText(u"http://127.0.0.1/wx/noaa10.jpg"_s);
        add->fields->txtLat->setText(u"9"_s);
        add->cmdAdd->click();
        const SiteList wx = written(kWxSiteListFile);
        QCOMPARE(callsigns(wx), (QStringList{u"METEOR"_s, u"NOAA 19"_s, u"NOAA 1Ø"_s}));
        QCOMPARE(wx[2].Latitude, 0.0);
        QCOMPARE(wx[2].SlotMap[1], u"0"_s);
    }

    void callBoxShowsTheUsersZero_data() {
        QTest::addColumn<QString>("zero");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("stored");
        QTest::newRow("slashed zero") << u"Ø"_s << u"PØØA"_s << u"P00A"_s;
        QTest::newRow("plain zero") << u"0"_s << u"P0ØA"_s << u"P00A"_s;
    }
    void callBoxShowsTheUsersZero() {
        QFETCH(QString, zero);
        QFETCH(QString, shown);
        QFETCH(QString, stored);
        h->state.ZeroChar = zero;
        AddSiteDialog *add = openAdd();
        add->Option1->click();
        QLineEdit *box = add->fields->txtCall;
        QTest::keyClicks(box, u"PØA"_s);
        box->setCursorPosition(1);
        QTest::keyClicks(box, u"0"_s);
        QCOMPARE(box->text(), shown);
        QCOMPARE(box->cursorPosition(), 2);
        add->fields->txtUrl->setText(u"http://127.0.0.1/p/image1.jpg"_s);
        add->cmdAdd->click();
        QCOMPARE(callsigns(h->state.SiteList).last(), stored);
    }

    void sameAddressIsRefused_data() {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<bool>("wxList");
        QTest::addColumn<QString>("message");
        QTest::newRow("add to the SSTV list") << Kind::Add << false << u" already in Tavimo list"_s;
        QTest::newRow("add to the WX list") << Kind::Add << true << u" already in WX list"_s;
        QTest::newRow("edit an SSTV site") << Kind::Edit << false << u" already in Tavimo list"_s;
        QTest::newRow("edit a WX site") << Kind::Edit << true << u" already in WX list"_s;
    }
    void sameAddressIsRefused() {
        QFETCH(Kind, kind);
        QFETCH(bool, wxList);
        QFETCH(QString, message);
        const SiteList before = wxList ? h->state.WxSiteList : h->state.SiteList;
        const QString taken = before[0].PictureUrl;
        QPointer<QDialog> dialog;
        QPushButton *commit = nullptr;
        SiteDialogFields *fields = nullptr;
        if (kind == Kind::Add) {
            AddSiteDialog *add = openAdd();
            (wxList ? add->Option2 : add->Option1)->click();
            add->fields->txtCall->setText(u"NEW"_s);
            std::tie(dialog, commit, fields) = std::tuple(add, add->cmdAdd, add->fields);
        } else {
            EditSiteDialog *edit = openEdit();
            pick(wxList ? edit->List2 : edit->List1, 1);
            std::tie(dialog, commit, fields) = std::tuple(edit, edit->cmdSave, edit->fields);
        }
        fields->txtUrl->setText(taken);
        commit->click();
        QCOMPARE(h->prompts.texts(), QStringList{taken + u"\r\n"_s + message});
        QVERIFY(!dialog.isNull()); // open, to put the address right
        QCOMPARE(wxList ? h->state.WxSiteList : h->state.SiteList, before);
        QVERIFY(!QFile::exists(dataFile(kSiteListFile)));

        // The other list may have the address; only letter case makes another address.
        h->prompts.clear();
        fields->txtUrl->setText(
            kind == Kind::Add ? (wxList ? h->state.SiteList : h->state.WxSiteList)[0].PictureUrl
                              : taken.toUpper());
        commit->click();
        QVERIFY(h->prompts.calls.isEmpty());
        QTRY_VERIFY(dialog.isNull());
    }

    void fieldsThatWouldBreakTheListAreRefused() {
        AddSiteDialog *add = openAdd();
        add->Option1->click();
        add->fields->txtCall->setText(u"AB*C"_s);
        add->fields->txtUrl->setText(u"http://127.0.0.1/abc/image1.jpg"_s);
        add->cmdAdd->click();
        QCOMPARE(h->prompts.calls.size(), 1);
        QVERIFY(h->prompts.calls[0].text.contains(u"Callsign:"_s.chopped(1)));
        add->fields->txtCall->setText(u"ABC"_s);
        add->fields->txtCamUrl->setText(u"http://127.0.0.1/cam\n.jpg"_s);
        add->cmdAdd->click();
        QCOMPARE(h->prompts.calls.size(), 2);
        QVERIFY(h->prompts.calls[1].text.contains(u"Cam Url"_s));
        QCOMPARE(h->state.SiteList.size(), 3);
        add->close();

        EditSiteDialog *edit = openEdit();
        pick(edit->List1, 0);
        edit->fields->txtUrl->setText(u"http://127.0.0.1/a*a/image1.jpg"_s);
        edit->cmdSave->click();
        QCOMPARE(h->prompts.calls.size(), 3);
        QCOMPARE(h->state.SiteList[0].PictureUrl, u"http://127.0.0.1/AA1A/image1.jpg"_s);
        edit->close();
    }

    void editChangesTheRecordInPlace() {
        h->state.ZeroChar = u"Ø"_s;
        h->state.SiteList[1].Latitude = 12.123456789012345678;
        EditSiteDialog *edit = openEdit();
        pick(edit->List1, 1);
        QVERIFY(!edit->List2->isEnabled());
        QCOMPARE(edit->fields->txtCall->text(), u"BB2B"_s);
        QCOMPARE(edit->fields->txtLat->text(), u"12.1234567890123"_s);
        edit->fields->txtCall->setText(u"ZZ0Z"_s);
        edit->fields->txtCamUrl->setText(u"http://127.0.0.1/cam.jpg"_s);
        edit->cmdSave->click();
        // Not sorted again: the site keeps its place until the next add.
        const QStringList lines = readTextLines(dataFile(kSiteListFile)).value_or(QStringList());
        QCOMPARE(lines.size(), 6);
        QVERIFY(lines[2].startsWith(u"ZZ0Z*"_s));
        const SiteList file = written(kSiteListFile);
        QCOMPARE(file[2].Callsign, u"ZZ0Z"_s);
        QCOMPARE(file[2].Latitude, 12.1234567890123);
        QCOMPARE(file[2].CamUrl, u"http://127.0.0.1/cam.jpg"_s);
        QCOMPARE(file[2].SlotMap, h->state.SiteList[1].SlotMap);
    }

    void renameChangesOnlyTheSitesOwnCaptions() {
        h->state.ZeroChar = u"Ø"_s;
        h->state.SiteList = {sstvAt(u"PA0AB"_s, 3, 0), sstvAt(u"PA0ABC"_s, 3, 1),
                             sstvAt(u"XPA0AB"_s, 3, 2)};
        const QStringList shown{u"PAØAB - 3 d"_s, u"PAØABC"_s, u"XPAØAB"_s};
        for (int slot = 0; slot < 3; ++slot) {
            h->main.captions[slot] = shown[slot];
            h->state.page.SlotTable.setValue(slot, stSiteCall, shown[slot].section(u' ', 0, 0));
        }
        EditSiteDialog *edit = openEdit();
        pick(edit->List1, 0);
        edit->fields->txtCall->setText(u"PA0XY"_s);
        edit->cmdSave->click();
        QCOMPARE(h->main.captions.mid(0, 3),
                 (QStringList{u"PAØXY - 3 d"_s, u"PAØABC"_s, u"XPAØAB"_s}));
        QCOMPARE(h->state.page.SlotTable.value(0, stSiteCall), u"PAØXY"_s);
    }

    void renameOnTheWxPage() {
        h->state.page.CurrentPage = h->state.page.PageCount;
        h->main.captions[0] = u"METEOR"_s;
        h->main.captions[4] = u"NOAA 19"_s;
        h->main.captions[5] = u"NOAA 19 HRPT"_s;
        EditSiteDialog *edit = openEdit();
        pick(edit->List2, 1);
        QVERIFY(!edit->fields->txtLat->isEnabled());
        edit->fields->txtCall->setText(u"NOAA 18"_s);
        edit->cmdSave->click();
        QCOMPARE(h->main.captions[4], u"NOAA 18"_s);
        QCOMPARE(h->main.captions[5], u"NOAA 19 HRPT"_s);
        QCOMPARE(callsigns(written(kWxSiteListFile)), (QStringList{u"METEOR"_s, u"NOAA 18"_s}));
    }

    void lookupFillsThePosition_data() {
        QTest::addColumn<double>("latitude");
        QTest::addColumn<double>("longitude");
        QTest::addColumn<QString>("lat");
        QTest::addColumn<QString>("lon");
        QTest::newRow("coordinates") << 52.5 << -4.25 << u"52.5"_s << u"-4.25"_s;
        QTest::newRow("latitude 0 counts as none") << 0.0 << 4.1 << u"0"_s << u"0"_s;
    }
    void lookupFillsThePosition() {
        QFETCH(double, latitude);
        QFETCH(double, longitude);
        QFETCH(QString, lat);
        QFETCH(QString, lon);
        AddSiteDialog *add = openAdd();
        QVERIFY(!add->cmdGetLatLon->isEnabled());
        add->Option1->click();
        add->fields->txtCall->setText(u"PA3ABC-2"_s);
        add->cmdGetLatLon->click();
        QCOMPARE(asked, QStringList{u"PA3ABC"_s});
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        emit lookup->found(latitude, longitude, QString());
        QCOMPARE(add->fields->txtLat->text(), lat);
        QCOMPARE(add->fields->txtLon->text(), lon);
        QVERIFY(!QApplication::overrideCursor());
        add->close();
    }

    void failedLookupGivesBackBoxesAndPointer() {
        EditSiteDialog *edit = openEdit();
        h->state.SiteList[0].Latitude = 0; // changes after the pick do not count
        pick(edit->List1, 2);
        edit->fields->txtLat->setText(u"48.1"_s);
        edit->cmdGetQrz->click();
        QCOMPARE(edit->fields->txtLat->text(), QString()); // cleared at once
        QVERIFY(QApplication::overrideCursor());
        emit lookup->notFound();
        QCOMPARE(edit->fields->txtLat->text(), u"48.1"_s);
        QVERIFY(!QApplication::overrideCursor());

        // Closed while the page is on its way: the pointer comes back too.
        edit->cmdGetQrz->click();
        QPointer<EditSiteDialog> open = edit;
        edit->close();
        QTRY_VERIFY(open.isNull());
        QVERIFY(!QApplication::overrideCursor());
    }

    void failedSaveSaysSoOnceAndKeepsTheLists() {
        // The data folder cannot be made: a file stands in its way.
        writeBytes(h->dir.path() + u"/blocked"_s, "x");
        h->state.paths.dataFolder = h->dir.path() + u"/blocked/tavimo"_s;
        AddSiteDialog *add = openAdd();
        QPointer<AddSiteDialog> open = add;
        add->Option1->click();
        add->fields->txtCall->setText(u"DD4D"_s);
        add->fields->txtUrl->setText(u"http://127.0.0.1/dd4d/image1.jpg"_s);
        add->cmdAdd->click();
        QTRY_VERIFY(open.isNull());
        QCOMPARE(h->prompts.calls.size(), 1);
        QVERIFY(h->prompts.calls[0].text.contains(u"tavimo.cfg"_s));
        QCOMPARE(callsigns(h->state.SiteList).last(), u"DD4D"_s);
        verifyHandedBack();
    }

    void siteNewsWaitsForTheSiteDialogs() {
        QObject context;
        int runs = 0;
        whenNoSiteDialog(*registry, &context, [&runs] { ++runs; });
        QCOMPARE(runs, 1); // none open: at once

        QPointer<EditSiteDialog> edit = openEdit();
        whenNoSiteDialog(*registry, &context, [&runs] { ++runs; });
        QVERIFY(siteDialogOpen(*registry));
        QTest::qWait(20);
        QCOMPARE(runs, 1);
        edit->close();
        QTRY_COMPARE(runs, 2);
        QVERIFY(!siteDialogOpen(*registry));
    }

    void removeTakesTheSiteOutAndClearsItsSlot_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<bool>("wxList");
        QTest::addColumn<int>("row");
        QTest::addColumn<QList<int>>("cleared");
        QTest::addColumn<QStringList>("left");
        QTest::newRow("slot A of page 3")
            << 3 << false << 0 << QList<int>{9} << QStringList{u"BB2B"_s, u"CC3C"_s};
        QTest::newRow("no slot on the page shown")
            << 3 << false << 2 << QList<int>{} << QStringList{u"AA1A"_s, u"BB2B"_s};
        QTest::newRow("WX site on the WX page")
            << 11 << true << 1 << QList<int>{4} << QStringList{u"METEOR"_s};
        QTest::newRow("WX site while an SSTV page shows")
            << 3 << true << 0 << QList<int>{} << QStringList{u"NOAA 19"_s};
    }
    void removeTakesTheSiteOutAndClearsItsSlot() {
        QFETCH(int, page);
        QFETCH(bool, wxList);
        QFETCH(int, row);
        QFETCH(QList<int>, cleared);
        QFETCH(QStringList, left);
        h->state.page.CurrentPage = page;
        int changes = 0;
        connect(&h->state.events, &AppEvents::sitesChanged, [&changes] { ++changes; });
        QPointer<RemoveSiteDialog> dialog = openRemoveSite(h->state, *registry);
        QListWidget *list = wxList ? dialog->List2 : dialog->List1;
        QVERIFY(!dialog->cmdRemove->isEnabled());
        pick(list, row);
        QVERIFY(!(wxList ? dialog->List1 : dialog->List2)->isEnabled());
        QCOMPARE(dialog->lbl_Url->text(),
                 (wxList ? h->state.WxSiteList : h->state.SiteList)[row].PictureUrl);
        dialog->cmdRemove->click();
        QTRY_VERIFY(dialog.isNull());

        const SiteList &shown = wxList ? h->state.WxSiteList : h->state.SiteList;
        QCOMPARE(callsigns(shown), left);
        QCOMPARE(callsigns(written(wxList ? kWxSiteListFile : kSiteListFile)), left);
        QCOMPARE(h->main.cleared, cleared);
        QCOMPARE(changes, 1);
        verifyHandedBack();
    }

    void lastSiteOfAListCanGo() {
        h->state.SiteList = {sstvAt(u"AA1A"_s, 3, 0)};
        QPointer<RemoveSiteDialog> dialog = openRemoveSite(h->state, *registry);
        pick(dialog->List1, 0);
        dialog->cmdRemove->click();
        QTRY_VERIFY(dialog.isNull());
        QVERIFY(h->state.SiteList.isEmpty());
        QVERIFY(written(kSiteListFile).isEmpty());
        QVERIFY(readBytes(dataFile(kSiteListFile)).isEmpty());
        QCOMPARE(h->main.cleared, QList<int>{0});
    }

    void closingWithoutRemovingWritesNothing() {
        QPointer<RemoveSiteDialog> dialog = openRemoveSite(h->state, *registry);
        pick(dialog->List1, 0);
        dialog->close();
        QTRY_VERIFY(dialog.isNull());
        QCOMPARE(h->state.SiteList.size(), 3);
        QVERIFY(!QFile::exists(dataFile(kSiteListFile)));
        verifyHandedBack();
    }
};

QTEST_MAIN(TestSiteDialogs)
#include "tst_sitedialogs.moc"
