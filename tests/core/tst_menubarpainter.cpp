#include "core/CornerMenu.h"
#include "core/MenuBarPainter.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <QtMath>

#include <memory>

using namespace tavimo;

Q_DECLARE_METATYPE(tavimo::MenuPicture)

namespace {

bool near(QColor a, QColor b, int tolerance = 6) {
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance &&
           qAbs(a.blue() - b.blue()) <= tolerance;
}

// The gradients have no red at all; the white text has plenty.
bool isTextPixel(QRgb pixel) {
    return qRed(pixel) > 96;
}

// Columns of `rect` holding text pixels, as distances from its left and right
// edges; nothing when the rectangle holds no text.
std::optional<std::pair<int, int>> textMargins(const QImage &image, const QRect &rect) {
    int first = -1;
    int last = -1;
    for (int x = rect.left(); x <= rect.right(); ++x) {
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            if (isTextPixel(image.pixel(x, y))) {
                if (first < 0)
                    first = x;
                last = x;
                break;
            }
        }
    }
    if (first < 0)
        return std::nullopt;
    return std::make_pair(first - rect.left(), rect.right() - last);
}

int gradientPixels(const QImage &image, const QRect &rect) {
    int count = 0;
    for (int x = rect.left(); x <= rect.right(); ++x) {
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            const QRgb p = image.pixel(x, y);
            const bool green = qRed(p) < 20 && qBlue(p) < 20 && qGreen(p) >= 40;
            const bool blue = qRed(p) < 20 && qGreen(p) < 20 && qBlue(p) >= 140;
            count += green || blue ? 1 : 0;
        }
    }
    return count;
}

// A window with a menu bar shaped like the main window's: page menu, refresh
// item, a plain menu.
struct BarFixture {
    QMainWindow window;
    QMenuBar *bar = nullptr;
    QAction *page = nullptr;
    QAction *refresh = nullptr;
    QAction *help = nullptr;

    BarFixture() {
        window.resize(700, 200);
        bar = window.menuBar();
        page = bar->addMenu(QStringLiteral("Pages"))->menuAction();
        refresh = bar->addAction(QStringLiteral("&Refresh"));
        help = bar->addMenu(QStringLiteral("Help"))->menuAction();
        installMenuBarPainter(bar);
    }
    bool show() {
        window.show();
        return QTest::qWaitForWindowExposed(&window);
    }
    QImage grab() { return bar->grab().toImage().convertToFormat(QImage::Format_RGB32); }
};

} // namespace

class MenuBarPainterTest : public QObject {
    Q_OBJECT

private slots:
    void gradientEnds_data() {
        QTest::addColumn<MenuPicture>("kind");
        QTest::addColumn<QColor>("top");
        QTest::addColumn<QColor>("bottom");
        QTest::newRow("page") << MenuPicture::Page << QColor(0, 150, 0) << QColor(0, 50, 0);
        QTest::newRow("refresh") << MenuPicture::Refresh << QColor(0, 0, 250) << QColor(0, 0, 150);
        QTest::newRow("update") << MenuPicture::Update << QColor(0, 200, 0) << QColor(0, 100, 0);
        QTest::newRow("gallery") << MenuPicture::Gallery << QColor(0, 0, 250) << QColor(0, 0, 150);
    }
    void gradientEnds() {
        QFETCH(MenuPicture, kind);
        QFETCH(QColor, top);
        QFETCH(QColor, bottom);
        QCOMPARE(menuGradientColor(kind, 0), top);
        QCOMPARE(menuGradientColor(kind, 25), bottom);
        QCOMPARE(menuGradientColor(kind, 99), bottom);

        const QImage image = renderMenuPicture(kind, QString(), menuFont(), QSize(40, 19));
        QCOMPARE(image.size(), QSize(40, 19));
        QCOMPARE(QColor(image.pixel(0, 0)), top);
        QCOMPARE(QColor(image.pixel(39, 0)), top);
        QCOMPARE(QColor(image.pixel(20, 18)), bottom);
    }

    void gradientRunsEvenlyTopToBottom_data() {
        QTest::addColumn<int>("height");
        QTest::newRow("one row per step") << 26;
        QTest::newRow("fewer rows than steps") << 19;
        QTest::newRow("more rows than steps") << 60;
        QTest::newRow("two rows") << 2;
    }
    void gradientRunsEvenlyTopToBottom() {
        QFETCH(int, height);
        QCOMPARE(menuGradientStep(0, height), 0);
        QCOMPARE(menuGradientStep(height - 1, height), 25);
        for (int row = 1; row < height; ++row) {
            const int step = menuGradientStep(row, height);
            const int previous = menuGradientStep(row - 1, height);
            QVERIFY(step >= previous);
            // Never skips more than the rows allow.
            QVERIFY(step - previous <= 25 / (height - 1) + 1);
        }
        if (height == 26) {
            for (int row = 0; row < 26; ++row)
                QCOMPARE(menuGradientStep(row, height), row);
        }
        QCOMPARE(menuGradientStep(0, 1), 0);
    }

