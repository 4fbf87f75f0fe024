#include "core/sites/SlotTable.h"

namespace tavimo {

namespace {
bool isColumn(int column) {
    return column >= 0 && column < SlotTable::Columns;
}
} // namespace

QString SlotTable::value(int row, int column) const {
    if (!isRow(row) || !isColumn(column))
        return {};
    return cells_[row][column];
}

void SlotTable::setValue(int row, int column, const QString &text) {
    if (!isRow(row) || !isColumn(column))
        return;
    cells_[row][column] = text;
}

void SlotTable::erase() {
    for (auto &row : cells_)
        row.fill(QString());
}

} // namespace tavimo
