#pragma once

// What the site map and the page map windows share besides their canvas: the
// chosen map picture, the window's place on the screen, the labels and their
// frames, and the menu of map pictures.

#include <QPixmap>
#include <QRect>
#include <QString>
#include <QStringList>

#include <optional>

class QFrame;
class QLabel;
class QMenu;
class QWidget;

namespace tavimo {

struct AppPaths;
struct AppState;

struct MapPicture {
    QString item;    // the map list entry: the file name with its extension
    QString mapName; // the entry less its extension, which chooses the projection
    QPixmap pixmap;
};

// The picture of map list entry `mapIndex` from the Maps folder. Nothing when
// there is no such entry or the file cannot be read as a picture; `message`
// then says so, naming the file.
std::optional<MapPicture> loadMapPicture(const AppPaths &paths, const QStringList &lstMap,
                                         int mapIndex, QString *message);

// loadMapPicture of entry `mapIndex`; when it fails, the message is shown.
std::optional<MapPicture> loadMapPictureOrSay(AppState &state, int mapIndex);

// The map menu's choice `Index` as both map windows take it: 0 brings the main
// window to the front; k is map list entry k - 1, whose picture is returned
// and which becomes MapIndex. Nothing for 0 or a picture that cannot be read.
std::optional<MapPicture> takeMapMenuChoice(AppState &state, int Index);

// The free area of the screen the window is on (of `fallback`'s screen before
// it is shown; of the primary screen without either).
QRect screenAreaOf(const QWidget &window, const QWidget *fallback);

// What the window manager's frame adds to the window: measured on the window
// once shown, else on `fallback`, else nothing.
QSize frameSizeOf(const QWidget &window, const QWidget *fallback);

// Sizes the window's client area to the picture, no larger than the area less
// the frame, and centres the window on the area.
void placeMapWindow(QWidget &window, QSize picture, const QRect &area, QSize frame);

// What a label on the map is drawn in: the desktop's tool-tip colours, or dark
// text on white.
enum class MapLabelColours { ToolTip, White };

// A label that fits its text, bold "Arial" of the given size in `colours`; it
// lies on the map picture.
QLabel *makeMapLabel(QWidget *parent, qreal pointSize, MapLabelColours colours);

// A rectangle around a label, drawn in black, that lets the mouse through.
QFrame *makeLabelFrame(QWidget *parent);

// Moves the frame `margin` pixels outside the label's top-left corner, `grow`
// pixels wider and higher than the label, and shows the frame, then the
// label, above everything else.
void frameLabel(QFrame *frame, QLabel *label, int margin, int grow);

// Fills `menu` with `firstCaption` and one checkable item per map picture
// (its file name), the one at `mapIndex` checked. Each item's data is its
// index: 0 for the first item, 1 + the list index for a map.
void fillMapMenu(QMenu &menu, const QString &firstCaption, const QStringList &lstMap, int mapIndex);

} // namespace tavimo
