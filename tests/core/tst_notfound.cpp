#include "core/thumbs/NotFoundCanvas.h"

#include <QTest>

using namespace tavimo;

namespace {

// Pixels that differ from the background in the rows [top, bottom) and
// columns [left, right), with the mean column of those found.
struct Ink {
    int count = 0;
    double meanX = 0;
};
Ink inkIn(const QImage &image, int left, int top, int right, int bottom) {
    Ink ink;
    for (int y = std::max(0, top); y < std::min(bottom, image.height()); ++y) {
        for (int x = std::max(0, left); x < std::min(right, image.width()); ++x) {
            if (image.pixel(x, y) != placeholderBackground().rgb()) {
                ++ink.count;
                ink.meanX += x;
            }
        }
    }
    if (ink.count > 0)
        ink.meanX /= ink.count;
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
        QTest::addColumn<QString>("lines");

        QTest::newRow("SSTV picture cannot be shown") << "sstv" << true << "Image 1|not found";
        QTest::newRow("WX download failed") << "wx" << false << "Image|(download failed)";
        QTest::newRow("gallery cell 6 shows 7") << "cell6" << true << "Image 7|not found";
    }
    void lines() {
        QFETCH(QString, where);
        QFETCH(bool, pictureRead);
        LanguageTexts t;
        t.LngNotFound1 = QStringLiteral("Sorry");
        t.LngNotFound2 = QStringLiteral("not found");
        t.LngNotFound3 = QStringLiteral("Image");
        t.LngFailed = QStringLiteral("  (download failed) ");
        const PlaceholderLines l = where == u"cell6"
                                       ? galleryNotFoundLines(t, 6, pictureRead)
                                       : slotNotFoundLines(t, where == u"wx", pictureRead);
        QCOMPARE(l.lineA, QStringLiteral("Sorry"));
        QTEST(l.lineB + u'|' + l.lineC, "lines");
    }

    void canvas_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<PlaceholderLines>("lines");
        QTest::newRow("cell size") << QSize(120, 90) << PlaceholderLines{"Sorry", "Image 1", "x"};
        QTest::newRow("odd size") << QSize(131, 97) << PlaceholderLines{"Sorry", "Image 1", "x"};
        QTest::newRow("only line C") << QSize(120, 90) << PlaceholderLines{"", "", "not found"};
    }
    void canvas() {
        QFETCH(QSize, size);
        QFETCH(PlaceholderLines, lines);
        const QImage image = renderPlaceholder(size, lines);
        QCOMPARE(image.size(), size);
        const PlaceholderLayout layout = placeholderLayout(size);
        const QRect frame = layout.frame;
        const QRgb white = qRgb(255, 255, 255), background = placeholderBackground().rgb();
        QCOMPARE(image.pixel(0, 0), background);
        QCOMPARE(image.pixel(frame.topLeft()), white);
        QCOMPARE(image.pixel(frame.bottomRight()), white);
        QCOMPARE(image.pixel(frame.left() - 1, frame.center().y()), background);

        // Line A inside the frame, lines B and C below it, each centred.
        const Ink a =
            inkIn(image, frame.left() + 1, frame.top() + 1, frame.right(), frame.bottom());
        const Ink b = inkIn(image, 0, frame.bottom() + 1, size.width(), layout.lineCTop);
        const Ink c = inkIn(image, 0, layout.lineCTop, size.width(), size.height());
        QCOMPARE(a.count > 0, !lines.lineA.isEmpty());
        QCOMPARE(b.count > 0, !lines.lineB.isEmpty());
        QCOMPARE(c.count > 0, !lines.lineC.isEmpty());
        for (const Ink &ink : {a, b, c})
            if (ink.count > 0)
                QVERIFY(std::abs(ink.meanX - layout.centreX) < size.width() / 10.0);
    }

    void emptySizeGivesNoImage() { QVERIFY(renderPlaceholder(QSize(), {"a", "b", "c"}).isNull()); }
};

QTEST_MAIN(NotFoundTest)
#include "tst_notfound.moc"
