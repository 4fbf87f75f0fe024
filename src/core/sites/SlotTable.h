#pragma once

#include <QString>

#include <array>

namespace tavimo {

// What the program knows about each thumbnail slot of the page on show: 30 rows
// (slots 0 to 29, the most any layout has) of 10 text cells. Row numbers are
// also the gallery's cell numbers; the gallery keeps to its own columns.
//
// Column 0 is never used. The main window writes `stFrom`, `stInfo` and
// `stTime` (and `stFailure`) per answer, `stSiteCall` and `stSiteIndex` when it places a site,
// and `stCheckHeight` per check picture; the gallery writes only the three
// `stGal*` columns.
inline constexpr int stFrom = 1;        // sender from the trailer ("0", not "Ø"), or "Not found"
inline constexpr int stInfo = 2;        // "Old", "Animated" or the trailer's status field
inline constexpr int stTime = 3;        // the site's last-picture date in the system's order
inline constexpr int stGalFrom = 4;     // gallery cell: sender
inline constexpr int stGalInfo = 5;     // gallery cell: status
inline constexpr int stGalTime = 6;     // gallery cell: picture date
inline constexpr int stSiteCall = 7;    // the slot's SSTV callsign as shown (zeros as ZeroChar)
inline constexpr int stSiteIndex = 8;   // that site's index in SiteList, as decimal text
inline constexpr int stCheckHeight = 9; // last check-picture height; "0" or "" = none
inline constexpr int stFailure = 10;    // why the slot's picture could not be read ("" none)
inline constexpr int stGalFailure = 11; // gallery cell: the same

class SlotTable {
public:
    static constexpr int Rows = 30;
    static constexpr int Columns = 12;

    // The cell's text; "" for a row or column outside the table, so a slot
    // number read from a stale answer can never reach past it.
    QString value(int row, int column) const;
    // Writes one cell; a row or column outside the table is ignored.
    void setValue(int row, int column, const QString &text);

    // Every cell "" again: after a page change, a page reload from the slot
    // menu and a change of the site lists. Without a remembered check height
    // every picture is downloaded again on the next pass.
    void erase();

    static bool isRow(int row) { return row >= 0 && row < Rows; }

private:
    std::array<std::array<QString, Columns>, Rows> cells_;
};

} // namespace tavimo
