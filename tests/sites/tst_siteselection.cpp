#include "SiteWindowsHarness.h"

#include "core/sites/SiteGrid.h"
#include "core/sites/SlotMap.h"
#include "sites/SiteSelectionWindow.h"
#include "support/DrawnCell.h"
#include "support/PointerEvents.h"

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <QWindow>

using namespace tavimo;
using namespace tavimo::test;

namespace {

const QString kCaption = u"tavimo  site selection   === Use scroll wheel ==="_s;

SiteList numberedSites(int count) {
    SiteList sites;
    for (int i = 0; i < count; ++i)
        sites << makeSite(u"S%1"_s.arg(i, 3, 10, QChar(u'0')), u"http://127.0.0.1/%1.jpg"_s.arg(i));
    return sites;
}

const QColor kPlain(255, 255, 255);
const QColor kPlaced(175, 225, 255);

bool highlighted(const std::optional<SiteGridCell> &cell) {
    return cell && cell->background == kPlaced;
}

// How cell `index` of the grid, as painted where it is now, differs from `text`
// in black on `background`; empty when it is painted so.
QString drawnDifference(SiteSelectionWindow *grid, qsizetype index, const QString &text,
                        const QColor &background) {
    const std::optional<SiteGridCell> cell = grid->lblGrid().at(index);
    if (!cell)
        return u"cell %1 is not in the grid"_s.arg(index);
    const QRect rect(grid->pic1->mapTo(grid, cell->rect.topLeft()), cell->rect.size());
    return textCellDifference(grid->grab().toImage(), rect, text, background, grid->pic1->font(),
                              kGridTextIndent);
}

void clickCell(SiteSelectionWindow *window, int index) {
    QTest::mouseClick(window->pic1, Qt::LeftButton, {},
                      QPoint(index % kGridColumns * kGridCellWidth + 10,
                             index / kGridColumns * kGridRowPitch + 5));
}

} // namespace

class TestSiteSelection : public QObject {
    Q_OBJECT

    std::unique_ptr<SiteWindowsHarness> h;

    SiteSelectionWindow *build() { return ShowSiteSelection(h->state, h->registry); }
    SiteSelectionWindow *open(bool galleryPick) {
        return openSiteSelection(h->state, h->registry,
                                 captureSitePick(galleryPick, h->state.page));
    }

private slots:
    void init() { h = std::make_unique<SiteWindowsHarness>(); }
    void cleanup() { h.reset(); }

    void rowsAndHighlightsFollowThePage() {
        h->state.SiteList = numberedSites(6);
        h->state.SiteList[1].SlotMap[2] = withSstvSlotOnPage(kEmptySlotMap, 3, 9);
        h->state.SiteList[2].SlotMap[2] = withSstvSlotOnPage(kEmptySlotMap, 1, 0); // page 1
        h->state.SiteList[3].SlotMap[1] = withSstvSlotOnPage(kEmptySlotMap, 3, 0); // layout 1
        h->state.WxSiteList = numberedSites(1);
        h->state.WxSiteList[0].SlotMap[2] = u"3"_s;
        h->state.page.CurrentPage = 3;

        SiteSelectionWindow *grid = build();
        QVERIFY(!grid->isVisible()); // built, not shown
        QCOMPARE(grid->GridRows, 2);
        QCOMPARE(grid->lblGrid().at(5).value().text, u"S005"_s);
        QList<bool> marks;
        for (int i = 0; i < 7; ++i)
            marks << highlighted(grid->lblGrid().at(i));
        QCOMPARE(marks, (QList<bool>{false, true, false, false, false, false, false}));
        // Painted so: every callsign in its cell, the placed site light blue, the empty row blank;
        // black on the fixed backgrounds, even where the desktop's theme writes white.
        QPalette dark = grid->palette();
        dark.setColor(QPalette::WindowText, Qt::white);
        grid->setPalette(dark);
        for (int i = 0; i < 10; ++i) {
            const QString text = i < 6 ? u"S%1"_s.arg(i, 3, 10, QChar(u'0')) : QString();
            QCOMPARE(drawnDifference(grid, i, text, i == 1 ? kPlaced : kPlain), QString());
        }

        h->state.page.CurrentPage = h->state.page.PageCount;
        QCOMPARE(build(), grid); // rebuilt in place
        QVERIFY(grid->showsWxList());
        QCOMPARE(grid->GridRows, 1);
        QVERIFY(highlighted(grid->lblGrid().at(0)));
        QCOMPARE(drawnDifference(grid, 0, u"S000"_s, kPlaced), QString());
        QVERIFY(!grid->lblGrid().at(5));         // the longer grid's cells are out of reach
        QCOMPARE(grid->height(), kGridRowPitch); // the WX grid shows its rows only
    }

