#include "core/thumbs/GridGeometry.h"

#include "core/base/Numbers.h"

#include <QScreen>

#include <algorithm>
#include <array>
#include <cmath>

namespace tavimo {

namespace {

constexpr int DefaultTwipsPerPixel = 15;
constexpr double TwipsPerInch = 1440.0;

int roundToInt(double value) {
    return static_cast<int>(roundHalfEven(value));
}

int clampGuiSize(int guiSize) {
    return std::clamp(guiSize, 0, 3);
}

struct GuiSizeRow {
    double widthFactor;         // settings 1 to 3 (five columns)
    double widthFactorSetting4; // six columns
    int labelK;
};

constexpr std::array<GuiSizeRow, 4> GuiSizes{{
    {0.57, 0.68, 4},
    {0.8, 0.955, 5},
    {0.9333, 1.12, 6},
    {1.13333, 1.355, 7},
}};

} // namespace

int clampTwipsPerPixel(int twipsPerPixel) {
    return twipsPerPixel < 10 || twipsPerPixel > 20 ? DefaultTwipsPerPixel : twipsPerPixel;
}

int twipsPerPixelForDpi(double dotsPerInch) {
    if (!(dotsPerInch > 0) || !std::isfinite(dotsPerInch))
        return DefaultTwipsPerPixel;
    const double twips = roundHalfEven(TwipsPerInch / dotsPerInch);
    if (twips > 1000)
        return DefaultTwipsPerPixel;
    return clampTwipsPerPixel(static_cast<int>(twips));
}

ScreenMetrics screenMetrics(QSize screenPixels, double dpiX, double dpiY) {
    ScreenMetrics metrics;
    metrics.twipsPerPixelX = twipsPerPixelForDpi(dpiX);
    metrics.twipsPerPixelY = twipsPerPixelForDpi(dpiY);
    metrics.screenWidth = std::max(0, screenPixels.width()) * metrics.twipsPerPixelX;
    metrics.screenHeight = std::max(0, screenPixels.height()) * metrics.twipsPerPixelY;
    return metrics;
}

ScreenMetrics screenMetrics(const QScreen *screen) {
    if (!screen)
        return screenMetrics(QSize(1920, 1080), 96, 96);
    return screenMetrics(screen->geometry().size(), screen->logicalDotsPerInchX(),
                         screen->logicalDotsPerInchY());
}

FrameExtra frameExtra(QSize outerPixels, QSize clientPixels, const ScreenMetrics &screen) {
    return FrameExtra{(outerPixels.width() - clientPixels.width()) * screen.twipsPerPixelX,
                      (outerPixels.height() - clientPixels.height()) * screen.twipsPerPixelY};
}

std::optional<ThumbLayout> thumbLayout(int setting) {
    struct Row {
        int slotCount, rows, cols;
        double f;
    };
    static constexpr std::array<Row, 4> rows{{
        {5, 1, 5, 0.183},
        {10, 2, 5, 0.365},
        {15, 3, 5, 0.545},
        {24, 4, 6, 0.61},
    }};
    if (setting < 1 || setting > 4)
        return std::nullopt;
    const Row &row = rows[static_cast<size_t>(setting - 1)];
    return ThumbLayout{setting,
                       row.slotCount,
                       row.rows,
                       row.cols,
                       row.f,
                       gridScaleWidth(row.cols),
                       gridScaleHeight(row.rows)};
}

double windowWidthFactor(int guiSize, bool forSetting4) {
    const GuiSizeRow &row = GuiSizes[static_cast<size_t>(clampGuiSize(guiSize))];
    return forSetting4 ? row.widthFactorSetting4 : row.widthFactor;
}

double labelFontSize(int screenHeightTwips, int guiSize) {
    const int k = GuiSizes[static_cast<size_t>(clampGuiSize(guiSize))].labelK;
    return static_cast<double>(screenHeightTwips) * k / 9000.0;
}

MainWindowSize mainWindowSize(const ScreenMetrics &screen, int guiSize, const ThumbLayout &layout,
                              const FrameExtra &extra) {
    const int tppX = clampTwipsPerPixel(screen.twipsPerPixelX);
    const int tppY = clampTwipsPerPixel(screen.twipsPerPixelY);
    MainWindowSize size;
    size.widthTwips = screen.screenHeight * windowWidthFactor(guiSize, layout.setting == 4);
    size.widthPixels = roundToInt(size.widthTwips / tppX);
    // The height is taken from the width the window really has, which is a
    // whole number of pixels, so that the client area keeps the grid's shape.
    const double widthTaken = static_cast<double>(size.widthPixels) * tppX;
    size.heightTwips = (widthTaken - extra.width) * layout.heightFactor + extra.height;
    size.heightPixels = std::max(0, roundToInt(size.heightTwips / tppY));
    return size;
}

QPoint cellOrigin(int slot, int gridCols) {
    return QPoint(GridMarginX + CellPitchX * slotColumn(slot, gridCols),
                  GridMarginY + CellPitchY * slotRow(slot, gridCols));
}

CellGeometry cellGeometry(int slot, int gridCols) {
    const QPoint o = cellOrigin(slot, gridCols);
    const int x = o.x();
    const int y = o.y();
    CellGeometry cell;
    cell.shape1 = QRect(x, y, CellWidth, CellHeight);
    cell.line1 = QLineF(x, y, x, y + CellHeight);
    cell.line2 = QLineF(x, y, x + CellWidth, y);
    cell.img = QRect(x + 4, y + 4, 120, 90);
    cell.imgAfterPageSwitch = QRect(x + 5, y + 5, 120, 90);
    cell.lblCall = QRect(x, y + 95, 130, 15);
    cell.lblFrom = QRect(x + 15, y + 104, 100, 15);
    cell.lblConnect = cell.lblFrom;
    cell.picProg = QRect(x + 23, y + 107, 84, 6);
    cell.bounds = cell.shape1 | cell.img | cell.imgAfterPageSwitch | cell.lblCall | cell.lblFrom |
                  cell.picProg;
    return cell;
}

UserScale::UserScale(QSizeF scale, QSize clientPixels) : m_scale(scale), m_client(clientPixels) {
    if (scale.width() > 0)
        m_fx = clientPixels.width() / scale.width();
    if (scale.height() > 0)
        m_fy = clientPixels.height() / scale.height();
}

int UserScale::toPixelX(double units) const {
    return roundToInt(units * m_fx);
}

int UserScale::toPixelY(double units) const {
    return roundToInt(units * m_fy);
}

QPoint UserScale::toPixels(QPointF units) const {
    return QPoint(toPixelX(units.x()), toPixelY(units.y()));
}

QRect UserScale::toPixels(const QRectF &units) const {
    const int left = toPixelX(units.left());
    const int top = toPixelY(units.top());
    const int right = toPixelX(units.left() + units.width());
    const int bottom = toPixelY(units.top() + units.height());
    return QRect(left, top, right - left, bottom - top);
}

QLine UserScale::toPixels(const QLineF &units) const {
    return QLine(toPixels(units.p1()), toPixels(units.p2()));
}

QPointF UserScale::toUnits(QPointF pixels) const {
    return QPointF(m_fx > 0 ? pixels.x() / m_fx : 0.0, m_fy > 0 ? pixels.y() / m_fy : 0.0);
}

} // namespace tavimo
