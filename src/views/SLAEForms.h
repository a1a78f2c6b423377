// The views of the linear system of a problem: the table of its coefficients
// and free terms ("СЛАУ") and the picture of its non-zero pattern
// ("Вид матрицы СЛАУ").
//
// The table window pulls every row from the problem once and keeps the rows
// (sparse: only their non-zero items), so the cells are formatted when shown
// and the picture is drawn from the rows directly. Table layout: N + 1 rows
// and N + 2 columns for N unknowns; row 0 holds the column numbers 1 ... N and
// "B"; column 0 of row r holds r, ": " and the name of unknown r; cell (c, r)
// the coefficient of unknown c in equation r, empty when zero; column N + 1
// the free term, empty when zero.
//
// Limit: a system of more than kMaxTableUnknowns unknowns is not shown as a
// table (the window would take too long to lay out and to read); the command
// says so and shows the picture instead.
#pragma once

#include "solvers/SLCLass.h"
#include "views/ViewForm.h"

#include <QImage>
#include <QPointer>
#include <string>
#include <vector>

class QAction;
class TPaintBox;
class TSLAEForm;

class TSystemSource : public TGridSource {
public:
    int ColCount() const override { return Unknowns() + 2; }
    int RowCount() const override { return Unknowns() + 1; }
    QString CellText(int col, int row) const override;

    int Unknowns() const { return static_cast<int>(Rows.size()); }
    // The coefficient of unknown C in row R (0 when the row has none).
    zem::Extended Coef(int r, int c) const;

    std::vector<zem::TRowItems> Rows;
    std::vector<zem::Extended> Free;
    std::vector<std::string> Names;
    zem::TTableModel::TNumberFormat Format;
};

class TSLAEForm : public TViewForm {
    Q_OBJECT
public:
    static constexpr int kMaxTableUnknowns = 3000;

    explicit TSLAEForm(TViews& views);
    ~TSLAEForm() override;

    // Pulls every row of Problem (whose equations are built) and shows the
    // table, or, above kMaxTableUnknowns, says so and shows the picture.
    // Window is the problem window the system belongs to. True when the
    // table was shown.
    bool ShowSystem(TChildForm* window, zem::TProblem& problem);
    // Shows rows already pulled (the same rules).
    bool ShowRows(TChildForm* window, TSystemSource system);
    // The rows taken again, through the window's "СЛА&У" command.
    void Refresh();
    // No system: the grid emptied.
    void ClearGrid();

    TChildForm* Owner() const { return owner_; }
    const TSystemSource& System() const { return source_; }

    // --- Handlers. ---
    void ViewItemClick();
    void FormatItemClick();

    TStringGrid* Grid = nullptr;
    QAction* ViewItem = nullptr;
    QAction* FormatItem = nullptr;

private:
    TViews& views_;
    TSystemSource source_;
    QPointer<TChildForm> owner_;
};

class TGrSLAEForm : public TViewForm {
    Q_OBJECT
public:
    explicit TGrSLAEForm(TViews& views);

    // The pattern of the system of the table window into Rect: white, and a
    // red cell (at least one pixel) for every non-zero coefficient; the free
    // terms are not drawn.
    void DrawPattern(QPainter& painter, const QRect& rect) const;
    QImage Render(const QSize& size) const;

    TPaintBox* PaintBox = nullptr;

private:
    TViews& views_;
};
