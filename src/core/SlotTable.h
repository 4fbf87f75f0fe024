#pragma once

#include <QString>

#include <array>

namespace tavimo {

// Columns of the slot table. Column 0 stays empty; 4 to 6 belong to the
// gallery, and the page map keeps distance and azimuth in 4 and 5.
enum SlotColumn : int {
    stFrom = 1,        // sender's callsign from the picture trailer, or "Not found"
    stInfo = 2,        // "Old", "Animated" or the trailer's status
    stTime = 3,        // the picture's date, in the system's order
    stGalFrom = 4,     // gallery: sender
    stGalInfo = 5,     // gallery: status
    stGalTime = 6,     // gallery: time
    stSiteCall = 7,    // callsign of the SSTV site in the slot, as shown (ZeroChar)
    stSiteIndex = 8,   // its index in SiteList, as decimal text
    stCheckHeight = 9, // height of the last check picture; "0" forces a download
    stDistance = stGalFrom,
    stAzimuth = stGalInfo,
};

inline constexpr int kSlotRows = 30; // slots 0 to 29, more than any page has
inline constexpr int kSlotColumns = 10;

// What the program knows about each slot of the page shown. Every cell is a
// text; an erased table makes every picture download again.
struct SlotTable {
    std::array<std::array<QString, kSlotColumns>, kSlotRows> cells;

    // A slot or column outside the table reads as empty and writes nowhere.
    QString at(int slot, int column) const {
        return valid(slot, column) ? cells[std::size_t(slot)][std::size_t(column)] : QString();
    }
    void set(int slot, int column, const QString &text) {
        if (valid(slot, column))
            cells[std::size_t(slot)][std::size_t(column)] = text;
    }
    void erase() {
        for (auto &row : cells)
            row.fill(QString());
    }

    static bool valid(int slot, int column) {
        return slot >= 0 && slot < kSlotRows && column >= 0 && column < kSlotColumns;
    }
};

} // namespace tavimo
