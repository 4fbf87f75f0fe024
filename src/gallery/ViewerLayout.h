#pragma once

// How the large viewer sizes, places and pans a picture, without a window.
//
// The viewer opens on the monitor nearest the place it was last left, centred
// there. A small picture (below 700 x 500) is enlarged to a client area 500
// pixels high, or 700 wide if that would be wider; a picture that fits the
// monitor is shown at its own size; a larger one at its own size in a window
// as large as the monitor, its middle in view, and moving the pointer pans it.
//
//     const QRect monitor = nearestMonitor(screenRects(), remembered);
//     const ViewerLayout layout = viewerLayout(picture.size(), monitor, frameExtra);
//     resize(layout.client); move(layout.windowTopLeft);
//     AniGIF1->setGeometry(layout.picture);
//     // pointer moves (screen coordinates):
//     if (layout.PanWide) x = panOffset(x, PanLastX, now.x(), w, client.width());

#include <QList>
#include <QLocale>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

namespace tavimo {

struct LanguageTexts;

inline constexpr int kSmallPictureWidth = 700;  // below both: a small picture
inline constexpr int kSmallPictureHeight = 500; // (and the enlarged client area)

struct ViewerLayout {
    enum class Fit {
        Enlarged, // small: stretched to 500 high or 700 wide
        OwnSize,  // fits the monitor, frame included
        Panned,   // larger than the monitor: clipped to it, panned
    };
    Fit fit = Fit::OwnSize;
    QSize client;         // the window's client area
    QRect picture;        // the picture within it (its own size unless enlarged)
    bool PanWide = false; // wider than the client area: moves sideways
    bool PanTall = false; // taller than the client area: moves up and down
    QPoint windowTopLeft; // the outer window, centred on the monitor
};

// `frameExtra`: what the window's frame adds to the client area.
ViewerLayout viewerLayout(QSize picture, const QRect &monitor, QSize frameExtra);

// The monitor holding `point`, else the one nearest to it; an empty rectangle
// when there is none.
QRect nearestMonitor(const QList<QRect> &monitors, QPoint point);

// The picture's new offset along one axis (0 or less) after the pointer moved
// from `last` to `now`: the picture moves the other way, as many times
// farther as it is larger than the client area, so that the pointer's travel
// over the client area covers the whole picture; it never leaves a gap.
int panOffset(int offset, int last, int now, int pictureExtent, int clientExtent);

// The window caption: "<LngFromPrefix><sender> - " (without a sender,
// nothing), the status, " - ", the date, " - ", "<w>x<h> pixels", " - ", the
// file's size with the locale's thousands separator and " bytes (Uploaded
// size)".
QString viewerCaption(const LanguageTexts &texts, const QString &from, const QString &info,
                      const QString &time, QSize picture, qint64 fileBytes,
                      const QLocale &locale = QLocale());

} // namespace tavimo
