#include "sites/DialogTestBed.h"

#include "core/files/StoreSettings.h"
#include "sites/AboutDialog.h"
#include "sites/PageNamesDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace tavimo;
using namespace tavimo::test;

class TestPageNamesAbout : public QObject {
    Q_OBJECT

private slots:
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
        QFETCH(QStringList, calls);
        DialogTestBed bed;
        bed.state.texts.LngPage = QStringLiteral("Page ");
        bed.main.shownPage = shownPage;
        const QStringList before = bed.main.pageCaptions;
        QSignalSpy changed(&bed.state.events, &AppEvents::pageNamesChanged);

        QPointer<PageNamesDialog> dialog = showPageNamesDialog(bed.state, bed.windows);
        QCOMPARE(dialog->Label1[9]->text(), QStringLiteral("Page 10:"));
        QCOMPARE(dialog->Text1[1]->text(), QStringLiteral("Page 2"));
        dialog->Text1[1]->setText(QStringLiteral("Moon"));
        dialog->Text1[9]->clear();
        if (closeButton)
            dialog->cmdClose->click();
        else
            dialog->close();
        QTRY_VERIFY(dialog.isNull());
        QCOMPARE(bed.main.calls, calls);
        QCOMPARE(changed.size(), closeButton ? 1 : 0);

        QStringList after = before;
        if (closeButton) {
            after[1] = QStringLiteral("Moon");
            after[9] = QString();
        }
        QCOMPARE(bed.main.pageCaptions, after);
        // What a restart reads back.
        const SettingsStore reopened(bed.store.fileName());
        const QStringList stored = readPageNames(reopened, QStringLiteral("Page "));
        QCOMPARE(stored.value(1), closeButton ? QStringLiteral("Moon") : QStringLiteral("Page 2"));
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
        QTest::newRow("Dutch")
            << 4 << "Ons testbeeld, zoals een station het voor een verbinding uitzendt"
            << "Met dank aan";
    }

    void aboutSlideshow() {
        QFETCH(int, language);
        QFETCH(QString, firstCaption);
        QFETCH(QString, thanks);
        DialogTestBed bed;
        bed.state.config.LanguageIndex = static_cast<std::int16_t>(language);
        QPointer<AboutDialog> about = showAboutDialog(bed.state, bed.windows);
        QVERIFY(bed.main.calls.isEmpty());
        QCOMPARE(about->slideTimer.interval(), 5000);
        QVERIFY(about->Label3->text().startsWith(QStringLiteral("Tavimo  4.91\n")));
        QVERIFY(about->Label2->text().startsWith(thanks));
        QCOMPARE(about->Label1->text(), firstCaption);

        QSet<QString> captions;
        for (int tick = 1; tick <= AboutDialog::kSlides; ++tick) {
            about->slideTimer_Timer();
            const int shown = tick % AboutDialog::kSlides;
            QCOMPARE(about->slideIndex(), shown);
            QLabel *picture = about->Image1[shown];
            QVERIFY(!picture->pixmap().isNull());
            QVERIFY(!picture->isHidden());
            QCOMPARE(picture->y() + picture->height() / 2, AboutDialog::kPictureCentreY);
            QCOMPARE(about->Label1->y(), picture->y() + picture->height() + 5);
            captions.insert(about->Label1->text());
        }
        QCOMPARE(about->Label1->text(), firstCaption);
        QCOMPARE(captions.size(), AboutDialog::kSlides);
        about->close();
        QTRY_VERIFY(about.isNull());
        QVERIFY(bed.main.calls.isEmpty());
    }
};

QTEST_MAIN(TestPageNamesAbout)
#include "tst_pagenamesabout.moc"
