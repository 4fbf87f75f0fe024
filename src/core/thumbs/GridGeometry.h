#pragma once

// Geometry of the thumbnail grid shared by the main window and the gallery.
//
// Both windows lay their cells out in a user scale: the client area is
// `scaleWidth` x `scaleHeight` units whatever its size in pixels, and every
// cell sits at a fixed unit position with a pitch of 132 x 119 units. Window
// sizes are worked out in twips (1/1440 inch) from the screen height, the way
// the program always sized its windows, and then turned into pixels.
//
// Everything here is pure: no widget is touched. The main window uses it like
// this:
//
//     const ScreenMetrics screen = screenMetrics(this->screen());
//     // Before resizing, what the frame (title bar, borders, menu bar) adds:
//     const FrameExtra extra = frameExtra(frameGeometry().size(), centralWidget()->size(), screen);
//     layout = thumbLayout(setting).value_or(layout); // an invalid setting keeps the old one
//     const MainWindowSize size = mainWindowSize(screen, guiSize, layout, extra);
//     // resize() leaves the decorations out (decoration = frameGeometry() less geometry()):
//     resize(size.widthPixels - decorationW, size.heightPixels - decorationH);
//     const double labelPoints = labelFontSize(screen.screenHeight, guiSize);
//     ...
//     // on every resize of the central widget:
//     const UserScale scale(layout.scaleSize(), centralWidget()->size());
//     for (int slot = 0; slot < layout.slotCount; ++slot) {
//         const CellGeometry cell = cellGeometry(slot, layout.gridCols);
//         const QRect bounds = scale.toPixels(cell.bounds);
//         cells[slot]->setGeometry(bounds);
//         // its parts relative to the cell:
//         lblCall->setGeometry(scale.toPixels(cell.lblCall).translated(-bounds.topLeft()));
//     }

#include <QLineF>
#include <QPoint>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QSizeF>

#include <optional>

class QScreen;

namespace tavimo {

// --- Screen measures ------------------------------------------------------

// Twips per pixel as the window sizes expect it: a value outside 10..20 is
// replaced by 15 (which is 96 dots per inch).
int clampTwipsPerPixel(int twipsPerPixel);

// Twips per pixel for a screen of the given logical resolution (1440 / dpi,
// rounded, then clamped as above). 96 dpi gives 15, 120 dpi gives 12.
int twipsPerPixelForDpi(double dotsPerInch);

// The screen in twips: what `TwipsPerPixelX`/`TwipsPerPixelY`,
// `ScreenWidth` and `ScreenHeight` hold for the rest of the program.
struct ScreenMetrics {
    int twipsPerPixelX = 15;
    int twipsPerPixelY = 15;
    int screenWidth = 0;  // twips
    int screenHeight = 0; // twips
};

// From a screen size in pixels and its logical resolution.
ScreenMetrics screenMetrics(QSize screenPixels, double dpiX, double dpiY);

// From a real screen (its full geometry and logical dpi); a null screen
// gives the measures of a 1920 x 1080 screen at 96 dpi.
ScreenMetrics screenMetrics(const QScreen *screen);

// --- Window frame ---------------------------------------------------------

// What the window's frame adds to its client area, in twips: the outer window
// size less the client size. Measured before every layout, since it changes
// with the window manager and the menu bar's height.
struct FrameExtra {
    int width = 0;  // `FrameExtraW`
    int height = 0; // `FrameExtraH`
};

FrameExtra frameExtra(QSize outerPixels, QSize clientPixels, const ScreenMetrics &screen);

// --- Grid per thumbnail setting --------------------------------------------

inline constexpr int CellPitchX = 132;
inline constexpr int CellPitchY = 119;
inline constexpr int CellWidth = 130;  // the frame `Shape1`
inline constexpr int CellHeight = 117; // the frame `Shape1`
inline constexpr int GridMarginX = 6;  // left (and right) of the first column
inline constexpr int GridMarginY = 2;  // above (and below) the first row

// Scale width for a grid of `cols` columns (670 for five, 802 for six).
constexpr int gridScaleWidth(int cols) {
    return GridMarginX + (cols - 1) * CellPitchX + CellWidth + GridMarginX;
}
// Scale height for a grid of `rows` rows (121, 240, 359, 478 for one to four).
constexpr int gridScaleHeight(int rows) {
    return GridMarginY + (rows - 1) * CellPitchY + CellHeight + GridMarginY;
}

// One thumbnail setting (1..4: 5, 10, 15 or 24 slots).
struct ThumbLayout {
    int setting = 0;
    int slotCount = 0;       // `SlotCount`
    int gridRows = 0;        // `GridRows`
    int gridCols = 0;        // `GridCols`
    double heightFactor = 0; // client height per client width of the window
    int scaleWidth = 0;      // user scale of the client area
    int scaleHeight = 0;

