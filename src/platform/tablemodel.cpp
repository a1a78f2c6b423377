#include "platform/tablemodel.h"

#include "platform/numtext.h"

namespace zem {

TTableModel::TTableModel() : format_([](Extended x) { return RealToStrExp(11, 4, x); }) {}

void TTableModel::SetSize(int cols, int rows) {
    cols_ = cols < 0 ? 0 : cols;
    rows_ = rows < 0 ? 0 : rows;
    cells_.assign(static_cast<std::size_t>(cols_) * static_cast<std::size_t>(rows_), std::string());
    MaxPos = MinPos = TCellPos{};
}

void TTableModel::SetText(int col, int row, const std::string& text) {
    if (col < 0 || row < 0 || col >= cols_ || row >= rows_) return;
    cells_[static_cast<std::size_t>(row) * static_cast<std::size_t>(cols_) + static_cast<std::size_t>(col)] = text;
}

void TTableModel::SetCell(int col, int row, Extended value) { SetText(col, row, format_(value)); }

const std::string& TTableModel::Text(int col, int row) const {
    static const std::string empty;
    if (col < 0 || row < 0 || col >= cols_ || row >= rows_) return empty;
    return cells_[static_cast<std::size_t>(row) * static_cast<std::size_t>(cols_) + static_cast<std::size_t>(col)];
}

}  // namespace zem
