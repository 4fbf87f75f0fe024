#include "FakeMainWindow.h"

#include "core/sites/SiteGrid.h"
#include "core/sites/SlotMap.h"
#include "sites/SiteSelectionWindow.h"
#include "support/TestFiles.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QLabel>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <QWindow>

using namespace tavimo;
using namespace tavimo::test;
using namespace Qt::StringLiterals;

namespace {

const QColor kPlaced(175, 225, 255);
const QString kCaption = u"tavimo  site selection   === Use scroll wheel ==="_s;

SiteList numberedSites(int count) {
    SiteList sites;
    for (int i = 0; i < count; ++i)
        sites << makeSite(u"S%1"_s.arg(i, 3, 10, QChar(u'0')),
                          u"http://127.0.0.1/%1/image1.jpg"_s.arg(i));
    return sites;
}

bool highlighted(const QLabel *label) {
    return label->palette().color(QPalette::Window) == kPlaced;
}

void wheel(QWidget *window, int delta) {
    QWheelEvent event(QPointF(50, 50), window->mapToGlobal(QPointF(50, 50)), QPoint(),
                      QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(window, &event);
}

void clickCell(SiteSelectionWindow *window, int index) {
    const QPoint at(index % kGridColumns * kGridCellWidth + 10,
                    index / kGridColumns * kGridRowPitch + 5);
    QTest::mouseClick(window->pic1, Qt::LeftButton, {}, at);
}

} // namespace

class TestSiteSelection : public QObject {
    Q_OBJECT

    std::unique_ptr<SiteWindowsHarness> h;
    std::unique_ptr<WindowRegistry> registry;

private slots:
    void init() {
        h = std::make_unique<SiteWindowsHarness>();
        registry = std::make_unique<WindowRegistry>();
    }
    void cleanup() {
        registry.reset();
        h.reset(); // the grid goes with the shared data
    }

    void rowsAndHighlightsFollowThePage() {
        SiteList &sites = h->state.SiteList;
        sites = numberedSites(6);
        sites[1].SlotMap[2] = withSstvSlotOnPage(kEmptySlotMap, 3, 9); // "A" on page 3
        sites[2].SlotMap[2] = withSstvSlotOnPage(kEmptySlotMap, 1, 0); // page 1 only
        sites[3].SlotMap[1] = withSstvSlotOnPage(kEmptySlotMap, 3, 0); // another layout
        h->state.WxSiteList = {makeSite(u"METEOR"_s, u"m"_s), makeSite(u"NOAA 19"_s, u"n"_s)};
        h->state.WxSiteList[0].SlotMap[2] = u"0"_s;
        h->state.WxSiteList[1].SlotMap[2] = u"3"_s;
        h->state.page.CurrentPage = 3;

        SiteSelectionWindow *grid = ShowSiteSelection(h->state, *registry);
        QVERIFY(!grid->isVisible()); // built, not shown
        QCOMPARE(grid->windowTitle(), kCaption);
        QCOMPARE(grid->GridRows, 2);
        QCOMPARE(grid->lblGrid[5]->text(), u"S005"_s);
        QCOMPARE(grid->lblGrid[6]->text(), QString());
        QList<bool> marks;
        for (int i = 0; i < 6; ++i)
            marks << highlighted(grid->lblGrid[i]);
        QCOMPARE(marks, (QList<bool>{false, true, false, false, false, false}));

        h->state.page.CurrentPage = h->state.page.PageCount;
        QCOMPARE(ShowSiteSelection(h->state, *registry), grid); // rebuilt in place
        QVERIFY(grid->showsWxList());
        QCOMPARE(grid->GridRows, 2);
        QCOMPARE(grid->lblGrid[1]->text(), u"NOAA 19"_s);
        QVERIFY(!highlighted(grid->lblGrid[0]));
        QVERIFY(highlighted(grid->lblGrid[1]));
        QCOMPARE(grid->height(), 2 * kGridRowPitch); // the WX grid shows its rows only
        h->state.WxSiteList.removeLast();
        ShowSiteSelection(h->state, *registry);
        QCOMPARE(grid->GridRows, 1);
        QVERIFY(grid->lblGrid[5]->isHidden()); // the longer grid's labels are out of reach
    }

