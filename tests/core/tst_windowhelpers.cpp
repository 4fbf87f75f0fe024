#include "core/app/Monitors.h"
#include "ui/CornerMenu.h"
#include "ui/MenuBarPainter.h"
#include "ui/WindowRegistry.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <QtMath>

using namespace tavimo;

namespace {

// Columns of `rect` holding text pixels (the gradients have no red, the white text has plenty),
// as distances from its left and right edges; nothing when the rectangle holds no text.
std::optional<std::pair<int, int>> textMargins(const QImage &image, const QRect &rect) {
    int first = -1, last = -1;
    for (int x = rect.left(); x <= rect.right(); ++x) {
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            if (qRed(image.pixel(x, y)) > 96) {
                first = first < 0 ? x : first;
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
            count += qRed(p) < 20 &&
                     ((qBlue(p) < 20 && qGreen(p) >= 40) || (qGreen(p) < 20 && qBlue(p) >= 140));
        }
    }
    return count;
}

// A menu bar shaped like the main window's: page menu, refresh item, a plain menu.
struct BarFixture {
    QMainWindow window;
    QMenuBar *bar = window.menuBar();
    QAction *page = bar->addMenu(QStringLiteral("Pages"))->menuAction();
    QAction *refresh = bar->addAction(QStringLiteral("&Refresh"));
    QAction *help = bar->addMenu(QStringLiteral("Help"))->menuAction();

    BarFixture() {
        window.resize(700, 200);
        installMenuBarPainter(bar);
    }
    bool show() {
        window.show();
        return QTest::qWaitForWindowExposed(&window);
    }
    QImage grab() { return bar->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    QRect rect(QAction *action) { return bar->actionGeometry(action); }
};

} // namespace

// What the windows share: menu-bar items drawn as pictures, the corner menu, the register of
// open windows and the list of monitors.
class WindowHelpersTest : public QObject {
    Q_OBJECT

private slots:
    // A text wider than a fixed box is cut at both edges and stays centred: the narrow picture
    // is the middle of a wide one.
    void longTextIsCutAtBothEdges() {
        const QString text = QStringLiteral("A rather long page name");
        const QImage wide = renderMenuPicture(MenuPicture::Page, text, menuFont(), QSize(400, 20));
        const QImage narrow = renderMenuPicture(MenuPicture::Page, text, menuFont(), QSize(60, 20));
        QCOMPARE(narrow, wide.copy((400 - 60) / 2, 0, 60, 20));
    }

    void widthsFollowText() {
        const QFont font = menuFont();
        // Mnemonic marks are not drawn, "&&" is one ampersand; blanks on both sides count.
        QCOMPARE(menuPictureTextWidth(font, "&Refresh"), menuPictureTextWidth(font, "Refresh"));
        QCOMPARE(menuPictureTextWidth(font, "R&&D"),
                 qCeil(QFontMetricsF(font).horizontalAdvance(QStringLiteral("R&D"))));
        QVERIFY(menuPictureTextWidth(font, "  Page  ") > menuPictureTextWidth(font, "  Page"));
        const int widest = menuPictureTextWidth(font, "  A much longer page  ");
        QCOMPARE(widestPageLabel(font, {"Page 1", "A much longer page", "WX"}, 0), widest);
        QCOMPARE(widestPageLabel(font, {"x"}, widest), widest); // only grows
    }

    void menuBarShowsGradientsAndCentredText() {
        BarFixture f;
        setPageMenuText(f.page, QStringLiteral("  Page 1  "), 120);
        setRefreshMenuText(f.refresh, QStringLiteral("Refresh (manual) "));
        QVERIFY(f.show());
        const QImage image = f.grab();

        const QRect page = f.rect(f.page);
        QCOMPARE(page.width(), 120);
        const auto pageText = textMargins(image, page);
        QVERIFY(pageText);
        QVERIFY(qAbs(pageText->first - pageText->second) <= 3);

        const QRect refresh = f.rect(f.refresh);
        QCOMPARE(refresh.width(), menuPictureTextWidth(f.bar->font(), "Refresh (manual) "));
        QCOMPARE(refresh.height(), page.height());
        // The gradients reach the items' edges; a plain menu gets none.
        for (const QRect &item : {page.adjusted(0, 0, -page.width() + 2, 0),
                                  refresh.adjusted(refresh.width() - 2, 0, 0, 0)})
            QCOMPARE(gradientPixels(image, item), 2 * item.height());
        const auto refreshText = textMargins(image, refresh);
        QVERIFY(refreshText);
        // The caption ends in a blank, which counts as part of the text's width.
        const int blank = QFontMetrics(f.bar->font()).horizontalAdvance(u' ');
        QVERIFY(qAbs(refreshText->first - (refreshText->second - blank)) <= 3);

        QCOMPARE(gradientPixels(image, f.rect(f.help)), 0);
        QVERIFY(f.page->text() == "Pages" && f.refresh->text() == "&Refresh");

        // A longer caption widens the item and moves the items to its right.
        setRefreshMenuText(f.refresh, QStringLiteral("Refresh (auto 120 sec) "));
        QVERIFY(f.rect(f.refresh).width() > refresh.width());
        QVERIFY(f.rect(f.help).left() >= f.rect(f.refresh).right());
    }

