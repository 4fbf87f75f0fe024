#include "core/thumbs/CheckPicture.h"
#include "core/thumbs/DownloadKeys.h"
#include "core/thumbs/SlotPictures.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace tavimo;

class SlotFetchTest : public QObject {
    Q_OBJECT

private slots:
    // key|page|slot|site (-1: a key without a site)
    void keys_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QList<int>>("parts");
        QTest::addColumn<bool>("made"); // the key is also what pictureKey makes

        QTest::newRow("WX picture") << "1107" << QList<int>{11, 7, -1} << true;
        QTest::newRow("SSTV picture") << "307-12" << QList<int>{3, 7, 12} << true;
        QTest::newRow("last slot of page 10") << "1023-250" << QList<int>{10, 23, 250} << true;
        QTest::newRow("blanks skipped") << " 3 07- 12" << QList<int>{3, 7, 12} << false;
        QTest::newRow("site rounded to even") << "307-2.5" << QList<int>{3, 7, 2} << false;
        QTest::newRow("no number reads as 0") << "x-y" << QList<int>{0, 0, 0} << false;
    }
    void keys() {
        QFETCH(QString, key);
        QFETCH(QList<int>, parts);
        QFETCH(bool, made);
        if (made)
            QCOMPARE(parts[2] < 0 ? pictureKey(parts[0], parts[1])
                                  : pictureKey(parts[0], parts[1], parts[2]),
                     key);
        const auto parsed = parsePictureKey(key);
        QVERIFY(parsed);
        QCOMPARE((QList<int>{parsed->page, parsed->slot, parsed->site.value_or(-1)}), parts);
        QCOMPARE(parseCheckKey(checkKey(parts[1]))->slot, parts[1]);
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
        QTest::newRow("check picture, list re-sorted")
            << true << "7" << false << "resorted" << 7 << 7 << 0;
        QTest::newRow("check picture on the WX page")
            << true << "7" << true << "" << -1 << -1 << -1;
        QTest::newRow("WX picture") << false << "1103" << true << "" << 3 << 3 << -1;
        QTest::newRow("SSTV picture while the WX page is shown")
            << false << "407-2" << true << "" << -1 << -1 << -1;
    }
    void answerStillFits() {
        QFETCH(bool, check);
        QFETCH(QString, key);
        QFETCH(bool, wxPage);
        QFETCH(QString, change);
        QFETCH(int, slot);
        QFETCH(int, site);

        SiteList sites(3);
        for (int i = 0; i < 3; ++i)
            sites[i].Callsign = QStringList{"AA1A", "BB1B", "XX0ABC"}[i];
        SlotTable table;
        table.setValue(7, stSiteCall, QStringLiteral("XX\u00D8ABC"));
        table.setValue(7, stSiteIndex, QStringLiteral("2"));
        if (change == u"resorted")
            sites.move(2, 0);
        else if (change == u"emptied")
            table.setValue(7, stSiteCall, QString());
        else if (change == u"removed")
            sites.removeLast();
        PageState page;
        page.CurrentPage = wxPage ? kPageCount : 4;
        page.SlotCount = 15;

        std::optional<int> counted;
        std::optional<SlotTarget> target;
        const auto run = [&](const auto &k) {
            counted = shownSlot(k, page);
            target = tavimo::answerStillFits(k, page, table, sites);
        };
        check ? run(*parseCheckKey(key)) : run(*parsePictureKey(key));
        QTEST(counted.value_or(-1), "counted");
        QCOMPARE(target.has_value(), slot >= 0);
        if (target)
            QCOMPARE(*target, (SlotTarget{slot, site}));
    }

    void judgement_data() {
        QTest::addColumn<QString>("previous");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("download");
        QTest::addColumn<bool>("newFrame"); // and " - NEW" in the caption

        QTest::newRow("first check of the slot") << "" << QSize(1, 37) << true << true;
        QTest::newRow("refresh of one site sets 0") << "0" << QSize(20, 37) << true << false;
        QTest::newRow("new picture announced") << "36" << QSize(1, 37) << true << true;
        QTest::newRow("nothing new") << "37" << QSize(1, 37) << false << true;
        QTest::newRow("same height, other width") << "37" << QSize(30, 37) << false << false;
        QTest::newRow("height changed, not 1 wide") << "36" << QSize(5, 37) << false << false;
    }
    void judgement() {
        QFETCH(QString, previous);
        QFETCH(QSize, size);
        QFETCH(bool, download);
        QFETCH(bool, newFrame);

        LanguageTexts texts;
        texts.LngNewPicPrefix = QStringLiteral(" - NEW");
        texts.LngCallSep = QStringLiteral(" -");
        const CheckJudgement j = judgeCheckPicture(QStringLiteral("XX9ABC"), size, previous, texts);
        QCOMPARE(j.decision == CheckDecision::Download, download);
        QCOMPARE(j.caption, newFrame ? "XX9ABC - NEW" : "XX9ABC -");
        QCOMPARE(j.frameColour.value_or(QColor()), newFrame ? QColor(242, 242, 214) : QColor());
        QCOMPARE(j.checkHeight, QString::number(size.height()));
    }

    void strayImage1FilesRemoved() {
        QTemporaryDir dir;
        for (const char *name : {"image1.jpg", "IMAGE1.GIF", "image10.jpg", "7", "image1"})
            QVERIFY(test::writeBytes(dir.filePath(QString::fromLatin1(name)), ""));
        QCOMPARE(removeStrayImage1Files(dir.path()), 2);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files, QDir::Name),
                 (QStringList{"7", "image1", "image10.jpg"}));
    }
};

QTEST_GUILESS_MAIN(SlotFetchTest)
#include "tst_slotfetch.moc"
