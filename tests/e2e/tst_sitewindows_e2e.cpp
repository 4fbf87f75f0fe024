// The site dialogs, the site news and the page names as the program opens
// them: from the Setup menu and the slot pop-up of the real main window,
// through the program's window opener, against the simulated sites and
// updates list; what they change is seen on the thumbnails, in the saved files
// and after a restart.

#include "ProgramRig.h"

#include "core/sites/SiteLists.h"
#include "sites/AddSiteDialog.h"
#include "sites/EditSiteDialog.h"
#include "sites/PageNamesDialog.h"
#include "sites/RemoveSiteDialog.h"
#include "sites/SiteNewsDialog.h"
#include "sites/SiteSelectionWindow.h"
#include "support/DrawnCell.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace tavimo;
using namespace tavimo::test;
using namespace Qt::StringLiterals;

namespace {

const QString kUpdatesList = u"/updates/sstvupdates.txt"_s;

QStringList savedCallsigns(const ProgramRig &rig) {
    QStringList calls;
    for (const SiteRecord &site : readSiteList(rig.data(kSiteListFile)).sites)
        calls << site.Callsign;
    return calls;
}

// The page item of the menu bar as it is painted, or "" when its box would cut it.
QString pageItemText(ProgramRig &rig) {
    const QAction *item = rig.w().menus().mnuPg->menuAction();
    const std::optional<MenuPictureInfo> picture = menuPicture(item);
    const QMenuBar *bar = rig.w().menuBar();
    if (!picture || bar->actionGeometry(const_cast<QAction *>(item)).width() <
                        menuPictureTextWidth(bar->font(), picture->text))
        return {};
    return picture->text;
}

} // namespace

class SiteWindowsE2eTest : public QObject {
    Q_OBJECT

private slots:
    void addedSiteGoesIntoASlotAndStaysThere() {
        // Five of the six sites are listed: slots 6 to 10 of page 1 are empty.
        ProgramRig rig(ProgramRig::smallWorld(), 5);
        QVERIFY(rig.startShown());
        const sitesim::SstvSiteInfo &site = rig.sstvSite(6);

        rig.openSetup();
        rig.click(u"mnuAdd"_s);
        AddSiteDialog *add = ProgramRig::shown<AddSiteDialog>();
        QVERIFY(add);
        QVERIFY(!rig.sstvRunning());
        add->Option1->click();
        QTest::keyClicks(add->fields->txtCall, site.callsign);
        add->fields->txtUrl->setText(rig.pictureUrl(6));
        const int reloads = rig.reloads();
        add->cmdAdd->click();
        QVERIFY(rig.reloadedSince(reloads));
        QVERIFY(!ProgramRig::shown<AddSiteDialog>());
        QVERIFY(rig.sstvRunning());
        QVERIFY(savedCallsigns(rig).contains(site.callsign));
        QVERIFY(rig.cell(7).lblCall->text().isEmpty()); // a new site holds no slot yet

        // The pop-up's Select on an empty slot, and the new site picked in the grid.
        rig.choose(7, u"mnuSelectSite"_s);
        SiteSelectionWindow *grid = ProgramRig::shown<SiteSelectionWindow>();
        QVERIFY(grid);
        const std::optional<SiteGridCell> cell = grid->lblGrid().at(rig.siteIndex(site.callsign));
        QVERIFY(cell);
        QCOMPARE(cell->text, rig.shown(site.callsign));
        // Painted so, on white: the new site holds no slot.
        const QRect drawn(grid->pic1->mapTo(grid, cell->rect.topLeft()), cell->rect.size());
        QCOMPARE(textCellDifference(grid->grab().toImage(), drawn, rig.shown(site.callsign),
                                    Qt::white, grid->pic1->font(), kGridTextIndent),
                 QString());
        QTest::mouseClick(grid->pic1, Qt::LeftButton, {}, cell->rect.center());
        QTRY_VERIFY(!rig.w().actions().pickPending());
        QVERIFY(rig.waitForQuiet());
        QVERIFY(!grid->isVisible());
        QVERIFY(rig.cell(7).lblCall->text().startsWith(rig.shown(site.callsign)));
        QVERIFY(!rig.cell(7).img->pixmap().isNull());

        // Closing saves; started again, the program shows the site in that slot.
        rig.closeWindow();
        const std::unique_ptr<ProgramRig> again = ProgramRig::startedAgain(rig);
        QVERIFY(again->startShown());
        QVERIFY(again->cell(7).lblCall->text().startsWith(rig.shown(site.callsign)));
        QVERIFY(!again->cell(7).img->pixmap().isNull());
    }