    void textIsCentred() {
        const QImage image = renderMenuPicture(MenuPicture::Page, QStringLiteral("  SSTV 3  "),
                                               menuFont(), QSize(160, 22));
        const auto margins = textMargins(image, image.rect());
        QVERIFY(margins);
        QVERIFY2(qAbs(margins->first - margins->second) <= 3,
                 qPrintable(QString("left %1 right %2").arg(margins->first).arg(margins->second)));
        QVERIFY(margins->first > 20);
    }

    // A text wider than a fixed box is cut at both edges and stays centred: the
    // narrow picture is the middle of a wide one.
    void longTextIsCutAtBothEdges() {
        const QString text = QStringLiteral("A rather long page name");
        const QFont font = menuFont();
        const QImage wide = renderMenuPicture(MenuPicture::Page, text, font, QSize(400, 20));
        const QImage narrow = renderMenuPicture(MenuPicture::Page, text, font, QSize(60, 20));
        QCOMPARE(narrow, wide.copy((400 - 60) / 2, 0, 60, 20));
        const auto margins = textMargins(narrow, narrow.rect());
        QVERIFY(margins);
        QVERIFY(margins->first <= 2 && margins->second <= 2);
    }

    void widthsFollowText() {
        const QFont font = menuFont();
        QVERIFY(menuPictureTextWidth(font, "Refresh (auto 60 sec) ") >
                menuPictureTextWidth(font, "Refresh (manual) "));
        // Mnemonic marks are not drawn, "&&" is one ampersand.
        QCOMPARE(menuPictureTextWidth(font, "&Refresh"), menuPictureTextWidth(font, "Refresh"));
        QCOMPARE(menuPictureTextWidth(font, "R&&D"),
                 qCeil(QFontMetricsF(font).horizontalAdvance(QStringLiteral("R&D"))));
        // Blanks on both sides count.
        QVERIFY(menuPictureTextWidth(font, "  Page  ") > menuPictureTextWidth(font, "  Page"));
    }

    void pageLabelWidthOnlyGrows() {
        const QFont font = menuFont();
        const QStringList names{"Page 1", "A much longer page", "WX"};
        const int widest = menuPictureTextWidth(font, "  A much longer page  ");
        QCOMPARE(widestPageLabel(font, names, 0), widest);
        QCOMPARE(widestPageLabel(font, {"x"}, widest), widest);
        QCOMPARE(widestPageLabel(font, {}, 17), 17);
    }

    void menuBarShowsGradientsAndCentredText() {
        BarFixture f;
        setPageMenuText(f.page, QStringLiteral("  Page 1  "), 120);
        setRefreshMenuText(f.refresh, QStringLiteral("Refresh (manual) "));
        QVERIFY(f.show());
        const QImage image = f.grab();

        const QRect page = f.bar->actionGeometry(f.page);
        QCOMPARE(page.width(), 120);
        QVERIFY(near(image.pixel(page.left() + 1, page.top()), QColor(0, 150, 0)));
        QVERIFY(near(image.pixel(page.left() + 1, page.bottom()), QColor(0, 50, 0)));
        const auto pageText = textMargins(image, page);
        QVERIFY(pageText);
        QVERIFY(qAbs(pageText->first - pageText->second) <= 3);

        const QRect refresh = f.bar->actionGeometry(f.refresh);
        QCOMPARE(refresh.width(), menuPictureTextWidth(f.bar->font(), "Refresh (manual) "));
        QCOMPARE(refresh.height(), page.height());
        QVERIFY(near(image.pixel(refresh.right() - 1, refresh.top()), QColor(0, 0, 250)));
        QVERIFY(near(image.pixel(refresh.right() - 1, refresh.bottom()), QColor(0, 0, 150)));
        const auto refreshText = textMargins(image, refresh);
        QVERIFY(refreshText);
        // The caption ends in a blank, which counts as part of the text's width.
        const int blank = QFontMetrics(f.bar->font()).horizontalAdvance(u' ');
        QVERIFY(qAbs(refreshText->first - (refreshText->second - blank)) <= 3);

        // The plain menu is untouched.
        QCOMPARE(gradientPixels(image, f.bar->actionGeometry(f.help)), 0);
        QVERIFY(f.page->text() == "Pages" && f.refresh->text() == "&Refresh");
    }

