// What a newcomer meets in the first hour: where the window opens and stays,
// where pictures are saved, a language switch that re-captions everything at
// once, page names that follow the language until the user names them, the
// alphabetical list of the page shown, and a picture whose file could not be
// written.

#include "support/MainWindowHarness.h"

#include "core/sites/SlotMap.h"
#include "mainwindow/PageNames.h"
#include "mainwindow/Recaption.h"
#include "ui/Placement.h"

#include <QActionGroup>
#include <QLabel>
#include <QScreen>
#include <QtTest>

using namespace tavimo;
using namespace tavimo::test;
using namespace Qt::StringLiterals;

namespace {

// English and German as far as the captions of a slot go.
LanguageTexts captionTexts(bool german) {
    LanguageTexts t;
    t.LngNewPicPrefix = german ? u" - NEU"_s : u" - NEW"_s;
    t.LngCallSep = u" -"_s;
    t.LngDay = german ? u" Tag"_s : u" d"_s;
    t.LngDays = german ? u" Tage"_s : u" d"_s;
    t.LngFromPrefix = german ? u"Von: "_s : u"From: "_s;
    t.LngLoading = german ? u"Laden..."_s : u"Loading..."_s;
    return t;
}

struct Rig : Harness {
    Rig() {
        state.paths.picturesFolder = root + u"/Pictures"_s;
        QDir().mkpath(state.paths.picturesFolder);
    }
    void place(const QString &call, int slot, const QString &date = {}) {
        QString map = kEmptySlotMap;
        map[0] = slotChar(slot);
        addSite(call, map, u'/' + call.toLower() + u"/image1.jpg"_s, "52", "5", date);
    }
    bool start(int language = 0, int startPage = 0) {
        writeConfig(2, 0, startPage, 60, 1, language);
        writeData(u"WXsites.lst"_s, wxLines);
        if (sstvLines.isEmpty())
            writeData(u"tavimo.lst"_s, {}); // a data folder of an earlier start
        return startShown();
    }
};

} // namespace

class FirstHourTest : public QObject {
    Q_OBJECT

private slots:
    void frameOnScreen_data() {
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<QRect>("placed");
        QTest::newRow("inside stays") << QRect(100, 50, 800, 600) << QRect(100, 50, 800, 600);
        QTest::newRow("title bar above the screen")
            << QRect(0, -24, 800, 600) << QRect(0, 0, 800, 600);
        QTest::newRow("off to the right and below")
            << QRect(1500, 900, 800, 600) << QRect(1120, 480, 800, 600);
        QTest::newRow("larger than the screen keeps its title bar")
            << QRect(-50, -30, 2000, 1200) << QRect(0, 0, 2000, 1200);
        QTest::newRow("on a monitor gone to the left")
            << QRect(-1900, 100, 800, 600) << QRect(0, 100, 800, 600);
    }
    void frameOnScreen() {
        QFETCH(QRect, frame);
        QTEST(tavimo::frameOnScreen(frame, QRect(0, 0, 1920, 1080)), "placed");
        QCOMPARE(centredFrame(QSize(1031, 672), QRect(0, 0, 1920, 1080)),
                 QRect(444, 204, 1031, 672));
        QCOMPARE(centredFrame(QSize(800, 600), QRect(0, 30, 1920, 1050)).top(), 255);
    }

    // A first start centres the window on the primary screen; a placement
    // stored with the title bar off the screen comes back on it.
    void windowOpensOnTheScreen_data() {
        QTest::addColumn<bool>("stored");
        QTest::newRow("first start") << false;
        QTest::newRow("stored above the screen") << true;
    }
    void windowOpensOnTheScreen() {
        QFETCH(bool, stored);
        Rig rig;
        if (stored)
            writeWindowPlacement(*rig.settings, {0, 1, 100, 100, 40, -60, 840, 540});
        QVERIFY(rig.start());
        const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        QTRY_VERIFY(available.contains(rig.w().frameGeometry()));
        if (!stored) {
            QTRY_VERIFY((rig.w().frameGeometry().center() - available.center()).manhattanLength() <=
                        2);
        } else {
            QCOMPARE(rig.w().geometry().left(), 40);
        }
        QVERIFY(isFirstStartPlacement(readWindowPlacement(*rig.settings)) != stored);
    }