    void restoreBringsThePlainCaptionBack() {
        BarFixture f;
        QVERIFY(f.show());
        const int plainWidth = f.rect(f.refresh).width();
        setRefreshMenuText(f.refresh, QStringLiteral("A loading look that is wide "));
        QVERIFY(gradientPixels(f.grab(), f.rect(f.refresh)) > 0);

        restorePlainMenuText(f.refresh, f.refresh->text());
        QVERIFY(!menuPicture(f.refresh));
        QCOMPARE(f.rect(f.refresh).width(), plainWidth);
        QCOMPARE(gradientPixels(f.grab(), f.rect(f.refresh)), 0);

        setGalleryMenuText(f.refresh, QStringLiteral("  Images 1-15  "));
        restorePlainMenuText(f.refresh, QStringLiteral("  Images 16-30  "));
        QCOMPARE(f.refresh->text(), QStringLiteral("  Images 16-30  "));
        QVERIFY(!menuPicture(f.refresh));
    }

    void cornerMenuStaysAtTheRightEdgeAndOpens() {
        BarFixture f;
        QMenu setup;
        setup.addAction(QStringLiteral("Manual refresh"));
        int shown = 0;
        connect(&setup, &QMenu::aboutToShow, this, [&] {
            ++shown;
            QTimer::singleShot(0, &setup, &QMenu::close);
        });
        CornerMenuButton *clock =
            installCornerMenu(f.bar, &setup, QStringLiteral("12:00 UTC   Setup"));
        QVERIFY(f.show());
        const int right = f.bar->width() - clock->geometry().right();
        const int shortWidth = clock->width();
        QVERIFY(right >= 0 && right < 12);

        QVERIFY(!clock->setCaption(QStringLiteral("12:00 UTC   Setup")));
        QVERIFY(clock->setCaption(QStringLiteral("12:01 UTC   Configuración larga")));
        QTRY_VERIFY(clock->width() > shortWidth);
        QCOMPARE(f.bar->width() - clock->geometry().right(), right);
        QVERIFY(clock->geometry().left() > f.rect(f.help).right());

        QTest::mouseClick(clock, Qt::LeftButton);
        QTRY_COMPARE(shown, 1);
        QTRY_VERIFY(!setup.isVisible());
    }

    // Names match without regard to case, a window registered twice counts once, "" counts all,
    // and a window closed with WA_DeleteOnClose is no longer loaded.
    void windowRegistry() {
        WindowRegistry registry;
        QWidget gallery1, gallery2;
        auto *viewer = new QWidget;
        viewer->setAttribute(Qt::WA_DeleteOnClose);
        registry.add("PictureViewer", viewer);
        registry.add("GalleryWindow", &gallery1);
        registry.add("GalleryWindow", &gallery2);
        registry.add("GalleryWindow", &gallery2);
        QCOMPARE(registry.IsFormLoaded("galleryWINDOW"), 2);
        QCOMPARE(registry.IsFormLoaded(""), 3);
        QCOMPARE(registry.IsFormLoaded("Gallery"), 0); // a prefix is no match
        QCOMPARE(registry.find("PICTUREVIEWER"), viewer);
        viewer->show();
        viewer->close();
        QTRY_COMPARE(registry.IsFormLoaded("PictureViewer"), 0);
        QCOMPARE(registry.find("PictureViewer"), nullptr);
        QCOMPARE(registry.loadedWindows().size(), 2);
    }

    // Right and bottom lie one past the last pixel. One monitor unplugged: the count drops, the
    // old second entry stays.
    void monitorReenumerationKeepsStaleEntries() {
        MonitorList list;
        list.enumerate({QRect(0, 0, 1920, 1080), QRect(1920, -200, 1280, 1024)});
        list.enumerate({QRect(0, 0, 2560, 1440)});
        QCOMPARE(list.MonitorCount, std::int16_t(1));
        QCOMPARE(list.Monitors,
                 (QList<MonitorRect>{{}, {1, 0, 0, 2560, 1440}, {2, 1920, -200, 3200, 824}}));
    }
};

QTEST_MAIN(WindowHelpersTest)
#include "tst_windowhelpers.moc"