    // Both change the thumbnail at once, before the page is loaded again, and after.
    void editRenamesAndRemoveEmptiesTheThumbnail() {
        ProgramRig rig;
        QVERIFY(rig.startShown());
        const QString renamed = rig.sstvSite(2).callsign; // in slot 2
        const QString gone = rig.sstvSite(3).callsign;    // in slot 3
        QVERIFY(!rig.cell(2).isBlank());

        rig.openSetup();
        rig.click(u"mnuEdit"_s);
        EditSiteDialog *edit = ProgramRig::shown<EditSiteDialog>();
        QVERIFY(edit);
        edit->List1->setCurrentRow(rig.siteIndex(renamed), QItemSelectionModel::ClearAndSelect);
        QCOMPARE(edit->fields->txtCall->text(), rig.shown(renamed));
        edit->fields->txtCall->setText(u"PA9NEW"_s);
        int reloads = rig.reloads();
        edit->cmdSave->click();
        QVERIFY(rig.cell(1).lblCall->text().startsWith(u"PA9NEW"_s));
        QVERIFY(rig.reloadedSince(reloads));
        QVERIFY(rig.cell(1).lblCall->text().startsWith(u"PA9NEW"_s));
        QVERIFY(savedCallsigns(rig).contains(u"PA9NEW"_s));
        QVERIFY(!savedCallsigns(rig).contains(renamed));

        rig.openSetup();
        rig.click(u"mnuRemove"_s);
        RemoveSiteDialog *remove = ProgramRig::shown<RemoveSiteDialog>();
        QVERIFY(remove);
        remove->List1->setCurrentRow(rig.siteIndex(gone), QItemSelectionModel::ClearAndSelect);
        reloads = rig.reloads();
        remove->cmdRemove->click();
        QVERIFY(rig.cell(2).isBlank());
        QVERIFY(rig.reloadedSince(reloads));
        QVERIFY(rig.cell(2).isBlank());
        QVERIFY(!savedCallsigns(rig).contains(gone));
        QCOMPARE(rig.state.SiteList.size(), 5);
    }

    void siteNewsOnceAfterTheFirstPass() {
        // The updates list names the last two of eight sites as new; the list holds six.
        sitesim::SimConfig world = ProgramRig::smallWorld();
        world.sstvCount = 8;
        world.newsSites = 2;
        ProgramRig rig(world);
        QVERIFY(rig.startShown());
        const QStringList news{rig.sstvSite(7).callsign, rig.sstvSite(8).callsign};

        QTRY_VERIFY(ProgramRig::shown<SiteNewsDialog>());
        SiteNewsDialog *dialog = ProgramRig::shown<SiteNewsDialog>();
        QCOMPARE(dialog->List1->count(), 2);
        QCOMPARE(rig.server.requestCount(kUpdatesList), 1);
        QVERIFY(!rig.sstvRunning());
        QCOMPARE(rig.state.SiteList.size(), 6); // applied as it closes

        const int reloads = rig.reloads();
        dialog->cmdCancel->click();
        QVERIFY(rig.reloadedSince(reloads));
        QCOMPARE(rig.state.SiteList.size(), 8);
        const QStringList saved = savedCallsigns(rig);
        QVERIFY(saved.contains(news[0]) && saved.contains(news[1]));
        QVERIFY(rig.sstvRunning());

        // The pass after the change reads the list again, and finds no news now.
        QTRY_COMPARE(rig.server.requestCount(kUpdatesList), 2);
        QTRY_COMPARE(rig.w().updates().updatesControl()->pendingCount(), 0);
        QTest::qWait(150); // the news would open on a 100 ms timer
        QVERIFY(!ProgramRig::shown<SiteNewsDialog>());
    }

    void pageNameOnTheMenuBarAndAfterARestart() {
        ProgramRig rig;
        QVERIFY(rig.startShown());
        QCOMPARE(pageItemText(rig), rig.w().menus().pageCaption(1));

        rig.openSetup();
        rig.click(u"mnupgSel"_s);
        PageNamesDialog *names = ProgramRig::shown<PageNamesDialog>();
        QVERIFY(names);
        QVERIFY(!rig.w().isEnabled());
        names->Text1[0]->setText(u"Moon over the Atlantic"_s);
        names->Text1[1]->setText(u"Sun"_s);
        names->cmdClose->click();
        QCOMPARE(pageItemText(rig), u"Moon over the Atlantic"_s);
        QCOMPARE(rig.w().menus().pageCaption(2), u"Sun"_s);
        QTRY_VERIFY(rig.w().isEnabled());

        rig.closeWindow();
        const std::unique_ptr<ProgramRig> again = ProgramRig::startedAgain(rig);
        QVERIFY(again->startShown());
        QCOMPARE(pageItemText(*again), u"Moon over the Atlantic"_s);
        QCOMPARE(again->w().menus().pageCaption(2), u"Sun"_s);
    }
};

QTEST_MAIN(SiteWindowsE2eTest)
#include "tst_sitewindows_e2e.moc"
