#include "FakeMainWindow.h"

#include "core/sites/SiteLists.h"
#include "core/sites/SlotMap.h"
#include "sites/RemoveSiteDialog.h"
#include "support/TestFiles.h"
#include "ui/WindowRegistry.h"

#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
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

} // namespace

class TestSiteDialogs : public QObject {
    Q_OBJECT

    std::unique_ptr<SiteWindowsHarness> h;
    std::unique_ptr<WindowRegistry> registry;

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
        QTest::addColumn<int>("way");
        QTest::newRow("the dialog's own button") << 0;
        QTest::newRow("Escape") << 1;
        QTest::newRow("the close box") << 2;
    }
    void frameBlocksTheMainWindowUntilAnyWayOut() {
        QFETCH(int, way);
        auto *button = new QPushButton(u"menu"_s, &h->main.widget);
        button->setGeometry(10, 10, 80, 30);
        h->main.widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&h->main.widget));
        int clicks = 0;
        connect(button, &QPushButton::clicked, [&clicks] { ++clicks; });

        QPointer<RemoveSiteDialog> dialog = openRemoveSite(h->state, *registry);
        QCOMPARE(h->main.stopped, 1);
        QCOMPARE(h->main.resumed, 0);
        QCOMPARE(openRemoveSite(h->state, *registry), dialog.data()); // one at a time
        QVERIFY(h->main.widget.isEnabled());                          // blocked, not greyed out
        QTest::mouseClick(h->main.widget.windowHandle(), Qt::LeftButton, {}, QPoint(40, 25));
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
        QTest::mouseClick(h->main.widget.windowHandle(), Qt::LeftButton, {}, QPoint(40, 25));
        QCOMPARE(clicks, 1);
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
