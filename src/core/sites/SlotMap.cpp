#include "core/sites/SlotMap.h"

#include "core/base/Numbers.h"

namespace tavimo {

int slotIndexFromChar(QChar c) {
    const int code = c.unicode();
    const int value = code < 'A' ? code - 48 : code - 55;
    return value > 0 ? value - 1 : -1;
}

QChar slotChar(int slotIndex) {
    if (slotIndex < 0)
        return u'0';
    const int value = slotIndex + 1;
    return QChar(value < 10 ? '0' + value : value + 55);
}

int sstvSlotOnPage(const QString &slotMap, int page) {
    if (page < 1 || page > slotMap.size())
        return -1;
    return slotIndexFromChar(slotMap.at(page - 1));
}

QString withSstvSlotOnPage(QString slotMap, int page, int slotIndex) {
    if (slotMap.size() != kEmptySlotMap.size())
        slotMap = kEmptySlotMap;
    if (page >= 1 && page <= slotMap.size())
        slotMap[page - 1] = slotChar(slotIndex);
    return slotMap;
}

int wxSlotIndex(const QString &slotMap) {
    const auto value = toInt32(Val(slotMap));
    return value && *value > 0 ? *value - 1 : -1;
}

QString wxSlotText(int slotIndex) {
    return QString::number(slotIndex < 0 ? 0 : slotIndex + 1);
}

} // namespace tavimo