    // stored: the SAVEDIR setting ("" none, "gone" a folder that is not there).
    void saveFolderStartsInPictures_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("folder"); // below the test's root
        QTest::newRow("none stored") << u""_s << u"/Pictures/"_s;
        QTest::newRow("stored and writable") << u"/shots"_s << u"/shots/"_s;
        QTest::newRow("stored, gone since") << u"/gone"_s << u"/Pictures/"_s;
        QTest::newRow("no pictures folder yet") << u"-"_s << u"/Pictures/"_s;
    }
    void saveFolderStartsInPictures() {
        QFETCH(QString, stored);
        Rig rig;
        QDir().mkpath(rig.root + u"/shots"_s);
        const bool noPictures = stored == u"-"_s;
        if (noPictures)
            QVERIFY(QDir(rig.state.paths.picturesFolder).removeRecursively());
        else if (!stored.isEmpty())
            writeSaveFolder(*rig.settings, rig.root + stored);
        rig.place(u"AB1CD"_s, 0);
        rig.servePicture(u"/ab1cd/image1.jpg"_s, u"AB1CD"_s);
        QVERIFY(rig.start());
        QTEST(rig.state.SaveFolder.mid(rig.root.size()), "folder");
        // A start makes no folder: the first save dialog makes the pictures folder.
        QCOMPARE(QFileInfo(rig.state.SaveFolder).isDir(), !noPictures);
        rig.choose(0, u"mnuSave"_s);
        QCOMPARE(rig.fileDialog.requests.size(), 1);
        QCOMPARE(rig.fileDialog.requests[0].InitialDir, rig.state.SaveFolder);
        QVERIFY(QFileInfo(rig.state.SaveFolder).isDir());
    }

    void recaptions_data() {
        QTest::addColumn<QString>("english");
        QTest::addColumn<QString>("german");
        QTest::addColumn<bool>("call"); // a callsign line, else a sender line
        QTest::newRow("new picture") << u"AB1CD - NEW"_s << u"AB1CD - NEU"_s << true;
        QTest::newRow("no new picture") << u"AB1CD -"_s << u"AB1CD -"_s << true;
        QTest::newRow("one day") << u"AB1CD - 1 d"_s << u"AB1CD - 1 Tag"_s << true;
        QTest::newRow("days") << u"AB1CD - 12 d"_s << u"AB1CD - 12 Tage"_s << true;
        QTest::newRow("callsign alone") << u"NOAA 19"_s << u"NOAA 19"_s << true;
        QTest::newRow("sender") << u"From: PA0SND"_s << u"Von: PA0SND"_s << false;
        QTest::newRow("waiting") << u"Loading..."_s << u"Laden..."_s << false;
        QTest::newRow("nothing") << u""_s << u""_s << false;
    }
    void recaptions() {
        QFETCH(QString, english);
        QFETCH(bool, call);
        const LanguageTexts en = captionTexts(false), de = captionTexts(true);
        const auto recaption = call ? recaptionedCall : recaptionedFrom;
        QTEST(recaption(english, en, de), "german");
        QCOMPARE(recaption(recaption(english, en, de), de, en), english);
    }

    void defaultPageNames() {
        const QStringList words = pageWordsOfAllLanguages(TAVIMO_SOURCE_DATA_DIR "/Languages");
        QCOMPARE(words.size(), kLanguageCount);
        QVERIFY(words.contains(u"Page "_s) && words.contains(u"Seite "_s));
        for (const char *name : {"", "Page 3", "Seite 3", "Pagina 3"})
            QVERIFY2(isDefaultPageName(QString::fromUtf8(name), 3, words), name);
        for (const char *name : {"Page 4", "Europe", "Page 3 DX", "page 3"})
            QVERIFY2(!isDefaultPageName(QString::fromUtf8(name), 3, words), name);
    }

    // Everything already on screen changes language at once, and a page name
    // the user never chose follows; one the user chose stays.
    void languageSwitchRecaptionsAtOnce() {
        Rig rig;
        writePageNames(*rig.settings,
                       {u"Page 1"_s, u"Europe"_s, u"Page 3"_s, {}, {}, {}, {}, {}, {}, {}});
        rig.place(u"AB1CD"_s, 0);
        rig.place(u"EF2GH"_s, 1, u"04/20/2024 10:00"_s);
        rig.servePicture(u"/ab1cd/image1.jpg"_s, u"AB1CD"_s);
        rig.serve(u"/ef2gh/image1.jpg"_s, "no picture");
        rig.serve(u"/ef2gh/checknew.jpg"_s, checkPicture(1, 100));
        QVERIFY(rig.start());
        emit rig.w().updates().newerVersionFound(u"4.92"_s);
        QVERIFY(rig.cell(0).lblFrom->text().startsWith(u"From: "_s));
        const QImage englishPlaceholder = rig.cell(1).img->pixmap().toImage();
        QCOMPARE(rig.item(u"mnuRate"_s, 1)->text(), u"60 sec"_s);

        rig.click(u"mnuLang"_s, 2); // German
        const LanguageTexts &t = rig.state.texts;
        QCOMPARE(rig.cell(0).lblFrom->text(),
                 t.LngFromPrefix + u"PA0SND"_s.replace(u'0', rig.state.ZeroChar));
        QVERIFY(rig.cell(0).lblFrom->text().startsWith(u"Von: "_s));
        QVERIFY(rig.cell(1).img->pixmap().toImage() != englishPlaceholder);
        QCOMPARE(rig.item(u"mnuRate"_s, 1)->text(), u"60 Sek."_s);
        // The painted notice stays painted, in German.
        const auto notice = menuPicture(rig.item(u"mnuUpdate"_s));
        QVERIFY(notice);
        QCOMPARE(notice->text, u"   "_s + t.LngUpdate + u"   "_s);
        QCOMPARE(rig.item(u"mnuUpTavimo"_s)->text(), t.LngNewVersion + u"Tavimo 4.92"_s);
        QVERIFY(t.LngNewVersion.endsWith(u": "_s));
        // Page names: the defaults follow, the user's own stays.
        const QStringList names = rig.w().menus().pageCaptions(4);
        QCOMPARE(names, (QStringList{u"Seite 1"_s, u"Europe"_s, u"Seite 3"_s, u"Seite 4"_s}));
        // The switch reloads the page; pictures that did not change keep their
        // sender line, in German.
        QVERIFY(rig.waitForQuiet());
        QVERIFY(rig.cell(0).lblFrom->text().startsWith(u"Von: "_s));
        QCOMPARE(rig.cell(0).lblCall->text(), u"AB1CD - NEU"_s);
    }

    // Names stored in one language come up in the language of the next start.
    void storedDefaultPageNamesFollowTheLanguage() {
        Rig rig;
        writePageNames(*rig.settings,
                       {u"Page 1"_s, u"Europe"_s, u"Page 3"_s, {}, {}, {}, {}, {}, {}, {}});
        QVERIFY(rig.start(2));
        QCOMPARE(rig.w().menus().pageCaptions(3),
                 (QStringList{u"Seite 1"_s, u"Europe"_s, u"Seite 3"_s}));
    }

    void exclusiveChoicesAreRadioItems() {
        Rig rig;
        QVERIFY(rig.start());
        // The page items count from 1, the other arrays from 0.
        for (const auto &[name, first] : {std::pair{"mnuPage", 1},
                                          {"mnuRate", 0},
                                          {"mnuGUIsizes", 0},
                                          {"mnu5", 0},
                                          {"mnuLang", 0}}) {
            QAction *one = rig.item(QString::fromLatin1(name), first);
            QAction *other = rig.item(QString::fromLatin1(name), first + 1);
            QVERIFY2(one && other, name);
            QActionGroup *group = one->actionGroup();
            QVERIFY2(group && group->isExclusive(), name);
            QCOMPARE(other->actionGroup(), group);
        }
        QVERIFY(rig.item(u"mnustartDSSTV"_s)->actionGroup() ==
                rig.item(u"mnustartWX"_s)->actionGroup());
    }

    // F2 and "This page" list the sites of the page shown; a pick blinks its own slot.
    void alphabeticalListOfThePageShown_data() {
        QTest::addColumn<int>("startPage");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("SSTV page") << 0 << QStringList{u"AB1CD    1"_s};
        QTest::newRow("WX page") << 1 << QStringList{u"METEOR    3"_s, u"NOAA 19    2"_s};
    }
    void alphabeticalListOfThePageShown() {
        QFETCH(int, startPage);
        QFETCH(QStringList, items);
        Rig rig;
        rig.place(u"AB1CD"_s, 0);
        rig.addWxSite(u"NOAA 19"_s, u"2"_s, u"/wx/noaa.jpg"_s);
        rig.addWxSite(u"METEOR"_s, u"3"_s, u"/wx/meteor.jpg"_s);
        QVERIFY(rig.start(0, startPage));
        QCOMPARE(rig.page().isWxPage(), startPage == 1);
        rig.w().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&rig.w()));
        QTest::keyClick(&rig.w(), Qt::Key_F2);
        QMenu *list = rig.w().menus().mnuPopUp;
        QTRY_VERIFY(list->isVisible());
        QStringList shown;
        for (QAction *action : list->actions()) {
            if (action->isVisible())
                shown << action->text();
        }
        list->hide();
        QCOMPARE(shown, items);
        rig.item(u"mnuAlphaList"_s, items.size() - 1)->trigger();
        QVERIFY(rig.w().grid().isBlinking());
        const int slot = items.last().right(2).trimmed().toInt() - 1;
        QTRY_COMPARE(rig.cell(slot).shapeColor(), QColor(0, 0, 255));
    }

    // An empty first start says what to do, in the user's language, until a site is listed.
    void emptyListsSayWhatToDo_data() {
        QTest::addColumn<bool>("sstvSite");
        QTest::addColumn<bool>("wxSite");
        QTest::newRow("both lists empty") << false << false;
        QTest::newRow("one SSTV site") << true << false;
        QTest::newRow("one WX site") << false << true;
    }
    void emptyListsSayWhatToDo() {
        QFETCH(bool, sstvSite);
        QFETCH(bool, wxSite);
        Rig rig;
        if (sstvSite)
            rig.place(u"AB1CD"_s, 0);
        if (wxSite)
            rig.addWxSite(u"NOAA"_s, u"1"_s, u"/wx/latest.jpg"_s);
        QVERIFY(rig.start(2));
        auto *note = rig.w().findChild<QLabel *>(u"EmptyListsNote"_s);
        QVERIFY(note);
        const bool empty = !sstvSite && !wxSite;
        QCOMPARE(note->isVisible(), empty);
        if (!empty)
            return;
        QCOMPARE(note->text(),
                 QString::fromUtf16(u"Noch sind keine Websites eingetragen. F\u00FCgen "
                                    u"Sie eine mit Einstellungen \u2192 Website "
                                    u"hinzuf\u00FCgen hinzu."));
        const QRect grid = rig.w().grid().rect();
        QVERIFY(grid.contains(note->geometry()));
        // The first site added takes the line away.
        rig.state.SiteList.append(makeSite(u"AB1CD"_s, u"http://127.0.0.1:9/ab1cd/image1.jpg"_s));
        emit rig.state.events.sitesChanged();
        QVERIFY(!note->isVisible());
    }

    void unsavedPictureGivesWayToThePlaceholder() {
        Rig rig;
        rig.place(u"AB1CD"_s, 0);
        rig.servePicture(u"/ab1cd/image1.jpg"_s, u"AB1CD"_s);
        // A folder where the write goes: no writer, root or not, can put the file there.
        QVERIFY(QDir().mkpath(rig.data(u"images/sstv/0.part"_s)));
        QVERIFY(rig.start());
        QTRY_COMPARE(rig.page().SlotTable.value(0, stFrom), u"Not found"_s);
        QVERIFY(!QFileInfo::exists(rig.data(u"images/sstv/0"_s)));
    }
};

QTEST_MAIN(FirstHourTest)
#include "tst_firsthour.moc"
