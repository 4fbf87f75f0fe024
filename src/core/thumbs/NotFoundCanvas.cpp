#include "core/thumbs/NotFoundCanvas.h"

#include "core/base/Numbers.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace tavimo {

namespace {

// Canvas units across and down, whatever the pixels.
constexpr double kUnitsX = 120;
constexpr double kUnitsY = 90;

int whole(double value) {
    return toInt32(value).value_or(0);
}

// Points to pixels at 96 dots per inch.
int pointsToPixels(double points) {
    return std::max(1, whole(points * 96.0 / 72.0));
}

QFont fontOfPixels(int pixelSize) {
    QFont font = placeholderFont();
    font.setPixelSize(pixelSize);
    return font;
}

void drawCentred(QPainter &painter, const QString &text, int pixelSize, int centreX, int top) {
    if (text.isEmpty())
        return;
    const QFont font = fontOfPixels(pixelSize);
    painter.setFont(font);
    const QFontMetrics metrics(font, painter.device());
    const int width = metrics.horizontalAdvance(text);
    painter.drawText(QPoint(centreX - width / 2, top + metrics.ascent()), text);
}

} // namespace

int fittedPlaceholderPixels(const QString &text, int pixelSize, int canvasWidth) {
    // A pixel of room on either side, so that no letter touches the edge.
    const int room = std::max(1, canvasWidth - 2);
    int size = std::max(1, pixelSize);
    while (size > 1) {
        const int width = QFontMetrics(fontOfPixels(size)).horizontalAdvance(text);
        if (width <= room)
            break;
        // Text width grows about linearly with the size; the loop mops up rounding.
        size = std::min(size - 1, std::max(1, size * room / width));
    }
    return size;
}

namespace {

QString lineC(const LanguageTexts &texts, MissingPicture why) {
    switch (why) {
    case MissingPicture::DownloadFailed:
        return texts.LngFailed.trimmed();
    case MissingPicture::CannotShow:
        break;
    case MissingPicture::NotStored:
        return texts.LngNotStored.isEmpty() ? QStringLiteral("not stored") : texts.LngNotStored;
    }
    return texts.LngNotFound2;
}

} // namespace

MissingPicture missingPicture(bool pictureRead) {
    return pictureRead ? MissingPicture::CannotShow : MissingPicture::DownloadFailed;
}

PlaceholderLines slotNotFoundLines(const LanguageTexts &texts, bool wxPage, MissingPicture why) {
    return {texts.LngNotFound1,
            wxPage ? texts.LngNotFound3 : texts.LngNotFound3 + QStringLiteral(" 1"),
            lineC(texts, why)};
}

PlaceholderLines galleryNotFoundLines(const LanguageTexts &texts, int cell, MissingPicture why) {
    return {texts.LngNotFound1, texts.LngNotFound3 + u' ' + QString::number(cell + 1),
            lineC(texts, why)};
}

PlaceholderLines slotNotFoundLines(const LanguageTexts &texts, bool wxPage, bool pictureRead) {
    return slotNotFoundLines(texts, wxPage, missingPicture(pictureRead));
}

PlaceholderLines galleryNotFoundLines(const LanguageTexts &texts, int cell, bool pictureRead) {
    return galleryNotFoundLines(texts, cell, missingPicture(pictureRead));
}

QColor placeholderBackground() {
    return QColor(40, 40, 40);
}

QColor placeholderForeground() {
    return QColor(255, 255, 255);
}

QFont placeholderFont() {
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setBold(true);
    return font;
}

PlaceholderLayout placeholderLayout(QSize pixels) {
    const double w = pixels.width();
    const double h = pixels.height();
    PlaceholderLayout layout;
    const QPoint topLeft(whole(10 * w / kUnitsX), whole(10 * h / kUnitsY));
    const QPoint bottomRight(whole(110 * w / kUnitsX), whole(48 * h / kUnitsY));
    layout.frame = QRect(topLeft, bottomRight);
    layout.centreX = whole(w / 2);
    layout.lineAPixels = pointsToPixels(0.18 * h);
    layout.lineBCPixels = pointsToPixels(0.12 * h);
    layout.lineATop = whole(0.17 * h);
    layout.lineBTop = whole(0.56 * h);
    layout.lineCTop = whole(0.73 * h);
    return layout;
}

QImage renderPlaceholder(QSize pixels, const PlaceholderLines &lines) {
    if (pixels.isEmpty())
        return {};
    QImage image(pixels, QImage::Format_RGB32);
    image.fill(placeholderBackground());
    const PlaceholderLayout layout = placeholderLayout(pixels);

    QPainter painter(&image);
    painter.setPen(QPen(placeholderForeground(), 1));
    painter.setBrush(Qt::NoBrush);
    // A one-pixel outline through both corners.
    const QRect &f = layout.frame;
    painter.drawRect(QRect(f.left(), f.top(), f.width() - 1, f.height() - 1));

    painter.setRenderHint(QPainter::TextAntialiasing, true);
    // A line too long for the canvas (a long word of some language) is drawn
    // smaller rather than cut at both edges; line A stays inside its frame.
    const int width = pixels.width();
    drawCentred(painter, lines.lineA,
                fittedPlaceholderPixels(lines.lineA, layout.lineAPixels, f.width() - 2),
                layout.centreX, layout.lineATop);
    drawCentred(painter, lines.lineB,
                fittedPlaceholderPixels(lines.lineB, layout.lineBCPixels, width), layout.centreX,
                layout.lineBTop);
    drawCentred(painter, lines.lineC,
                fittedPlaceholderPixels(lines.lineC, layout.lineBCPixels, width), layout.centreX,
                layout.lineCTop);
    return image;
}

} // namespace tavimo