    void scrollingStaysWithinTheList_data() {
        QTest::addColumn<int>("sites");
        QTest::addColumn<bool>("wxPage");
        QTest::addColumn<int>("maximum");
        QTest::newRow("empty") << 0 << false << 0;
        QTest::newRow("20 sites") << 20 << false << 0;
        QTest::newRow("101 sites") << 101 << false << 1;
        QTest::newRow("101 WX sites scroll too") << 101 << true << 1;
        QTest::newRow("30 rows") << 146 << false << 10;
    }
    void scrollingStaysWithinTheList() {
        QFETCH(int, sites);
        QFETCH(bool, wxPage);
        QFETCH(int, maximum);
        (wxPage ? h->state.WxSiteList : h->state.SiteList) = numberedSites(sites);
        h->state.page.CurrentPage = wxPage ? h->state.page.PageCount : 1;
        SiteSelectionWindow *grid = ShowSiteSelection(h->state, *registry);
        QCOMPARE(grid->VScroll1->maximum(), maximum);
        QCOMPARE(grid->height(), kGridVisibleRows * kGridRowPitch);

        for (int i = 0; i < 12; ++i)
            QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(grid->topRow(), maximum);
        QCOMPARE(grid->VScroll1->value(), maximum);
        QCOMPARE(grid->pic1->y(), -maximum * kGridRowPitch);
        wheel(grid, -120);
        QCOMPARE(grid->topRow(), maximum);
        QCOMPARE(grid->windowTitle(), QString::number(maximum * kGridRowPitch));
        grid->VScroll1->setValue(0);
        QCOMPARE(grid->pic1->y(), 0);
        QTest::keyClick(grid, Qt::Key_Up);
        QCOMPARE(grid->topRow(), 0);

        // A build goes back to the top and puts the caption back.
        QTest::keyClick(grid, Qt::Key_Down);
        ShowSiteSelection(h->state, *registry);
        QCOMPARE(grid->topRow(), 0);
        QCOMPARE(grid->VScroll1->value(), 0);
        QCOMPARE(grid->windowTitle(), kCaption);
    }

    void wheelGoesByItsSign() {
        h->state.SiteList = numberedSites(146);
        SiteSelectionWindow *grid = ShowSiteSelection(h->state, *registry);
        wheel(grid, -120);
        wheel(grid, -120);
        QCOMPARE(grid->topRow(), 2);
        QCOMPARE(grid->windowTitle(), u"42"_s);
        wheel(grid, 120);
        QCOMPARE(grid->topRow(), 1);
        wheel(grid, 60); // half a notch up waits
        QCOMPARE(grid->topRow(), 1);
        wheel(grid, 60);
        QCOMPARE(grid->topRow(), 0);
        QCOMPARE(grid->VScroll1->value(), 0);
    }

    void pickGoesToTheMainWindow() {
        h->state.SiteList = numberedSites(7);
        h->state.WxSiteList = numberedSites(2);
        h->state.page.CurrentPage = h->state.page.PageCount;
        ShowSiteSelection(h->state, *registry); // WX grid, as the page shows
        // "All sites" on the WX page: the gallery shows SSTV sites only.
        const SitePick pick = captureSitePick(true, h->state.page);
        SiteSelectionWindow *grid = openSiteSelection(h->state, *registry, pick);
        QVERIFY(grid->isVisible());
        QVERIFY(!grid->showsWxList());
        QCOMPARE(QGuiApplication::modalWindow(), grid->windowHandle());
        QCOMPARE(grid->windowHandle()->transientParent(), h->main.widget.windowHandle());

        // A change of the lists while it is shown keeps the list of the pick.
        h->state.SiteList.append(makeSite(u"S999"_s, u"x"_s));
        emit h->state.events.sitesChanged();
        QVERIFY(!grid->showsWxList());
        QCOMPARE(grid->lblGrid[7]->text(), u"S999"_s);

        clickCell(grid, 9); // the empty end of the grid
        QVERIFY(grid->isVisible());
        QVERIFY(h->main.handedOver.isEmpty());
        clickCell(grid, 6);
        QVERIFY(!grid->isVisible());
        QCOMPARE(h->main.handedOver, QList<int>{6});
        QCOMPARE(h->main.activated, 1);
        QCOMPARE(registry->IsFormLoaded(u"SiteSelectionWindow"_s), 1); // kept, hidden

        // Hidden again, it follows the page.
        emit h->state.events.sitesChanged();
        QVERIFY(grid->showsWxList());
    }

    void closeBoxHidesAndHandsNothingOver() {
        h->state.SiteList = numberedSites(146);
        h->main.widget.show();
        SiteSelectionWindow *grid =
            openSiteSelection(h->state, *registry, captureSitePick(false, h->state.page));
        wheel(grid, -120);
        QVERIFY(grid->close() == false); // refused: the window stays built
        QVERIFY(!grid->isVisible());
        QVERIFY(h->main.handedOver.isEmpty());
        QCOMPARE(h->main.activated, 1);
        // Shown again without a build between: the same place in the list.
        QCOMPARE(openSiteSelection(h->state, *registry, captureSitePick(false, h->state.page)),
                 grid);
        QCOMPARE(grid->topRow(), 1);
        grid->close();
    }

    void emptyListOffersNothing() {
        SiteSelectionWindow *grid =
            openSiteSelection(h->state, *registry, captureSitePick(false, h->state.page));
        QCOMPARE(grid->GridRows, 1);
        QCOMPARE(grid->VScroll1->maximum(), 0);
        clickCell(grid, 0);
        QVERIFY(grid->isVisible());
        QVERIFY(h->main.handedOver.isEmpty());
        grid->close();
    }
};

QTEST_MAIN(TestSiteSelection)
#include "tst_siteselection.moc"
