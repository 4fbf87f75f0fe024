#pragma once

#include <QChar>
#include <QString>

namespace tavimo {

// Where a site sits on each page.
//
// SSTV: ten characters, one per SSTV page; "0" = not on that page, otherwise
// the slot index plus one as "1".."9", "A" (10), "B" (11) and so on.
// WX: the decimal text of the slot index plus one on the WX page; "0", an
// empty text or any text without a leading number = not placed.

inline const QString kEmptySlotMap = QStringLiteral("0000000000");

// The slot index a slot-map character stands for, -1 for "0" (not placed).
int slotIndexFromChar(QChar c);
// The character for a slot index (0 -> "1", 9 -> "A", 23 -> "O"); -1 gives "0".
QChar slotChar(int slotIndex);

// The slot index of an SSTV site on page 1..10, -1 when it is not there (or the
// map is too short to say).
int sstvSlotOnPage(const QString &slotMap, int page);
// The map with the site placed in slotIndex on the page (-1 removes it).
QString withSstvSlotOnPage(QString slotMap, int page, int slotIndex);

// The slot index of a WX site, -1 when it is not placed.
int wxSlotIndex(const QString &slotMap);
// The WX slot-map text for a slot index; -1 gives "0".
QString wxSlotText(int slotIndex);

} // namespace tavimo
