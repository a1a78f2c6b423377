// The table window: the single window that shows one table of an element at
// a time (an initial-data or a result table), filled by the element itself.
// The window adds the program's number format, the way to the largest and
// smallest value, and an export that resamples the table onto a uniform grid.
//
// Ctrl+C copies the selected cells (the whole table when at most one cell is
// selected) as tab-separated text with the header row and column, ready for
// a spreadsheet; "Сохранить как CSV" writes every node of the field with its
// coordinates and a header naming them with their units, at full precision
// ("CSV для Excel": ';' between fields and a decimal comma).
// The caption names the field with its unit and the problem; the header row
// names the coordinate and the field with their units ("x, м", "w, м"), and
// a line around a ring shows the angle in degrees beside the arc length.
//
// Owns the table's data object (a number row, a matrix or a list of them) and
// frees it when the next table is shown or the window goes.
#pragma once

#include "platform/object.h"
#include "platform/tablemodel.h"
#include "views/ReadableNumbers.h"
#include "views/ViewForm.h"

#include <memory>
#include <string>
#include <vector>

class QAction;

// The lines of the export of a filled table. Rows are listed with decreasing,
// columns with increasing coordinates (column 0 and row 0). The table is
// resampled onto the smallest row step and the smallest column step: from the
// bottom row upwards, every pair of neighbouring rows gives round(gap / dy)
// lines, every pair of neighbouring columns round(gap / dx) values per line,
// interpolated linearly, each written RealToStrExp(4, 8) and followed by a
// tab. The top row and the last column enter only as end points. A table with
// a single value column gives one value per line. A coordinate labelled with
// a span's key ("0.5: Span2", stepped elements) counts by its number; rows or
// columns whose coordinates do not increase give no lines or values. A cell
// that is not a number raises "Ошибка численного значения".
std::vector<std::string> ResampleTable(const zem::TTableModel& table);

// The grid's view of a table: the table itself, and for a line around a
// circle a column of angles in degrees after the coordinates. When Readable,
// the numbers are shown in formats chosen from their ranges: one for the
// values of the body, one for the coordinates down column 0 and one for those
// along row 0 (with as many digits as keep neighbouring nodes apart). The
// table itself keeps the program's number format: the export, the copy and
// "&MinMax" read it.
class TTableDisplay : public TGridSource {
public:
    explicit TTableDisplay(const zem::TTableModel& table) : table_(table) {}
    std::vector<std::string> Angles;  // per body row; empty: no angle column
    bool Readable = false;
    TReadableFormat Values, RowCoords, ColCoords;
    // Chooses the three formats from the table's numbers.
    void ChooseFormats();
    int ColCount() const override { return table_.ColCount() + (Angles.empty() ? 0 : 1); }
    int RowCount() const override { return table_.RowCount(); }
    QString CellText(int col, int row) const override;
    // The grid column of a table column.
    int GridCol(int tableCol) const { return !Angles.empty() && tableCol >= 1 ? tableCol + 1 : tableCol; }

private:
    const zem::TTableModel& table_;
};

class TTableForm : public TViewForm {
    Q_OBJECT
public:
    explicit TTableForm(TViews& views);
    ~TTableForm() override;

    // Frees the previous data, keeps the arguments, sets the caption, lets
    // the element fill the grid from Data (Refill) and shows the window.
    void ShowTable(const TElementRef& element, int selector, const QString& caption, const QString& extension,
                   std::unique_ptr<zem::TObject> data);
    // The element fills the grid again from the kept data, in the current
    // number format; then "&MinMax".
    void Refill();
    // No table: the data freed, the grid emptied, the caption "Таблица".
    void Clear() override;

    const TElementRef& Ref() const { return ref_; }
    int Selector() const { return selector_; }
    const zem::TObject* Data() const { return data_.get(); }
    const QString& Extension() const { return extension_; }
    const zem::TTableModel& Table() const { return table_; }

    // --- Handlers. ---
    // Selects the largest value when its magnitude is at least that of the
    // smallest, otherwise the smallest.
    void MinMaxItemClick();
    void MaxItemClick();
    void MinItemClick();
    // The number-format dialog; on OK the table is filled again.
    void FormatItemClick();
    // Readable numbers on or off (the program's number format); kept in the
    // configuration for the next tables.
    void ReadableItemClick(bool on);
    // Asks for a file name (the active document's with the table's
    // extension) and writes ResampleTable there.
    void SaveItemClick();
    // Copies TableText to the clipboard.
    void CopyItemClick();
    // Asks for a file name and writes CsvLines there (Russian: ';' and a
    // decimal comma, with a byte-order mark that spreadsheets take for UTF-8).
    void CsvItemClick(bool russian = false);

    // The cells as tab-separated lines with the headers; only the selected
    // rectangle when more than one cell is selected.
    QString TableText() const;
    // The field of the table: one line per node with its coordinates, and a
    // header (empty when the element offers no field).
    std::vector<std::string> CsvLines(bool russian = false) const;
    // The name of the field shown (the caption's text in brackets).
    const std::string& FieldName() const { return field_; }

    TStringGrid* Grid = nullptr;
    QAction* MinMaxItem = nullptr;
    QAction* MaxItem = nullptr;
    QAction* MinItem = nullptr;
    QAction* FormatItem = nullptr;
    QAction* ReadableItem = nullptr;  // checked: readable numbers (the default)
    QAction* SaveItem = nullptr;
    QAction* CopyItem = nullptr;
    QAction* CsvItem = nullptr;
    QAction* CsvRuItem = nullptr;

private:
    // Names the header cells with units; the angle column of a ring.
    void LabelColumns();

    TViews& views_;
    zem::TTableModel table_;
    TTableDisplay source_{table_};
    TElementRef ref_;
    int selector_ = 0;
    QString extension_;
    std::string field_;
    std::unique_ptr<zem::TObject> data_;
};
