// Time of laying out the main window's grid for each thumbnail setting: the
// window size, every cell's parts and their pixel rectangles for a client area.
// Run it after a change to the geometry; it prints, it does not judge.

#include "core/thumbs/GridGeometry.h"

#include <QElapsedTimer>

#include <cstdio>

using namespace tavimo;

namespace {

// Everything a layout pass of the main window computes, summed so that the
// compiler cannot drop it.
long long layoutOnce(const ThumbLayout &layout, const ScreenMetrics &screen, int guiSize) {
    const MainWindowSize size = mainWindowSize(screen, guiSize, layout, FrameExtra{150, 900});
    const UserScale scale(layout.scaleSize(), QSize(size.widthPixels - 10, size.heightPixels - 60));
    long long sum = size.widthPixels + size.heightPixels;
    for (int slot = 0; slot < layout.slotCount; ++slot) {
        const CellGeometry cell = cellGeometry(slot, layout.gridCols);
        for (const QRect &units :
             {cell.shape1, cell.img, cell.lblCall, cell.lblFrom, cell.lblConnect, cell.picProg}) {
            const QRect px = scale.toPixels(units);
            sum += px.x() + px.y() + px.width() + px.height();
        }
        const QLine left = scale.toPixels(cell.line1);
        const QLine top = scale.toPixels(cell.line2);
        sum += left.y2() + top.x2();
    }
    return sum;
}

} // namespace

int main() {
    const ScreenMetrics screen = screenMetrics(QSize(1920, 1080), 96, 96);
    constexpr int rounds = 200000;
    std::printf("%-8s %6s %14s %14s\n", "setting", "slots", "ns per layout", "ns per cell");
    long long guard = 0;
    for (int setting = 1; setting <= 4; ++setting) {
        const ThumbLayout layout = *thumbLayout(setting);
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < rounds; ++i)
            guard += layoutOnce(layout, screen, i & 3);
        const double ns = static_cast<double>(timer.nsecsElapsed()) / rounds;
        std::printf("%-8d %6d %14.1f %14.1f\n", setting, layout.slotCount, ns,
                    ns / layout.slotCount);
    }
    std::printf("(checksum %lld)\n", guard);
    return 0;
}
