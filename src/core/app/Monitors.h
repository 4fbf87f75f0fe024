#pragma once

#include <QList>
#include <QRect>

#include <cstdint>

namespace tavimo {

// One monitor: its number in the enumeration (there are no handles here) and
// its full rectangle in virtual-screen pixels, not the work area. Right and
// Bottom lie one past the last pixel.
struct MonitorRect {
    std::int32_t hMonitor = 0;
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;

    friend bool operator==(const MonitorRect &, const MonitorRect &) = default;
};

// The monitor list. Element 0 is never filled; 1 to MonitorCount hold the
// monitors of the last enumeration. An enumeration overwrites those elements
// and never shrinks the array, so a monitor unplugged since an earlier run
// still has its old rectangle beyond MonitorCount.
struct MonitorList {
    QList<MonitorRect> Monitors{MonitorRect{}};
    std::int16_t MonitorCount = 0;

    // Sets MonitorCount to 0 and appends each rectangle in turn, numbering
    // them from 1.
    void enumerate(const QList<QRect> &screens);
};

// The full geometry of every screen, in the order the platform lists them.
QList<QRect> screenRects();

} // namespace tavimo
