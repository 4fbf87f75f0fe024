#include "core/CheckPicture.h"
#include "core/DownloadKeys.h"
#include "core/SlotPictures.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tavimo;

namespace {

const QString slashedO = QStringLiteral("\u00D8");

SiteRecord named(const QString &callsign) {
    SiteRecord s;
    s.Callsign = callsign;
    return s;
}

PageState pageState(int page, int slotCount) {
    PageState state;
    state.CurrentPage = page;
    state.SlotCount = slotCount;
    return state;
}

} // namespace

class SlotFetchTest : public QObject {
    Q_OBJECT

private slots:
    void keysRoundTrip_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("slot");
        QTest::addColumn<int>("site"); // -1: a key without a site
        QTest::addColumn<QString>("key");

        QTest::newRow("WX picture") << 11 << 7 << -1 << "1107";
        QTest::newRow("SSTV picture after its check") << 3 << 7 << 12 << "307-12";
        QTest::newRow("first slot of page 1") << 1 << 0 << 0 << "100-0";
        QTest::newRow("last slot of page 10") << 10 << 23 << 250 << "1023-250";
        QTest::newRow("gallery owner 4, cell 11") << 4 << 11 << 9 << "411-9";
    }
    void keysRoundTrip() {
        QFETCH(int, page);
        QFETCH(int, slot);
        QFETCH(int, site);
        QFETCH(QString, key);

        const QString made = site < 0 ? pictureKey(page, slot) : pictureKey(page, slot, site);
        QCOMPARE(made, key);
        const auto parsed = parsePictureKey(made);
        QVERIFY(parsed);
        QCOMPARE(parsed->page, page);
        QCOMPARE(parsed->slot, slot);
        QCOMPARE(parsed->site.has_value(), site >= 0);
        if (site >= 0)
            QCOMPARE(*parsed->site, site);

        const auto check = parseCheckKey(checkKey(slot));
        QVERIFY(check);
        QCOMPARE(check->slot, slot);
    }

    void keysReadLikeNumbers_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("slot");
        QTest::addColumn<int>("site");

        QTest::newRow("number stops at the dash") << "211-57" << 2 << 11 << 57;
        QTest::newRow("blanks skipped") << " 3 07- 12" << 3 << 7 << 12;
        QTest::newRow("site rounded to even") << "307-2.5" << 3 << 7 << 2;
        QTest::newRow("no number reads as 0") << "x-y" << 0 << 0 << 0;
    }
    void keysReadLikeNumbers() {
        QFETCH(QString, key);
        QFETCH(int, page);
        QFETCH(int, slot);
        QFETCH(int, site);

        const auto parsed = parsePictureKey(key);
        QVERIFY(parsed);
        QCOMPARE(parsed->page, page);
        QCOMPARE(parsed->slot, slot);
        QCOMPARE(parsed->site.value_or(-1), site);
    }

    void keysTooLargeAreRefused() {
        QVERIFY(!parsePictureKey(QStringLiteral("1e300")));
        QVERIFY(!parsePictureKey(QStringLiteral("307-99999999999")));
        QVERIFY(!parseCheckKey(QStringLiteral("99999999999")));
    }

    // The page shows SSTV page 4 with 15 slots unless the row says WX; slot 7
    // shows XXØABC, site 2 of the list.
    void answerStillFits_data() {
        QTest::addColumn<bool>("check");
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("wxPage");
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("counted"); // the slot counted for the pass, -1 none
        QTest::addColumn<int>("slot");    // -1: the answer is dropped
        QTest::addColumn<int>("site");

        QTest::newRow("picture fits") << false << "407-2" << false << "" << 7 << 7 << 2;
        QTest::newRow("307-12 while page 4 is shown")
            << false << "307-12" << false << "" << -1 << -1 << -1;
        QTest::newRow("slot beyond the layout")
            << false << "420-2" << false << "" << -1 << -1 << -1;
        QTest::newRow("key's site is another site: the slot's index wins")
            << false << "407-0" << false << "" << 7 << 7 << 2;
        QTest::newRow("list re-sorted: found again by callsign")
            << false << "407-2" << false << "resorted" << 7 << 7 << 0;
        QTest::newRow("slot emptied meanwhile")
            << false << "407-2" << false << "emptied" << 7 << -1 << -1;
        QTest::newRow("site removed meanwhile")
            << false << "407-2" << false << "removed" << 7 << -1 << -1;
        QTest::newRow("picture key without a site") << false << "407" << false << "" << 7 << 7 << 2;
        QTest::newRow("check picture fits") << true << "7" << false << "" << 7 << 7 << 2;
        QTest::newRow("check picture, list re-sorted")
            << true << "7" << false << "resorted" << 7 << 7 << 0;
        QTest::newRow("check picture for an emptied slot")
            << true << "7" << false << "emptied" << 7 << -1 << -1;
        QTest::newRow("check picture on the WX page")
            << true << "7" << true << "" << -1 << -1 << -1;
        QTest::newRow("WX picture") << false << "1103" << true << "" << 3 << 3 << -1;
        QTest::newRow("WX picture while an SSTV page is shown")
            << false << "1103" << false << "" << -1 << -1 << -1;
        QTest::newRow("SSTV picture while the WX page is shown")
            << false << "407-2" << true << "" << -1 << -1 << -1;
    }
    void answerStillFits() {
        QFETCH(bool, check);
        QFETCH(QString, key);
        QFETCH(bool, wxPage);
        QFETCH(QString, change);
        QFETCH(int, counted);
        QFETCH(int, slot);
        QFETCH(int, site);

        SiteList sites{named("AA1A"), named("BB1B"), named("XX0ABC")};
        SlotTable table;
        table.setValue(7, stSiteCall, "XX" + slashedO + "ABC");
        table.setValue(7, stSiteIndex, QStringLiteral("2"));
        if (change == u"resorted")
            sites = {named("XX0ABC"), named("AA1A"), named("BB1B")};
        else if (change == u"emptied")
            table.setValue(7, stSiteCall, QString());
        else if (change == u"removed")
            sites.removeLast();
        const PageState page = pageState(wxPage ? kPageCount : 4, 15);

        std::optional<int> shown;
        std::optional<SlotTarget> target;
        if (check) {
            const auto k = parseCheckKey(key);
            QVERIFY(k);
            shown = shownSlot(*k, page);
            target = tavimo::answerStillFits(*k, page, table, sites);
        } else {
            const auto k = parsePictureKey(key);
            QVERIFY(k);
            shown = shownSlot(*k, page);
            target = tavimo::answerStillFits(*k, page, table, sites);
        }
        QCOMPARE(shown.value_or(-1), counted);
        QCOMPARE(target.has_value(), slot >= 0);
        if (target)
            QCOMPARE(*target, (SlotTarget{slot, site}));
    }

    void decision_data() {
        QTest::addColumn<int>("previous");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("download");

        QTest::newRow("nothing remembered, any size") << 0 << 40 << 30 << true;
        QTest::newRow("nothing remembered, width 1") << 0 << 40 << 1 << true;
        QTest::newRow("same height, width 1") << 40 << 40 << 1 << false;
        QTest::newRow("same height, other width") << 40 << 40 << 30 << false;
        QTest::newRow("new height, width 1") << 40 << 41 << 1 << true;
        QTest::newRow("new height, other width") << 40 << 41 << 2 << false;
    }
    void decision() {
        QFETCH(int, previous);
        QFETCH(int, height);
        QFETCH(int, width);
        QFETCH(bool, download);

        QCOMPARE(decideCheckPicture(previous, height, width) == CheckDecision::Download, download);
    }

    void judgement_data() {
        QTest::addColumn<QString>("previous");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("download");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("newFrame");

        QTest::newRow("first check of the slot")
            << "" << QSize(1, 37) << true << "XX9ABC - NEW" << true;
        QTest::newRow("refresh of one site sets 0")
            << "0" << QSize(20, 37) << true << "XX9ABC -" << false;
        QTest::newRow("new picture announced")
            << "36" << QSize(1, 37) << true << "XX9ABC - NEW" << true;
        QTest::newRow("nothing new") << "37" << QSize(1, 37) << false << "XX9ABC - NEW" << true;
        QTest::newRow("height changed, not 1 wide")
            << "36" << QSize(5, 37) << false << "XX9ABC -" << false;
    }
    void judgement() {
        QFETCH(QString, previous);
        QFETCH(QSize, size);
        QFETCH(bool, download);
        QFETCH(QString, caption);
        QFETCH(bool, newFrame);

        LanguageTexts texts;
        texts.LngNewPicPrefix = QStringLiteral(" - NEW");
        texts.LngCallSep = QStringLiteral(" -");
        const CheckJudgement j = judgeCheckPicture(QStringLiteral("XX9ABC"), size, previous, texts);
        QCOMPARE(j.decision == CheckDecision::Download, download);
        QCOMPARE(j.caption, caption);
        QCOMPARE(j.frameColour.has_value(), newFrame);
        if (newFrame)
            QCOMPARE(*j.frameColour, QColor(242, 242, 214));
        QCOMPARE(j.checkHeight, QString::number(size.height()));
    }

    void strayImage1FilesRemoved() {
        QTemporaryDir dir;
        for (const char *name : {"image1.jpg", "IMAGE1.GIF", "image10.jpg", "7", "image1"}) {
            QFile file(dir.filePath(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QCOMPARE(removeStrayImage1Files(dir.path()), 2);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files, QDir::Name),
                 (QStringList{"7", "image1", "image10.jpg"}));
    }
};

QTEST_GUILESS_MAIN(SlotFetchTest)
#include "tst_slotfetch.moc"