    void scrollingStaysWithinTheList_data() {
        QTest::addColumn<int>("sites");
        QTest::addColumn<bool>("wxPage");
        QTest::addColumn<int>("maximum");
        QTest::newRow("empty") << 0 << false << 0;
        QTest::newRow("101 sites") << 101 << false << 1;
        QTest::newRow("101 WX sites scroll too") << 101 << true << 1;
    }
    void scrollingStaysWithinTheList() {
        QFETCH(int, sites);
        QFETCH(bool, wxPage);
        QFETCH(int, maximum);
        (wxPage ? h->state.WxSiteList : h->state.SiteList) = numberedSites(sites);
        h->state.page.CurrentPage = wxPage ? h->state.page.PageCount : 1;
        SiteSelectionWindow *grid = build();
        QCOMPARE(grid->VScroll1->maximum(), maximum);
        QCOMPARE(grid->height(), kGridVisibleRows * kGridRowPitch);

        for (int i = 0; i < 12; ++i)
            QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(grid->topRow(), maximum);
        QCOMPARE(grid->VScroll1->value(), maximum);
        QCOMPARE(grid->pic1->y(), -maximum * kGridRowPitch);
        sendWheel(grid, -120);
        QCOMPARE(grid->topRow(), maximum);
        QCOMPARE(grid->windowTitle(), QString::number(maximum * kGridRowPitch));
        grid->VScroll1->setValue(0);
        QCOMPARE(grid->pic1->y(), 0);

        // A build goes back to the top and puts the caption back.
        QTest::keyClick(grid, Qt::Key_Down);
        build();
        QCOMPARE(grid->VScroll1->value(), 0);
        QCOMPARE(grid->windowTitle(), kCaption);
    }

    void pickGoesBackForTheListItWasOpenedOn() {
        h->state.SiteList = numberedSites(7);
        h->state.WxSiteList = numberedSites(2);
        h->state.page.CurrentPage = h->state.page.PageCount;
        build();
        // "All sites" on the WX page: the gallery shows SSTV sites only.
        SiteSelectionWindow *grid = open(true);
        QVERIFY(grid->isVisible());
        QVERIFY(!grid->showsWxList());
        QCOMPARE(QGuiApplication::modalWindow(), grid->windowHandle());
        QCOMPARE(grid->windowHandle()->transientParent(), h->main.widget.windowHandle());

        // A change of the lists while it is shown keeps the list of the pick.
        h->state.SiteList.append(makeSite(u"S999"_s, u"x"_s));
        emit h->state.events.sitesChanged();
        QCOMPARE(grid->lblGrid().at(7).value().text, u"S999"_s);
        QCOMPARE(drawnDifference(grid, 7, u"S999"_s, kPlain), QString());

        clickCell(grid, 9); // the empty end of the grid
        QVERIFY(grid->isVisible());
        clickCell(grid, 6);
        QVERIFY(!grid->isVisible());
        QCOMPARE(h->main.numbers("pick"), QList<int>{6});
        QCOMPARE(h->main.count("activate"), 1);
        QCOMPARE(h->registry.IsFormLoaded(u"SiteSelectionWindow"_s), 1); // kept, hidden

        // Hidden again, it follows the page.
        emit h->state.events.sitesChanged();
        QVERIFY(grid->showsWxList());
    }

    void closeBoxHidesAndHandsNothingOver() {
        h->state.SiteList = numberedSites(146);
        h->main.widget.show();
        SiteSelectionWindow *grid = open(false);
        sendWheel(grid, -120);
        QVERIFY(!grid->close()); // refused: the window stays built
        QVERIFY(!grid->isVisible());
        QVERIFY(h->main.numbers("pick").isEmpty());
        QCOMPARE(h->main.count("activate"), 1);
        // Shown again without a build between: the same place in the list.
        QCOMPARE(open(false), grid);
        QCOMPARE(grid->topRow(), 1);
    }

    // Half a million sites: a handful of widgets, whatever the list; the last site is reached
    // by the scroll bar, painted with its highlight, and picked by a click on its cell.
    void halfAMillionSites() {
        constexpr int kSites = 500'000;
        SiteList sites(kSites, makeSite(u"S"_s, u"http://127.0.0.1/s.jpg"_s));
        sites.last().Callsign = u"LAST1"_s;
        sites.last().SlotMap[2] = withSstvSlotOnPage(kEmptySlotMap, 1, 4);
        h->state.SiteList = sites;
        SiteSelectionWindow *grid = open(false);
        QVERIFY(grid->findChildren<QWidget *>().size() < 10);

        grid->VScroll1->setValue(grid->VScroll1->maximum());
        const std::optional<SiteGridCell> last = grid->lblGrid().at(kSites - 1);
        QVERIFY(last);
        QCOMPARE(last->text, u"LAST1"_s);
        QVERIFY(highlighted(last));
        QCOMPARE(drawnDifference(grid, kSites - 1, u"LAST1"_s, kPlaced), QString());
        QCOMPARE(drawnDifference(grid, kSites - 2, u"S"_s, kPlain), QString());

        QTest::mouseClick(grid->pic1, Qt::LeftButton, {}, last->rect.center());
        QCOMPARE(h->main.numbers("pick"), QList<int>{kSites - 1});
    }

    // A filled or emptied slot both asks for a build and announces the change of the lists: the
    // grid is built once, so a scroll made after the change stays; asked alone, the build
    // follows once the caller is done.
    void aChangeAskedForTwiceBuildsOnce() {
        h->state.SiteList = numberedSites(146);
        SiteSelectionWindow *grid = build();
        rebuildSiteSelection(h->registry);
        emit h->state.events.sitesChanged();
        QTest::keyClick(grid, Qt::Key_Down);
        QCoreApplication::processEvents();
        QCOMPARE(grid->topRow(), 2);

        rebuildSiteSelection(h->registry);
        QCOMPARE(grid->topRow(), 2);
        QTRY_COMPARE(grid->topRow(), 0);
    }

    void emptyListOffersNothing() {
        SiteSelectionWindow *grid = open(false);
        clickCell(grid, 0);
        QVERIFY(grid->isVisible());
        QVERIFY(h->main.numbers("pick").isEmpty());
    }
};

QTEST_MAIN(TestSiteSelection)
#include "tst_siteselection.moc"
