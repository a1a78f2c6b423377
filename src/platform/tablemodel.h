// The table the elements fill: cells as text, plus the positions of the
// largest and smallest value. The table window shows it; the core keeps a
// plain in-memory version for tests and exports.
#pragma once

#include "platform/extended.h"

#include <functional>
#include <string>
#include <vector>

namespace zem {

struct TCellPos {
    int Col = -1;
    int Row = -1;
    friend bool operator==(const TCellPos&, const TCellPos&) = default;
};

class TTableModel {
public:
    // Formats a number for a cell; the program installs its table number format.
    using TNumberFormat = std::function<std::string(Extended)>;

    TTableModel();
    virtual ~TTableModel() = default;

    // Clears every cell and sets the size; row 0 and column 0 are the headers.
    virtual void SetSize(int cols, int rows);
    virtual void SetText(int col, int row, const std::string& text);
    // Writes a number formatted with the current number format.
    void SetCell(int col, int row, Extended value);

    int ColCount() const { return cols_; }
    int RowCount() const { return rows_; }
    const std::string& Text(int col, int row) const;

    void SetNumberFormat(TNumberFormat format) { format_ = std::move(format); }
    const TNumberFormat& NumberFormat() const { return format_; }

    TCellPos MaxPos;
    TCellPos MinPos;

private:
    int cols_ = 0;
    int rows_ = 0;
    std::vector<std::string> cells_;
    TNumberFormat format_;
};

}  // namespace zem