    QSizeF scaleSize() const { return QSizeF(scaleWidth, scaleHeight); }
    friend bool operator==(const ThumbLayout &, const ThumbLayout &) = default;
};

// The layout of a setting; nothing for a setting outside 1..4, in which case
// the caller keeps the layout it has (`thumbLayout(s).value_or(current)`).
std::optional<ThumbLayout> thumbLayout(int setting);

// --- Window size per GUI size ----------------------------------------------

// `GuiSize` 0..3 (small to extra large); values outside are clamped.
// Window width per screen height: `forSetting4` picks the wider six-column
// factor. The gallery uses the five-column factor.
double windowWidthFactor(int guiSize, bool forSetting4);

// `LabelFontSize` in points: screen height (twips) x (4 + GuiSize) / 9000.
double labelFontSize(int screenHeightTwips, int guiSize);

struct MainWindowSize {
    double widthTwips = 0;  // asked for
    double heightTwips = 0; // from the width as the window took it (whole pixels)
    int widthPixels = 0;    // outer size, frame included
    int heightPixels = 0;
};

// The main window's outer size for a GUI size and layout. The height follows
// the width that the window really takes (a whole number of pixels):
// height = (width - FrameExtraW) x f + FrameExtraH.
MainWindowSize mainWindowSize(const ScreenMetrics &screen, int guiSize, const ThumbLayout &layout,
                              const FrameExtra &extra);

// --- Cells ------------------------------------------------------------------

// Row and column of a slot: slots run left to right, row by row, from 0.
constexpr int slotRow(int slot, int gridCols) {
    return gridCols > 0 ? slot / gridCols : 0;
}
constexpr int slotColumn(int slot, int gridCols) {
    return gridCols > 0 ? slot % gridCols : 0;
}

// Top-left corner of the slot's frame, in units.
QPoint cellOrigin(int slot, int gridCols);

// Every part of one main-window cell, in window units (the fields carry the
// names of the cell's parts).
struct CellGeometry {
    QRect bounds;             // everything below: the frame and the 2 units of
                              // sender label that hang below it
    QRect shape1;             // the cell's frame, 130 x 117
    QLineF line1;             // white left edge of the frame
    QLineF line2;             // white top edge of the frame
    QRect img;                // the picture after a layout
    QRect imgAfterPageSwitch; // the picture after a page switch, one unit right and down
    QRect lblCall;            // site callsign and age
    QRect lblFrom;            // sender callsign
    QRect lblConnect;         // the waiting text; same place as lblFrom
    QRect picProg;            // download progress bar
};

CellGeometry cellGeometry(int slot, int gridCols);

// --- User scale to pixels ---------------------------------------------------

// Maps a user scale onto a client area in pixels: x_px = x_units x clientWidth /
// scaleWidth, likewise for y, each rounded to the nearest pixel. Rectangles
// map their edges, so cells that touch in units touch in pixels. An empty
// scale maps everything to 0.
class UserScale {
public:
    UserScale(QSizeF scale, QSize clientPixels);

    int toPixelX(double units) const;
    int toPixelY(double units) const;
    QPoint toPixels(QPointF units) const;
    QRect toPixels(const QRectF &units) const;
    QLine toPixels(const QLineF &units) const;

    // A pixel position (say of the mouse) in units.
    QPointF toUnits(QPointF pixels) const;

    QSizeF scale() const { return m_scale; }
    QSize clientPixels() const { return m_client; }

private:
    QSizeF m_scale;
    QSize m_client;
    double m_fx = 0;
    double m_fy = 0;
};

} // namespace tavimo
