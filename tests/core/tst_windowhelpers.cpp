#include "core/app/Monitors.h"
#include "support/Fixtures.h"
#include "support/TestFiles.h"
#include "ui/AnimatedPicture.h"
#include "ui/CornerMenu.h"
#include "ui/MenuBarPainter.h"
#include "ui/WindowRegistry.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QtMath>

#include <set>

using namespace tavimo;
using namespace tavimo::test;

namespace {

// Near the top left corner: the test GIFs carry a frame number in their middle.
QRgb shownColour(AnimatedPicture &picture) {
    return picture.grab().toImage().pixel(3, 3);
}

QList<QRgb> samplesDuring(AnimatedPicture &picture, int ms) {
    QList<QRgb> samples;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        samples.append(shownColour(picture));
        QTest::qWait(10);
    }
    return samples;
}

QRgb rgb(Qt::GlobalColor colour) {
    return QColor(colour).rgb();
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

// What the windows share: the picture widget of every thumbnail and viewer, menu-bar items
// drawn as pictures, the corner menu, the register of open windows and the list of monitors.
class WindowHelpersTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    // An empty path when writing fails, so that the load after it fails too.
    QString put(const QString &name, const QByteArray &bytes) {
        return writeBytes(dir.filePath(name), bytes) ? dir.filePath(name) : QString();
    }

private slots:
    void loadsStillPictures_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("jpeg without extension") << "7" << jpegBytes(QSize(320, 240));
        QTest::newRow("gif of one frame") << "10" << animatedGifBytes(QSize(50, 40), {Qt::red});
    }
    void loadsStillPictures() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        const QImage expected = QImage::fromData(bytes);
        AnimatedPicture picture;
        picture.setBackColor(Qt::black);
        picture.resize(118, 88);
        QVERIFY(picture.loadFile(put(name, bytes)));
        QCOMPARE(picture.frameCount(), 1);
        QCOMPARE(picture.pictureSize(), expected.size());
        // Stretched over the whole widget, corner to corner.
        const QImage shown = picture.grab().toImage();
        QCOMPARE(shown.pixel(0, 0), expected.pixel(0, 0));
        QCOMPARE(shown.pixel(117, 87), expected.pixel(expected.width() - 1, expected.height() - 1));
        picture.startAnimation();
        QVERIFY(!picture.isAnimating());
    }

    // Without a frame delay it plays at about ten frames a second, not as fast as the event loop
    // turns; and what plays is what was loaded, though the file is rewritten or removed.
    void gifPlaysWhatWasLoaded() {
        const QString path = put("anim", animatedGifBytes({60, 45}, {Qt::red, Qt::blue}, 0));
        AnimatedPicture picture;
        picture.resize(60, 45);
        QVERIFY(picture.loadFile(path));
        QCOMPARE(picture.frameCount(), 2);
        QCOMPARE(shownColour(picture), rgb(Qt::red)); // the first frame before it starts
        picture.startAnimation();
        QVERIFY(picture.isAnimating());
        QVERIFY(writeBytes(path, animatedGifBytes({60, 45}, {Qt::green, Qt::yellow}, 0)));
        QList<QRgb> samples = samplesDuring(picture, 300);
        QVERIFY(QFile::remove(path));
        samples += samplesDuring(picture, 300);
        int changes = 0;
        for (qsizetype i = 1; i < samples.size(); ++i)
            changes += samples[i] != samples[i - 1];
        QVERIFY2(changes >= 1 && changes <= 8, qPrintable(QString::number(changes)));
        QCOMPARE((std::set<QRgb>(samples.begin(), samples.end())),
                 (std::set<QRgb>{rgb(Qt::red), rgb(Qt::blue)}));
        QCOMPARE(picture.firstFrame().pixel(3, 3), rgb(Qt::red));
    }

    void unreadableFileFailsAndClears_data() {
        QTest::addColumn<QString>("name");     // empty: load nothing
        QTest::addColumn<QByteArray>("bytes"); // null: no file at all
        QTest::newRow("nothing") << "" << QByteArray();
        QTest::newRow("garbage") << "bad.jpg" << QByteArray("\x01\x02 this is no picture");
        QTest::newRow("truncated jpeg") << "bad.jpg" << jpegBytes(QSize(200, 150)).left(20);
    }
    void unreadableFileFailsAndClears() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        AnimatedPicture picture;
        picture.resize(40, 30);
        picture.setBackColor(Qt::darkGray);
        QVERIFY(
            picture.loadFile(put("good", animatedGifBytes(QSize(40, 30), {Qt::red, Qt::blue}))));
        picture.startAnimation();
        const QString path = bytes.isNull() ? dir.filePath(name) : put(name, bytes);
        QVERIFY(!picture.loadFile(name.isEmpty() ? QString() : path));
        QVERIFY(picture.isEmpty());
        QCOMPARE(picture.pictureSize(), QSize(0, 0));
        QVERIFY(picture.firstFrame().isNull());
        QVERIFY(!picture.isAnimating());
        QCOMPARE(shownColour(picture), rgb(Qt::darkGray));
    }

    void mouseReachesTheHost() {
        AnimatedPicture picture;
        picture.resize(50, 40);
        picture.show();
        QVERIFY(QTest::qWaitForWindowExposed(&picture));
        QSignalSpy pressed(&picture, &AnimatedPicture::mousePressed);
        QSignalSpy clicked(&picture, &AnimatedPicture::clicked);
        QTest::mouseClick(&picture, Qt::RightButton, Qt::ControlModifier, QPoint(20, 15));
        QCOMPARE(pressed.size(), 1);
        QCOMPARE(pressed[0][0].value<Qt::MouseButton>(), Qt::RightButton);
        QCOMPARE(pressed[0][1].value<Qt::KeyboardModifiers>(), Qt::ControlModifier);
        QCOMPARE(pressed[0][2].toPoint(), QPoint(20, 15));
        QCOMPARE(clicked.size(), 1);
        QCOMPARE(clicked[0][1].value<Qt::KeyboardModifiers>(), Qt::ControlModifier);
        // Released outside: no click.
        QTest::mousePress(&picture, Qt::LeftButton, {}, QPoint(20, 15));
        QTest::mouseRelease(&picture, Qt::LeftButton, {}, QPoint(80, 15));
        QCOMPARE(clicked.size(), 1);
    }

    // A text stays centred in a box of any width, and one wider than its box is cut at both
    // edges: the narrow picture is the middle of a wide one.
    void textIsCentredAndCutAtBothEdges() {
        const QList<std::pair<const char *, int>> texts{{"A rather long page name", 60},
                                                        {"  Page 1  ", 120}};
        for (const auto &[text, width] : texts) {
            const QImage wide = renderMenuPicture(MenuPicture::Page, text, menuFont(), {400, 20});
            const QImage narrow =
                renderMenuPicture(MenuPicture::Page, text, menuFont(), {width, 20});
            QCOMPARE(narrow, wide.copy((400 - width) / 2, 0, width, 20));
        }
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

    // The items show exactly the pictures of their texts, a plain menu none; restored, an item
    // shows its plain caption again.
    void menuBarShowsThePictures() {
        BarFixture f;
        QVERIFY(f.show());
        const int plainWidth = f.rect(f.refresh).width();
        setPageMenuText(f.page, QStringLiteral("  Page 1  "), 120);
        setRefreshMenuText(f.refresh, QStringLiteral("Refresh (manual) "));
        const QImage image = f.grab();
        const QRect page = f.rect(f.page), refresh = f.rect(f.refresh);
        QCOMPARE(page.width(), 120);
        QCOMPARE(refresh.width(), menuPictureTextWidth(f.bar->font(), "Refresh (manual) "));
        QCOMPARE(refresh.height(), page.height());
        const auto picture = [&](MenuPicture kind, const char *text, QSize size) {
            return renderMenuPicture(kind, text, f.bar->font(), size)
                .convertToFormat(QImage::Format_RGB32);
        };
        QCOMPARE(image.copy(page), picture(MenuPicture::Page, "  Page 1  ", page.size()));
        QCOMPARE(image.copy(refresh),
                 picture(MenuPicture::Refresh, "Refresh (manual) ", refresh.size()));
        QVERIFY(f.page->text() == "Pages" && f.refresh->text() == "&Refresh");

        // A longer caption widens the item and moves the items to its right.
        setRefreshMenuText(f.refresh, QStringLiteral("Refresh (auto 120 sec) "));
        QVERIFY(f.rect(f.refresh).width() > refresh.width());
        QVERIFY(f.rect(f.help).left() >= f.rect(f.refresh).right());

        // Restored, the item is drawn and sized by the normal style again.
        restorePlainMenuText(f.refresh, f.refresh->text());
        QVERIFY(!menuPicture(f.refresh));
        QCOMPARE(f.rect(f.refresh).width(), plainWidth);
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
