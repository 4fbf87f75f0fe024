#pragma once

// The placeholder drawn where a slot's (or a gallery cell's) picture cannot be
// had: three white lines of text and a white frame on dark grey.
//
//        +-------------+
//        |    Sorry    |      line A, large, inside the frame
//        +-------------+
//           Image 1           line B
//          not found          line C ("(download failed)" when the download failed)
//
// The canvas is laid out in 120 x 90 units whatever its size in pixels: the
// frame runs from (10, 10) to (110, 48); line A is 0.18 x H points high at
// 0.17 x H, lines B and C are 0.12 x H points high at 0.56 x H and 0.73 x H,
// each centred, and smaller when they would not fit across; H is the height in pixels. Points are
// those of the usual 96 dots per inch, so the texts keep their place whatever the screen.
//
// The main window's placeholder (after stFrom = "Not found", pass.finish and,
// on SSTV pages, the first-failure date and the age):
//
//     const QImage canvas = renderPlaceholder(img[slot]->size(),
//                                             slotNotFoundLines(texts, page.isWxPage(),
//                                             pictureRead));
//     img[slot]->setPixmap(QPixmap::fromImage(canvas));

#include "core/text/Language.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

namespace tavimo {

struct PlaceholderLines {
    QString lineA;
    QString lineB;
    QString lineC;

    bool operator==(const PlaceholderLines &) const = default;
};

// Why a slot shows the placeholder rather than its picture.
enum class MissingPicture {
    DownloadFailed, // line C: LngFailed without its surrounding blanks
    CannotShow,     // the picture was read but cannot be shown: LngNotFound2
    NotStored,      // it came, but its file could not be written: LngNotStored
};
// CannotShow when the picture was read, else DownloadFailed.
MissingPicture missingPicture(bool pictureRead);

// Main window: LngNotFound1; LngNotFound3 & " 1" (SSTV) or LngNotFound3 (WX);
// line C by why the picture is missing.
PlaceholderLines slotNotFoundLines(const LanguageTexts &texts, bool wxPage, MissingPicture why);
PlaceholderLines slotNotFoundLines(const LanguageTexts &texts, bool wxPage, bool pictureRead);

// Gallery: as the main window's, with the cell's number (cell + 1) in line B.
PlaceholderLines galleryNotFoundLines(const LanguageTexts &texts, int cell, MissingPicture why);
PlaceholderLines galleryNotFoundLines(const LanguageTexts &texts, int cell, bool pictureRead);

QColor placeholderBackground(); // RGB(40, 40, 40)
QColor placeholderForeground(); // white

// Bold Arial (any metric-compatible face the system maps it to).
QFont placeholderFont();

// Where things go on a canvas of `pixels`.
struct PlaceholderLayout {
    QRect frame; // the outline, corners included
    int centreX = 0;
    int lineAPixels = 0; // font heights in pixels
    int lineBCPixels = 0;
    int lineATop = 0; // top of each line's text
    int lineBTop = 0;
    int lineCTop = 0;
};
PlaceholderLayout placeholderLayout(QSize pixels);

// The pixel size a placeholder line is drawn in: `pixelSize`, or smaller when
// the line would not fit across a canvas `canvasWidth` pixels wide.
int fittedPlaceholderPixels(const QString &text, int pixelSize, int canvasWidth);

// Paints the placeholder; a line too wide for the canvas shrinks to fit. An
// empty size gives a null image.
QImage renderPlaceholder(QSize pixels, const PlaceholderLines &lines);

} // namespace tavimo
