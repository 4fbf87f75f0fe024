#include "core/NotFoundCanvas.h"

#include <QTest>

using namespace tavimo;

namespace {

LanguageTexts texts() {
    LanguageTexts t;
    t.LngNotFound1 = QStringLiteral("Sorry");
    t.LngNotFound2 = QStringLiteral("not found");
    t.LngNotFound3 = QStringLiteral("Image");
    t.LngFailed = QStringLiteral("  (download failed) ");
    return t;
}

// Pixels that differ from the background in the rows [top, bottom) and
// columns [left, right), with the mean column of those found.
struct Ink {
    int count = 0;
    double meanX = 0;
};
Ink inkIn(const QImage &image, int left, int top, int right, int bottom) {
    Ink ink;
    double sumX = 0;
    const QRgb background = placeholderBackground().rgb();
    for (int y = std::max(0, top); y < std::min(bottom, image.height()); ++y) {
        for (int x = std::max(0, left); x < std::min(right, image.width()); ++x) {
            if (image.pixel(x, y) != background) {
                ++ink.count;
                sumX += x;
            }
        }
    }
    if (ink.count > 0)
        ink.meanX = sumX / ink.count;
    return ink;
}

} // namespace

Q_DECLARE_METATYPE(tavimo::PlaceholderLines)

class NotFoundTest : public QObject {
    Q_OBJECT

private slots:
    void lines_data() {
        QTest::addColumn<QString>("where");
        QTest::addColumn<bool>("pictureRead");
        QTest::addColumn<QString>("lineB");
        QTest::addColumn<QString>("lineC");

        QTest::newRow("SSTV picture cannot be shown") << "sstv" << true << "Image 1"
                                                      << "not found";
        QTest::newRow("SSTV download failed") << "sstv" << false << "Image 1"
                                              << "(download failed)";
        QTest::newRow("WX has no number") << "wx" << true << "Image"
                                          << "not found";
        QTest::newRow("gallery cell 6 shows 7") << "cell6" << false << "Image 7"
                                                << "(download failed)";
    }
    void lines() {
        QFETCH(QString, where);
        QFETCH(bool, pictureRead);
        QFETCH(QString, lineB);
        QFETCH(QString, lineC);

        const PlaceholderLines lines =
            where == u"cell6" ? galleryNotFoundLines(texts(), 6, pictureRead)
                              : slotNotFoundLines(texts(), where == u"wx", pictureRead);
        QCOMPARE(lines, (PlaceholderLines{QStringLiteral("Sorry"), lineB, lineC}));
    }

    void canvas_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<PlaceholderLines>("lines");

        const PlaceholderLines all{"Sorry", "Image 1", "not found"};
        QTest::newRow("cell size") << QSize(120, 90) << all;
        QTest::newRow("large cell") << QSize(240, 180) << all;
        QTest::newRow("odd size") << QSize(131, 97) << all;
        QTest::newRow("only line A") << QSize(120, 90) << PlaceholderLines{"Sorry", "", ""};
        QTest::newRow("only line C") << QSize(120, 90) << PlaceholderLines{"", "", "not found"};
    }
    void canvas() {
        QFETCH(QSize, size);
        QFETCH(PlaceholderLines, lines);

        const QImage image = renderPlaceholder(size, lines);
        QCOMPARE(image.size(), size);
        const PlaceholderLayout layout = placeholderLayout(size);
        const QRect frame = layout.frame;
        const QRgb white = qRgb(255, 255, 255);

        // Background and the frame's corners.
        QCOMPARE(image.pixel(0, 0), placeholderBackground().rgb());
        QCOMPARE(image.pixel(size.width() - 1, size.height() - 1), placeholderBackground().rgb());
        QCOMPARE(image.pixel(frame.topLeft()), white);
        QCOMPARE(image.pixel(frame.bottomRight()), white);
        QCOMPARE(image.pixel(frame.center().x(), frame.top()), white);
        QCOMPARE(image.pixel(frame.left(), frame.center().y()), white);
        QCOMPARE(image.pixel(frame.left() - 1, frame.center().y()), placeholderBackground().rgb());

        // Line A inside the frame, lines B and C below it, each centred.
        const Ink a =
            inkIn(image, frame.left() + 1, frame.top() + 1, frame.right(), frame.bottom());
        const Ink b = inkIn(image, 0, frame.bottom() + 1, size.width(), layout.lineCTop);
        const Ink c = inkIn(image, 0, layout.lineCTop, size.width(), size.height());
        QCOMPARE(a.count > 0, !lines.lineA.isEmpty());
        QCOMPARE(b.count > 0, !lines.lineB.isEmpty());
        QCOMPARE(c.count > 0, !lines.lineC.isEmpty());
        for (const Ink &ink : {a, b, c}) {
            if (ink.count > 0)
                QVERIFY2(std::abs(ink.meanX - layout.centreX) < size.width() / 10.0,
                         qPrintable(QString::number(ink.meanX)));
        }
    }

    void layoutScalesWithTheCanvas() {
        const PlaceholderLayout small = placeholderLayout(QSize(120, 90));
        QCOMPARE(small.frame, QRect(QPoint(10, 10), QPoint(110, 48)));
        QCOMPARE(small.centreX, 60);
        QCOMPARE(small.lineATop, 15);     // 0.17 x 90 = 15.3
        QCOMPARE(small.lineBTop, 50);     // 50.4
        QCOMPARE(small.lineCTop, 66);     // 65.7
        QCOMPARE(small.lineAPixels, 22);  // 0.18 x 90 points at 96 dpi = 21.6
        QCOMPARE(small.lineBCPixels, 14); // 14.4

        const PlaceholderLayout large = placeholderLayout(QSize(240, 180));
        QCOMPARE(large.frame, QRect(QPoint(20, 20), QPoint(220, 96)));
        QCOMPARE(large.lineAPixels, 43);
    }

    void emptySizeGivesNoImage() { QVERIFY(renderPlaceholder(QSize(), {"a", "b", "c"}).isNull()); }
};

QTEST_MAIN(NotFoundTest)
#include "tst_notfound.moc"