    void fittedWidthGrowsWithText() {
        BarFixture f;
        QVERIFY(f.show());
        setRefreshMenuText(f.refresh, QStringLiteral("Refresh "));
        const int shortWidth = f.bar->actionGeometry(f.refresh).width();
        setRefreshMenuText(f.refresh, QStringLiteral("Refresh (auto 120 sec) "));
        const int longWidth = f.bar->actionGeometry(f.refresh).width();
        QVERIFY(longWidth > shortWidth);
        // Items to its right make room.
        QVERIFY(f.bar->actionGeometry(f.help).left() >= f.bar->actionGeometry(f.refresh).right());
    }

    void restoreBringsThePlainCaptionBack() {
        BarFixture f;
        QVERIFY(f.show());
        const int plainWidth = f.bar->actionGeometry(f.refresh).width();
        setRefreshMenuText(f.refresh, QStringLiteral("A loading look that is wide "));
        QVERIFY(menuPicture(f.refresh));
        QVERIFY(gradientPixels(f.grab(), f.bar->actionGeometry(f.refresh)) > 0);

        restorePlainMenuText(f.refresh, f.refresh->text());
        QVERIFY(!menuPicture(f.refresh));
        QCOMPARE(f.bar->actionGeometry(f.refresh).width(), plainWidth);
        QCOMPARE(gradientPixels(f.grab(), f.bar->actionGeometry(f.refresh)), 0);

        // A restore with a new caption shows that caption.
        setGalleryMenuText(f.refresh, QStringLiteral("  Images 1-15  "));
        restorePlainMenuText(f.refresh, QStringLiteral("  Images 16-30  "));
        QCOMPARE(f.refresh->text(), QStringLiteral("  Images 16-30  "));
        QVERIFY(!menuPicture(f.refresh));
    }

    void paintersReachBarsWithoutExplicitInstall() {
        QMainWindow window;
        QAction *update = window.menuBar()->addAction(QStringLiteral("Update"));
        setUpdateMenuText(update, QStringLiteral("   New version   "));
        QVERIFY(qobject_cast<MenuBarStyle *>(window.menuBar()->style()));
        QVERIFY(!window.menuBar()->isNativeMenuBar());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QRect rect = window.menuBar()->actionGeometry(update);
        const QImage image = window.menuBar()->grab().toImage();
        QVERIFY(near(image.pixel(rect.left() + 1, rect.top()), QColor(0, 200, 0)));
        const auto picture = menuPicture(update);
        QVERIFY(picture);
        QCOMPARE(picture->kind, MenuPicture::Update);
        QCOMPARE(picture->text, QStringLiteral("   New version   "));
        QCOMPARE(picture->boxWidth, 0);
    }

    void cornerMenuStaysAtTheRightEdge() {
        BarFixture f;
        QMenu setup;
        setup.addAction(QStringLiteral("Manual refresh"));
        CornerMenuButton *clock =
            installCornerMenu(f.bar, &setup, QStringLiteral("12:00 UTC   Setup"));
        QVERIFY(f.show());
        QCOMPARE(f.bar->cornerWidget(Qt::TopRightCorner), clock);
        const int right = f.bar->width() - clock->geometry().right();
        const int shortWidth = clock->width();
        QVERIFY(right >= 0 && right < 12);

        QVERIFY(!clock->setCaption(QStringLiteral("12:00 UTC   Setup")));
        QVERIFY(clock->setCaption(QStringLiteral("12:01 UTC   Configuración larga")));
        QCOMPARE(clock->caption(), QStringLiteral("12:01 UTC   Configuración larga"));
        QTRY_VERIFY(clock->width() > shortWidth);
        QCOMPARE(f.bar->width() - clock->geometry().right(), right);
        // Clear of the ordinary items.
        QVERIFY(clock->geometry().left() > f.bar->actionGeometry(f.help).right());
    }

    void cornerMenuOpensItsMenu() {
        BarFixture f;
        QMenu setup;
        setup.addAction(QStringLiteral("Manual refresh"));
        int shown = 0;
        connect(&setup, &QMenu::aboutToShow, this, [&] {
            ++shown;
            QTimer::singleShot(0, &setup, &QMenu::close);
        });
        CornerMenuButton *clock =
            installCornerMenu(f.bar, &setup, QStringLiteral("09:30 UTC   Setup"));
        QVERIFY(f.show());
        QTest::mouseClick(clock, Qt::LeftButton);
        QTRY_COMPARE(shown, 1);
        QTRY_VERIFY(!setup.isVisible());
    }
};

QTEST_MAIN(MenuBarPainterTest)
#include "tst_menubarpainter.moc"
